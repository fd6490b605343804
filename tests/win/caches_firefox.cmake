# The Firefox reader through the Windows file layer, on the committed cache2 folder.
zema_win_test(caches_firefox_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/caches_firefox_test.cpp
  LIBS zema_caches)
target_compile_definitions(caches_firefox_test PRIVATE
  ZEMA_SMALL_CACHES="${CMAKE_SOURCE_DIR}/tests/host/caches/small")
