# Cross toolchain for the x86_64 Windows build: the same mingw-w64 (posix
# threading) set-up the dependencies are built with.
set(VYRN_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/../scripts/deps/mingw-common.cmake)
