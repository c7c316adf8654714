# Read by cpack before it stages anything: removes the zip that an earlier run left under this
# name, so that a run that fails (a certificate that cannot be used) leaves none that looks like its
# result.
if(IS_ABSOLUTE "${CPACK_PACKAGE_DIRECTORY}")
  file(REMOVE "${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.zip")
endif()
