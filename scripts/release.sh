#!/usr/bin/env bash
# Builds the release package of the Windows program:
#   build/release/KestrumHelper-<version>-win64.zip  (KestrumHelper.exe,
#   THIRD_PARTY_NOTICES.txt, DEPLOY.txt) and build/release/SHA256SUMS.
#
#   bash scripts/release.sh (--license-file FILE | --test-package)
#       [ --sign CERT.pfx [--password-file FILE] (--timestamp URL | --no-timestamp)
#       | --pkcs11-module MODULE.so --pkcs11-key URI --cert CHAIN.pem [--pin-file FILE]
#           (--timestamp URL | --no-timestamp)
#       | --attach-signature SIGNED.exe [--ca-file CA.pem] ]
#
# The Document Manager licence string comes from FILE (UTF-8, one line; a
# final line break is ignored; a byte-order mark and blanks around the
# string are refused). It is built into the program, and shown,
# passed on a command line or written nowhere else: the release builds in a
# folder of its own, build/release-win64 (readable by its owner only), and
# the string reaches CMake through an initial-cache file in a private
# temporary folder that is removed again. --test-package builds without a
# string, for tests only (/T and /P fail on every machine); its package is
# named KestrumHelper-<version>-win64-unlicensed.zip.
#
# The program is signed (Authenticode, SHA-256, osslsigncode) before it is
# packed in one of three ways:
# - --sign: with the certificate and key of a PKCS#12 file, whose password
#   the password file holds;
# - --pkcs11-key: with the private key on a token or HSM, the RFC 7512
#   pkcs11: URI of the key, through the token's PKCS#11 library (MODULE.so)
#   and the OpenSSL pkcs11 engine; CHAIN.pem holds the signer's certificate
#   and its chain. The PIN is read from the PIN file, or the token asks for
#   it; it stands on no command line;
# - --attach-signature: the signature of SIGNED.exe, signed elsewhere from
#   the exe of an earlier build of the same source and licence string, is
#   taken out, attached to the exe just built and verified (against the
#   certificate authorities of CA.pem, or the system's); when it does not
#   verify, nothing is packed.
# The signer's key must be RSA, which Smart App Control requires: the key of
# the PKCS#12 file's certificate, of the signer's certificate in CHAIN.pem,
# or of the signature of SIGNED.exe is checked before the build, and any
# other key is refused. A PIN or password file open to its group or others
# (mode 600 is right) is refused.
# Signing here contacts the timestamp server --timestamp names; signing
# without a timestamp takes --no-timestamp.
# The entries of the package are dated from the commit (SOURCE_DATE_EPOCH,
# taken from git unless it is set), so that two builds of one commit give the
# same bytes.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
OUT="$ROOT/build/release"
BUILD="$ROOT/build/release-win64"

usage() {
  echo "usage: bash scripts/release.sh (--license-file FILE | --test-package)" \
       "[--sign CERT.pfx [--password-file FILE] (--timestamp URL | --no-timestamp)" \
       "| --pkcs11-module MODULE.so --pkcs11-key URI --cert CHAIN.pem [--pin-file FILE] (--timestamp URL | --no-timestamp)" \
       "| --attach-signature SIGNED.exe [--ca-file CA.pem]]" >&2
  exit 2
}
refuse() {  # refuse MESSAGE: one line on standard error, and the end
  echo "release: $1" >&2
  exit 2
}
absolute() {  # absolute FILE: the path of an existing file, made absolute
  [ -f "$1" ] || refuse "$1 does not exist"
  echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
}

