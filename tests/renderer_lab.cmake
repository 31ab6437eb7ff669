# dlna-renderer as installed: a private staged install of this build,
# started inside the lab and driven by a GUPnP control point; and the
# library's stored state under concurrent setters and network queries.
set(RENDERER_STAGE ${CMAKE_CURRENT_BINARY_DIR}/renderer-stage)
add_test(NAME renderer_stage
  COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --prefix ${RENDERER_STAGE})
set_tests_properties(renderer_stage PROPERTIES FIXTURES_SETUP renderer_stage LABELS lab)

halvorn_test(test_renderer_lab LABEL lab
  SOURCES renderer_lab/RendererLabTest.cpp renderer_lab/RendererLab.cpp
  PROPERTIES FIXTURES_REQUIRED renderer_stage)
target_compile_definitions(test_renderer_lab PRIVATE
  RENDERER_STAGE="${RENDERER_STAGE}"
  PEER_SCRIPT="${CMAKE_CURRENT_SOURCE_DIR}/renderer_lab/gupnp_renderer.py"
  SUBSCRIBER_SCRIPT="${CMAKE_CURRENT_SOURCE_DIR}/renderer_lab/gupnp_subscriber.py"
  MEDIA_SERVER="${CMAKE_CURRENT_SOURCE_DIR}/renderer_lab/media_server.py"
  LSAN_SUPPRESSIONS="${CMAKE_CURRENT_SOURCE_DIR}/renderer_lab/lsan.supp")
add_dependencies(test_renderer_lab dlna-renderer)

halvorn_test(test_renderer_state_stress LABEL lab
  SOURCES renderer_lab/StateStressTest.cpp
  LIBS dlna_core)
