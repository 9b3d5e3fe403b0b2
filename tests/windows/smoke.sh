#!/usr/bin/env bash
# The Windows package under Wine, as a user starts it: it serves the page on the
# loopback address, runs its self-test, and leaves no unpacked files behind.
# Wine has no Windows OCR, so the self-test's one expected finding is "/ocr: ".
set -euo pipefail
cd "$(dirname "$0")/../.."

program=${1:-dist/windows/DrovelVerhulzen.exe}
wine_run=scripts/wine-run.sh
fail() { echo "smoke: $*" >&2; exit 1; }

# The user's local application-data folder inside the Wine prefix.
local_app_data=$("$wine_run" cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')
data=$(WINEDEBUG=-all WINEPREFIX=${WINEPREFIX:-$PWD/build/wineprefix} winepath -u "$local_app_data")/DrovelVerhulzen
rm -rf "$data"

echo "smoke: $program, $(stat -c %s "$program") bytes"

# 1. The page, served to curl while the program runs without a window.
VERHULZEN_GEEN_BROWSER=1 VERHULZEN_GEEN_UPDATE=1 VERHULZEN_LOOPTIJD=8 "$wine_run" "$program" &
program_pid=$!
trap 'kill "$program_pid" 2>/dev/null || true' EXIT
for _ in $(seq 150); do
  [[ -s $data/instance.json ]] && break
  sleep 0.2
done
[[ -s $data/instance.json ]] || fail "no instance record in $data"
port=$(sed -n 's/.*"port": \([0-9]*\).*/\1/p' "$data/instance.json")
page=$(curl -sS --max-time 10 --noproxy '*' -D "$data.head" "http://127.0.0.1:$port/")
grep -q '^HTTP/1.[01] 200' "$data.head" || fail "the page did not answer 200: $(head -1 "$data.head")"
grep -qi '<title>' <<<"$page" || fail "the page has no title"
echo "smoke: page served on 127.0.0.1:$port ($(wc -c <<<"$page") bytes): $(grep -o '<title>[^<]*' <<<"$page" | head -1 | cut -c8-)"
wait "$program_pid" || fail "the program ended with status $?"
trap - EXIT
rm -f "$data.head"
[[ ! -e $data/instance.json ]] || fail "the instance record stayed behind"

# 2. The self-test.
status=0
report=$("$wine_run" "$program" --zelftest | tr -d '\r') || status=$?
echo "$report" | sed 's/^/smoke: zelftest: /' | cut -c1-160

# 3. Every unpacked folder and its lock are gone again.
left=$(find "$data/runtime" -mindepth 1 2>/dev/null | head -5)
[[ -z $left ]] || fail "left behind: $left"
echo "smoke: the starter unpacked, ran and cleaned up"

unexpected=$(grep -v '^/ocr: ' <<<"$report" | grep -v '^zelftest ok$' || true)
[[ -z $unexpected ]] || fail "self-test findings beyond OCR"
[[ $status == 0 || $report == /ocr:* ]] || fail "self-test status $status"

# 4. A link in place of the runtime or the profiles folder (a junction on Windows; Wine
# shows a link of its host as one) leads nowhere: where it points stays as it was.
elsewhere=$data.elders
rm -rf "$elsewhere" "$data/runtime" "$data/profielen"
mkdir -p "$elsewhere/sessie-111/Default" "$elsewhere/123-456"
echo "Geachte heer De Vries," >"$elsewhere/brief.txt"
echo "{}" >"$elsewhere/sessie-111/Default/Preferences"
listing() { (cd "$elsewhere" && find . | sort); }
before=$(listing)
run_windowless() { VERHULZEN_GEEN_BROWSER=1 VERHULZEN_GEEN_UPDATE=1 VERHULZEN_LOOPTIJD=0 "$wine_run" "$program"; }

ln -s "$elsewhere" "$data/runtime"
status=0
run_windowless || status=$?
[[ $status == 2 ]] || fail "a runtime folder that is a link: status $status, not 2"
[[ $(listing) == "$before" ]] || fail "the starter changed what the runtime link points at"
rm "$data/runtime"

ln -s "$elsewhere" "$data/profielen"
run_windowless || fail "with the profiles folder a link: status $?"
[[ $(listing) == "$before" ]] || fail "the clean-up changed what the profiles link points at"
rm "$data/profielen"
rm -rf "$elsewhere"
echo "smoke: links in place of the runtime and the profiles folder were left alone"
