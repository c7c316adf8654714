# Run at install time, by cpack as it stages the release: signs the installed programs (the launcher and its plan) with
# Authenticode (SHA-256) when LAUNCHER_SIGN_PKCS12 names the vendor's certificate and key
# (PKCS#12); LAUNCHER_SIGN_PASSWORD is its password, LAUNCHER_SIGN_TIMESTAMP an optional RFC 3161
# server. Without LAUNCHER_SIGN_PKCS12 the program is left unsigned. A failure here stops cpack
# before it packs anything.
if("$ENV{LAUNCHER_SIGN_PKCS12}" STREQUAL "")
  message(NOTICE "Release not signed: LAUNCHER_SIGN_PKCS12 is not set")
  return()
endif()
find_program(OSSLSIGNCODE osslsigncode REQUIRED)
foreach(name uninstall-launcher uninstall-launcher-plan)
  set(program "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${name}.exe")
  if(NOT EXISTS "${program}")
    message(FATAL_ERROR "No installed program to sign at ${program}")
  endif()
  set(timestamp)
  if(NOT "$ENV{LAUNCHER_SIGN_TIMESTAMP}" STREQUAL "")
    set(timestamp -ts "$ENV{LAUNCHER_SIGN_TIMESTAMP}")
  endif()
  file(REMOVE "${program}.signed")
  # The password goes through a pipe, never onto a command line others could read.
  execute_process(
    COMMAND sh -c "printf '%s' \"$LAUNCHER_SIGN_PASSWORD\" | \"$0\" \"$@\""
            ${OSSLSIGNCODE} sign -pkcs12 $ENV{LAUNCHER_SIGN_PKCS12} -readpass -
            -h sha256 -n "Uninstall launcher" ${timestamp} -in ${program} -out ${program}.signed
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    file(REMOVE "${program}.signed")
    string(REGEX REPLACE "\n+$" "" output "${output}")
    string(REPLACE "\n" "\n    " output "${output}")
    message(FATAL_ERROR
      "Signing failed, no release package was made: the certificate in LAUNCHER_SIGN_PKCS12 "
      "($ENV{LAUNCHER_SIGN_PKCS12}) could not be used (a wrong LAUNCHER_SIGN_PASSWORD, a file that "
      "cannot be read, or a time-stamp server that cannot be reached). osslsigncode said:\n"
      "    ${output}")
  endif()
  file(RENAME "${program}.signed" "${program}")
  message(NOTICE "Signed ${program}")
endforeach()
