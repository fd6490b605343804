# The list reports as the Windows build writes them: files through stdio in
# binary mode, times against the system's own calendar, 100,000 rows timed.
zema_win_test(reports_win_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/reports_win_test.cpp ${CMAKE_CURRENT_LIST_DIR}/temp_tree.cpp
  LIBS zema_reports)
