# pugixml: static, no tests.
cmake_recipe "$SRC" \
  -DCMAKE_INSTALL_LIBDIR=lib \
  -DBUILD_SHARED_LIBS=OFF \
  -DPUGIXML_BUILD_TESTS=OFF
