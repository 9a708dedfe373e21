# zlib + minizip with our own CMake file (scripts/deps/zlib/): Debian's
# tarball lacks win32/zlib1.rc and has no CMake for minizip. Natively
# (TOOLCHAIN empty) only minizip is built, against the system zlib.
native=OFF
[ -n "$TOOLCHAIN" ] || native=ON
cmake -S "$RECIPE_DIR/zlib" -B "$BUILD" -G Ninja \
  ${TOOLCHAIN:+-DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN"} \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$STAGE" \
  -DZLIB_SOURCE_DIR="$SRC" \
  -DVYRN_MINIZIP_ONLY=$native
cmake --build "$BUILD" -j "$JOBS"
cmake --install "$BUILD"
