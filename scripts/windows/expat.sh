#!/usr/bin/env bash
# Cross-builds expat, the XML stream parser that reads GPX, TCX and KML files, for the Windows
# program: from Debian's own source package of it (with Debian's patches), fetched with apt-get
# from the same archives as this machine's packages, built as a static library with mingw-w64
# and installed into PREFIX. Does nothing when PREFIX already holds it.
# Usage: expat.sh PREFIX   (scripts/windows/build.sh gives BUILD-FOLDER/expat)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
prefix=$(realpath -m "$1")
compgen -G "$prefix/lib/cmake/expat-*/expat-config.cmake" >/dev/null && exit 0

work=$prefix-source
rm -rf "$work"
mkdir -p "$work/apt/lists/partial" "$work/apt/cache" "$work/apt/sources" "$work/src"
# The source entries of this machine's archives, in apt's state of its own: the machine's apt
# configuration and lists stay as they are.
for list in /etc/apt/sources.list.d/*.sources; do
  [[ -e "$list" ]] && sed 's/^Types:.*/Types: deb-src/' "$list" >"$work/apt/sources/$(basename "$list")"
done
{ grep -hs '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list || true; } |
  sed 's/^deb /deb-src /' >"$work/apt/sources/machine.list"
apt_options=(-q -o Dir::Etc::SourceList="$work/apt/sources/machine.list"
  -o Dir::Etc::SourceParts="$work/apt/sources" -o Dir::State::Lists="$work/apt/lists"
  -o Dir::Cache="$work/apt/cache" -o APT::Sandbox::User=root)
apt-get "${apt_options[@]}" update >/dev/null
# The newest version that the archives still hold (an archive's index may name a version ahead
# of its pool).
fetched=
for version in $(apt-cache "${apt_options[@]}" showsrc expat | sed -n 's/^Version: //p' | sort -Vru); do
  if (cd "$work/src" && apt-get "${apt_options[@]}" source "expat=$version" >"$work/source.log" 2>&1); then
    fetched=$version
    break
  fi
done
[[ -n "$fetched" ]] || { cat "$work/source.log" >&2; echo "expat.sh: no source of expat could be fetched" >&2; exit 1; }
echo "expat $fetched from Debian's source package, cross-built into $prefix" >&2

source_dir=$(dirname "$(compgen -G "$work/src/expat-*/expat/CMakeLists.txt" | head -n1)")
cmake -S "$source_dir" -B "$work/build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF \
  -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF >/dev/null
# Debian's patches test "XML_DTD == 1", as its own build (autotools) defines it; CMake's
# configuration defines it empty.
sed -i 's/^#define \(XML_DTD\|XML_NS\)$/#define \1 1/' "$work/build/expat_config.h"
cmake --build "$work/build" -j"$(nproc)" >/dev/null
cmake --install "$work/build" >/dev/null
rm -rf "$work"
