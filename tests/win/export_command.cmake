# ZEMA.exe /export run as a child process over this run's browser caches,
# compared with the browsers' own lists.
zema_win_test(export_command_test
  SOURCES export_command_test.cpp program_run.cpp scan_host.cpp temp_tree.cpp ${ZEMA_RESOURCES}
  LIBS zema_images zema_files zema_media zema_sources)
target_include_directories(export_command_test PRIVATE ${CMAKE_SOURCE_DIR} ${ZEMA_RESOURCE_INCLUDES})
target_compile_definitions(export_command_test PRIVATE ZEMA_VIEWER="Z:$<TARGET_FILE:ZEMA>")
add_dependencies(export_command_test zema_icon ZEMA)
zema_uses_made_caches(export_command_test)
