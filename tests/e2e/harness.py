"""Wine + Xvfb harness for the Win32 tests and the end-to-end tests (Python 3 standard library).

One run shares: an Xvfb display (:95-:99, 1280x1024x24), the demo store on the ports the build was
configured with, and two template Wine prefixes: one booted once (and kept in the build folder for
later runs) that does not trust the demo store's certificate authority, and a copy of it that does.
Each test gets its own copy of a template, its own wineserver, and is cleaned up by killing that
wineserver, whatever happened.

Environment:
  ORVANE_BUILD_DIR        the CMake build folder with OrvanePurchase.exe and the tools (required)
  ORVANE_KEEP_PREFIX      1: keep each test's prefix folder (its path is printed)
  ORVANE_WINEDEBUG        WINEDEBUG for the programs (default -all)
  ORVANE_DISPLAYS         display numbers to try, e.g. "95-99" (the default)
  ORVANE_TEMPLATE_CACHE   0: boot a new template prefix instead of reusing BUILD_DIR/wine-template-*
"""

import atexit
import hashlib
import json
import os
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.request
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
ARTIFACTS = REPO / "artifacts"
RECORDER = Path(__file__).resolve().parent / "browser-recorder.sh"

PROGRAM_KEY = r"Software\Orvane Software\OrvanePurchase"
MAIN_TITLE = "Orvane Tamo-Agent for Tollan Studios (Version 2.0.2.9"
LOGIN_TITLE = "Log in to your Orvane Acount..."
# The demo account as the program remembers it ("demopass1" scrambled), for a start without the
# login dialog.
DEMO_LOGIN = {"email": "demo@orvane.test", "password": "A0EE23C26453067580"}

# Bump when the template's make-up changes in a way the cache key does not see.
TEMPLATE_FORMAT = "1"

# Extensions of the demo store's product files that ShellExecute "open" hands to open_recorder.exe.
RECORDED_EXTENSIONS = (".zip", ".pak", ".pdf")


def log(message):
    print(f"[harness] {message}", file=sys.stderr, flush=True)


def windows_path(path):
    """The Wine path (drive Z: is the Unix root) of a Unix path."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def build_dir():
    value = os.environ.get("ORVANE_BUILD_DIR")
    if not value:
        raise RuntimeError("ORVANE_BUILD_DIR is not set (run through tests/e2e/run.sh BUILD_DIR)")
    path = Path(value).resolve()
    if not path.is_dir():
        raise RuntimeError(f"build folder {path} does not exist")
    return path


def build_ports(folder):
    """The store and mirror ports the build was configured with (CMakeCache.txt), so the demo
    store listens where the program and the Win32 tests will call."""
    values = {"ORVANE_STORE_HTTPS_PORT": "47443", "ORVANE_STORE_HTTP_PORT": "47080",
              "ORVANE_MIRROR1": "localhost:47081", "ORVANE_MIRROR2": "localhost:47082"}
    cache = Path(folder) / "CMakeCache.txt"
    if cache.exists():
        for line in cache.read_text(errors="replace").splitlines():
            m = re.match(r"(ORVANE_[A-Z0-9_]+):[A-Z]+=(.*)$", line)
            if m and m.group(1) in values:
                values[m.group(1)] = m.group(2).strip()

    def port_of(host_port, default):
        return int(host_port.rsplit(":", 1)[1]) if ":" in host_port else default

    return {"https": int(values["ORVANE_STORE_HTTPS_PORT"]), "http": int(values["ORVANE_STORE_HTTP_PORT"]),
            "mirror1": port_of(values["ORVANE_MIRROR1"], 80), "mirror2": port_of(values["ORVANE_MIRROR2"], 80)}


def port_in_use(port):
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.settimeout(0.5)
        return s.connect_ex(("127.0.0.1", port)) == 0


def wait_until(predicate, timeout, what, interval=0.05):
    """Polls predicate() until it returns a true value (which is returned) or the time is up."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = predicate()
            if value:
                return value
        except DriverError as e:  # a window that is not there yet
            last_error = e
        if time.monotonic() >= deadline:
            detail = f" (last error: {last_error})" if last_error else ""
            raise AssertionError(f"timed out after {timeout}s waiting for {what}{detail}")
        time.sleep(interval)


