# The Options dialogs and the Details dialog, run modally from their own
# resources under a scripted user.
zema_win_test(options_dialogs_test
  SOURCES options_dialogs_test.cpp modal_driver.cpp dialog_template.cpp ${ZEMA_RESOURCES}
  LIBS zema_images zema_files zema_browser)
target_include_directories(options_dialogs_test PRIVATE ${CMAKE_SOURCE_DIR}
                           ${ZEMA_RESOURCE_INCLUDES})
add_dependencies(options_dialogs_test zema_icon)

zema_win_test(details_dlg_test
  SOURCES details_dlg_test.cpp modal_driver.cpp dialog_template.cpp ${ZEMA_RESOURCES}
  LIBS zema_browser wininet)
target_include_directories(details_dlg_test PRIVATE ${CMAKE_SOURCE_DIR}
                           ${ZEMA_RESOURCE_INCLUDES})
add_dependencies(details_dlg_test zema_icon)
