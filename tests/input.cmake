# Keyboard and mouse injection. The XTest cases run against a private Xvfb
# started by the test itself; the uinput case skips without /dev/uinput.

halvorn_test(test_input_injection LABEL unit
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/input/InputInjectionTest.cpp
  LIBS halvorn_platform PkgConfig::EVDEV)
