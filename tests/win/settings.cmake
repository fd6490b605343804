zema_win_test(settings_test
  SOURCES settings_test.cpp
  LIBS zema_platform)
