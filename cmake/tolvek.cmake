# Shared build settings for every target of the project.
function(tolvek_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  # GCC 12 at -O2 and above reports overlapping copies inside std::string concatenation and
  # overflowing writes inside std::vector copies that cannot happen (its bugs 105329 and
  # 106199); those warnings say nothing about our code there.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
     AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict -Wno-stringop-overflow)
  endif()
  if(TOLVEK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# tolvek_library(NAME SOURCES... DEPS libs...)
# One static library per src/ folder; headers are included as "folder/file.h".
function(tolvek_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(tolvek_${name} STATIC ${ARG_SOURCES})
  target_include_directories(tolvek_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(tolvek_${name} PUBLIC ${ARG_DEPS})
  tolvek_warnings(tolvek_${name})
endfunction()

# tolvek_test(NAME SOURCES... LIBS libs...)
# A GoogleTest binary whose cases CTest discovers when the tests run. Under CTest every case
# finds the programs and the show folder this build makes (TOLVEK_BIN, TOLVEK_SHOW_DIR).
function(tolvek_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} tolvek_test_support GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  tolvek_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES ENVIRONMENT "TOLVEK_BIN=${CMAKE_BINARY_DIR}/bin"
      ENVIRONMENT_MODIFICATION "TOLVEK_SHOW_DIR=set:${CMAKE_BINARY_DIR}/show")
endfunction()
