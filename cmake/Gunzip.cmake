# cmake -DGZIP=<gzip> -DSOURCE=<file.gz> -DDEST=<file> -P Gunzip.cmake
# Unpacks SOURCE into DEST. Writes to a temporary file first, so a failed
# unpack never leaves a truncated DEST that a later build would take as done.
get_filename_component(dest_dir "${DEST}" DIRECTORY)
file(MAKE_DIRECTORY "${dest_dir}")
set(partial "${DEST}.partial")
execute_process(COMMAND "${GZIP}" -dc "${SOURCE}"
                OUTPUT_FILE "${partial}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE "${partial}")
  message(FATAL_ERROR "Cannot unpack ${SOURCE}: ${result}")
endif()
file(RENAME "${partial}" "${DEST}")
