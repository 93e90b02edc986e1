#!/usr/bin/env bash
# Runs every test tier: native unit tests, the demo store's own tests, the
# Win32 adapter tests under Wine, and the end-to-end tests of the real program
# under Wine and Xvfb. Ends with one line "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || { echo "installing the dependencies failed"; exit 1; }

passed=0
failed=0
count() {  # adds the figures of a tier: count PASSED FAILED NAME
    passed=$((passed + $1))
    failed=$((failed + $2))
    echo "== $3: $1 passed, $2 failed"
}

echo "== native build and unit tests"
if cmake --preset native >/dev/null && cmake --build --preset native; then
    ctest --preset native -j2 --timeout 300 | tee build/native/ctest.log
    summary=$(grep -E '[0-9]+% tests passed' build/native/ctest.log | tail -1)
    total=$(echo "$summary" | sed -E 's/.*out of ([0-9]+).*/\1/')
    bad=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests failed.*/\1/')
    if [ -n "$summary" ]; then count $((total - bad)) "$bad" "native unit tests"; else count 0 1 "native unit tests"; fi
else
    count 0 1 "native build"
fi

echo "== demo store tests"
python3 -m unittest discover -s tools/demo-store -p 'test_*.py' 2>&1 | tee build/demo-store-tests.log
ran=$(grep -E '^Ran [0-9]+ test' build/demo-store-tests.log | sed -E 's/Ran ([0-9]+).*/\1/')
bad=$(grep -E '^FAILED' build/demo-store-tests.log | grep -oE '(failures|errors)=[0-9]+' | awk -F= '{s += $2} END {print s + 0}')
count "$(( ${ran:-0} - ${bad:-0} ))" "${bad:-0}" "demo store tests"
[ -n "$ran" ] || count 0 1 "demo store tests did not run"

echo "== windows build"
if cmake --preset windows >/dev/null && cmake --build --preset windows; then
    for tier in tests/win32/run.sh tests/e2e/run.sh; do
        echo "== $tier"
        bash "$tier" build/windows 2>&1 | tee build/tier.log
        line=$(grep -E '^[0-9]+ passed, [0-9]+ failed' build/tier.log | tail -1)
        if [ -n "$line" ]; then
            count "$(echo "$line" | cut -d' ' -f1)" "$(echo "$line" | cut -d' ' -f3)" "$tier"
        else
            count 0 1 "$tier (no result)"
        fi
    done
else
    count 0 1 "windows build"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
