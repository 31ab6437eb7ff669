# The share tree, DIDL-Lite and protocol-info values; libupnp is never
# started (the tree's files are only registered, not served).
halvorn_test(test_content LABEL unit
  SOURCES content/ProtocolInfoTest.cpp content/XmlTextTest.cpp content/IdAllocatorTest.cpp
          content/ChildListTest.cpp content/ShareTreeTest.cpp content/ShareTreeLockingTest.cpp
          content/DidlLiteTest.cpp content/ShareFunctionsTest.cpp content/DlnaProfilesTest.cpp
          content/SearchCriteriaTest.cpp content/SortCriteriaTest.cpp
          content/MediaProbeTest.cpp content/MediaFixtures.cpp
  LIBS dlna_core)
target_include_directories(test_content PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/content)
