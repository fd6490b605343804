# The preview tests carry the page templates the way the program does.
set(zema_preview_pages ${CMAKE_SOURCE_DIR}/res/preview_pages.rc)
set_property(SOURCE ${zema_preview_pages} APPEND PROPERTY INCLUDE_DIRECTORIES ${CMAKE_SOURCE_DIR}/res)
set_property(SOURCE ${zema_preview_pages} APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_SOURCE_DIR}/res/html/mediaplayer.htm
  ${CMAKE_SOURCE_DIR}/res/html/realplayer.htm
  ${CMAKE_SOURCE_DIR}/res/html/flash.htm)

zema_win_test(page_buffer_test
  SOURCES page_buffer_test.cpp
  LIBS zema_preview)

zema_win_test(preview_page_test
  SOURCES preview_page_test.cpp ${zema_preview_pages}
  LIBS zema_preview)

zema_win_test(preview_protocol_test
  SOURCES preview_protocol_test.cpp ${zema_preview_pages}
  LIBS zema_preview)

zema_win_test(preview_url_test
  SOURCES preview_url_test.cpp ${zema_preview_pages}
  LIBS zema_preview)
