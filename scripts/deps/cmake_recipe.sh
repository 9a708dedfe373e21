# Shared by the recipes: configures, builds and installs one CMake tree as a
# Release build into $STAGE, with our toolchain when cross-building (TOOLCHAIN
# set). The arguments after the source folder are the package's own options.
cmake_recipe() {
  local source=$1
  shift
  cmake -S "$source" -B "$BUILD" -G Ninja \
    ${TOOLCHAIN:+-DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN"} \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$STAGE" \
    "$@"
  cmake --build "$BUILD" -j "$JOBS"
  cmake --install "$BUILD"
}
