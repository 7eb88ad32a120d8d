# cmake -DSOURCE=<template> -DDEST=<file> -P InstallIfAbsent.cmake
# Copies SOURCE to DEST only when DEST does not exist: the runtime config.xml
# holds the user's settings and must survive a rebuild.
if(EXISTS "${DEST}")
  return()
endif()
get_filename_component(dest_dir "${DEST}" DIRECTORY)
file(MAKE_DIRECTORY "${dest_dir}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E copy "${SOURCE}" "${DEST}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Cannot install ${SOURCE} as ${DEST}: ${result}")
endif()
