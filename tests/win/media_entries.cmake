# The Media browser over the caches real browsers wrote in this run.
zema_win_test(media_entries_test
  SOURCES media_entries_test.cpp modal_driver.cpp scan_host.cpp temp_tree.cpp ${ZEMA_RESOURCES}
  LIBS zema_media)
target_include_directories(media_entries_test PRIVATE ${CMAKE_SOURCE_DIR} ${ZEMA_RESOURCE_INCLUDES})
add_dependencies(media_entries_test zema_icon)
zema_uses_made_caches(media_entries_test)
