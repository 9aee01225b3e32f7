# Run by CPack on the staged files before it packs them (the entries' dates
# come from SOURCE_DATE_EPOCH, which CPack itself honours).
#
# Signing (scripts/release.sh), KestrumHelper.exe with osslsigncode,
# Authenticode, SHA-256, in one of three ways given to cpack:
# - KESTRUM_SIGN_CERT, a PKCS#12 file with certificate and key;
#   KESTRUM_SIGN_PASSWORD_FILE holds its password;
# - KESTRUM_SIGN_PKCS11_KEY, the pkcs11: URI of a private key on a token,
#   reached through the token's PKCS#11 library KESTRUM_SIGN_PKCS11_MODULE
#   (and OpenSSL's pkcs11 engine), with KESTRUM_SIGN_CHAIN, the signer's
#   certificate and its chain (PEM); KESTRUM_SIGN_PASSWORD_FILE holds the
#   token's PIN, without it the token asks for it;
# - KESTRUM_SIGNED_PROGRAM, the program signed already (a signature made
#   elsewhere, attached and verified by release.sh), put in place of the
#   staged one.
# KESTRUM_SIGN_TIMESTAMP names a timestamp server (none is contacted
# without it). Passwords and PINs are read from their file by osslsigncode
# (-readpass): they stand on no command line.
set(stage "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
if(NOT IS_DIRECTORY "${stage}")
  message(FATAL_ERROR "Package staging: no staged files in \"${stage}\"")
endif()
set(program "${stage}/KestrumHelper.exe")
if(NOT EXISTS "${program}")
  message(FATAL_ERROR "Package staging: ${program} is missing")
endif()

function(kestrum_require_file path what)
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "Signing: ${what} ${path} is missing")
  endif()
endfunction()

if(KESTRUM_SIGNED_PROGRAM)
  kestrum_require_file("${KESTRUM_SIGNED_PROGRAM}" "the signed program")
  file(COPY_FILE "${KESTRUM_SIGNED_PROGRAM}" "${program}")
  message(STATUS "Put in KestrumHelper.exe signed elsewhere: ${KESTRUM_SIGNED_PROGRAM}")
elseif(KESTRUM_SIGN_CERT OR KESTRUM_SIGN_PKCS11_KEY)
  find_program(OSSLSIGNCODE osslsigncode)
  if(NOT OSSLSIGNCODE)
    message(FATAL_ERROR "Signing: osslsigncode is not installed")
  endif()
  if(KESTRUM_SIGN_CERT)
    kestrum_require_file("${KESTRUM_SIGN_CERT}" "the certificate")
    set(sign_args sign -pkcs12 "${KESTRUM_SIGN_CERT}")
    set(signer "${KESTRUM_SIGN_CERT}")
  else()
    kestrum_require_file("${KESTRUM_SIGN_PKCS11_MODULE}" "the PKCS#11 library")
    kestrum_require_file("${KESTRUM_SIGN_CHAIN}" "the certificate chain")
    # The URI's attributes are separated by ";", which would split the list.
    string(REPLACE ";" "\\;" key "${KESTRUM_SIGN_PKCS11_KEY}")
    set(sign_args sign -pkcs11module "${KESTRUM_SIGN_PKCS11_MODULE}" -key "${key}"
        -certs "${KESTRUM_SIGN_CHAIN}")
    set(signer "${KESTRUM_SIGN_PKCS11_KEY}")
  endif()
  list(APPEND sign_args -h sha256 -n "Kestrum Helper")
  if(KESTRUM_SIGN_PASSWORD_FILE)
    kestrum_require_file("${KESTRUM_SIGN_PASSWORD_FILE}" "the password file")
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
  message(STATUS "Signed KestrumHelper.exe with ${signer}")
endif()
