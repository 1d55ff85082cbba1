#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine lacks to build and test both
# builds, and cross-builds the Windows copies of libbz2, Boost.Iostreams'
# bzip2 filter, Boost.Filesystem and GoogleTest from Debian's source packages.
#
# Idempotent: every step checks first and is skipped when already done, so a
# second run costs a few seconds. The cross-built libraries go to a cache
# outside the source tree, keyed by the source versions, so that every clone
# on the same machine reuses them.
#
# Prints the prefix of the cross-built libraries on its last line.
set -euo pipefail

log() { printf 'bootstrap: %s\n' "$*" >&2; }

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

CACHE_ROOT="${AV_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/korvane-installer}"
JOBS="$(nproc)"

# --- 1. Debian packages -------------------------------------------------------
NATIVE_PACKAGES=(g++ clang libclang-rt-14-dev cmake ninja-build pkg-config bzip2 dpkg-dev
  libboost-dev libboost-iostreams-dev libboost-filesystem-dev libbz2-dev
  googletest libgtest-dev libgmock-dev)
# wine32 runs the 32-bit programs; wine64 makes 64-bit prefixes (a 64-bit
# Windows, where the installer meets "Program Files (x86)" and Wow6432Node).
WINDOWS_PACKAGES=(g++-mingw-w64-i686 mingw-w64-tools wine wine32:i386 wine64 xvfb xauth)
SCREEN_PACKAGES=(openbox xdotool x11-apps imagemagick)

missing=()
for p in "${NATIVE_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${SCREEN_PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  log "adding the i386 architecture (wine32)"
  $SUDO dpkg --add-architecture i386
  need_update=1
fi

SRC_LIST=/etc/apt/sources.list.d/korvane-deb-src.sources
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  log "adding a deb-src entry"
  $SUDO tee "$SRC_LIST" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  log "apt-get update"
  # A stale third-party list must not stop the bootstrap; Debian's own lists are what matter.
  $SUDO apt-get update -q >/dev/null || log "apt-get update reported problems; going on"
fi
if [ ${#missing[@]} -gt 0 ]; then
  log "installing: ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
fi

# --- 2. Source packages -------------------------------------------------------
src_version() { apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/{print $2; exit}'; }
BZIP2_VER="$(dpkg-query -W -f='${Version}' libbz2-dev)"
BOOST_VER="$(dpkg-query -W -f='${Version}' libboost1.74-dev)"
GTEST_VER="$(dpkg-query -W -f='${Version}' googletest)"
MINGW_VER="$(dpkg-query -W -f='${Version}' g++-mingw-w64-i686)"
KEY="bz2-${BZIP2_VER}_boost-${BOOST_VER}_gtest-${GTEST_VER}_mingw-${MINGW_VER}"
KEY="${KEY//[^A-Za-z0-9._-]/_}"
PREFIX="$CACHE_ROOT/mingw-i686/$KEY"
SRC="$CACHE_ROOT/src"

publish() {  # the stable name the toolchain file looks for
  ln -sfn "$KEY" "$CACHE_ROOT/mingw-i686/current"
  echo "$PREFIX"
}
if [ -f "$PREFIX/.complete" ]; then
  log "cross-built libraries present: $PREFIX"
  publish
  exit 0
fi

mkdir -p "$SRC" "$PREFIX/lib" "$PREFIX/include"
CXX=i686-w64-mingw32-g++-posix
CC=i686-w64-mingw32-gcc-posix
AR=i686-w64-mingw32-ar
FLAGS=(-O2 -DNDEBUG)

fetch() {  # fetch PACKAGE -> prints the unpacked source folder
  local pkg=$1 ver dir
  ver="$(src_version "$pkg")"
  [ -n "$ver" ] || { log "no source package $pkg (is the deb-src entry active?)"; exit 1; }
  dir="$SRC/$pkg-$ver"
  if [ ! -f "$dir/.unpacked" ]; then
    log "fetching source package $pkg $ver"
    rm -rf "$dir"; mkdir -p "$dir"
    (cd "$dir" && apt-get source -q --download-only "$pkg=$ver" >/dev/null 2>&1)
    local dsc
    dsc="$(ls "$dir"/*.dsc | head -n1)"
    (cd "$dir" && dpkg-source -q --no-check -x "$dsc" tree >/dev/null 2>&1)
    rm -f "$dir"/*.tar.* 
    touch "$dir/.unpacked"
  fi
  echo "$dir/tree"
}

# libbz2: the seven C files of the library.
BZ="$(fetch bzip2)"
log "cross-building libbz2"
OBJ="$(mktemp -d)"; trap 'rm -rf "$OBJ"' EXIT
for f in blocksort huffman crctable randtable compress decompress bzlib; do
  $CC "${FLAGS[@]}" -D_FILE_OFFSET_BITS=64 -c "$BZ/$f.c" -o "$OBJ/bz_$f.o"
done
$AR rcs "$PREFIX/lib/libbz2.a" "$OBJ"/bz_*.o
cp "$BZ/bzlib.h" "$PREFIX/include/"

# Boost: Debian's headers, reached through a folder that holds only a link to
# them, so that no other Linux system header can leak into the Windows build.
BOOST="$(fetch boost1.74)"
mkdir -p "$PREFIX/boost-include"
ln -sfn /usr/include/boost "$PREFIX/boost-include/boost"
BFLAGS=("${FLAGS[@]}" -std=c++20 -isystem "$PREFIX/boost-include" -I"$PREFIX/include"
  -DBOOST_ALL_NO_LIB -DBOOST_FILESYSTEM_STATIC_LINK=1 -DBOOST_IOSTREAMS_STATIC_LINK=1
  -DBOOST_USE_WINDOWS_H -DWIN32_LEAN_AND_MEAN -D_WIN32_WINNT=0x0601 -w)
log "cross-building Boost.Iostreams (bzip2 filter)"
$CXX "${BFLAGS[@]}" -DBOOST_IOSTREAMS_SOURCE -c "$BOOST/libs/iostreams/src/bzip2.cpp" -o "$OBJ/io_bzip2.o"
$AR rcs "$PREFIX/lib/libboost_iostreams.a" "$OBJ/io_bzip2.o"
log "cross-building Boost.Filesystem"
for f in "$BOOST"/libs/filesystem/src/*.cpp; do
  $CXX "${BFLAGS[@]}" -DBOOST_FILESYSTEM_SOURCE -c "$f" -o "$OBJ/fs_$(basename "$f" .cpp).o" &
  [ "$(jobs -r | wc -l)" -lt "$JOBS" ] || wait -n
done
wait
$AR rcs "$PREFIX/lib/libboost_filesystem.a" "$OBJ"/fs_*.o

# GoogleTest and GoogleMock.
GT="$(fetch googletest)"
log "cross-building GoogleTest"
cmake -S "$GT" -B "$OBJ/gtest" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_C_COMPILER=$CC -DCMAKE_CXX_COMPILER=$CXX \
  -DCMAKE_RC_COMPILER=i686-w64-mingw32-windres \
  -DCMAKE_INSTALL_PREFIX="$PREFIX" -Dgtest_disable_pthreads=OFF -DBUILD_GMOCK=ON >/dev/null
cmake --build "$OBJ/gtest" -j "$JOBS" >/dev/null
cmake --install "$OBJ/gtest" >/dev/null

touch "$PREFIX/.complete"
log "cross-built libraries ready: $PREFIX"
publish
