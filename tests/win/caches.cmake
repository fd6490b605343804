# The cache library with the cross-built brotli, zstd, zlib and SQLite.
zema_win_test(caches_libs_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/caches_libs_test.cpp ${CMAKE_CURRENT_LIST_DIR}/temp_tree.cpp
  LIBS zema_caches)
