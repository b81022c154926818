# Installation and the Debian package. The demo reads and writes its working directory, so it
# is installed out of the PATH and started by a launcher that gives each user a folder of their
# own linked to the installed show.
include(GNUInstallDirs)

set(tolvek_demo_dir ${CMAKE_INSTALL_LIBEXECDIR}/tolvek)
set(tolvek_show_dir ${CMAKE_INSTALL_DATADIR}/tolvek/show)

install(TARGETS tolvek RUNTIME DESTINATION ${tolvek_demo_dir})
install(TARGETS tolvek-pack tolvek-view RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The launcher finds the demo and the show from where it lies itself, so the same script
# works under any prefix given at install time (cmake --install --prefix, DESTDIR, CPack).
foreach(dir IN ITEMS BINDIR LIBEXECDIR DATADIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    message(FATAL_ERROR "CMAKE_INSTALL_${dir} must be relative to the prefix for the launcher")
  endif()
endforeach()
file(RELATIVE_PATH TOLVEK_DEMO_FROM_BIN /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${tolvek_demo_dir}/tolvek)
file(RELATIVE_PATH TOLVEK_SHOW_FROM_BIN /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${tolvek_show_dir})
configure_file(${PROJECT_SOURCE_DIR}/packaging/tolvek-launcher.sh.in ${CMAKE_BINARY_DIR}/packaging/tolvek @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/tolvek DESTINATION ${CMAKE_INSTALL_BINDIR})

# The show folder: exactly the files the kit wrote (show.files), never what runs left there.
install(CODE "set(TOLVEK_SHOW_SOURCE \"${CMAKE_BINARY_DIR}/show\")
set(TOLVEK_SHOW_FILES \"${CMAKE_BINARY_DIR}/show.files\")
set(TOLVEK_SHOW_DESTINATION \"${tolvek_show_dir}\")")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/install_show.cmake)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/tolvek.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/tolvek.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tolvek)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tolvek.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
  RENAME io.github.tolvek.tolvek.metainfo.xml)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
  RENAME tolvek)

# The manual pages and the changelog, compressed as Debian wants them (gzip -9n: no name or
# time stamp, so the same bytes on every build).
set(gzipped)
foreach(page IN ITEMS man/tolvek.6 man/tolvek-pack.1 man/tolvek-view.1 changelog)
  get_filename_component(name ${page} NAME)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${name}.gz
    COMMAND sh -c "gzip -9nc '${PROJECT_SOURCE_DIR}/packaging/${page}' > '${CMAKE_BINARY_DIR}/packaging/${name}.gz'"
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${page}
    VERBATIM)
  list(APPEND gzipped ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
endforeach()
add_custom_target(packaging_pages ALL DEPENDS ${gzipped})
install(FILES ${CMAKE_BINARY_DIR}/packaging/tolvek.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_BINARY_DIR}/packaging/tolvek-pack.1.gz ${CMAKE_BINARY_DIR}/packaging/tolvek-view.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tolvek)

include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
