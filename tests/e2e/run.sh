#!/bin/sh
# End-to-end tests: the real OrvanePurchase.exe under Wine and Xvfb against the demo store.
#   tests/e2e/run.sh BUILD_DIR [PATTERN]     (PATTERN defaults to test_*.py)
# Ends with "N passed, M failed"; exits non-zero when a test failed. Screenshots and logs go to
# artifacts/e2e/.
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 BUILD_DIR [PATTERN]" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
exec python3 "$here/runner.py" e2e "$@"