license_file="" test_package=0 cert="" password_file="" timestamp="" no_timestamp=0
pkcs11_module="" pkcs11_key="" chain="" pin_file="" signed_elsewhere="" ca_file=""
while [ $# -gt 0 ]; do
  case "$1" in
    --license-file) [ $# -ge 2 ] || usage; license_file="$(absolute "$2")"; shift 2 ;;
    --test-package) test_package=1; shift ;;
    --sign) [ $# -ge 2 ] || usage; cert="$(absolute "$2")"; shift 2 ;;
    --password-file) [ $# -ge 2 ] || usage; password_file="$(absolute "$2")"; shift 2 ;;
    --pkcs11-module) [ $# -ge 2 ] || usage; pkcs11_module="$(absolute "$2")"; shift 2 ;;
    --pkcs11-key) [ $# -ge 2 ] || usage; pkcs11_key="$2"; shift 2 ;;
    --cert) [ $# -ge 2 ] || usage; chain="$(absolute "$2")"; shift 2 ;;
    --pin-file) [ $# -ge 2 ] || usage; pin_file="$(absolute "$2")"; shift 2 ;;
    --attach-signature) [ $# -ge 2 ] || usage; signed_elsewhere="$(absolute "$2")"; shift 2 ;;
    --ca-file) [ $# -ge 2 ] || usage; ca_file="$(absolute "$2")"; shift 2 ;;
    --timestamp) [ $# -ge 2 ] || usage; timestamp="$2"; shift 2 ;;
    --no-timestamp) no_timestamp=1; shift ;;
    *) usage ;;
  esac
done
if [ -z "$license_file" ] && [ "$test_package" = 0 ]; then
  refuse "no licence string: the Document Manager would refuse the program, and /T and /P would fail on every machine; give --license-file FILE, or --test-package for a package meant only for tests"
fi
if [ -n "$license_file" ] && [ "$test_package" = 1 ]; then
  refuse "--license-file and --test-package exclude each other"
fi
# One way of signing at most.
ways=()
[ -z "$cert" ] || ways+=(--sign)
[ -z "$pkcs11_key" ] || ways+=(--pkcs11-key)
[ -z "$signed_elsewhere" ] || ways+=(--attach-signature)
if [ "${#ways[@]}" -gt 1 ]; then
  refuse "${ways[0]} and ${ways[1]} exclude each other: the program is signed one way"
fi
if [ -z "$cert" ] && [ -n "$password_file" ]; then
  refuse "--password-file goes with --sign"
fi
if [ -z "$pkcs11_key" ] && { [ -n "$pkcs11_module" ] || [ -n "$chain" ] || [ -n "$pin_file" ]; }; then
  refuse "--pkcs11-module, --cert and --pin-file go with --pkcs11-key"
fi
if [ -z "$signed_elsewhere" ] && [ -n "$ca_file" ]; then
  refuse "--ca-file goes with --attach-signature"
fi
if [ -n "$pkcs11_key" ]; then
  [ -n "$pkcs11_module" ] || refuse "--pkcs11-key needs --pkcs11-module MODULE.so, the token's PKCS#11 library"
  [ -n "$chain" ] || refuse "--pkcs11-key needs --cert CHAIN.pem, the signer's certificate and its chain"
  # A PIN in the URI would stand on osslsigncode's command line.
  case "$pkcs11_key" in
    *pin-value=*) refuse "the key URI holds the PIN (pin-value): it would stand on a command line; give it with --pin-file FILE, or let the token ask for it" ;;
  esac
  [[ "$pkcs11_key" == pkcs11:* ]] || refuse "--pkcs11-key takes the pkcs11: URI (RFC 7512) of the private key, not $pkcs11_key"
fi
signing=""
[ -z "$cert" ] || signing=--sign
[ -z "$pkcs11_key" ] || signing=--pkcs11-key
if [ -z "$signing" ] && { [ -n "$timestamp" ] || [ "$no_timestamp" = 1 ]; }; then
  refuse "--timestamp and --no-timestamp go with --sign or --pkcs11-key"
fi
if [ -n "$timestamp" ] && [ "$no_timestamp" = 1 ]; then
  refuse "--timestamp and --no-timestamp exclude each other"
fi
if [ -n "$signing" ] && [ -z "$timestamp" ] && [ "$no_timestamp" = 0 ]; then
  refuse "$signing needs --timestamp URL: without a timestamp, Windows stops accepting the signature when the certificate expires; give --no-timestamp to sign without one all the same"
