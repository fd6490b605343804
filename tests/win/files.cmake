zema_win_test(file_lists_test
  SOURCES file_lists_test.cpp scan_host.cpp temp_tree.cpp
  LIBS zema_files)

zema_win_test(copy_files_test
  SOURCES copy_files_test.cpp temp_tree.cpp
  LIBS zema_browser)

# The same scans over the caches made in this run, placed where the browsers
# keep theirs, beside a WinINet file.
zema_win_test(file_entries_test
  SOURCES file_entries_test.cpp scan_host.cpp temp_tree.cpp
  LIBS zema_files)
zema_uses_made_caches(file_entries_test)
