# Run by cpack after it made the zip: rewrites it reproducibly (see repack_zip.py).
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND ${CPACK_LAUNCHER_PYTHON3} ${CPACK_LAUNCHER_REPACK} ${package}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Could not rewrite ${package} reproducibly")
  endif()
endforeach()