# ------------------------------------------------------------------------------------------------
# Xvfb


class Xvfb:
    def __init__(self):
        self.display = None
        self.process = None

    def start(self):
        displays = os.environ.get("ORVANE_DISPLAYS", "95-99")
        first, _, last = displays.partition("-")
        for n in range(int(first), int(last or first) + 1):
            if Path(f"/tmp/.X{n}-lock").exists() or Path(f"/tmp/.X11-unix/X{n}").exists():
                continue
            process = subprocess.Popen(
                ["Xvfb", f":{n}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                start_new_session=True)
            deadline = time.monotonic() + 10
            while time.monotonic() < deadline and process.poll() is None:
                if Path(f"/tmp/.X11-unix/X{n}").exists():
                    self.display, self.process = f":{n}", process
                    return self
                time.sleep(0.05)
            if process.poll() is None:
                process.kill()
            process.wait()
        raise RuntimeError(f"no free X display among {displays}")

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process = None

    def screenshot(self, path, rect=None):
        """Saves the whole screen, or rect = (left, top, right, bottom) of it, as a PNG."""
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        command = ["import", "-display", self.display, "-window", "root"]
        if rect:
            left, top, right, bottom = (max(0, v) for v in rect)
            command += ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]
        subprocess.run(command + [f"png:{path}"], check=True, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        return path


# ------------------------------------------------------------------------------------------------
# Demo store


class DemoStore:
    def __init__(self, ports, state_dir):
        self.ports = ports
        self.state_dir = Path(state_dir)
        self.process = None
        self.log_file = None

    @property
    def ca_der(self):
        return self.state_dir / "ca.der"

    def start(self):
        busy = [p for p in self.ports.values() if port_in_use(p)]
        if busy:
            raise RuntimeError(
                f"port(s) {busy} already in use on 127.0.0.1 (another demo store?): stop it, or configure the "
                "build with other ports (-DORVANE_STORE_HTTPS_PORT=... -DORVANE_STORE_HTTP_PORT=... "
                "-DORVANE_MIRROR1=localhost:... -DORVANE_MIRROR2=localhost:...)")
        self.state_dir.mkdir(parents=True, exist_ok=True)
        self.log_file = open(self.state_dir / "demo-store.stderr", "wb")
        self.process = subprocess.Popen(
            [sys.executable, str(REPO / "tools/demo-store/demo_store.py"), "--state-dir", str(self.state_dir),
             "--https-port", str(self.ports["https"]), "--http-port", str(self.ports["http"]),
             "--mirror1-port", str(self.ports["mirror1"]), "--mirror2-port", str(self.ports["mirror2"])],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=self.log_file, start_new_session=True)
        deadline = time.monotonic() + 90
        seen = b""
        while time.monotonic() < deadline:
            ready, _, _ = select.select([self.process.stdout], [], [], 0.5)
            if ready:
                line = self.process.stdout.readline()
                if not line:
                    break
                seen += line
                if b"demo-store ready" in line:
                    # Keep draining its output so it never blocks on a full pipe.
                    threading.Thread(target=self._drain, daemon=True).start()
                    return self
            elif self.process.poll() is not None:
                break
        self.stop()
        raise RuntimeError(f"the demo store did not start; output: {seen.decode(errors='replace')} "
                           f"(see {self.state_dir / 'demo-store.stderr'})")

    def _drain(self):
        try:
            for _ in self.process.stdout:
                pass
        except (ValueError, OSError):
            pass

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process = None
        if self.log_file:
            self.log_file.close()
            self.log_file = None

    def url(self, path):
        return f"http://localhost:{self.ports['http']}{path}"

    def control(self, path, data=None):
        """GET (or POST with data) a /__demo/ control; returns the decoded reply."""
        request = urllib.request.Request(self.url(path), data=data)
        with urllib.request.urlopen(request, timeout=30) as reply:
            body = reply.read()
        try:
            return json.loads(body)
        except ValueError:
            return body.decode("latin-1")

    def reset(self):
        """Switches, accounts and catalogue back to the seed, and an empty log."""
        self.control("/__demo/reset")
        self.control("/__demo/reset-log", data=b"")

    def log(self):
        """Every logged request since the last reset, oldest first."""
        text = self.control("/__demo/log")
        if isinstance(text, (dict, list)):
            return text if isinstance(text, list) else [text]
        return [json.loads(line) for line in text.splitlines() if line.strip()]

    def requests(self, path=None, listener=None):
        """Logged requests, filtered by path (without query, case-insensitive) and listener."""
        out = []
        for entry in self.log():
            if path is not None and entry["path"].split("?")[0].lower() != path.lower():
                continue
            if listener is not None and entry["listener"] != listener:
                continue
            out.append(entry)
        return out


# ------------------------------------------------------------------------------------------------
# Wine prefixes

# Files that Wine never writes once a prefix is booted: a test prefix hard-links them from the
# template instead of copying 700 MB per test. Everything else (registry files, .ini files,
# user folders) is copied, so nothing a test does can reach the template.
_LINKED_SUFFIXES = {".dll", ".exe", ".drv", ".sys", ".ocx", ".cpl", ".acm", ".tlb", ".ax", ".ds", ".ttf",
                    ".ttc", ".fon", ".nls", ".msstyles", ".vxd", ".com", ".mui", ".sfd"}


def copy_prefix(src, dst):
    src, dst = Path(src), Path(dst)
    for root, dirs, files in os.walk(src):
        rel = Path(root).relative_to(src)
        target = dst / rel
        target.mkdir(parents=True, exist_ok=True)
        for name in list(dirs):
            s = Path(root) / name
            if s.is_symlink():
                os.symlink(os.readlink(s), target / name)
                dirs.remove(name)
        for name in files:
            s = Path(root) / name
            t = target / name
            if s.is_symlink():
                os.symlink(os.readlink(s), t)
            elif s.suffix.lower() in _LINKED_SUFFIXES:
                try:
                    os.link(s, t)
                except OSError:  # another file system
                    shutil.copy2(s, t)
            else:
                shutil.copy2(s, t)
        shutil.copystat(root, target)


class WinePrefix:
    def __init__(self, path, display, extra_env=None):
        self.path = Path(path)
        self.display = display
        self.browser_log = self.path / "browser.log"
        self.open_log = self.path / "drive_c" / "orvane-open.log"
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": str(self.path),
            "WINEDEBUG": os.environ.get("ORVANE_WINEDEBUG", "-all"),
            # No Mono/Gecko installer prompts, and no menu entries or file associations on the host.
            "WINEDLLOVERRIDES": "mscoree,mshtml=d;winemenubuilder.exe=d",
            "DISPLAY": display,
            "ORVANE_BROWSER_LOG": str(self.browser_log),
            "ORVANE_OPEN_LOG": r"C:\orvane-open.log",
        })
        self.env.pop("WAYLAND_DISPLAY", None)
        if extra_env:
            self.env.update(extra_env)

    def wine(self, *args, timeout=120, check=True, **kwargs):
        result = subprocess.run(["wine", *map(str, args)], env=self.env, timeout=timeout,
                                stdin=subprocess.DEVNULL, capture_output=True, **kwargs)
        if check and result.returncode != 0:
            raise RuntimeError(f"wine {' '.join(map(str, args))} exited {result.returncode}: "
                               f"{result.stdout.decode(errors='replace')}{result.stderr.decode(errors='replace')}")
        return result

    def wait_server(self, timeout=30):
        """Waits until the prefix's wineserver has exited by itself (it then has saved the registry)."""
        try:
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=timeout, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            self.kill()

    def kill(self):
        """Ends every Wine process of this prefix (and only of this prefix)."""
        try:
            subprocess.run(["wineserver", "-k"], env=self.env, timeout=15, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            subprocess.run(["wineserver", "-k9"], env=self.env, timeout=15, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)

    def browser_urls(self):
        """Addresses the prefix's browser was asked to open, in order."""
        if not self.browser_log.exists():
            return []
        return [line for line in self.browser_log.read_text(errors="replace").splitlines() if line]

    def opened_files(self):
        """Command lines that "open" of a product file started (see open_recorder.cpp)."""
        if not self.open_log.exists():
            return []
        return [line for line in self.open_log.read_text(errors="replace").splitlines() if line]

    def user_reg_values(self, key=PROGRAM_KEY):
        """Values of a HKCU key as saved in user.reg: {name: value}. Only up to date once the
        wineserver has saved the registry (wait_server); while it runs, use Driver.reg_get."""
        return read_reg_file(self.path / "user.reg", key)


def _reg_unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            if n == "x":
                m = re.match(r"[0-9a-fA-F]{1,4}", text[i + 2:])
                out.append(chr(int(m.group(0), 16)))
                i += 2 + len(m.group(0))
                continue
            out.append({"n": "\n", "r": "\r", "t": "\t", "0": "\0"}.get(n, n))
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def read_reg_file(path, key):
    """Parses the values of one key from a Wine registry file (user.reg / system.reg)."""
    wanted = "[" + key.replace("\\", "\\\\").lower() + "]"
    values, inside = {}, False
    for line in Path(path).read_text(encoding="utf-8", errors="replace").splitlines():
        if line.startswith("["):
            inside = line.split("]")[0].lower() + "]" == wanted
            continue
        if not inside or not line or line.startswith((";", "#")):
            continue
        m = re.match(r'^(@|"((?:[^"\\]|\\.)*)")=(.*)$', line)
        if not m:
            continue
        name = "" if m.group(1) == "@" else _reg_unescape(m.group(2))
        raw = m.group(3)
        if raw.startswith('"'):
            values[name] = _reg_unescape(raw[1:-1])
        elif raw.startswith("str(2):"):
            values[name] = _reg_unescape(raw[8:-1])
        elif raw.startswith("dword:"):
            values[name] = int(raw[6:], 16)
        elif raw.startswith("hex"):
            data = raw.split(":", 1)[1]
            values[name] = bytes(int(b, 16) for b in data.replace("\\", "").split(",") if b.strip())
        else:
            values[name] = raw
    return values


def _template_reg(recorder_exe_dir):
    """Settings of every test prefix, as a .reg file for `wine reg import`."""
    def q(text):
        return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'

    lines = ["Windows Registry Editor Version 5.00", "",
             r"[HKEY_CURRENT_USER\Software\Wine\WineBrowser]",
             f'"Browsers"={q(str(RECORDER))}', "",
             r"[HKEY_CURRENT_USER\Software\Wine\WineDbg]",
             '"ShowCrashDialog"=dword:00000000', "",
             r"[HKEY_CURRENT_USER\Software\Wine\X11 Driver]",
             # Wine draws the title bars itself, so screenshots under a bare Xvfb show them.
             '"Managed"="N"', '"Decorated"="Y"', ""]
    command = f'"{recorder_exe_dir}\\open_recorder.exe" "%1"'
    for ext in RECORDED_EXTENSIONS:
        lines += [f"[HKEY_CLASSES_ROOT\\{ext}]", '@="OrvaneTest.ProductFile"', ""]
    lines += [r"[HKEY_CLASSES_ROOT\OrvaneTest.ProductFile\shell\open\command]", f"@={q(command)}", ""]
    return "\r\n".join(lines) + "\r\n"


# ------------------------------------------------------------------------------------------------
# The run: display, store and template prefixes, shared by every test of one process


class Session:
    def __init__(self):
        self.build = build_dir()
        self.ports = build_ports(self.build)
        self.root = Path(tempfile.mkdtemp(prefix="orvane-wine-"))
        self.xvfb = Xvfb()
        self.store = None
        self.templates = {}
        self.counter = 0
        self.live_prefixes = set()
        self.timings = {}
        self._sums = {}

    def tool(self, name):
        path = self.build / name
        if not path.exists():
            raise RuntimeError(f"{path} is missing: build the Windows preset first")
        return path

    @property
    def program(self):
        return self.tool("OrvanePurchase.exe")

    def start(self):
        if not RECORDER.exists() or re.search(r"[\s,]", str(RECORDER)):
            raise RuntimeError(f"{RECORDER} must exist and its path must not hold spaces or commas")
        started = time.monotonic()
        self.xvfb.start()
        log(f"Xvfb on {self.xvfb.display}")
        self.store = DemoStore(self.ports, self.root / "store").start()
        log(f"demo store on {self.ports}, state {self.store.state_dir}")
        self.timings["display+store"] = time.monotonic() - started
        return self

    def _boot_template(self, path):
        bare = WinePrefix(path, self.xvfb.display)
        bare.wine("wineboot", "-i", timeout=180)
        tools = bare.path / "drive_c" / "orvane-test"
        tools.mkdir(parents=True, exist_ok=True)
        shutil.copy2(self.tool("open_recorder.exe"), tools / "open_recorder.exe")
        (tools / "settings.reg").write_text(_template_reg(r"C:\orvane-test"), encoding="utf-8")
        bare.wine("reg", "import", r"C:\orvane-test\settings.reg")
        bare.wait_server()
        return bare

    def _template_key(self):
        """Changes whenever the booted template would differ: Wine's version, the prefix settings,
        the recorder program."""
        wine = subprocess.run(["wine", "--version"], capture_output=True, timeout=30).stdout
        digest = hashlib.sha256()
        for part in (wine, TEMPLATE_FORMAT.encode(), _template_reg(r"C:\orvane-test").encode(),
                     self.tool("open_recorder.exe").read_bytes()):
            digest.update(hashlib.sha256(part).digest())
        return digest.hexdigest()[:16]

    def _untrusted_template(self):
        """The booted prefix without the demo store's authority. Kept between runs in
        BUILD_DIR/wine-template-KEY (ORVANE_TEMPLATE_CACHE=0: boot a new one each run)."""
        if os.environ.get("ORVANE_TEMPLATE_CACHE", "1") == "0":
            return self._boot_template(self.root / "template-untrusted")
        cached = self.build / f"wine-template-{self._template_key()}"
        if (cached / "system.reg").exists() and (cached / ".complete").exists():
            log(f"template prefix from {cached}")
            return WinePrefix(cached, self.xvfb.display)
        for old in self.build.glob("wine-template-*"):
            shutil.rmtree(old, ignore_errors=True)
        building = self.build / f".wine-template-{os.getpid()}"
        shutil.rmtree(building, ignore_errors=True)
        self._boot_template(building)
        (building / ".complete").write_text("booted\n")
        try:
            os.rename(building, cached)
        except OSError:  # another run got there first
            shutil.rmtree(building, ignore_errors=True)
        return WinePrefix(cached, self.xvfb.display)

    def template(self, trusted=True):
        """A booted prefix to copy: trusted=True also trusts the demo store's authority."""
        key = "trusted" if trusted else "untrusted"
        if key in self.templates:
            return self.templates[key]
        if "untrusted" not in self.templates:
            started = time.monotonic()
            self.templates["untrusted"] = self._untrusted_template()
            self.timings["template"] = time.monotonic() - started
            log(f"template prefix ready in {self.timings['template']:.1f}s")
        if trusted and "trusted" not in self.templates:
            started = time.monotonic()
            prefix = WinePrefix(self.root / "template-trusted", self.xvfb.display)
            copy_prefix(self.templates["untrusted"].path, prefix.path)
            prefix.wine(self.tool("trust_ca.exe"), windows_path(self.store.ca_der))
            prefix.wait_server()
            self.templates["trusted"] = prefix
            self.timings["trust"] = time.monotonic() - started
        return self.templates[key]

    def new_prefix(self, name, trusted=True):
        template = self.template(trusted)
        started = time.monotonic()
        self.counter += 1
        safe = re.sub(r"[^A-Za-z0-9_.-]", "_", name)[:80]
        prefix = WinePrefix(self.root / f"{self.counter:03d}-{safe}", self.xvfb.display)
        copy_prefix(template.path, prefix.path)
        self.live_prefixes.add(prefix)
        self._add_timing("prefix copy", time.monotonic() - started)
        return prefix

    def release(self, prefix):
        started = time.monotonic()
        prefix.kill()
        self.live_prefixes.discard(prefix)
        if os.environ.get("ORVANE_KEEP_PREFIX") == "1":
            log(f"kept prefix {prefix.path}")
        else:
            prefix.remove()
        self._add_timing("cleanup", time.monotonic() - started)

    def _add_timing(self, what, seconds):
        """Per-test costs are kept as averages: "what (avg of n)"."""
        total, n = self._sums.get(what, (0.0, 0))
        self._sums[what] = (total + seconds, n + 1)
        self.timings[f"{what} avg"] = (total + seconds) / (n + 1)

    def stop(self):
        for prefix in list(self.live_prefixes):
            prefix.kill()
        for template in self.templates.values():
            if template.path.is_relative_to(self.root):
                template.kill()
        if self.store:
            self.store.stop()
        self.xvfb.stop()
        if os.environ.get("ORVANE_KEEP_PREFIX") != "1":
            shutil.rmtree(self.root, ignore_errors=True)


_session = None
_session_error = None


def session():
    """The run's shared display, store and templates, started at first use, stopped at exit."""
    global _session, _session_error
    if _session_error is not None:
        raise RuntimeError(f"the test session could not start: {_session_error}")
    if _session is None:
        _session = Session()
        atexit.register(_stop_session)
        for sig in (signal.SIGTERM, signal.SIGHUP):
            signal.signal(sig, _on_signal)
        try:
            _session.start()
        except BaseException as e:
            _session_error = e
            _stop_session()
            raise
    return _session


def _stop_session():
    global _session
    if _session is not None:
        s, _session = _session, None
        s.stop()


def _on_signal(signum, frame):
    _stop_session()
    sys.exit(128 + signum)


# ------------------------------------------------------------------------------------------------
# The driver


class DriverError(Exception):
    """The driver answered "err ..." to a command."""


def _arg(value):
    if isinstance(value, bool):
        return "1" if value else "0"
    if isinstance(value, int):
        return str(value)
    text = str(value)
    if text and not re.search(r'[\s"\\]', text) and text.isascii():
        return text
    return json.dumps(text)


class Driver:
    """One orvane_driver.exe process in a prefix, spoken to one line at a time."""

    def __init__(self, prefix, program, log_path):
        self.prefix = prefix
        self.program = Path(program)
        self.log_path = Path(log_path)
        self.log_path.parent.mkdir(parents=True, exist_ok=True)
        self.log_file = open(self.log_path, "wb")
        self.process = subprocess.Popen(
            ["wine", str(session().tool("orvane_driver.exe"))], env=prefix.env, cwd=str(prefix.path / "drive_c"),
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self.log_file)
        self._buffer = b""
        self._lost = None
        self.call("help", timeout=120)  # the first Wine process of a prefix starts its wineserver

    def call(self, command, *args, timeout=None):
        """Sends one command; returns the decoded result of "ok ...", raises DriverError on "err"."""
        line = " ".join([command, *(_arg(a) for a in args)])
        if timeout is None:
            waits = [a for a in args[:1] if isinstance(a, int)] if command.startswith(("wait", "message")) else []
            timeout = 30 + (waits[0] / 1000 if waits else 0)
        if self.process.poll() is not None:
            raise DriverError(f"driver has exited ({self.process.returncode})")
        if self._lost:
            raise DriverError(f"{line}: the driver missed an earlier reply ({self._lost}); its replies are out of step")
        self.process.stdin.write(line.encode("utf-8") + b"\n")
        self.process.stdin.flush()
        try:
            reply = self._read_line(timeout, line)
        except DriverError as e:
            self._lost = str(e)
            raise
        if reply.startswith("ok "):
            return json.loads(reply[3:])
        if reply.startswith("err "):
            raise DriverError(f"{line}: {reply[4:]}")
        raise DriverError(f"{line}: unexpected reply {reply!r}")

    def _read_line(self, timeout, line):
        deadline = time.monotonic() + timeout
        fd = self.process.stdout.fileno()
        while b"\n" not in self._buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise DriverError(f"{line}: no reply within {timeout}s")
            ready, _, _ = select.select([fd], [], [], left)
            if ready:
                chunk = os.read(fd, 65536)
                if not chunk:
                    raise DriverError(f"{line}: driver closed its output")
                self._buffer += chunk
        raw, _, self._buffer = self._buffer.partition(b"\n")
        return raw.decode("utf-8", errors="replace")

    def close(self):
        try:
            if self.process.poll() is None:
                self.process.stdin.write(b"quit\n")
                self.process.stdin.flush()
                self.process.wait(5)
        except (OSError, subprocess.TimeoutExpired, ValueError):
            pass
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        for stream in (self.process.stdin, self.process.stdout):
            try:
                stream.close()
            except OSError:
                pass
        self.log_file.close()
        if self.log_path.exists() and self.log_path.stat().st_size == 0:
            self.log_path.unlink()

    # Convenience wrappers; hwnd values are the "0x..." strings the driver returns.
    def launch(self, args=""):
        command = f'"{windows_path(self.program)}"' + (f" {args}" if args else "")
        return self.call("launch", command)

    def wait_window(self, title, timeout_ms=30000):
        return self.call("wait-window", timeout_ms, title)

    def wait_gone(self, hwnd, timeout_ms=15000):
        return self.call("wait-gone", timeout_ms, hwnd)

    def wait_exit(self, timeout_ms=30000):
        return self.call("wait-exit", timeout_ms)

    def windows(self):
        return self.call("windows")

    def controls(self, hwnd):
        return self.call("controls", hwnd)

    def text(self, hwnd, control_id=0):
        return self.call("text", hwnd, control_id)

    def title(self, hwnd):
        return self.call("title", hwnd)

    def enabled(self, hwnd, control_id):
        return self.call("enabled", hwnd, control_id)

    def visible(self, hwnd, control_id):
        return self.call("visible", hwnd, control_id)

    def checked(self, hwnd, control_id):
        return self.call("checked", hwnd, control_id)

    def progress(self, hwnd, control_id):
        """A progress bar's {"pos", "low", "high"}."""
        return self.call("progress", hwnd, control_id)

    def click(self, hwnd, control_id):
        return self.call("click", hwnd, control_id)

    def set_text(self, hwnd, control_id, text):
        return self.call("set-text", hwnd, control_id, text)

    def key(self, hwnd, control_id, vk):
        return self.call("key", hwnd, control_id, vk)

    def combo_items(self, hwnd, control_id):
        return self.call("combo-items", hwnd, control_id)

    def combo_select(self, hwnd, control_id, index):
        return self.call("combo-select", hwnd, control_id, index)

    def list_rows(self, hwnd, control_id, max_rows=-1):
        return self.call("list-rows", hwnd, control_id, max_rows)

    def list_select(self, hwnd, control_id, row):
        return self.call("list-select", hwnd, control_id, row)

    def list_click(self, hwnd, control_id, row, double=False):
        return self.call("list-click", hwnd, control_id, row, *(["double"] if double else []))

    def syslink_click(self, hwnd, control_id, link=0):
        return self.call("syslink-click", hwnd, control_id, link)

    def rect(self, hwnd, control_id=None):
        return self.call("rect", hwnd, *([control_id] if control_id is not None else []))

    def close_window(self, hwnd):
        return self.call("close", hwnd)

    def message_box(self, timeout_ms=15000):
        """The program's message box: {"hwnd", "title", "text", "buttons": [{"id", "text"}]}."""
        return self.call("message-box", timeout_ms)

    def press(self, hwnd, button_id):
        return self.call("press", hwnd, button_id)

    def reg_get(self, value, key=PROGRAM_KEY):
        """{"type": "REG_SZ", "data": ..., "bytes": n, "terminated": bool} or None when missing."""
        try:
            return self.call("reg-get", key, value)
        except DriverError as e:
            if str(e).endswith(("missing value", "missing key")):
                return None
            raise

    def reg_set(self, value, data, key=PROGRAM_KEY):
        if isinstance(data, int):
            return self.call("reg-set-dword", key, value, data)
        return self.call("reg-set", key, value, data)

    def reg_delete(self, value=None, key=PROGRAM_KEY):
        return self.call("reg-delete", key, *([value] if value is not None else []))

    def reg_values(self, key=PROGRAM_KEY):
        try:
            return self.call("reg-values", key)
        except DriverError as e:
            if str(e).endswith("missing key"):
                return None
            raise


# ------------------------------------------------------------------------------------------------
# Test case base


class WineTestCase(unittest.TestCase):
    """A test with its own prefix, a driver in it, and the shared display and demo store.

    self.prefix, self.driver, self.store and self.session are ready in each test; the program is
    not started (self.start_program() does that). Whatever happens, the test's wineserver is
    killed and its prefix removed afterwards; a failing test leaves a screenshot
    artifacts/e2e/<test>-failure.png."""

    trusted = True
    artifact_dir = "e2e"
    program_name = "OrvanePurchase.exe"

    def setUp(self):
        self.session = session()
        self.store = self.session.store
        self.store.reset()
        self.name = ".".join(self.id().split(".")[-2:])
        self.artifacts = ARTIFACTS / self.artifact_dir
        self.artifacts.mkdir(parents=True, exist_ok=True)
        started = time.monotonic()
        self.prefix = self.session.new_prefix(self.name, trusted=self.trusted)
        self.addCleanup(self.session.release, self.prefix)
        driver_started = time.monotonic()
        self.driver = Driver(self.prefix, self.session.tool(self.program_name),
                             self.artifacts / f"{self.name}.wine.log")
        self.addCleanup(self.driver.close)
        self.session._add_timing("driver start", time.monotonic() - driver_started)
        self.setup_seconds = time.monotonic() - started
        self.main = None
        self.program_pid = None

    def _failed(self):
        outcome = getattr(self, "_outcome", None)
        if outcome is None:
            return False
        if hasattr(outcome, "errors"):  # Python 3.10 and older
            return any(exc is not None for _, exc in outcome.errors)
        result = outcome.result  # 3.11 and newer report a failure at once
        return any(test is self for test, _ in result.failures + result.errors)

    def tearDown(self):
        # Runs before the cleanups, so the windows are still there.
        if self._failed():
            try:
                self.screenshot("failure")
            except Exception as e:  # the display may be the trouble
                log(f"no failure screenshot: {e}")

    def screenshot(self, suffix=None, hwnd=None):
        """Saves artifacts/<dir>/<test>[-suffix].png: the whole screen, or the window hwnd."""
        name = self.name + (f"-{suffix}" if suffix else "") + ".png"
        rect = self.driver.rect(hwnd) if hwnd else None
        return self.session.xvfb.screenshot(self.artifacts / name, rect)

    # The program
    def start_program(self, args="", settings=None):
        """Writes settings ({name: value}) into the program's key, then starts the program."""
        for name, value in (settings or {}).items():
            self.driver.reg_set(name, value)
        self.program_pid = self.driver.launch(args)
        return self.program_pid

    def wait_main_window(self, timeout_ms=30000):
        self.main = self.driver.wait_window(MAIN_TITLE, timeout_ms)
        return self.main

    def open_main_window(self, args="", settings=None, timeout=30):
        """Starts the program and waits for its enabled main window. On the way it cancels the
        login dialog of a first start (button 1010) and answers a message box that follows with
        its first button. Returns (main hwnd, [what was passed: ("login", title) or
        ("message", box)]) so a test can assert on the way in."""
        self.start_program(args, settings)
        passed = []
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            windows = [w for w in self.driver.windows() if w["pid"] == self.program_pid]
            for w in windows:
                if w["title"].startswith(MAIN_TITLE) and w["enabled"]:
                    self.main = w["hwnd"]
                    return self.main, passed
            login = [w for w in windows if w["title"] == LOGIN_TITLE and w["enabled"]]
            if login:
                self.driver.click(login[0]["hwnd"], 1010)
                self.driver.wait_gone(login[0]["hwnd"], 10000)
                passed.append(("login", login[0]["title"]))
                continue
            try:
                box = self.driver.message_box(0)
            except DriverError:
                box = None
            if box and box["buttons"]:
                self.driver.press(box["hwnd"], box["buttons"][0]["id"])
                self.driver.wait_gone(box["hwnd"], 10000)
                passed.append(("message", box))
                continue
            time.sleep(0.1)
        raise AssertionError(f"no main window within {timeout}s; windows: {self.driver.windows()}")

    def wait_for(self, predicate, what, timeout=15):
        return wait_until(predicate, timeout, what)
