# The fuzz targets: name (also the folder of its seeds under
# tests/data/fuzz/ and of its stored crashes under tests/data/fuzz/regressions/),
# source, libraries. tests/fuzz/CMakeLists.txt makes each a libFuzzer program;
# tests/fuzz.cmake compiles them all into the replay test.
halvorn_fuzz_target(soap_receiver SoapReceiverFuzz.cpp halvorn_receiver)
halvorn_fuzz_target(key_map KeyMapFuzz.cpp halvorn_receiver)
halvorn_fuzz_target(service_list_file ServiceListFuzz.cpp halvorn_receiver)
halvorn_fuzz_target(description DescriptionFuzz.cpp halvorn_framework)
halvorn_fuzz_target(remote_description RemoteDescriptionFuzz.cpp dlna_core)
halvorn_fuzz_target(soap_library SoapLibraryFuzz.cpp dlna_core)
halvorn_fuzz_target(didl DidlFuzz.cpp dlna_core)
halvorn_fuzz_target(protocol_info ProtocolInfoFuzz.cpp dlna_core)
halvorn_fuzz_target(authentication AuthenticationFuzz.cpp dlna_core)
