# Writes the page into OUT: the page's files from PAGE, the show folder SHOW without the kit's
# staging folders (maps/, models/) and the module, which the page plays as a soundtrack
# rendered by the desktop's music layer (ASSETS), with its row table beside the module's name.
foreach(var SHOW OUT ASSETS PAGE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "make_page.cmake needs -D${var}=...")
  endif()
endforeach()
if(NOT EXISTS ${SHOW}/Demo.conf)
  message(FATAL_ERROR "no show folder at ${SHOW}: `make show` writes it")
endif()
find_program(FFMPEG ffmpeg REQUIRED)

file(REMOVE_RECURSE ${OUT}/show)
file(MAKE_DIRECTORY ${OUT}/show)
file(GLOB entries RELATIVE ${SHOW} ${SHOW}/*)
foreach(entry IN LISTS entries)
  if(NOT entry MATCHES "^(maps|models|music\\.it|\\..*)$")
    file(COPY ${SHOW}/${entry} DESTINATION ${OUT}/show)
  endif()
endforeach()

# The song from the script's cue to the end of the show needs 243 s.
set(wav ${OUT}/soundtrack.wav)
execute_process(COMMAND ${ASSETS} soundtrack ${SHOW}/music.it 243000 ${wav} ${OUT}/show/music.it.rows
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "the soundtrack could not be rendered")
endif()
execute_process(COMMAND ${FFMPEG} -hide_banner -loglevel error -y -i ${wav} -c:a libopus -b:a 96k
                        ${OUT}/soundtrack.ogg RESULT_VARIABLE failed)
file(REMOVE ${wav})
if(failed)
  message(FATAL_ERROR "ffmpeg could not encode the soundtrack")
endif()

# The list the page loads the show folder by: one file a line.
file(GLOB_RECURSE files RELATIVE ${OUT}/show ${OUT}/show/*)
list(SORT files)
list(JOIN files "\n" listing)
file(WRITE ${OUT}/show-files.txt "${listing}\n")

foreach(page index.html page.js page.css)
  file(COPY ${PAGE}/${page} DESTINATION ${OUT})
endforeach()
