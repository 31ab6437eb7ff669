# The library's frame: context, callback, device creation, the general
# functions. `unit`: nothing here starts libupnp.
halvorn_test(test_dlna_frame LABEL unit
  SOURCES dlna/FrameTest.cpp
  LIBS dlna_core)
