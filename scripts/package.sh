#!/usr/bin/env bash
# Builds the program the user starts, dist/DrovelVerhulzen: the starter with the
# application library, the libraries it needs beyond the C library, the
# Tesseract data and the web folder as its payload; then runs its self-test.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/cpp}
stage=build/package
rm -rf "$stage"
mkdir -p "$stage/lib" "$stage/tessdata" dist

cp "$build/app/verhulzen_app.so" "$stage/"
strip --strip-unneeded "$stage/verhulzen_app.so"
cp -rL build/web "$stage/web"

# Everything the library loads except the C library itself, which every system has.
ldd "$stage/verhulzen_app.so" | awk '$2 == "=>" && $3 ~ /^\// { print $3 }' | while read -r lib; do
  case "$(basename "$lib")" in
    libc.so.*|libm.so.*|libpthread.so.*|libdl.so.*|librt.so.*|libresolv.so.*|ld-linux*) ;;
    *) cp -L "$lib" "$stage/lib/" ;;
  esac
done

tessdata=$(dirname "$(find /usr/share/tesseract-ocr -name nld.traineddata -print -quit)")
cp "$tessdata/nld.traineddata" "$stage/tessdata/"

"$build/starter/verhulzen_pack" "$build/starter/drovel_verhulzen" "$stage" dist/DrovelVerhulzen

# The self-test of the package as the user would start it, in a home of its own.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
if ! HOME=$home XDG_DATA_HOME= dist/DrovelVerhulzen --zelftest; then
  echo "package: the self-test of dist/DrovelVerhulzen failed" >&2
  exit 1
fi
