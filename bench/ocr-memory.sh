#!/usr/bin/env bash
# Peak memory of the OCR route per image: a fresh server for each image, its peak
# resident size (VmHWM) after one POST /ocr, beside the size at start. The images
# are full pages and photos at their real sizes, and "bombs": small files whose
# header claims far more pixels than they hold. Usage: bash bench/ocr-memory.sh;
# SERVER_BUILD=<folder with verhulzen_app.so and serve_host> measures another build.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/listening-port.sh

build=${SERVER_BUILD:-}
if [[ -z $build ]]; then
  cmake -S . -B build/cpp -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/cpp -j4 --target verhulzen_app serve_host >/dev/null
  build=build/cpp/app
fi
work=$(mktemp -d)
server_pid=
cleanup() {
  [[ -n $server_pid ]] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/run/web" "$work/data" "$work/img"
cp "$build/verhulzen_app.so" "$work/run/"
echo '<!doctype html>' >"$work/run/web/index.html"

export MAGICK_THREAD_LIMIT=1
cd "$work/img"
text() { echo "-font DejaVu-Serif -pointsize $1 -fill black -annotate +200+400 'Geachte heer Jan de Vries, hierbij de aangifte'"; }
# Real pages: a 600 dpi A4 scan (4960 x 7016, 35 megapixels) in grey, colour and with alpha.
eval convert -size 4960x7016 xc:white "$(text 24)" -colorspace Gray -depth 8 a4-600dpi-grey.png
eval convert -size 4960x7016 xc:white "$(text 24)" -fill '"#204080"' -draw "'rectangle 100,100 600,300'" -type TrueColor a4-600dpi-colour.png
convert a4-600dpi-colour.png -quality 85 a4-600dpi-colour.jpg
convert a4-600dpi-colour.png -compress LZW a4-600dpi-colour.tif
convert a4-600dpi-colour.png -alpha set PNG32:a4-600dpi-alpha.png
convert a4-600dpi-grey.png -monochrome -compress Group4 a4-600dpi-g4.tif
eval convert -size 2480x3508 xc:white "$(text 12)" -colorspace Gray -depth 8 a4-300dpi-grey.png
# Bombs: 10000 x 10000 pixels claimed in a few kilobytes (ImageMagick's policy
# refuses to make images this large, so they are written by hand).
python3 - <<'PY'
import struct, zlib
def chunk(t, d): return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d))
ihdr = struct.pack(">IIBBBBB", 10000, 10000, 8, 2, 0, 0, 0)
open("bomb-rgb.png", "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(b"\0" * 30001)) + chunk(b"IEND", b""))
def tiff(samples, bits, compression, strip):
    entries = [(256, 4, 10000), (257, 4, 10000), (258, 3, bits), (259, 3, compression),
               (262, 3, 2 if samples >= 3 else 0), (273, 4, 8), (277, 3, samples), (278, 4, 10000),
               (279, 4, len(strip))] + ([(338, 3, 2)] if samples == 4 else [])
    ifd = struct.pack("<H", len(entries))
    for tag, kind, value in entries:
        ifd += struct.pack("<HHI", tag, kind, 1) + (struct.pack("<HH", value, 0) if kind == 3 else struct.pack("<I", value))
    return b"II*\0" + struct.pack("<I", 8 + len(strip)) + strip + ifd + b"\0\0\0\0"
open("bomb-rgba.tif", "wb").write(tiff(4, 8, 8, zlib.compress(b"\xff" * 400000)))
open("bomb-g4.tif", "wb").write(tiff(1, 1, 4, b"\0" * 64))
jpg = bytearray(open("a4-600dpi-colour.jpg", "rb").read()[:4096])
at = jpg.find(b"\xff\xc0")
jpg[at + 5:at + 9] = struct.pack(">HH", 10000, 10000)
open("bomb-colour.jpg", "wb").write(bytes(jpg))
bmp = b"BM" + struct.pack("<IHHI", 14 + 40 + 16, 0, 0, 54) + struct.pack("<IiiHHIIiiII", 40, 10000, 10000, 1, 24, 0, 0, 2835, 2835, 0, 0) + b"\0" * 16
open("bomb.bmp", "wb").write(bmp)
PY
cd - >/dev/null

printf '%-24s %10s %12s %12s %s\n' image "file kB" "start kB" "peak kB" answer
for image in "$work"/img/*; do
  VERHULZEN_GEEN_BROWSER=1 VERHULZEN_GEEN_UPDATE=1 VERHULZEN_DATA_DIR="$work/data" \
    VERHULZEN_LOOPTIJD=600 "$build/serve_host" "$work/run/verhulzen_app.so" 2>/dev/null &
  server_pid=$!
  port=$(listening_port "$server_pid")
  start=$(awk '/^VmHWM/ {print $2}' "/proc/$server_pid/status")
  answer=$(curl -s --data-binary "@$image" "http://127.0.0.1:$port/ocr" | head -c 90)
  peak=$(awk '/^VmHWM/ {print $2}' "/proc/$server_pid/status")
  printf '%-24s %10s %12s %12s %s\n' "$(basename "$image")" "$(( $(stat -c %s "$image") / 1024 ))" "$start" "$peak" "$answer"
  kill "$server_pid"
  wait "$server_pid" 2>/dev/null || true
  server_pid=
done
