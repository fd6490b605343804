# The browsers' list menu and Save List over the caches made in this run,
# placed where the browsers keep theirs, beside WinINet files.
zema_win_test(list_menu_test
  SOURCES list_menu_test.cpp modal_driver.cpp scan_host.cpp temp_tree.cpp
          ${ZEMA_RESOURCES}
  LIBS zema_images zema_files zema_browser zema_sources)
target_include_directories(list_menu_test PRIVATE ${CMAKE_SOURCE_DIR} ${ZEMA_RESOURCE_INCLUDES})
add_dependencies(list_menu_test zema_icon)
zema_uses_made_caches(list_menu_test)
