# Run by cpack on the staged files before it packs them. Signs the program with Authenticode
# (SHA-256) when LAUNCHER_SIGN_PKCS12 names the vendor's certificate and key (PKCS#12);
# LAUNCHER_SIGN_PASSWORD is its password, LAUNCHER_SIGN_TIMESTAMP an optional RFC 3161 server.
# Without LAUNCHER_SIGN_PKCS12 the package is left unsigned.
if("$ENV{LAUNCHER_SIGN_PKCS12}" STREQUAL "")
  message(STATUS "Release not signed: LAUNCHER_SIGN_PKCS12 is not set")
  return()
endif()
find_program(OSSLSIGNCODE osslsigncode REQUIRED)
set(program ${CPACK_TEMPORARY_DIRECTORY}/uninstall-launcher.exe)
if(NOT EXISTS ${program})
  message(FATAL_ERROR "No staged program to sign at ${program}")
endif()
set(timestamp)
if(NOT "$ENV{LAUNCHER_SIGN_TIMESTAMP}" STREQUAL "")
  set(timestamp -ts "$ENV{LAUNCHER_SIGN_TIMESTAMP}")
endif()
file(REMOVE ${program}.signed)
# The password goes through a pipe, never onto a command line others could read.
execute_process(
  COMMAND sh -c "printf '%s' \"$LAUNCHER_SIGN_PASSWORD\" | \"$0\" \"$@\""
          ${OSSLSIGNCODE} sign -pkcs12 $ENV{LAUNCHER_SIGN_PKCS12} -readpass -
          -h sha256 -n "Uninstall launcher" ${timestamp} -in ${program} -out ${program}.signed
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  file(REMOVE ${program}.signed)
  message(FATAL_ERROR "Signing ${program} failed:\n${output}")
endif()
file(RENAME ${program}.signed ${program})
message(STATUS "Signed ${program}")
