# The Caches window on the committed small caches placed under the prefix's
# local application data.
zema_win_test(caches_window_test
  SOURCES caches_window_test.cpp modal_driver.cpp temp_tree.cpp placed_caches.cpp ${ZEMA_RESOURCES}
  LIBS zema_sources)
target_include_directories(caches_window_test PRIVATE ${CMAKE_SOURCE_DIR} ${ZEMA_RESOURCE_INCLUDES})
target_compile_definitions(caches_window_test PRIVATE
  ZEMA_SMALL_CACHES="${CMAKE_SOURCE_DIR}/tests/host/caches/small")
add_dependencies(caches_window_test zema_icon)
