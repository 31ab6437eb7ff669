# The share tree, DIDL-Lite and protocol-info values; libupnp is never
# started (the tree's files are only registered, not served).
halvorn_test(test_content LABEL unit
  SOURCES content/ProtocolInfoTest.cpp content/XmlTextTest.cpp content/IdAllocatorTest.cpp
          content/ChildListTest.cpp content/ShareTreeTest.cpp content/ShareTreeLockingTest.cpp
          content/DidlLiteTest.cpp content/ShareFunctionsTest.cpp content/DlnaProfilesTest.cpp
          content/SearchCriteriaTest.cpp content/SortCriteriaTest.cpp
  LIBS dlna_core)
target_include_directories(test_content PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/content)

# What media files hold, read by the reader's own code and through the
# reader process, on files the tests make with FFmpeg and GdkPixbuf.
halvorn_test(test_media LABEL unit
  SOURCES content/MediaProbeTest.cpp content/MediaFixtures.cpp content/MetadataScannerTest.cpp
  LIBS dlna_core dlna_probe_core)
target_include_directories(test_media PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/content)
target_compile_definitions(test_media PRIVATE
  MEDIA_PROBE="$<TARGET_FILE:dlna-media-probe>")
add_dependencies(test_media dlna-media-probe)
