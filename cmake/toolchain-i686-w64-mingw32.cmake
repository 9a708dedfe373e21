# Cross toolchain for the i686 Windows build: the same mingw-w64 (posix
# threading) set-up the dependencies are built with.
set(VYRN_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/../scripts/deps/mingw-common.cmake)
