#!/usr/bin/env bash
# Prepares a fresh Debian machine for building and testing KestrumHelper:
# Debian packages, the deb-src entry, and the statically cross-built libjpeg-turbo
# for the Windows target (cached under build/deps). Safe to run again.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DEPS="$ROOT/build/deps"
export DEBIAN_FRONTEND=noninteractive

# osslsigncode signs the release, with a key on a token through OpenSSL's
# pkcs11 engine (libengine-pkcs11-openssl); softhsm2 is the tests' token.
PACKAGES=(
  cmake make g++ clang python3 time
  g++-mingw-w64-x86-64-posix
  wine64 fonts-wine fonts-dejavu-extra xvfb xauth x11-apps netpbm
  nasm libjpeg62-turbo-dev libjpeg-turbo-progs
  libgtest-dev googletest
  dpkg-dev strace git unzip openssl osslsigncode
  libengine-pkcs11-openssl ca-certificates softhsm2
)

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# deb-src entry for the suites the machine already uses, so that the
# libjpeg-turbo source package matches the native one.
SRC_LIST=/etc/apt/sources.list.d/kestrum-deb-src.sources
need_update=0
if [ ! -f "$SRC_LIST" ]; then
  $SUDO tee "$SRC_LIST" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

if [ "${#missing[@]}" -gt 0 ] || [ "$need_update" = 1 ]; then
  $SUDO apt-get update -q
fi
if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# libjpeg-turbo 2.1.5, static, for x86_64-w64-mingw32.
# Its build string (in its version message, inside the program) is the date
# of the source package, not the day of the build: every build of one commit
# gives the same program. The marker tells a library built that way.
JPEG_PREFIX="$DEPS/libjpeg-turbo-win64"
JPEG_MARKER="$JPEG_PREFIX/build-dated-from-source-package"
if [ ! -f "$JPEG_PREFIX/lib/libjpeg.a" ] || [ ! -f "$JPEG_MARKER" ]; then
  echo "setup: cross-building libjpeg-turbo"
  mkdir -p "$DEPS/src"
  if ! ls -d "$DEPS"/src/libjpeg-turbo-2.1.5 >/dev/null 2>&1; then
    (cd "$DEPS/src" && apt-get source -q libjpeg-turbo >/dev/null)
  fi
  SRC_DIR="$DEPS/src/libjpeg-turbo-2.1.5"
  [ -f "$SRC_DIR/CMakeLists.txt" ] || { echo "setup: libjpeg-turbo 2.1.5 source not found"; exit 1; }
  rm -rf "$DEPS/build-libjpeg-turbo"
  SOURCE_DATE_EPOCH="$(dpkg-parsechangelog -l "$SRC_DIR/debian/changelog" -S Timestamp)" \
  cmake -S "$SRC_DIR" -B "$DEPS/build-libjpeg-turbo" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$JPEG_PREFIX" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -DWITH_SIMD=ON \
    -DCMAKE_ASM_NASM_COMPILER=nasm >/dev/null
  cmake --build "$DEPS/build-libjpeg-turbo" --target jpeg-static -j"$(nproc)" >/dev/null
  mkdir -p "$JPEG_PREFIX/lib" "$JPEG_PREFIX/include"
  cp "$DEPS/build-libjpeg-turbo/libjpeg.a" "$JPEG_PREFIX/lib/libjpeg.a"
  cp "$SRC_DIR/jpeglib.h" "$SRC_DIR/jmorecfg.h" "$SRC_DIR/jerror.h" "$JPEG_PREFIX/include/"
  cp "$DEPS/build-libjpeg-turbo/jconfig.h" "$JPEG_PREFIX/include/"
  touch "$JPEG_MARKER"
fi
echo "setup: ready"