fi
# A PIN or password file that other users may open is refused, as ssh
# refuses such a private key: by its mode bits, whoever runs the script
# (root can read it anyway).
owner_only() {  # owner_only FILE WHAT
  local mode
  mode="$(stat -L -c %a -- "$1")"
  if (( 8#$mode & 8#077 )); then
    refuse "the $2 $1 has mode $(printf '%04o' "$((8#$mode))"), open to its group or others: make it its owner's alone (chmod 600 $1)"
  fi
}
[ -z "$password_file" ] || owner_only "$password_file" "password file"
[ -z "$pin_file" ] || owner_only "$pin_file" "PIN file"

# The licence string, read into this shell only: neither echoed nor handed
# to a program as an argument.
license=""
if [ -n "$license_file" ]; then
  iconv -f UTF-8 -t UTF-8 <"$license_file" >/dev/null 2>&1 || refuse "the licence file $license_file is not UTF-8 text"
  [ "$(tr -d '\000' <"$license_file" | wc -c)" = "$(wc -c <"$license_file")" ] ||
    refuse "the licence file $license_file holds a NUL byte"
  license="$(cat -- "$license_file"; echo .)"
  license="${license%.}"
  license="${license%$'\n'}"
  license="${license%$'\r'}"
  # What an editor puts in unseen would become part of the string, and the
  # Document Manager would refuse it on every machine.
  case "$license" in
    $'\xef\xbb\xbf'*) refuse "the licence file $license_file begins with a byte-order mark, which would become part of the string: save it as UTF-8 without one" ;;
  esac
  [ -n "$license" ] || refuse "the licence file $license_file is empty"
  case "$license" in
    *$'\n'* | *$'\r'*) refuse "the licence file $license_file holds more than one line" ;;
  esac
  blank() {  # blank CHARACTER: its name
    if [ "$1" = " " ]; then echo "a space"; else echo "a tab"; fi
  }
  case "$license" in
    [$' \t']*) refuse "the licence string in $license_file begins with $(blank "${license:0:1}"), which would become part of the string" ;;
    *[$' \t']) refuse "the licence string in $license_file ends with $(blank "${license: -1}"), which would become part of the string" ;;
  esac
fi
characters() {  # characters TEXT: the number of characters (not bytes) of UTF-8 text
  local LC_ALL=C.UTF-8
  echo "${#1}"
}

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null)" || {
    echo "release: no git commit to date the package from; set SOURCE_DATE_EPOCH" >&2
    exit 1
  }
fi
export SOURCE_DATE_EPOCH

bash scripts/setup.sh

# From here on, a run that fails leaves no package, not even one of an
# earlier run.
mkdir -p "$OUT"
rm -rf "$OUT"/KestrumHelper-*-win64*.zip "$OUT/SHA256SUMS" "$OUT/_CPack_Packages"
# Removed at the end, however the script ends: the folder of the signer's
# check, the private folder, and CPack's staged files (the program among
# them) beside the package.
checks="" private=""
trap 'rm -rf "$checks" "$private" "$OUT/_CPack_Packages"' EXIT

