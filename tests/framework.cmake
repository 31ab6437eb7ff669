halvorn_test(test_framework LABEL unit
  SOURCES framework/LoggerTest.cpp framework/ActionTest.cpp framework/VirtualFileTest.cpp
          framework/DeviceTest.cpp framework/SoapClientTest.cpp
          framework/HostValidationTest.cpp
  LIBS halvorn_framework)
target_include_directories(test_framework PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/framework)

halvorn_test(test_framework_lab LABEL lab
  SOURCES framework/DeviceLabTest.cpp framework/MediaHttpServerLabTest.cpp
  LIBS halvorn_framework halvorn_media_http)
target_include_directories(test_framework_lab PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/framework)
