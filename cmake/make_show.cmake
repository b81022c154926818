# cmake -DKIT=tolvek-showkit -DSHOW=folder -DLIST=file -P make_show.cmake
# Writes the show folder afresh with the content kit, then lists the files to install (paths
# relative to the folder, one a line) before anything else can add to it, and stamps it
# with .made as the Makefile expects.
file(REMOVE_RECURSE "${SHOW}" "${LIST}")
execute_process(COMMAND "${KIT}" "${SHOW}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "tolvek-showkit failed (${result}); the show folder is incomplete")
endif()
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${SHOW}" "${SHOW}/*")
# models/ and maps/ are the kit's staging folders, which it packs into models.dat and map.dat:
# the show reads them only from the archives, so they are not part of what is installed.
list(FILTER files EXCLUDE REGEX "^(models|maps)/")
list(SORT files)
list(JOIN files "\n" text)
file(WRITE "${LIST}.part" "${text}\n")
file(RENAME "${LIST}.part" "${LIST}")
file(TOUCH "${SHOW}/.made")
