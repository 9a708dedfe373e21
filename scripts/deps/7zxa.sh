# 7-Zip's 7z extraction-only module (Bundles/Format7zExtract): 7zxa.dll for
# Windows, lib7zxa.so natively. Sources and flags live in scripts/deps/7zxa/.
cmake_recipe "$RECIPE_DIR/7zxa" \
  -DSEVENZIP_SOURCE_DIR="$SRC"
