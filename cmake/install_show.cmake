# Install step for the show folder: copies the files listed in TOLVEK_SHOW_FILES (paths
# relative to TOLVEK_SHOW_SOURCE, one a line) to TOLVEK_SHOW_DESTINATION under the prefix.
if(NOT EXISTS "${TOLVEK_SHOW_FILES}")
  message(FATAL_ERROR "The show folder has not been written; build the project (target show_folder) first")
endif()
file(STRINGS "${TOLVEK_SHOW_FILES}" files)
if(NOT files)
  message(FATAL_ERROR "${TOLVEK_SHOW_FILES} lists no files")
endif()
foreach(file IN LISTS files)
  get_filename_component(folder "${file}" DIRECTORY)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${TOLVEK_SHOW_DESTINATION}/${folder}" TYPE FILE
       FILES "${TOLVEK_SHOW_SOURCE}/${file}")
endforeach()
