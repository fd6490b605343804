set_property(SOURCE setup_payload_test.rc APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/setup_payload_test.bin)
zema_win_test(setup_steps_test
  SOURCES setup_steps_test.cpp setup_payload_test.rc temp_tree.cpp
  LIBS zema_setup_core)

zema_win_test(folder_chooser_test
  SOURCES folder_chooser_test.cpp
  LIBS zema_widgets)

# Reads the built installer as data: its dialog, icon and payload.
zema_win_test(setup_resources_test
  SOURCES setup_resources_test.cpp dialog_template.cpp
  LIBS zema_setup_core)
target_compile_definitions(setup_resources_test PRIVATE
  ZEMA_SETUP_EXE="$<TARGET_FILE:ZEMASetup>" ZEMA_VIEWER_EXE="$<TARGET_FILE:ZEMA>")
add_dependencies(setup_resources_test ZEMASetup)
