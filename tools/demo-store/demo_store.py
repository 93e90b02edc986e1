#!/usr/bin/env python3
"""Demo store server for the Orvane Tamo-Agent: store scripts over HTTPS, pictures, pages and
the same scripts over plain HTTP, and two download mirrors with byte ranges and fault
switches. Loopback only. See README.md beside this file.
"""

import argparse
import json
import signal
import socket
import ssl
import struct
import sys
import threading
import time
import traceback
from datetime import datetime, timezone
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from pathlib import Path
from urllib.parse import parse_qs, urlsplit

import storefiles
import storelogic
import tlsgen

HERE = Path(__file__).resolve().parent
HOST = "127.0.0.1"

MIRROR_MODES = ("ok", "down", "error", "cut", "norange", "badrange", "slow")
MIRROR_DEFAULT_ARGS = {"error": 500, "cut": 1024, "slow": 65536, "badrange": 0}
MAX_BODY = 16 << 20


def parse_mirror_mode(text: str):
    """"MODE" or "MODE:ARG" -> (mode, arg); arg is None for modes that take none."""
    mode, _, arg_text = text.partition(":")
    if mode not in MIRROR_MODES:
        raise ValueError("mirror mode must be one of " + ", ".join(MIRROR_MODES))
    if arg_text == "":
        return mode, MIRROR_DEFAULT_ARGS.get(mode)
    if not arg_text.isdigit():
        raise ValueError("mirror mode argument must be a whole number")
    arg = int(arg_text)
    if mode == "error" and not 400 <= arg <= 599:
        raise ValueError("error status must be between 400 and 599")
    if mode == "slow" and arg == 0:
        raise ValueError("slow needs at least 1 byte per second")
    if mode == "down" and arg == 1:
        return mode, arg
    if mode not in MIRROR_DEFAULT_ARGS:
        raise ValueError("mode %s takes no argument" % mode
                         + (" but 1 (stop listening)" if mode == "down" else ""))
    return mode, arg


def parse_range(header: str, total: int):
    """(first, last) for a single "bytes=" range, "unsatisfiable", or None when the header
    is absent or not understood (then the whole file is sent)."""
    if not header:
        return None
    unit, _, ranges = header.strip().partition("=")
    if unit.strip().lower() != "bytes" or "," in ranges:
        return None
    first_text, dash, last_text = ranges.strip().partition("-")
    if not dash:
        return None
    try:
        if first_text == "":
            length = int(last_text)
            if length <= 0:
                return "unsatisfiable"
            return max(0, total - length), total - 1
        first = int(first_text)
        last = int(last_text) if last_text else total - 1
    except ValueError:
        return None
    if first >= total:
        return "unsatisfiable"
    if last < first:
        return None
    return first, min(last, total - 1)


class RequestLog:
    """One JSON line per request in STATE/requests.log, flushed at once."""

    def __init__(self, path: Path):
        self.path = path
        self.lock = threading.Lock()
        self.path.touch()

    def add(self, listener, method, target, headers, body: bytes, fault=None):
        entry = {
            "time": datetime.now(timezone.utc).isoformat(timespec="milliseconds"),
            "listener": listener,
            "method": method,
            "path": target,
            "headers": {k: v for k, v in headers.items()},
            "body": body.decode("latin-1"),
        }
        if fault:
            entry["fault"] = fault
        line = json.dumps(entry, ensure_ascii=False)
        with self.lock:
            with open(self.path, "a", encoding="utf-8") as f:
                f.write(line + "\n")
                f.flush()

    def read(self) -> bytes:
        with self.lock:
            return self.path.read_bytes()

    def clear(self):
        with self.lock:
            self.path.write_bytes(b"")


