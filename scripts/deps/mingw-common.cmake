# Shared part of the dependency toolchains; VYRN_TRIPLET is set by the per-triplet file.
set(CMAKE_SYSTEM_NAME Windows)
if(VYRN_TRIPLET MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()

# The -posix variants give std::thread/std::mutex (winpthreads), which the
# websocket server and the 7z module's threads need.
set(CMAKE_C_COMPILER   ${VYRN_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VYRN_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${VYRN_TRIPLET}-windres)
# CMake cannot derive the binutils prefix from a "-posix" compiler name.
set(CMAKE_AR     /usr/bin/${VYRN_TRIPLET}-ar     CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${VYRN_TRIPLET}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${VYRN_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
