zema_win_test(cache_walker_test
  SOURCES cache_walker_test.cpp scan_host.cpp temp_tree.cpp
  LIBS zema_images)

zema_win_test(thumbnail_test
  SOURCES thumbnail_test.cpp scan_host.cpp temp_tree.cpp
  LIBS zema_images)
