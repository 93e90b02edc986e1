"""Runs one Wine tier and ends with the line "N passed, M failed".

  python3 tests/e2e/runner.py e2e BUILD_DIR [PATTERN]    every tests/e2e/test_*.py (unittest)
  python3 tests/e2e/runner.py win32 BUILD_DIR [NAME...]  every BUILD_DIR/<name>.exe of tests/win32/<name>.cpp

Exit status 0 only when nothing failed (and something ran).
"""

import os
import re
import subprocess
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
REPO = HERE.parents[1]
SUMMARY = re.compile(r"^(?P<suite>\S+): (?P<passed>\d+) passed, (?P<failed>\d+) failed\s*$")
WIN32_TIMEOUT = int(os.environ.get("ORVANE_WIN32_TIMEOUT", "600"))


def run_e2e(pattern):
    sys.path.insert(0, str(HERE))
    import harness

    suite = unittest.defaultTestLoader.discover(str(HERE), pattern=pattern, top_level_dir=str(HERE))
    started = time.monotonic()
    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    elapsed = time.monotonic() - started
    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
    skipped = len(result.skipped)
    passed = result.testsRun - failed - skipped - len(result.expectedFailures)
    timings = harness._session.timings if harness._session else {}
    harness._stop_session()
    if timings:
        print("timings: " + ", ".join(f"{k} {v:.1f}s" for k, v in timings.items()) + f", all {elapsed:.1f}s")
    if skipped:
        print(f"skipped: {skipped}")
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


def win32_tests(build, names):
    sources = sorted((REPO / "tests" / "win32").glob("*.cpp"))
    wanted = set(names)
    tests = []
    for source in sources:
        if wanted and source.stem not in wanted:
            continue
        tests.append((source.stem, build / f"{source.stem}.exe"))
    return tests


def run_win32(names):
    sys.path.insert(0, str(HERE))
    import harness

    build = harness.build_dir()
    artifacts = harness.ARTIFACTS / "win32"
    artifacts.mkdir(parents=True, exist_ok=True)
    try:
        session = harness.session()
    except Exception as e:  # no display, busy ports, Wine missing...
        print(f"win32: the test session could not start: {e}")
        print("0 passed, 1 failed")
        return 1
    total_passed = total_failed = 0
    for name, exe in win32_tests(build, names):
        print(f"=== {name}", flush=True)
        if not exe.exists():
            print(f"{name}: {exe} was not built")
            total_failed += 1
            continue
        session.store.reset()
        # A test about the missing trust runs in a prefix that does not trust the demo store.
        prefix = session.new_prefix(name, trusted="untrusted" not in name)
        prefix.env["ORVANE_ARTIFACTS"] = harness.windows_path(artifacts)
        prefix.env["ORVANE_DEMO_CA"] = harness.windows_path(session.store.ca_der)
        started = time.monotonic()
        output, code = "", None
        try:
            done = subprocess.run(["wine", str(exe)], env=prefix.env, cwd=str(artifacts), timeout=WIN32_TIMEOUT,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            output, code = done.stdout.decode("utf-8", errors="replace"), done.returncode
        except subprocess.TimeoutExpired as e:
            output = (e.stdout or b"").decode("utf-8", errors="replace") + f"\n{name}: timed out after {WIN32_TIMEOUT}s\n"
        finally:
            session.release(prefix)
        output = output.replace("\r\n", "\n")
        (artifacts / f"{name}.log").write_text(output, encoding="utf-8")
        sys.stdout.write(output if output.endswith("\n") or not output else output + "\n")
        counts = [SUMMARY.match(line) for line in output.splitlines()]
        counts = [m for m in counts if m]
        if counts:
            passed, failed = int(counts[-1]["passed"]), int(counts[-1]["failed"])
        else:
            passed, failed = 0, 0
        if code != 0 and failed == 0:
            print(f"{name}: exited with {code} without reporting a failure; counted as one failed")
            failed = 1
        if not counts and code == 0:
            print(f"{name}: printed no summary line; counted as one failed")
            failed = 1
        print(f"--- {name}: exit {code}, {time.monotonic() - started:.1f}s", flush=True)
        total_passed += passed
        total_failed += failed
    timings = dict(session.timings)
    harness._stop_session()
    print("timings: " + ", ".join(f"{k} {v:.1f}s" for k, v in timings.items()))
    print(f"{total_passed} passed, {total_failed} failed")
    return 0 if total_failed == 0 and total_passed > 0 else 1


def main(argv):
    if len(argv) < 3 or argv[1] not in ("e2e", "win32"):
        print(__doc__, file=sys.stderr)
        return 2
    os.environ["ORVANE_BUILD_DIR"] = str(Path(argv[2]).resolve())
    if argv[1] == "e2e":
        return run_e2e(argv[3] if len(argv) > 3 else "test_*.py")
    return run_win32(argv[3:])


if __name__ == "__main__":
    sys.exit(main(sys.argv))
