# The Debian package (make deb, or cpack -G DEB in the build folder):
# tolvek_<version>_<arch>.deb in the build folder, installing under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolvek)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tolvek maintainers <maintainers@users.noreply.c-seed-c87e4429.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time demo: monks, water and light to tracker music")
# The long description; CPack indents its lines and puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tolvek is a self-running audiovisual show of about four minutes: 3D scenes
drawn with OpenGL to an Impulse Tracker soundtrack, through stone halls, a
tunnel and an island. It starts with a small setup dialog, or from the command
line with a chosen mode; it can also record itself.

The package also holds tolvek-pack, the archiver for the show's data files,
and tolvek-view, previews of its levels, models and terrain.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The FreeType text of the frame-rate report uses Liberation Sans from this package
# (/usr/share/fonts/truetype/liberation2/); recording to video runs ffmpeg. Recordings draw
# offscreen through SDL's EGL driver, which SDL loads at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, libegl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ffmpeg")
include(CPack)
