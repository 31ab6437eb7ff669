# The screen-cast server. `unit`: its files, its lifetime rules; nothing here
# starts libupnp or a display.
halvorn_test(test_castserver LABEL unit
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/castserver/CastServerFilesTest.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/castserver/ProcessLifetimeTest.cpp
  LIBS castserver_core dlna_host_common)
