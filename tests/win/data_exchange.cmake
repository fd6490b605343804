zema_win_test(data_exchange_test
  SOURCES data_exchange_test.cpp data_exchange_test.rc modal_driver.cpp
  LIBS zema_framework)
