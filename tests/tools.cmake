# The network lab script itself. `unit`: no lab is built, a fake sudo stands
# in for the real one.
add_test(NAME netlab_sudo
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tools/netlab_sudo_test.sh ${PROJECT_SOURCE_DIR}/tools/netlab)
set_tests_properties(netlab_sudo PROPERTIES LABELS unit SKIP_RETURN_CODE 77 TIMEOUT 60)

# The include order between folders, and between the library's floors.
add_test(NAME include_floors
  COMMAND ${PROJECT_SOURCE_DIR}/tools/check-floors ${PROJECT_SOURCE_DIR})
set_tests_properties(include_floors PROPERTIES LABELS unit TIMEOUT 60)
