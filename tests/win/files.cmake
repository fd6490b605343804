zema_win_test(file_lists_test
  SOURCES file_lists_test.cpp scan_host.cpp temp_tree.cpp
  LIBS zema_files)

zema_win_test(copy_files_test
  SOURCES copy_files_test.cpp temp_tree.cpp
  LIBS zema_browser)
