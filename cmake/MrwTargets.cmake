# Helpers that give every target of the project the same shape.
#
#   mrw_library(NAME SOURCES... [LIBS ...])   static library, sources include "folder/File.h" from the root
#   mrw_program(NAME SOURCES... [LIBS ...])   executable staged in the program folder
#   mrw_test(NAME SOURCES... [LIBS ...])      GoogleTest executable, one CTest test, with the shared
#                                             test main and helpers of testing/ (mrw_test_support)
#   mrw_fuzzer(NAME SOURCES... [LIBS ...])    libFuzzer target (MRW_FUZZ builds only)

function(mrw_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}")
  if(ARG_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  endif()
endfunction()

function(mrw_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}")
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${MRW_PROGRAM_DIR}")
endfunction()

function(mrw_test name)
  if(NOT MRW_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}")
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} mrw_test_support)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${MRW_TEST_DIR}")
  target_compile_definitions(${name} PRIVATE
    MRW_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    MRW_FIXTURES_DIR="${MRW_FIXTURES_DIR}"
    MRW_PROGRAM_DIR="${MRW_PROGRAM_DIR}")
  # One CTest test per executable: under Wine a start per test case would cost
  # hundreds of Wine starts.
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY "${MRW_TEST_DIR}")
  if(NOT WIN32)
    # A temporary folder per test executable: suites that run at the same
    # time (ctest -j) never meet in /tmp, and leftovers stay in the build.
    set(tmp "${MRW_TEST_DIR}/tmp/${name}")
    file(MAKE_DIRECTORY "${tmp}")
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "TMPDIR=${tmp}")
  endif()
  if(TARGET mrw_program_data)
    add_dependencies(${name} mrw_program_data)
  endif()
endfunction()

function(mrw_fuzzer name)
  if(NOT MRW_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}")
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/fuzz")
endfunction()
