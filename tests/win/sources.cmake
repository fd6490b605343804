# The Caches window on the committed small caches and on this run's browser
# caches, placed under the prefix's local application data; cachedump counts
# the latter's entries for comparison.
zema_win_test(caches_window_test
  SOURCES caches_window_test.cpp modal_driver.cpp program_run.cpp temp_tree.cpp ${ZEMA_RESOURCES}
  LIBS zema_sources)
target_include_directories(caches_window_test PRIVATE ${CMAKE_SOURCE_DIR} ${ZEMA_RESOURCE_INCLUDES})
target_compile_definitions(caches_window_test PRIVATE
  ZEMA_SMALL_CACHES="${CMAKE_SOURCE_DIR}/tests/host/caches/small"
  ZEMA_CACHEDUMP="Z:$<TARGET_FILE:cachedump>")
add_dependencies(caches_window_test zema_icon cachedump)
zema_uses_made_caches(caches_window_test)