class App:
    """What all listeners share: the store, the product files, mirror switches and the log."""

    def __init__(self, store, files, log):
        self.store = store
        self.files = files
        self.log = log
        self.lock = threading.Lock()
        self.mirrors = {1: ("ok", None), 2: ("ok", None)}
        self.mirror_listeners = {}
        self.stopping = threading.Event()

    def mirror_mode(self, n):
        with self.lock:
            return self.mirrors[n]

    def set_mirror(self, n, mode, arg):
        with self.lock:
            self.mirrors[n] = (mode, arg)
            self.mirror_listeners[n].set_refusing(mode == "down" and arg == 1)

    def reset(self):
        for n in (1, 2):
            self.set_mirror(n, "ok", None)
        self.store.reset()

    def state(self) -> dict:
        with self.lock:
            mirrors = {str(n): {"mode": m, "arg": a} for n, (m, a) in self.mirrors.items()}
        snapshot = self.store.snapshot()
        snapshot["mirrors"] = mirrors
        return snapshot


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "OrvaneDemoStore/1.0"
    sys_version = ""
    timeout = 60

    def version_string(self):
        return self.server_version

    def __getattr__(self, name):
        # Any verb is served, whatever it is, and logged as sent.
        if name.startswith("do_"):
            return self.dispatch
        raise AttributeError(name)

    def log_message(self, fmt, *args):
        if self.server.verbose:
            sys.stderr.write("%s %s\n" % (self.server.listener, fmt % args))

    # ----- plumbing -----

    def read_body(self) -> bytes:
        try:
            length = int(self.headers.get("Content-Length") or 0)
        except ValueError:
            length = 0
        if length <= 0:
            return b""
        return self.rfile.read(min(length, MAX_BODY))

    def send_reply(self, reply: storelogic.Reply):
        self.send_response(reply.status)
        self.send_header("Content-Type", reply.content_type)
        self.send_header("Content-Length", str(len(reply.body)))
        for name, value in reply.headers:
            self.send_header(name, value)
        self.send_header("Connection", "close")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(reply.body)

    def send_json(self, value, status=200):
        body = (json.dumps(value, indent=2, ensure_ascii=False) + "\n").encode("utf-8")
        self.send_reply(storelogic.Reply(status, body, "application/json"))

    def dispatch(self):
        self.close_connection = True
        app = self.server.app
        listener = self.server.listener
        target = self.path
        if target.startswith(("http://", "https://")):
            parts = urlsplit(target)
            target = parts.path + ("?" + parts.query if parts.query else "")
        path, _, query = target.partition("?")
        body = self.read_body()
        if listener == "plain" and path.startswith("/__demo/"):
            return self.control(app, path, query)
        if listener.startswith("mirror"):
            mode, arg = app.mirror_mode(self.server.mirror_number)
            fault = None if mode == "ok" else ("%s:%s" % (mode, arg) if arg is not None else mode)
            app.log.add(listener, self.command, target, self.headers, body, fault)
            return self.mirror(app, mode, arg, path, query)
        app.log.add(listener, self.command, target, self.headers, body)
        try:
            reply = app.store.route(self.command, path, query, body)
        except Exception:  # a fault of the demo store itself: answer like a broken server
            traceback.print_exc()
            reply = storelogic.error_page(500)
        self.send_reply(reply)

    # ----- download mirrors -----

    def mirror(self, app, mode, arg, path, query):
        if mode == "down":
            return self.reset_connection()
        if mode == "error":
            return self.send_reply(storelogic.error_page(arg))
        file_id = parse_qs(query).get("id", [""])[0]
        size = app.files.size(file_id) if path.lower() == "/sendfile.php" else None
        if size is None:
            return self.send_reply(storelogic.error_page(404))
        file_path = app.files.ensure(file_id)
        wanted = None if mode == "norange" else parse_range(self.headers.get("Range"), size)
        if wanted == "unsatisfiable" or size == 0:
            self.send_response(416 if size else 200)
            self.send_header("Content-Range", "bytes */%d" % size)
            self.send_header("Content-Length", "0")
            self.send_header("Connection", "close")
            self.end_headers()
            return
        if wanted is None:
            first, last, status = 0, size - 1, 200
        else:
            first, last = wanted
            status = 206
        count = last - first + 1
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(count))
        if mode != "norange":
            self.send_header("Content-Range", self.content_range(mode, arg, first, last, size))
        self.send_header("Accept-Ranges", "bytes")
        self.send_header("Connection", "close")
        self.end_headers()
        if self.command == "HEAD":
            return
        with open(file_path, "rb") as f:
            if mode == "cut":
                self.connection.sendfile(f, first, min(arg, count))
            elif mode == "slow":
                self.drip(f, first, count, arg, app.stopping)
            else:
                self.connection.sendfile(f, first, count)

    def reset_connection(self):
        """Abort the connection with a TCP reset and no reply, so the client's request fails
        at once (an orderly close would look like an empty answer to some clients). The
        descriptor is detached first: the handler's own streams and the server's closing
        steps then act on a closed socket object instead of on a reused descriptor."""
        raw = socket.socket(fileno=self.connection.detach())
        raw.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        raw.close()

    @staticmethod
    def content_range(mode, arg, first, last, size):
        if mode == "badrange":
            if arg == 1:
                return "bytes %d-%d/*" % (first, last)
            if arg == 2:
                return "bytes garbage"
            return "bytes %d-%d/%d" % (first, last, size + 1000)
        return "bytes %d-%d/%d" % (first, last, size)

    def drip(self, f, first, count, rate, stopping):
        """Send count bytes at about `rate` bytes per second, in pieces of a tenth of that."""
        f.seek(first)
        piece = max(1, rate // 10)
        started = time.monotonic()
        sent = 0
        while sent < count and not stopping.is_set():
            data = f.read(min(piece, count - sent))
            if not data:
                break
            self.wfile.write(data)
            sent += len(data)
            delay = started + sent / rate - time.monotonic()
            if delay > 0:
                time.sleep(delay)

    # ----- control endpoints (plain listener, not logged) -----

    def control(self, app, path, query):
        params = {k: v[-1] for k, v in parse_qs(query, keep_blank_values=True).items()}
        store = app.store
        try:
            if path == "/__demo/state":
                return self.send_json(app.state())
            if path == "/__demo/reset":
                app.reset()
                return self.send_json(app.state())
            if path == "/__demo/log":
                return self.send_reply(storelogic.Reply(200, app.log.read(),
                                                        "application/x-ndjson"))
            if path == "/__demo/reset-log":
                app.log.clear()
                return self.send_json({"log": "empty"})
            if path == "/__demo/mirror":
                n = int(params.get("n", "0"))
                if n not in (1, 2):
                    raise ValueError("n must be 1 or 2")
                text = params.get("mode", "")
                if params.get("arg", "") != "":
                    text += ":" + params["arg"]
                mode, arg = parse_mirror_mode(text)
                app.set_mirror(n, mode, arg)
                return self.send_json(app.state()["mirrors"])
            if path == "/__demo/store":
                store.set_store_switch(mode=params.get("mode"), catalog=params.get("catalog"),
                                       n=params.get("n"), paypal=params.get("paypal"))
                return self.send_json(store.snapshot()["store"])
            if path == "/__demo/notify":
                text = params.get("text")
                notification_id = params.get("id", "")
                if notification_id == "":
                    store.set_notification(None, text)
                else:
                    store.set_notification(int(notification_id), text)
                return self.send_json(store.snapshot()["notification"])
            if path == "/__demo/version":
                store.set_version(params.get("pid", ""), params.get("v", ""))
                return self.send_json(store.snapshot()["versions"])
            if path == "/__demo/files":
                return self.send_json(app.files.describe())
        except ValueError as e:
            return self.send_json({"error": str(e)}, 400)
        return self.send_json({"error": "unknown control " + path}, 404)


class Listener(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, port, app, listener, verbose=False, tls_context=None, mirror_number=None):
        self.app = app
        self.listener = listener
        self.verbose = verbose
        self.tls_context = tls_context
        self.mirror_number = mirror_number
        self.refusing = False
        super().__init__((HOST, port), Handler)

    def start(self):
        threading.Thread(target=self.serve_forever, kwargs={"poll_interval": 0.2},
                         name=self.listener, daemon=True).start()

    def set_refusing(self, refusing: bool):
        """Close the listening socket (connections are refused) or open it again on the
        same port. Called with the app's lock held, so changes do not interleave."""
        if refusing == self.refusing:
            return
        if refusing:
            self.shutdown()
            self.socket.close()
        else:
            self.socket = socket.socket(self.address_family, self.socket_type)
            self.server_bind()
            self.server_activate()
            self.start()
        self.refusing = refusing

    def finish_request(self, request, client_address):
        if self.tls_context is None:
            return super().finish_request(request, client_address)
        # The handshake runs here, on the connection's own thread, so that a client that
        # stalls or fails its handshake cannot hold up the accept loop.
        request.settimeout(30)
        try:
            conn = self.tls_context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError) as e:
            if self.verbose:
                sys.stderr.write("%s TLS handshake failed: %s\n" % (self.listener, e))
            return
        try:
            self.RequestHandlerClass(conn, client_address, self)
        except (ConnectionError, ssl.SSLError, socket.timeout):
            pass
        finally:
            try:
                conn.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            conn.close()

    def handle_error(self, request, client_address):
        # A client that hangs up mid-transfer (a cancelled download) is routine.
        if not isinstance(sys.exc_info()[1], (ConnectionError, socket.timeout, ssl.SSLError)):
            super().handle_error(request, client_address)


