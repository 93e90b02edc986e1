#!/usr/bin/env bash
# Download throughput: the download engine (WinINet range source, run under
# Wine by the bench mode of download_engine_test.exe) against curl, on the
# same large file of the demo store's mirror, several times in one run.
# Prints both throughputs and their ratio; the goal is engine/curl >= 0.8.
#
#   tools/bench/download_bench.sh [--runs N] [--file-id ID] [--exe PATH] [--check]
#
#   --runs N      measured rounds (default 5), after one warm-up round; each
#                 round runs the engine, then curl
#   --file-id ID  the demo store's file (default big300, 300 MB)
#   --exe PATH    download_engine_test.exe (default: build it in build/bench-win)
#   --check       exit 1 when the median ratio is below the goal
#
# The demo store runs on ports the system chooses, with its state (and the
# generated 300 MB file) kept in build/bench-store for the next run. Wine runs
# in $WINEPREFIX, or in build/bench-wineprefix (made on the first run).
#
# Engine time: measured inside the program around the engine run (request,
# headers, transfer and file writes; Wine's start-up excluded). curl time: its
# time_total (connection, transfer and file writes). Both write their file
# into the same folder.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUNS=5
FILE_ID=big300
EXE=""
CHECK=0
GOAL=0.8
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) RUNS=$2; shift 2 ;;
    --file-id) FILE_ID=$2; shift 2 ;;
    --exe) EXE=$2; shift 2 ;;
    --check) CHECK=1; shift ;;
    -h|--help) sed -n '2,22p' "$0"; exit 0 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done

for tool in wine curl python3; do
  command -v "$tool" >/dev/null || { echo "download_bench: $tool is missing" >&2; exit 2; }
done

if [ -z "$EXE" ]; then
  BUILD="$ROOT/build/bench-win"
  mkdir -p "$BUILD"
  if ! { cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
           -DCMAKE_BUILD_TYPE=Release && cmake --build "$BUILD" -j2 --target download_engine_test; } \
       >"$BUILD/bench-build.log" 2>&1; then
    cat "$BUILD/bench-build.log" >&2
    echo "download_bench: the build failed" >&2
    exit 2
  fi
  EXE="$BUILD/download_engine_test.exe"
fi
[ -f "$EXE" ] || { echo "download_bench: no $EXE" >&2; exit 2; }

export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$ROOT/build/bench-wineprefix}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "making the Wine prefix $WINEPREFIX ..."
  wineboot -i >/dev/null 2>&1
fi

STATE="$ROOT/build/bench-store"
WORK=$(mktemp -d /tmp/orvane-bench.XXXXXX)
STORE_PID=""
cleanup() {
  if [ -n "$STORE_PID" ]; then kill "$STORE_PID" 2>/dev/null || true; wait "$STORE_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

mkdir -p "$STATE"
rm -f "$STATE/ports.json"
python3 "$ROOT/tools/demo-store/demo_store.py" --state-dir "$STATE" --https-port 0 --http-port 0 \
  --mirror1-port 0 --mirror2-port 0 >"$WORK/store.log" 2>&1 &
STORE_PID=$!
for _ in $(seq 1 100); do
  grep -q "demo-store ready" "$WORK/store.log" 2>/dev/null && break
  kill -0 "$STORE_PID" 2>/dev/null || { cat "$WORK/store.log" >&2; exit 2; }
  sleep 0.2
done
grep -q "demo-store ready" "$WORK/store.log" || { echo "download_bench: the demo store did not start" >&2; exit 2; }
MIRROR_PORT=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["mirror1"])' "$STATE/ports.json")
URL="http://localhost:$MIRROR_PORT/sendfile.php?id=$FILE_ID"

# The first request makes the store write the file (once per state folder).
SIZE=$(curl -sf -o /dev/null -w '%{size_download}' "$URL")
echo "file $FILE_ID: $SIZE bytes from $URL"
echo "engine: $EXE"

ENGINE_FILE="$WORK/engine.bin"
CURL_FILE="$WORK/curl.bin"
WIN_ENGINE_FILE="Z:$(echo "$ENGINE_FILE" | tr / '\\')"
# One unmeasured round first: the first Wine start in a session also starts
# wineserver and its services, which compete for the processors meanwhile.
wine "$EXE" bench "$URL" "$WIN_ENGINE_FILE" >/dev/null
curl -sf -o "$CURL_FILE" "$URL"
engine_rates=()
curl_rates=()
for run in $(seq 1 "$RUNS"); do
  rm -f "$ENGINE_FILE" "$CURL_FILE"
  out=$(wine "$EXE" bench "$URL" "$WIN_ENGINE_FILE" | tr -d '\r')
  bytes=$(echo "$out" | sed -n 's/^bytes=\([0-9]*\) seconds=.*/\1/p')
  seconds=$(echo "$out" | sed -n 's/^bytes=[0-9]* seconds=\([0-9.]*\)$/\1/p')
  if [ "$bytes" != "$SIZE" ]; then echo "engine run $run failed: $out" >&2; exit 1; fi
  e=$(python3 -c "print(f'{$bytes / $seconds / 1048576:.1f}')")

  read -r cbytes cseconds < <(curl -sf -o "$CURL_FILE" -w '%{size_download} %{time_total}\n' "$URL")
  if [ "$cbytes" != "$SIZE" ]; then echo "curl run $run failed" >&2; exit 1; fi
  c=$(python3 -c "print(f'{$cbytes / $cseconds / 1048576:.1f}')")

  if [ "$run" = 1 ] && ! cmp -s "$ENGINE_FILE" "$CURL_FILE"; then
    echo "the engine's file differs from curl's" >&2; exit 1
  fi
  engine_rates+=("$e"); curl_rates+=("$c")
  printf 'run %d: engine %8s MB/s   curl %8s MB/s   ratio %s\n' "$run" "$e" "$c" \
    "$(python3 -c "print(f'{$e / $c:.2f}')")"
done

python3 - "$GOAL" "$CHECK" "${engine_rates[*]}" "${curl_rates[*]}" <<'PY'
import statistics, sys
goal, check = float(sys.argv[1]), sys.argv[2] == "1"
engine = [float(x) for x in sys.argv[3].split()]
curl = [float(x) for x in sys.argv[4].split()]
e, c = statistics.median(engine), statistics.median(curl)
ratio = e / c
print(f"median: engine {e:.1f} MB/s, curl {c:.1f} MB/s, ratio {ratio:.2f} "
      f"({'meets' if ratio >= goal else 'below'} the goal of {goal})")
sys.exit(1 if check and ratio < goal else 0)
PY
