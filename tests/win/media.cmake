# The Media browser, run modally from the viewer's own resources.
zema_win_test(media_browser_test
  SOURCES media_browser_test.cpp modal_driver.cpp scan_host.cpp temp_tree.cpp ${ZEMA_RESOURCES}
  LIBS zema_media)
target_include_directories(media_browser_test PRIVATE ${CMAKE_SOURCE_DIR} ${ZEMA_RESOURCE_INCLUDES})
add_dependencies(media_browser_test zema_icon)
