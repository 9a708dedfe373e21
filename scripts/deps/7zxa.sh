# 7-Zip's 7z extraction-only module (Bundles/Format7zExtract): 7zxa.dll for
# Windows, lib7zxa.so natively. Sources and flags live in scripts/deps/7zxa/.
cmake -S "$RECIPE_DIR/7zxa" -B "$BUILD" -G Ninja \
  ${TOOLCHAIN:+-DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN"} \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$STAGE" \
  -DSEVENZIP_SOURCE_DIR="$SRC"
cmake --build "$BUILD" -j "$JOBS"
cmake --install "$BUILD"
