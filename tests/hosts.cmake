# The hosts' configuration files and command lines. `unit`: files in a
# temporary folder; nothing starts.
halvorn_test(test_host_config LABEL unit
  SOURCES hosts/ConfigFileTest.cpp
          hosts/ServerConfigTest.cpp
          hosts/RendererConfigTest.cpp
          ${PROJECT_SOURCE_DIR}/hosts/server/CommandLine.cpp
          ${PROJECT_SOURCE_DIR}/hosts/server/ServerConfig.cpp
          ${PROJECT_SOURCE_DIR}/hosts/renderer/Options.cpp
          ${PROJECT_SOURCE_DIR}/hosts/renderer/RendererConfig.cpp
  LIBS dlna_host_common)
target_include_directories(test_host_config PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/hosts
  ${PROJECT_SOURCE_DIR}/hosts/server ${PROJECT_SOURCE_DIR}/hosts/renderer)
