# The fuzz targets' bodies over their seeds and stored crashes (see
# tests/fuzz/Targets.cmake); the libFuzzer programs are the clang build's.
set(_fuzz_sources)
set(_fuzz_libs)
macro(halvorn_fuzz_target name source)
  list(APPEND _fuzz_sources ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/${source})
  list(APPEND _fuzz_libs ${ARGN})
endmacro()
include(${CMAKE_CURRENT_SOURCE_DIR}/fuzz/Targets.cmake)
list(REMOVE_DUPLICATES _fuzz_libs)

halvorn_test(test_fuzz_replay LABEL unit
  SOURCES fuzz/ReplayTest.cpp fuzz/FuzzSupport.cpp ${_fuzz_sources}
  LIBS ${_fuzz_libs}
  PROPERTIES ENVIRONMENT LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/fuzz/lsan.supp)
