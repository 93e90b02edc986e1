#!/bin/sh
# Win32 adapter tests: runs BUILD_DIR/<name>.exe for every tests/win32/<name>.cpp under Wine and
# Xvfb, each in a fresh prefix (one that trusts the demo store's authority, except for tests whose
# name contains "untrusted"), with the demo store on the build's ports and ORVANE_ARTIFACTS set to
# artifacts/win32/ (as a Z:\ path).
#   tests/win32/run.sh BUILD_DIR [NAME...]
# Ends with "N passed, M failed"; exits non-zero when a test failed.
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 BUILD_DIR [NAME...]" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
exec python3 "$here/../e2e/runner.py" win32 "$@"
