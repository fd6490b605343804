# The Chromium readers on the committed browser caches, under Wine.
zema_win_test(caches_chromium_win_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/caches_chromium_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/temp_tree.cpp
  LIBS zema_caches zema_platform)
string(REPLACE "/" "\\\\" zema_win_caches "Z:${CMAKE_SOURCE_DIR}/tests/host/caches")
target_compile_definitions(caches_chromium_win_test PRIVATE ZEMA_WIN_CACHES="${zema_win_caches}")
