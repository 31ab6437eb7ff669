# The library as installed: its exports, and a plain C host built against the
# installed header, pkg-config file and library, finding real peers in the lab.
set(DLNA_STAGE ${CMAKE_CURRENT_BINARY_DIR}/dlna-stage)
add_test(NAME dlna_stage
  COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --prefix ${DLNA_STAGE})
set_tests_properties(dlna_stage PROPERTIES FIXTURES_SETUP dlna_stage LABELS "unit;lab")

add_test(NAME dlna_exports
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/dlna_lab/check-exports ${DLNA_STAGE}/${CMAKE_INSTALL_LIBDIR}/libDLNA.so)
set_tests_properties(dlna_exports PROPERTIES FIXTURES_REQUIRED dlna_stage LABELS unit)

halvorn_test(test_dlna_c_host LABEL lab
  SOURCES dlna_lab/CHostLabTest.cpp
  PROPERTIES FIXTURES_REQUIRED dlna_stage)
set(_c_host_flags "")
if(HALVORN_SANITIZE)
  set(_c_host_flags "-fsanitize=address,undefined")
endif()
target_compile_definitions(test_dlna_c_host PRIVATE
  DLNA_STAGE="${DLNA_STAGE}" DLNA_LIBDIR="${CMAKE_INSTALL_LIBDIR}"
  C_HOST_SOURCE="${CMAKE_CURRENT_SOURCE_DIR}/dlna_lab/calling_order.c"
  C_COMPILER="${CMAKE_C_COMPILER}" C_HOST_FLAGS="${_c_host_flags}")