def build_arg_parser():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--https-port", type=int, default=47443)
    parser.add_argument("--http-port", type=int, default=47080)
    parser.add_argument("--mirror1-port", type=int, default=47081)
    parser.add_argument("--mirror2-port", type=int, default=47082)
    parser.add_argument("--state-dir", default=str(HERE / ".state"))
    parser.add_argument("--seed", default=str(HERE / "seed.json"))
    parser.add_argument("--mirror1-mode", default="ok", metavar="MODE[:ARG]")
    parser.add_argument("--mirror2-mode", default="ok", metavar="MODE[:ARG]")
    parser.add_argument("--verbose", action="store_true", help="print each request on stderr")
    return parser


def main(argv=None):
    args = build_arg_parser().parse_args(argv)
    try:
        modes = {1: parse_mirror_mode(args.mirror1_mode), 2: parse_mirror_mode(args.mirror2_mode)}
    except ValueError as e:
        print("demo-store: %s" % e, file=sys.stderr)
        return 2
    state = Path(args.state_dir)
    state.mkdir(parents=True, exist_ok=True)
    try:
        certs = tlsgen.ensure_certificates(state)
    except (OSError, RuntimeError) as e:
        print("demo-store: cannot make the TLS certificates with openssl: %s" % e,
              file=sys.stderr)
        return 1
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    tls.minimum_version = ssl.TLSVersion.TLSv1_2
    tls.load_cert_chain(certs["cert"], certs["key"])

    seed = storelogic.load_seed(args.seed)
    files = storefiles.ProductFiles(state, seed.get("files", {}))
    log = RequestLog(state / "requests.log")

    layout = [("store-https", args.https_port, tls, None),
              ("plain", args.http_port, None, None),
              ("mirror1", args.mirror1_port, None, 1),
              ("mirror2", args.mirror2_port, None, 2)]
    app = App(None, files, log)
    servers = []
    try:
        for name, port, context, number in layout:
            servers.append(Listener(port, app, name, args.verbose, context, number))
    except OSError as e:
        print("demo-store: cannot listen on %s:%d: %s" % (HOST, port, e), file=sys.stderr)
        for server in servers:
            server.server_close()
        return 1
    ports = {name: server.server_address[1] for (name, *_), server in zip(layout, servers)}
    app.store = storelogic.Store(seed, HERE / "pictures",
                                 plain_base="http://localhost:%d" % ports["plain"])
    (state / "ports.json").write_text(json.dumps(ports, indent=2) + "\n")

    stop = threading.Event()

    def on_signal(signum, frame):
        stop.set()

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)
    for server in servers:
        server.start()
        if server.mirror_number:
            app.mirror_listeners[server.mirror_number] = server
    for n, (mode, arg) in modes.items():
        app.set_mirror(n, mode, arg)
    print("demo-store ready", flush=True)
    while not stop.wait(0.5):
        pass
    app.stopping.set()
    for server in servers:
        server.shutdown()
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
