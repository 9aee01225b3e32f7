# Run by CPack on the staged files before it packs them (the entries' dates
# come from SOURCE_DATE_EPOCH, which CPack itself honours).
#
# Signing (scripts/release.sh --sign): with KESTRUM_SIGN_CERT (a PKCS#12
# file) given to cpack, KestrumHelper.exe is signed with osslsigncode,
# SHA-256; KESTRUM_SIGN_PASSWORD_FILE holds the certificate's password,
# KESTRUM_SIGN_TIMESTAMP names a timestamp server (none is contacted
# without it).
set(stage "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
if(NOT IS_DIRECTORY "${stage}")
  message(FATAL_ERROR "Package staging: no staged files in \"${stage}\"")
endif()
set(program "${stage}/KestrumHelper.exe")
if(NOT EXISTS "${program}")
  message(FATAL_ERROR "Package staging: ${program} is missing")
endif()

if(KESTRUM_SIGN_CERT)
  find_program(OSSLSIGNCODE osslsigncode)
  if(NOT OSSLSIGNCODE)
    message(FATAL_ERROR "Signing: osslsigncode is not installed")
  endif()
  if(NOT EXISTS "${KESTRUM_SIGN_CERT}")
    message(FATAL_ERROR "Signing: the certificate ${KESTRUM_SIGN_CERT} is missing")
  endif()
  set(sign_args sign -pkcs12 "${KESTRUM_SIGN_CERT}" -h sha256
      -n "Kestrum Helper")
  if(KESTRUM_SIGN_PASSWORD_FILE)
    if(NOT EXISTS "${KESTRUM_SIGN_PASSWORD_FILE}")
      message(FATAL_ERROR "Signing: the password file ${KESTRUM_SIGN_PASSWORD_FILE} is missing")
    endif()
    list(APPEND sign_args -readpass "${KESTRUM_SIGN_PASSWORD_FILE}")
  endif()
  if(KESTRUM_SIGN_TIMESTAMP)
    list(APPEND sign_args -ts "${KESTRUM_SIGN_TIMESTAMP}")
  endif()
  set(signed "${program}.signed")
  file(REMOVE "${signed}")
  execute_process(COMMAND "${OSSLSIGNCODE}" ${sign_args} -in "${program}" -out "${signed}"
                  RESULT_VARIABLE sign_result OUTPUT_VARIABLE sign_output ERROR_VARIABLE sign_output)
  if(NOT sign_result EQUAL 0 OR NOT EXISTS "${signed}")
    file(REMOVE "${signed}")
    message(FATAL_ERROR "Signing KestrumHelper.exe failed (${sign_result}):\n${sign_output}")
  endif()
  file(RENAME "${signed}" "${program}")
  message(STATUS "Signed KestrumHelper.exe with ${KESTRUM_SIGN_CERT}")
endif()

