# Warnings and sanitizer flags shared by every target of the project.
if(MSVC)
  add_compile_options(/W4)
else()
  add_compile_options(-Wall -Wextra -Wno-unused-parameter)
endif()

if(MRW_SANITIZE)
  # -O1 as usual for sanitizer and fuzzing builds: the instrumented code runs
  # several times faster than at -O0 and the reports keep their stacks.
  add_compile_options(-O1 -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(MINGW)
  # One self-contained .exe/.dll each: no libstdc++/libgcc/winpthread DLLs to stage.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  # Test files with many GoogleTest cases exceed COFF's 32k sections.
  add_compile_options(-Wa,-mbig-obj)
endif()

if(MRW_FUZZ)
  # Coverage instrumentation for the whole project, so that the fuzz targets
  # are guided by the libraries they exercise, not only by their own file.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Compiler cache: the four builds and every fresh clone on this machine share
# one cache (paths under the source folder are hashed relative to it).
option(MRW_CCACHE "Compile through ccache when it is installed" ON)
find_program(MRW_CCACHE_PROGRAM ccache)
if(MRW_CCACHE AND MRW_CCACHE_PROGRAM AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(mrw_launcher "${CMAKE_COMMAND}" -E env
      "CCACHE_BASEDIR=${CMAKE_SOURCE_DIR}" CCACHE_NOHASHDIR=1 "${MRW_CCACHE_PROGRAM}")
  set(CMAKE_C_COMPILER_LAUNCHER ${mrw_launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${mrw_launcher})
endif()
