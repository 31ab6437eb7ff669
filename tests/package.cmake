# The Debian packages of this build, made by scripts/package (cpack) into
# the build tree: what each holds and declares, then the media server
# unpacked from them and started as its system unit starts it, inside the
# lab. A sanitizer build is not packaged.
if(NOT HALVORN_SANITIZE)
  set(PACKAGE_DIR ${CMAKE_CURRENT_BINARY_DIR}/packages)
  add_test(NAME package_build
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/package --no-build ${PROJECT_BINARY_DIR} ${PACKAGE_DIR})
  set_tests_properties(package_build PROPERTIES
    FIXTURES_SETUP packages LABELS package TIMEOUT 600)

  if(HALVORN_PRIVATE_LIBDIR)
    set(_private_upnp ${HALVORN_PRIVATE_LIBDIR})
  else()
    set(_private_upnp "")
  endif()
  if(EXISTS ${PROJECT_SOURCE_DIR}/data/dlna-server.conf)
    set(_server_conf yes)
  else()
    set(_server_conf no)
  endif()
  add_test(NAME package_contents
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/package/check-packages ${PACKAGE_DIR} ${PROJECT_VERSION}
            ${CMAKE_INSTALL_LIBDIR} "${_private_upnp}" ${_server_conf})
  set_tests_properties(package_contents PROPERTIES
    FIXTURES_REQUIRED packages LABELS package TIMEOUT 120)

  add_test(NAME package_server_lab
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/package/server-from-packages ${PACKAGE_DIR}
            ${CMAKE_CURRENT_SOURCE_DIR}/server_lab/gupnp_media_client.py)
  set_tests_properties(package_server_lab PROPERTIES
    FIXTURES_REQUIRED packages LABELS "lab;package" TIMEOUT 300 RESOURCE_LOCK upnp_lab)
endif()
