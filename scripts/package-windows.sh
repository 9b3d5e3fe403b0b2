#!/usr/bin/env bash
# Builds the Windows program, dist/windows/DrovelVerhulzen.exe: the Windows
# starter with verhulzen_app.dll, the runtime DLLs of the compiler it needs
# and the web folder as its payload. Packed with the build machine's own tool.
# Usage: package-windows.sh [windows build] [build machine's build]
set -euo pipefail
cd "$(dirname "$0")/.."

win=${1:-build/win}
host=${2:-build/cpp}
compiler=x86_64-w64-mingw32-g++-posix
stage=build/package-windows
rm -rf "$stage"
mkdir -p "$stage/lib" dist/windows

cp "$win/app/verhulzen_app.dll" "$stage/"
x86_64-w64-mingw32-strip --strip-unneeded "$stage/verhulzen_app.dll"
cp -rL build/web "$stage/web"

# The DLLs the library imports that Windows itself does not have, and theirs in turn.
imports() { x86_64-w64-mingw32-objdump -p "$1" | awk '/DLL Name:/ { print $3 }'; }
pending=("$stage/verhulzen_app.dll")
while ((${#pending[@]})); do
  file=${pending[0]}
  pending=("${pending[@]:1}")
  for name in $(imports "$file"); do
    [[ -e $stage/lib/$name ]] && continue
    found=$($compiler -print-file-name="$name")
    [[ $found == /* && -f $found ]] || continue  # a DLL of the system
    cp "$found" "$stage/lib/"
    x86_64-w64-mingw32-strip --strip-unneeded "$stage/lib/$name"
    pending+=("$stage/lib/$name")
  done
done

starter=build/package-windows-starter.exe
x86_64-w64-mingw32-strip --strip-all -o "$starter" "$win/starter/DrovelVerhulzen.exe"
"$host/starter/verhulzen_pack" "$starter" "$stage" dist/windows/DrovelVerhulzen.exe
