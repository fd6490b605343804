zema_win_test(cache_walker_test
  SOURCES cache_walker_test.cpp scan_host.cpp temp_tree.cpp
  LIBS zema_images)

zema_win_test(thumbnail_test
  SOURCES thumbnail_test.cpp scan_host.cpp temp_tree.cpp
  LIBS zema_images)

# The Image browser over the browser caches made in this run, placed where the
# browsers keep theirs, beside a WinINet file; Drill runs the Details dialog
# from the program's resources.
zema_win_test(entry_scan_test
  SOURCES entry_scan_test.cpp scan_host.cpp temp_tree.cpp modal_driver.cpp
          ${ZEMA_RESOURCES}
  LIBS zema_images zema_browser zema_sources)
target_include_directories(entry_scan_test PRIVATE ${CMAKE_SOURCE_DIR} ${ZEMA_RESOURCE_INCLUDES})
add_dependencies(entry_scan_test zema_icon)
zema_uses_made_caches(entry_scan_test)
