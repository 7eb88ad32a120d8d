# Assembles the runtime folder (media/, lang/, doc/, config.xml beside the executable).
add_custom_target(runtime_data ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SORN_RUNTIME_DIR}/media ${SORN_RUNTIME_DIR}/lang ${SORN_RUNTIME_DIR}/doc)
