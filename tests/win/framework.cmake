zema_win_test(framework_test
  SOURCES framework_test.cpp framework_test.rc
  LIBS zema_framework)

zema_win_test(worker_test
  SOURCES worker_test.cpp
  LIBS zema_framework)

zema_win_test(launcher_resources_test
  SOURCES launcher_resources_test.cpp dialog_template.cpp ${ZEMA_RESOURCES}
  LIBS zema_widgets)
target_include_directories(launcher_resources_test PRIVATE ${CMAKE_SOURCE_DIR}
                           ${ZEMA_RESOURCE_INCLUDES})
add_dependencies(launcher_resources_test zema_icon)
