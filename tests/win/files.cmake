zema_win_test(file_lists_test
  SOURCES file_lists_test.cpp scan_host.cpp temp_tree.cpp
  LIBS zema_files)
