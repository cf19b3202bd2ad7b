# zlib, libpng and libjpeg: Debian's packages natively; in the windows builds
# the static libraries that scripts/build-windows-deps.sh cross-builds into
# MRW_DEPS_PREFIX.
set(MRW_FIXTURES_DIR "${CMAKE_SOURCE_DIR}/../shared/fixtures" CACHE PATH "Third-party test files")

if(CMAKE_CROSSCOMPILING AND MRW_DEPS_PREFIX)
  if(NOT EXISTS "${MRW_DEPS_PREFIX}/lib/libz.a")
    message(FATAL_ERROR "No Windows libraries in ${MRW_DEPS_PREFIX}: run scripts/setup.sh "
                        "(or scripts/build-windows-deps.sh) first.")
  endif()
  list(PREPEND CMAKE_FIND_ROOT_PATH "${MRW_DEPS_PREFIX}")
  list(PREPEND CMAKE_PREFIX_PATH "${MRW_DEPS_PREFIX}")
endif()

find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
