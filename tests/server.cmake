# The media server's services, authentication and functions. `unit`: no
# test here starts libupnp; requests are built as libupnp hands them over.
halvorn_test(test_server LABEL unit
  SOURCES server/AuthenticationTest.cpp
          server/DigestTest.cpp
          server/HardwareAddressCacheTest.cpp
          server/ServerFunctionsTest.cpp
          server/ContentDirectoryTest.cpp
  LIBS dlna_core)
target_include_directories(test_server PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/server)
