# The cross-built image libraries, linked statically and called for real.
zema_win_test(image_libs_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_libs_test.cpp
  LIBS zema::jpeg zema::png zema::tiff zema::openjp2 zema::jbig zema::zlib)