# Smart App Control accepts RSA signatures only: a program signed with
# another key (an elliptic-curve one, which certificate authorities sell on
# tokens too) is blocked like an unsigned one, with no way around it on the
# customer's machine. The signer's key is checked before anything is built.
not_packed() {  # not_packed MESSAGE: one line on standard error, and the end
  echo "release: $1: nothing packed" >&2
  exit 1
}
signer_key_algorithms() {  # signer_key_algorithms: PEM certificates (a chain in any order) on standard input
  # Prints the public-key algorithm of the signer's certificate, the one
  # that issued none of the others (a lone self-signed one included); one
  # line each, should there be more than one such.
  local pem="" line text subjects=() issuers=() algorithms=() i j issued
  while IFS= read -r line || [ -n "$line" ]; do
    line="${line%$'\r'}"
    pem+="$line"$'\n'
    if [ "$line" = "-----END CERTIFICATE-----" ]; then
      text="$(openssl x509 -noout -text <<<"$pem" 2>/dev/null)" || return 1
      subjects+=("$(sed -n 's/^ *Subject: //p' <<<"$text" | head -n 1)")
      issuers+=("$(sed -n 's/^ *Issuer: //p' <<<"$text" | head -n 1)")
      algorithms+=("$(sed -n 's/^ *Public Key Algorithm: //p' <<<"$text" | head -n 1)")
      pem=""
    fi
  done
  for i in "${!subjects[@]}"; do
    issued=0
    for j in "${!issuers[@]}"; do
      if [ "$i" != "$j" ] && [ "${issuers[$j]}" = "${subjects[$i]}" ] && [ "${subjects[$j]}" != "${subjects[$i]}" ]; then
        issued=1
      fi
    done
    [ "$issued" = 1 ] || echo "${algorithms[$i]}"
  done
}
require_rsa() {  # require_rsa FILE WHAT: the signer's key among the PEM certificates on standard input is RSA
  local algorithms algorithm
  algorithms="$(signer_key_algorithms)" || not_packed "$1 holds a certificate that cannot be read"
  [ -n "$algorithms" ] || not_packed "$1 holds no certificate"
  shift
  while IFS= read -r algorithm; do
    case "$algorithm" in
      rsaEncryption) ;;
      id-ecPublicKey) not_packed "$1 is an elliptic-curve (EC) key, not RSA: Smart App Control accepts RSA signatures only and blocks the program like an unsigned one; sign with an RSA key" ;;
      *) not_packed "$1 is a key of type ${algorithm:-unknown}, not RSA: Smart App Control accepts RSA signatures only and blocks the program like an unsigned one; sign with an RSA key" ;;
    esac
  done <<<"$algorithms"
}
checks="$(mktemp -d "${TMPDIR:-/tmp}/kestrum-signer.XXXXXX")"
if [ -n "$cert" ]; then
  # Opened with the password as osslsigncode takes it (a line break at the
  # end, CR LF too, is not part of it), which stands on no command line;
  # an old PKCS#12 file needs OpenSSL's legacy algorithms.
  pkcs12_certificates() {  # pkcs12_certificates [-legacy]
    if [ -n "$password_file" ]; then
      openssl pkcs12 "$@" -in "$cert" -nokeys -passin file:<(sed 's/\r$//' -- "$password_file") 2>/dev/null
    else
      openssl pkcs12 "$@" -in "$cert" -nokeys -passin pass: 2>/dev/null
    fi
  }
  pkcs12_certificates >"$checks/certificates.pem" || pkcs12_certificates -legacy >"$checks/certificates.pem" || {
    if [ -n "$password_file" ]; then
      not_packed "$cert does not open with the password in $password_file"
    else
      not_packed "$cert does not open without a password: give --password-file FILE"
    fi
  }
  require_rsa "$cert" "the key of $cert" <"$checks/certificates.pem"
elif [ -n "$pkcs11_key" ]; then
  require_rsa "$chain" "the key of the signer's certificate in $chain" <"$chain"
elif [ -n "$signed_elsewhere" ]; then
  osslsigncode extract-signature -in "$signed_elsewhere" -out "$checks/signature.p7" >"$checks/extract.log" 2>&1 ||
    not_packed "$signed_elsewhere carries no signature to take out"
  # The certificate the signature names as its signer's, whatever else
  # (the chain, a timestamp authority's) it carries.
  openssl smime -verify -inform DER -in "$checks/signature.p7" -noverify -nosigs -signer "$checks/signer.pem" \
    -out /dev/null >/dev/null 2>&1 || not_packed "the signature of $signed_elsewhere carries no signer's certificate"
  require_rsa "the signature of $signed_elsewhere" "the key that made the signature of $signed_elsewhere" <"$checks/signer.pem"
fi

# The build setting KESTRUM_DOCMGR_LICENSE, set (or emptied, for a test
# package) through an initial-cache file that only this user can read. The
# value stands in a bracket argument, which CMake takes as it is; its
# brackets get as many "=" as it takes for the value not to end them.
mkdir -p "$BUILD"
chmod 700 "$BUILD"
private="$(mktemp -d "${TMPDIR:-/tmp}/kestrum-release.XXXXXX")"
equals=""
while [[ "$license" == *"]$equals]"* ]]; do equals="$equals="; done
(
  umask 077
  printf 'set(KESTRUM_DOCMGR_LICENSE [%s[%s]%s] CACHE STRING "License string handed to the Document Manager" FORCE)\n' \
    "$equals" "$license" "$equals" >"$private/license.cmake"
)
cmake --preset win64 -B "$BUILD" -C "$private/license.cmake" >/dev/null
rm -rf "$private"
if [ -n "$license" ]; then
  echo "licence string: set ($(characters "$license") characters)"
else
  echo "licence string: none (--test-package): /T and /P fail on every machine, the package is for tests only"
fi
license=""

cmake --build "$BUILD" -j"$(nproc)" --target KestrumHelper kestrum_release_texts

