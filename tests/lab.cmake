# Tests that start libupnp or reconfigure interfaces. Label `lab`: run them
# only under tools/netlab; each fails when it finds itself outside the lab.

halvorn_test(test_lab LABEL lab
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/lab/LabTest.cpp)

halvorn_test(test_netlink_monitor LABEL lab
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/lab/NetlinkMonitorTest.cpp
  LIBS halvorn_platform)

# UpnpExtensions.cpp and HttpConnect.cpp are compiled in directly, so this
# test does not depend on the rest of the framework library.
halvorn_test(test_upnp_extensions LABEL lab
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/lab/UpnpExtensionsTest.cpp
          ${PROJECT_SOURCE_DIR}/framework/UpnpExtensions.cpp
          ${PROJECT_SOURCE_DIR}/framework/HttpConnect.cpp
  LIBS PkgConfig::UPNP PkgConfig::UUID halvorn_platform)
target_include_directories(test_upnp_extensions PRIVATE ${PROJECT_SOURCE_DIR}/framework)
