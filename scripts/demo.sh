#!/usr/bin/env bash
# The demo: the demo store and OrvanePurchase.exe under Wine. On a display the program opens there
# (log in as demo@orvane.test / demopass1) and the store stops when the program ends. Without a
# display a scripted tour runs under Xvfb and saves its screenshots in artifacts/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target OrvanePurchase orvane_driver trust_ca open_recorder

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    echo "No display: running the scripted tour under Xvfb (screenshots in artifacts/demo/)."
    ORVANE_BUILD_DIR="$PWD/build/windows" python3 tools/demo/tour.py
    exit
fi

demo="$PWD/build/demo"
mkdir -p "$demo"
python3 tools/demo-store/demo_store.py --state-dir "$demo/store" > "$demo/store.log" 2>&1 &
store=$!
trap 'kill $store 2>/dev/null || true' EXIT
for _ in $(seq 1 300); do
    grep -q "demo-store ready" "$demo/store.log" 2>/dev/null && break
    kill -0 $store 2>/dev/null || { cat "$demo/store.log"; exit 1; }
    sleep 0.1
done

export WINEPREFIX="$demo/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=d;winemenubuilder.exe=d"
if [ ! -f "$WINEPREFIX/.orvane-ready" ]; then
    echo "Preparing a Wine prefix for the demo in $WINEPREFIX ..."
    wineboot -i >/dev/null 2>&1
    wine build/windows/trust_ca.exe "Z:$(echo "$demo/store/ca.der" | tr / '\\')"
    wineserver -w
    touch "$WINEPREFIX/.orvane-ready"
fi
echo "Log in as demo@orvane.test with the password demopass1."
wine build/windows/OrvanePurchase.exe
wineserver -w