cpack_args=(--config "$BUILD/CPackConfig.cmake" -B "$OUT")
if [ -n "$cert" ]; then
  cpack_args+=(-D "KESTRUM_SIGN_CERT=$cert")
  [ -z "$password_file" ] || cpack_args+=(-D "KESTRUM_SIGN_PASSWORD_FILE=$password_file")
elif [ -n "$pkcs11_key" ]; then
  cpack_args+=(-D "KESTRUM_SIGN_PKCS11_MODULE=$pkcs11_module" -D "KESTRUM_SIGN_PKCS11_KEY=$pkcs11_key"
               -D "KESTRUM_SIGN_CHAIN=$chain")
  # The path of the PIN file, never the PIN.
  [ -z "$pin_file" ] || cpack_args+=(-D "KESTRUM_SIGN_PASSWORD_FILE=$pin_file")
fi
[ -z "$timestamp" ] || cpack_args+=(-D "KESTRUM_SIGN_TIMESTAMP=$timestamp")

# A signature made elsewhere: taken out of SIGNED.exe, attached to the exe
# just built and verified, in build/release-win64/attached (the program
# holds the licence string). osslsigncode's attach-signature verifies what
# it attached and fails when the signature's digest is not the program's or
# its chain leads to no certificate authority of the CA file.
attached_timestamp=0
if [ -n "$signed_elsewhere" ]; then
  attached="$BUILD/attached"
  rm -rf "$attached"
  mkdir -p "$attached"
  # Taken out before the build, for the check of its key.
  cp "$checks/signature.p7" "$attached/signature.p7"
  verify_args=()
  [ -z "$ca_file" ] || verify_args=(-CAfile "$ca_file" -TSA-CAfile "$ca_file")
  if ! osslsigncode attach-signature -sigin "$attached/signature.p7" "${verify_args[@]}" \
       -in "$BUILD/bin/KestrumHelper.exe" -out "$attached/KestrumHelper.exe" >"$attached/attach.log" 2>&1; then
    rm -f "$attached/KestrumHelper.exe"
    if grep -q "MISMATCH" "$attached/attach.log"; then
      echo "release: the signature of $signed_elsewhere is not for this build's KestrumHelper.exe (an exe of another build, licence string or source was signed): nothing packed" >&2
    else
      authorities="the system's certificate authorities"
      [ -z "$ca_file" ] || authorities="$ca_file"
      reason="$(sed -n 's/^[[:space:]]*Error: //p' "$attached/attach.log" | head -n 1)"
      echo "release: the signature of $signed_elsewhere does not verify against $authorities${reason:+ ($reason)}: nothing packed" >&2
    fi
    exit 1
  fi
  grep -q "^Timestamp is not available" "$attached/attach.log" || attached_timestamp=1
  cpack_args+=(-D "KESTRUM_SIGNED_PROGRAM=$attached/KestrumHelper.exe")
fi

cpack "${cpack_args[@]}" >/dev/null
(cd "$OUT" && sha256sum KestrumHelper-*-win64*.zip >SHA256SUMS)

package="$(cd "$OUT" && ls KestrumHelper-*-win64*.zip)"
echo "release: $OUT/$package"
echo "release: $OUT/SHA256SUMS: $(cat "$OUT/SHA256SUMS")"
if [ -n "$cert" ]; then
  signer="$cert"
elif [ -n "$pkcs11_key" ]; then
  signer="the key $pkcs11_key (certificate $chain)"
fi
if [ -n "$signed_elsewhere" ]; then
  if [ "$attached_timestamp" = 1 ]; then
    echo "release: KestrumHelper.exe carries the signature of $signed_elsewhere, verified, timestamped"
  else
    echo "release: KestrumHelper.exe carries the signature of $signed_elsewhere, verified, NOT timestamped: the signature ends with the certificate"
  fi
elif [ -z "$signing" ]; then
  echo "release: KestrumHelper.exe is NOT signed (no --sign, --pkcs11-key or --attach-signature given)"
elif [ -n "$timestamp" ]; then
  echo "release: KestrumHelper.exe is signed with $signer, timestamped by $timestamp"
else
  echo "release: KestrumHelper.exe is signed with $signer, NOT timestamped (--no-timestamp): the signature ends with the certificate"
fi
