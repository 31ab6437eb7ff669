# The server inside the network lab: the kernel's neighbour table on the
# lab's interfaces.
halvorn_test(test_server_platform_lab LABEL lab
  SOURCES server_lab/NeighbourTableLabTest.cpp
  LIBS halvorn_platform_net)
