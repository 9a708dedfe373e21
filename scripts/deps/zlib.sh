# zlib + minizip with our own CMake file (scripts/deps/zlib/): Debian's
# tarball lacks win32/zlib1.rc and has no CMake for minizip. Natively
# (TOOLCHAIN empty) only minizip is built, against the system zlib.
native=OFF
[ -n "$TOOLCHAIN" ] || native=ON
cmake_recipe "$RECIPE_DIR/zlib" \
  -DZLIB_SOURCE_DIR="$SRC" \
  -DVYRN_MINIZIP_ONLY=$native
