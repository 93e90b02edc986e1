"""Tests of the demo store. One server process is started for the module on free ports in a
temporary state folder; every test starts from reset switches, seed accounts and an empty log.

Run: python3 -m unittest discover -s tools/demo-store -v
"""

import hashlib
import http.client
import json
import os
import shutil
import signal
import ssl
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import zlib
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import demo_store  # noqa: E402
import pngenc  # noqa: E402
import storefiles  # noqa: E402
import tlsgen  # noqa: E402

SEED = json.loads((HERE / "seed.json").read_text(encoding="utf-8"))
VERSION = "&version=2.11&tamo=2"
VENDOR_PARAMS = "&vendor=Tollan+Studios&vendorid=tolstd&vendorpwd=m2qd8v61&channel=0"


class ServerProcess:
    def __init__(self, *extra_args, state_dir=None):
        self.extra_args = list(extra_args)
        self.state_dir = state_dir or tempfile.mkdtemp(prefix="demo-store-test-")
        self.proc = None

    def start(self):
        self.stderr = open(os.path.join(self.state_dir, "stderr.txt"), "w")
        self.proc = subprocess.Popen(
            [sys.executable, str(HERE / "demo_store.py"), "--state-dir", self.state_dir,
             "--https-port", "0", "--http-port", "0", "--mirror1-port", "0",
             "--mirror2-port", "0", *self.extra_args],
            stdout=subprocess.PIPE, stderr=self.stderr, text=True)
        line = []
        reader = threading.Thread(target=lambda: line.append(self.proc.stdout.readline()))
        reader.start()
        reader.join(30)
        if not line or line[0].strip() != "demo-store ready":
            self.proc.kill()
            raise RuntimeError("demo store did not start: %r\n%s" % (
                line, Path(self.state_dir, "stderr.txt").read_text()))
        self.ports = json.loads(Path(self.state_dir, "ports.json").read_text())
        self.tls = ssl.create_default_context(cafile=os.path.join(self.state_dir, "ca.pem"))

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        code = self.proc.wait(10)
        self.proc.stdout.close()
        self.stderr.close()
        return code


SERVER = None


def setUpModule():
    global SERVER
    SERVER = ServerProcess()
    SERVER.start()


def tearDownModule():
    code = SERVER.stop()
    errors = Path(SERVER.state_dir, "stderr.txt").read_text()
    shutil.rmtree(SERVER.state_dir, ignore_errors=True)
    if code != 0:
        raise RuntimeError("demo store exited with %s on SIGTERM" % code)
    if "Traceback" in errors:
        raise RuntimeError("demo store reported an internal error:\n" + errors)


def request(listener, method, target, body=b"", headers=None, server=None, timeout=10):
    """(status, headers, body) of one exchange with a listener of the server."""
    server = server or SERVER
    port = server.ports[listener]
    if listener == "store-https":
        conn = http.client.HTTPSConnection("localhost", port, context=server.tls,
                                           timeout=timeout)
    else:
        conn = http.client.HTTPConnection("127.0.0.1", port, timeout=timeout)
    try:
        sent = {"User-Agent": "Orvane 3/0"}
        if body or method == "POST":
            sent["Content-Type"] = "application/x-www-form-urlencoded"
        sent.update(headers or {})
        conn.request(method, target, body=body, headers=sent)
        response = conn.getresponse()
        return response.status, response.headers, response.read()
    finally:
        conn.close()


def store(path, body, secure=True):
    """A store script called the way the client calls it; the reply as text."""
    data = body.encode("cp1252") if isinstance(body, str) else body
    listener, method = ("store-https", "POST") if secure else ("plain", "GET")
    status, _, reply = request(listener, method, path, data)
    return reply.decode("cp1252")


def control(target, server=None):
    status, _, body = request("plain", "GET", target, server=server)
    return status, json.loads(body)


def log_entries():
    _, _, body = request("plain", "GET", "/__demo/log")
    return [json.loads(line) for line in body.decode("utf-8").splitlines() if line]


def catalogue_body(vendor="tolstd"):
    return "action=catalog&vendorid=" + vendor + VERSION + "&channel=0&productid="


def purchases_body(email, password):
    return ("action=getpurchases" + VERSION + "&email=" + email + "&password=" + password
            + "&vendorid=tolstd")


def catalogue_rows(reply):
    return [row.split("\x01") for row in reply.split("\x02")]


class StoreTestCase(unittest.TestCase):
    def setUp(self):
        control("/__demo/reset")
        request("plain", "POST", "/__demo/reset-log")


class TlsTest(StoreTestCase):
    def test_https_is_trusted_through_the_generated_authority_for_localhost(self):
        conn = http.client.HTTPSConnection("localhost", SERVER.ports["store-https"],
                                           context=SERVER.tls, timeout=10)
        conn.request("POST", "/orvaneterms.asp", body=b"")
        names = conn.sock.getpeercert()["subjectAltName"]
        self.assertEqual(conn.getresponse().status, 200)
        conn.close()
        self.assertIn(("DNS", "localhost"), names)
        ca_pem = Path(SERVER.state_dir, "ca.pem").read_text()
        self.assertEqual(Path(SERVER.state_dir, "ca.der").read_bytes(),
                         ssl.PEM_cert_to_DER_cert(ca_pem))

    def test_client_without_the_authority_refuses_the_certificate(self):
        conn = http.client.HTTPSConnection("localhost", SERVER.ports["store-https"],
                                           context=ssl.create_default_context(), timeout=10)
        with self.assertRaises(ssl.SSLCertVerificationError):
            conn.request("POST", "/orvaneterms.asp", body=b"")
        conn.close()

    def test_certificates_are_kept_across_starts(self):
        names = ("ca.pem", "ca.der", "server.pem", "server.key")
        before = {n: Path(SERVER.state_dir, n).read_bytes() for n in names}
        tlsgen.ensure_certificates(SERVER.state_dir)
        after = {n: Path(SERVER.state_dir, n).read_bytes() for n in names}
        self.assertEqual(before, after)


class CatalogueTest(StoreTestCase):
    def test_framing_is_the_same_on_https_and_plain(self):
        for secure in (True, False):
            with self.subTest(secure=secure):
                rows = catalogue_rows(store("/orvanepurchase1.asp", catalogue_body(), secure))
                self.assertEqual(rows[0][0], "productId")
                self.assertEqual({len(r) for r in rows}, {19})
                self.assertEqual([r[0] for r in rows[1:]],
                                 [p["productId"] for p in SEED["catalogue"]])
                harbor = next(r for r in rows if r[0] == "harbor")
                self.assertEqual((harbor[2], harbor[12], harbor[18]),
                                 ("10.00", "7.50", "10|bndl-harbordlc"))

    def test_text_is_sent_in_the_windows_code_page(self):
        _, _, reply = request("store-https", "POST", "/orvanepurchase1.asp",
                              catalogue_body().encode())
        self.assertIn(b"\x01Caf\xe9 Tycoon\x01", reply)

    def test_store_switch_changes_the_catalogue_answer(self):
        cases = [("doctype", lambda r: r.startswith("<!DOCTYPE")),
                 ("errversion", lambda r: r == "err:version"),
                 ("empty", lambda r: r == ""),
                 ("refused", lambda r: r.startswith("Error:1")),
                 ("ok", lambda r: len(catalogue_rows(r)) == len(SEED["catalogue"]) + 1)]
        for mode, check in cases:
            with self.subTest(mode=mode):
                status, state = control("/__demo/store?mode=" + mode)
                self.assertEqual((status, state["mode"]), (200, mode))
                reply = store("/orvanepurchase1.asp", catalogue_body())
                self.assertTrue(check(reply), repr(reply[:80]))

    def test_unknown_switch_value_is_rejected(self):
        for target in ("/__demo/store?mode=maybe", "/__demo/store?catalog=huge",
                       "/__demo/store?paypal=sometimes"):
            with self.subTest(target=target):
                self.assertEqual(control(target)[0], 400)

    def test_other_vendor_is_refused(self):
        self.assertTrue(store("/orvanepurchase1.asp", catalogue_body("other1")).startswith("Error:1"))

    def test_large_catalogue_and_its_pictures(self):
        control("/__demo/store?catalog=big&n=1000")
        rows = catalogue_rows(store("/orvanepurchase1.asp", catalogue_body()))
        self.assertEqual(len(rows), 1001)
        self.assertEqual({len(r) for r in rows}, {19})
        self.assertEqual(len({r[0] for r in rows[1:]}), 1000)
        for pid, status in (("gen00001", 200), ("gen01000", 200), ("gen01001", 404)):
            with self.subTest(pid=pid):
                got, _, _ = request("plain", "GET", "/vendors/tolstd/%s/product_main.jpg" % pid)
                self.assertEqual(got, status)
        control("/__demo/store?catalog=seed")
        self.assertEqual(request("plain", "GET", "/vendors/tolstd/gen00001/product_main.jpg")[0],
                         404)

    def test_seed_catalogue_covers_the_client_rules(self):
        rows = catalogue_rows(store("/orvanepurchase1.asp", catalogue_body()))[1:]
        by_id = {r[0]: r for r in rows}

        def num(text):
            try:
                return float(text)
            except ValueError:
                return None

        keywords = {"beta", "free", "legacy"}
        for r in rows:
            self.assertLessEqual(len(r[0]), 16, r[0])
            self.assertEqual(len(r[14]), 2, r[0])
            self.assertTrue(r[5], "every product has a summary: " + r[0])
            self.assertTrue(r[2] in keywords or (num(r[2]) is not None and len(r[2]) <= 6), r[0])
        self.assertTrue(any(num(r[12]) is not None and num(r[12]) < num(r[2]) for r in rows))
        self.assertTrue(any(num(r[12]) is not None and num(r[12]) > num(r[2]) for r in rows))
        self.assertEqual(keywords, {r[2] for r in rows} & keywords)
        self.assertTrue(any(r[7] != "No" for r in rows))
        offers = [r[18].split("|") for r in rows if r[18] and not r[0].startswith("bndl-")]
        self.assertIn("5", [percent for percent, _ in offers])
        self.assertTrue(any(float(p) > 5 and target.startswith("bndl-") and target in by_id
                            for p, target in offers))
        bundles = [r for r in rows if r[0].startswith("bndl-")]
        self.assertTrue(bundles)
        member_prices = set()
        for bundle in bundles:
            percent, members = bundle[18].split("|")
            self.assertGreater(int(percent), 0)
            for member in members.split(","):
                self.assertIn(member, by_id)
            member_prices.add((percent, tuple(sorted(by_id[m][2] for m in members.split(",")))))
        self.assertIn(("20", ("10.00", "5.99")), member_prices)
        firsts = {r[6].split(",")[0] for r in rows}
        self.assertTrue(any(len(r[6].split(",")) > 1 and r[6].split(",")[1] != r[6].split(",")[0]
                            and r[6].split(",")[1] in firsts for r in rows))
        self.assertTrue(any(len(r[1]) > 100 for r in rows))
        self.assertTrue(any(len(r[5]) > 200 for r in rows))
        self.assertTrue(any(r[16].startswith("http://localhost:%d/support/" % SERVER.ports["plain"])
                            for r in rows))
        self.assertTrue(any(r[16] and not r[16].startswith("http") for r in rows))


class PurchasesTest(StoreTestCase):
    def test_reply_for_each_kind_of_login(self):
        cases = [
            ("demo@orvane.test", "demopass1",
             lambda r: r.split("|")[0] == "success*Dana Morgan*10452*0.0825*1"),
            ("new@orvane.test", "newpass12",
             lambda r: r.split("|")[0] == "success*Nico Evans*10458*0.1300*0"
             and len(r.split("|")) == 2),
            ("empty@orvane.test", "emptypass",
             lambda r: r == "Error: 2*Erin Blake*10460*0.0700*1"),
            ("demo@orvane.test", "wrongpass1", lambda r: r.startswith("Error:1")),
            ("nobody@orvane.test", "demopass1", lambda r: r.startswith("Error:1")),
            ("DEMO@orvane.test", "demopass1", lambda r: r.startswith("success*")),
            ("busy@orvane.test", "busypass1",
             lambda r: r != "" and not r.startswith(("success", "Error:"))),
        ]
        for email, password, check in cases:
            with self.subTest(email=email, password=password):
                reply = store("/orvanepurchase1.asp", purchases_body(email, password))
                self.assertTrue(check(reply), repr(reply[:120]))

    def test_purchase_rows_of_the_demo_account(self):
        reply = store("/orvanepurchase1.asp", purchases_body("demo@orvane.test", "demopass1"))
        rows = reply.split("|")[1:]
        self.assertEqual(len(rows), len(SEED["accounts"][0]["purchases"]))
        records = []
        for row in rows:
            self.assertEqual(row[0], "\n")
            record = row[1:]
            self.assertLessEqual(len(record), 199, record)
            fields = record.split("*")
            self.assertEqual(len(fields), 14, record)
            records.append(fields)
        by_id = {f[0]: f for f in records}
        self.assertEqual(by_id["SkyFall"][2:5], ["SkyfallSetup.exe", "2.1", "1048576"])
        self.assertEqual(by_id["terrain"][2],
                         "Setup.exe:1048576/Manual.pdf:204800/Extras.zip:3145728")
        self.assertEqual(by_id["diskmint"][2], "VOUCHER")
        self.assertEqual(by_id["atlasworld"][4], str(300 * 1024 * 1024))
        self.assertEqual((by_id["terrain"][11], by_id["terrain"][13]), ("39.99", "A10002"))
        self.assertTrue({"nebula", "chronicle", "screensaver"} <= set(by_id))

    def test_available_version_can_be_raised(self):
        status, _ = control("/__demo/version?pid=skyfall&v=2.2")
        self.assertEqual(status, 200)
        reply = store("/orvanepurchase1.asp", purchases_body("demo@orvane.test", "demopass1"))
        skyfall = next(r[1:].split("*") for r in reply.split("|")[1:] if r[1:].startswith("SkyFall"))
        self.assertEqual(skyfall[3], "2.2")


class GetFileTest(StoreTestCase):
    def getfile(self, pid, password="demopass1", vpwd="m2qd8v61"):
        return store("/orvanegetfile.asp", "vid=tolstd&vpwd=%s&login=demo@orvane.test&password=%s"
                     "&pid=%s%s" % (vpwd, password, pid, VERSION))

    def test_file_ids_of_owned_products(self):
        cases = [("SkyFall", "SkyfallSetup.exe", 1048576, "sky-setup"),
                 ("skyfall", "SkyfallSetup.exe", 1048576, "sky-setup"),
                 ("terrain:0", "Setup.exe", 1048576, "terrain-setup"),
                 ("terrain:2", "Extras.zip", 3145728, "terrain-extras"),
                 ("palette", "PalettePicker.zip", 100, "palette-zip")]
        for pid, name, size, file_id in cases:
            with self.subTest(pid=pid):
                reply = self.getfile(pid)
                self.assertEqual(reply.split("|"), ["ok", pid, name, str(size), file_id])
                if size < 4 << 20:
                    status, headers, body = request("mirror1", "GET",
                                                    "/sendfile.php?id=" + file_id)
                    self.assertEqual((status, len(body)), (200, size))

    def test_refusals_are_one_field(self):
        cases = [("terrain", {}), ("terrain:3", {}), ("terrain:x", {}), ("diskmint", {}),
                 ("harbor", {}), ("nothing", {}), ("skyfall", {"password": "wrongpass1"}),
                 ("skyfall", {"vpwd": "00000000"})]
        for pid, extra in cases:
            with self.subTest(pid=pid, **extra):
                reply = self.getfile(pid, **extra)
                self.assertTrue(reply.startswith("Error:"), reply)
                self.assertNotIn("|", reply)


def expected(file_id, first, last):
    return storefiles.expected_bytes(file_id, first, last - first + 1)


class MirrorTest(StoreTestCase):
    def set_mirror(self, n, mode, arg=None):
        target = "/__demo/mirror?n=%d&mode=%s" % (n, mode)
        if arg is not None:
            target += "&arg=%d" % arg
        status, state = control(target)
        self.assertEqual(status, 200, state)

    def test_whole_file_carries_content_range(self):
        status, headers, body = request("mirror1", "GET", "/sendfile.php?id=palette-zip")
        self.assertEqual(status, 200)
        self.assertEqual(headers["Content-Length"], "100")
        self.assertEqual(headers["Content-Range"], "bytes 0-99/100")
        self.assertEqual(body, expected("palette-zip", 0, 99))

    def test_ranges(self):
        big = 1048576
        cases = [("palette-zip", "bytes=0-", 206, "bytes 0-99/100", (0, 99)),
                 ("palette-zip", "bytes=40-", 206, "bytes 40-99/100", (40, 99)),
                 ("palette-zip", "bytes=99-", 206, "bytes 99-99/100", (99, 99)),
                 ("palette-zip", "bytes=10-19", 206, "bytes 10-19/100", (10, 19)),
                 ("palette-zip", "bytes=100-", 416, "bytes */100", None),
                 ("sky-setup", "bytes=700000-", 206, "bytes 700000-1048575/1048576",
                  (700000, big - 1))]
        for file_id, header, status, content_range, span in cases:
            with self.subTest(file_id=file_id, range=header):
                got, headers, body = request("mirror2", "GET", "/sendfile.php?id=" + file_id,
                                             headers={"Range": header})
                self.assertEqual(got, status)
                self.assertEqual(headers["Content-Range"], content_range)
                if span:
                    self.assertEqual(headers["Content-Length"], str(span[1] - span[0] + 1))
                    self.assertEqual(body, expected(file_id, *span))

    def test_unknown_file_or_path_is_404(self):
        for target in ("/sendfile.php?id=nosuchfile", "/sendfile.php?id=", "/sendfile.php",
                       "/download.php?id=palette-zip"):
            with self.subTest(target=target):
                self.assertEqual(request("mirror1", "GET", target)[0], 404)

    def test_down_drops_the_connection_without_a_reply(self):
        self.set_mirror(1, "down")
        with self.assertRaises((http.client.RemoteDisconnected, ConnectionResetError,
                                BrokenPipeError)):
            request("mirror1", "GET", "/sendfile.php?id=palette-zip", timeout=5)
        self.assertEqual(request("mirror2", "GET", "/sendfile.php?id=palette-zip")[0], 200)
        faults = [e.get("fault") for e in log_entries() if e["listener"] == "mirror1"]
        self.assertEqual(faults, ["down"])

    def test_down_1_refuses_connections_until_switched_back(self):
        for restore in ("/__demo/mirror?n=2&mode=ok", "/__demo/reset"):
            with self.subTest(restore=restore):
                self.set_mirror(2, "down", 1)
                with self.assertRaises(ConnectionRefusedError):
                    request("mirror2", "GET", "/sendfile.php?id=palette-zip", timeout=5)
                self.assertEqual(request("mirror1", "GET", "/sendfile.php?id=palette-zip")[0], 200)
                control(restore)
                status, _, body = request("mirror2", "GET", "/sendfile.php?id=palette-zip")
                self.assertEqual((status, len(body)), (200, 100))

    def test_error_pages(self):
        for status in (404, 500, 503):
            with self.subTest(status=status):
                self.set_mirror(2, "error", status)
                got, _, body = request("mirror2", "GET", "/sendfile.php?id=palette-zip",
                                       headers={"Range": "bytes=0-"})
                self.assertEqual(got, status)
                self.assertTrue(body.startswith(b"<!DOCTYPE html>"))

    def test_cut_sends_full_headers_then_stops(self):
        self.set_mirror(1, "cut", 1000)
        conn = http.client.HTTPConnection("127.0.0.1", SERVER.ports["mirror1"], timeout=10)
        conn.request("GET", "/sendfile.php?id=sky-setup", headers={"Range": "bytes=100-"})
        response = conn.getresponse()
        self.assertEqual(response.status, 206)
        self.assertEqual(response.headers["Content-Length"], str(1048576 - 100))
        self.assertEqual(response.headers["Content-Range"], "bytes 100-1048575/1048576")
        with self.assertRaises(http.client.IncompleteRead) as caught:
            response.read()
        conn.close()
        self.assertEqual(caught.exception.partial, expected("sky-setup", 100, 1099))

    def test_norange_ignores_the_range_header(self):
        self.set_mirror(2, "norange")
        status, headers, body = request("mirror2", "GET", "/sendfile.php?id=palette-zip",
                                        headers={"Range": "bytes=40-"})
        self.assertEqual(status, 200)
        self.assertNotIn("Content-Range", headers)
        self.assertEqual(body, expected("palette-zip", 0, 99))

    def test_badrange_reports_a_wrong_total(self):
        for arg, content_range in ((0, "bytes 40-99/1100"), (1, "bytes 40-99/*"),
                                   (2, "bytes garbage")):
            with self.subTest(arg=arg):
                self.set_mirror(1, "badrange", arg)
                status, headers, body = request("mirror1", "GET", "/sendfile.php?id=palette-zip",
                                                headers={"Range": "bytes=40-"})
                self.assertEqual((status, headers["Content-Range"]), (206, content_range))
                self.assertEqual(body, expected("palette-zip", 40, 99))

    def test_slow_drips_at_the_given_rate(self):
        self.set_mirror(2, "slow", 20000)
        started = time.monotonic()
        status, _, body = request("mirror2", "GET", "/sendfile.php?id=sky-setup",
                                  headers={"Range": "bytes=0-5999"})
        elapsed = time.monotonic() - started
        self.assertEqual((status, body), (206, expected("sky-setup", 0, 5999)))
        # 6000 bytes at 20000 bytes per second cannot arrive in less than about 0.25 s.
        self.assertGreaterEqual(elapsed, 0.2)

    def test_switch_reset_restores_both_mirrors(self):
        self.set_mirror(1, "down")
        self.set_mirror(2, "cut", 10)
        status, state = control("/__demo/reset")
        self.assertEqual(state["mirrors"], {"1": {"mode": "ok", "arg": None},
                                            "2": {"mode": "ok", "arg": None}})
        self.assertEqual(request("mirror1", "GET", "/sendfile.php?id=palette-zip")[0], 200)

    def test_bad_switch_requests_are_refused(self):
        for target in ("/__demo/mirror?n=3&mode=ok", "/__demo/mirror?n=1&mode=fast",
                       "/__demo/mirror?n=1&mode=error&arg=200", "/__demo/mirror?mode=ok"):
            with self.subTest(target=target):
                self.assertEqual(control(target)[0], 400)

    def test_mode_flags(self):
        good = [("ok", ("ok", None)), ("down", ("down", None)), ("error", ("error", 500)),
                ("error:404", ("error", 404)), ("cut:5000", ("cut", 5000)),
                ("slow", ("slow", 65536)), ("badrange:2", ("badrange", 2)),
                ("norange", ("norange", None)), ("down:1", ("down", 1))]
        for text, want in good:
            with self.subTest(text=text):
                self.assertEqual(demo_store.parse_mirror_mode(text), want)
        for text in ("fast", "cut:x", "error:200", "down:3", "slow:0", "ok:1", ""):
            with self.subTest(text=text):
                with self.assertRaises(ValueError):
                    demo_store.parse_mirror_mode(text)

    def test_range_parsing(self):
        cases = [("bytes=0-", (0, 99)), ("bytes=5-9", (5, 9)), ("bytes=-10", (90, 99)),
                 ("bytes=50-500", (50, 99)), ("bytes=100-", "unsatisfiable"),
                 ("bytes=-0", "unsatisfiable"), ("items=0-", None), ("bytes=0-5,10-20", None),
                 ("bytes=9-5", None), ("bytes=x-", None), ("", None), (None, None)]
        for header, want in cases:
            with self.subTest(header=header):
                self.assertEqual(demo_store.parse_range(header, 100), want)

    def test_modes_given_on_the_command_line(self):
        state = tempfile.mkdtemp(prefix="demo-store-flags-")
        for name in ("ca.pem", "ca.key", "ca.der", "server.pem", "server.key"):
            shutil.copy(Path(SERVER.state_dir, name), state)
        other = ServerProcess("--mirror1-mode", "error:404", "--mirror2-mode", "down:1",
                              state_dir=state)
        other.start()
        try:
            _, snapshot = control("/__demo/state", server=other)
            self.assertEqual(snapshot["mirrors"], {"1": {"mode": "error", "arg": 404},
                                                   "2": {"mode": "down", "arg": 1}})
            self.assertEqual(request("mirror1", "GET", "/sendfile.php?id=palette-zip",
                                     server=other)[0], 404)
            with self.assertRaises(ConnectionRefusedError):
                request("mirror2", "GET", "/sendfile.php?id=palette-zip", server=other)
        finally:
            self.assertEqual(other.stop(), 0)
            shutil.rmtree(state, ignore_errors=True)

    def test_bad_mode_flag_stops_the_start(self):
        result = subprocess.run([sys.executable, str(HERE / "demo_store.py"),
                                 "--mirror1-mode", "sideways"],
                                capture_output=True, text=True, timeout=30)
        self.assertEqual(result.returncode, 2)
        self.assertIn("mirror mode", result.stderr)


class LogTest(StoreTestCase):
    def test_store_request_is_logged_with_headers_and_body(self):
        body = purchases_body("demo@orvane.test", "demopass1").encode() + b"&note=caf\xe9"
        request("store-https", "POST", "/orvanepurchase1.asp", body)
        entries = log_entries()
        self.assertEqual(len(entries), 1)
        entry = entries[0]
        self.assertEqual((entry["listener"], entry["method"], entry["path"]),
                         ("store-https", "POST", "/orvanepurchase1.asp"))
        self.assertEqual(entry["headers"]["User-Agent"], "Orvane 3/0")
        self.assertEqual(entry["headers"]["Content-Type"], "application/x-www-form-urlencoded")
        self.assertEqual(entry["headers"]["Content-Length"], str(len(body)))
        self.assertEqual(entry["body"], body.decode("latin-1"))
        self.assertIn("time", entry)

    def test_each_listener_is_named(self):
        request("plain", "GET", "/orvanepurchase1.asp", b"tamo=2&action=tamonotify&vendorid=tolstd")
        request("plain", "GET", "/legacy.jpg")
        request("mirror1", "GET", "/sendfile.php?id=palette-zip", headers={"Range": "bytes=7-"})
        request("mirror2", "GET", "/sendfile.php?id=palette-zip")
        entries = log_entries()
        self.assertEqual([(e["listener"], e["method"]) for e in entries],
                         [("plain", "GET"), ("plain", "GET"), ("mirror1", "GET"),
                          ("mirror2", "GET")])
        self.assertEqual(entries[0]["body"], "tamo=2&action=tamonotify&vendorid=tolstd")
        self.assertEqual(entries[2]["headers"]["Range"], "bytes=7-")
        self.assertEqual(entries[2]["path"], "/sendfile.php?id=palette-zip")

    def test_reset_log_empties_it_and_control_calls_stay_out(self):
        request("plain", "GET", "/legacy.jpg")
        control("/__demo/state")
        self.assertEqual(len(log_entries()), 1)
        request("plain", "POST", "/__demo/reset-log")
        self.assertEqual(log_entries(), [])
        self.assertEqual(Path(SERVER.state_dir, "requests.log").read_bytes(), b"")


class NotificationTest(StoreTestCase):
    BODY = "tamo=2&action=tamonotify&vendorid=tolstd"

    def test_reply_is_ten_characters_of_number_then_the_text(self):
        for how in ("body", "query"):
            with self.subTest(how=how):
                if how == "body":
                    reply = store("/orvanepurchase1.asp", self.BODY, secure=False)
                else:
                    reply = request("plain", "GET", "/orvanepurchase1.asp?" + self.BODY)[2]
                    reply = reply.decode("cp1252")
                self.assertEqual(reply[:10], "        42")
                self.assertEqual(reply[10:], SEED["notification"]["text"])

    def test_notification_can_be_replaced_or_withdrawn(self):
        control("/__demo/notify?id=43&text=Version%202.2%20is%20out")
        self.assertEqual(store("/orvanepurchase1.asp", self.BODY, secure=False),
                         "        43Version 2.2 is out")
        control("/__demo/notify?id=")
        self.assertEqual(store("/orvanepurchase1.asp", self.BODY, secure=False), "")

    def test_other_vendor_gets_nothing(self):
        self.assertEqual(store("/orvanepurchase1.asp", self.BODY.replace("tolstd", "abcdef"),
                               secure=False), "")


class CouponTest(StoreTestCase):
    def test_replies(self):
        demo, empty = ("demo@orvane.test", "demopass1"), ("empty@orvane.test", "emptypass")
        cases = [
            (demo, "skyfall2", "auto", "success|24.99*UPG-SKYFALL"),
            (empty, "skyfall2", "auto", "failed|We found no upgrade discount for this product."),
            (empty, "wavecut", "auto", "success|22.49*"),
            (empty, "harbor", "SAVE10", "success|6.75"),
            (empty, "sketchpad", "SAVE10", "success|9.00"),
            (empty, "harbor", "HARBOR5", "success|5.00"),
            (empty, "skyfall", "HARBOR5",
             "failed|We could not apply this coupon to the selected product."),
            (empty, "harbor", "OLDCODE", "failed|expired"),
            (empty, "harbor", "BROKEN1", "success|free"),
            (empty, "harbor", "NOSUCH", "failed|We could not find the coupon code you entered."),
            (empty, "bndl-studio", "SAVE10", "failed|We cannot apply coupons to bundles."),
            (("empty@orvane.test", "wrongpass1"), "harbor", "SAVE10",
             "failed|Your Orvane login could not be verified."),
        ]
        for (email, password), pid, coupon, want in cases:
            with self.subTest(email=email, pid=pid, coupon=coupon):
                reply = store("/orvanecoupon1.asp",
                              "email=%s&password=%s&vendorid=tolstd&productid=%s&coupon=%s%s"
                              % (email, password, pid, coupon, VERSION))
                self.assertEqual(reply, want)
                self.assertEqual(len(reply.split("|")), 2)


def product_record(pid, name, price, tax, link="", code="US"):
    return "%s|%s|%s|%s|%s|tolstd|Tollan+Studios|%s*" % (pid, name.replace(" ", "+"), price,
                                                           link, tax, code)


def purchase_body(email, password, items, total, card="4111111111111111", expiry="1230",
                  ccv="123", paypal_token=None):
    body = ("action=purchase" + VENDOR_PARAMS + VERSION + "&email=" + email
            + "&password=" + password + "&productlist=" + "".join(items))
    if paypal_token is not None:
        body += "&paypal=yes&cardnum=" + paypal_token
    else:
        body += "&cname=Erin+Blake&cardnum=%s&expdate=%s&ccv=%s" % (card, expiry, ccv)
    return body + "&gift=no&taxrate=0.0700&total=" + total


HARBOR_ITEM = product_record("harbor", "Harbor Lights", "7.50", "0.53", "bndl-harbordlc")


class CheckoutTest(StoreTestCase):
    def buy(self, email="empty@orvane.test", password="emptypass", items=(HARBOR_ITEM,),
            total="$8.03", **card):
        return store("/cgi-bin/orvaneprocess1.asp",
                     purchase_body(email, password, list(items), total, **card))

    def test_card_outcomes(self):
        cases = [("4111111111111111", "1230", lambda r: r == "approved|A10100"),
                 ("4242424242424242", "1230", lambda r: r == "approved|A10100"),
                 ("4000000000000002", "1230", lambda r: r.startswith("Declined")),
                 ("4000000000000119", "1230", lambda r: r.startswith("Error:")),
                 ("4000000000000341", "1230", lambda r: r == "no_serial"),
                 ("4000000000000259", "1230", lambda r: r == "approved"),
                 ("4242424242424241", "1230", lambda r: r == "Declined: invalid card number"),
                 ("4111111111111111", "0119", lambda r: r == "Declined: card expired")]
        for card, expiry, check in cases:
            with self.subTest(card=card, expiry=expiry):
                control("/__demo/reset")
                reply = self.buy(card=card, expiry=expiry)
                self.assertTrue(check(reply), reply)

    def test_approved_purchase_is_owned_and_downloadable(self):
        members = [product_record("tilemaker", "TileMaker Studio", "8.00", "0.56", "bndl-studio"),
                   product_record("glyphkit", "GlyphKit Font Tools", "4.79", "0.34", "bndl-studio")]
        self.assertEqual(self.buy(items=[HARBOR_ITEM] + members, total="$21.72"),
                         "approved|A10100")
        reply = store("/orvanepurchase1.asp", purchases_body("empty@orvane.test", "emptypass"))
        rows = [r[1:].split("*") for r in reply.split("|")[1:]]
        self.assertTrue(reply.startswith("success*Erin Blake*"))
        self.assertEqual([(r[0], r[11], r[13]) for r in rows],
                         [("harbor", "7.50", "A10100"), ("tilemaker", "8.00", "A10100"),
                          ("glyphkit", "4.79", "A10100")])
        getfile = store("/orvanegetfile.asp", "vid=tolstd&vpwd=m2qd8v61&login=empty@orvane.test"
                        "&password=emptypass&pid=harbor" + VERSION)
        self.assertEqual(getfile, "ok|harbor|HarborLightsSetup.exe|1572864|harbor-setup")
        _, state = control("/__demo/state")
        self.assertEqual(state["orders"][0]["items"][0]["name"], "Harbor Lights")
        control("/__demo/reset")
        self.assertTrue(store("/orvanepurchase1.asp", purchases_body(
            "empty@orvane.test", "emptypass")).startswith("Error: 2*"))

    def test_refusals(self):
        skyfall = product_record("skyfall", "Skyfall Tactics", "19.99", "1.65")
        cases = [
            ("unverified", dict(email="new@orvane.test", password="newpass12"),
             "Error: Please verify"),
            ("wrong total", dict(total="$9.00"), "Error: The order total"),
            ("wrong password", dict(password="wrongpass1"), "Error: Your Orvane login"),
            ("empty cart", dict(items=[]), "Error: Your cart is empty."),
            ("already owned", dict(email="demo@orvane.test", password="demopass1",
                                   items=[skyfall], total="$21.64"), "Error: You already own"),
            ("bad security code", dict(ccv="12"), "Error: The security code"),
        ]
        for name, args, prefix in cases:
            with self.subTest(name):
                reply = self.buy(**args)
                self.assertTrue(reply.startswith(prefix), reply)
        self.assertEqual(control("/__demo/state")[1]["orders"], [])

    def paypal_session(self):
        return store("/orvanepaypal1.asp",
                     "mode=setexp" + VENDOR_PARAMS + VERSION
                     + "&email=empty@orvane.test&password=emptypass&productlist=" + HARBOR_ITEM
                     + "&curtype=USD&total=$8.03")

    def test_paypal_session_approval_and_purchase(self):
        reply = self.paypal_session()
        self.assertTrue(reply.startswith("ok|"), reply)
        token = reply[3:]
        self.assertEqual(len(token), 16)
        self.assertTrue(token.isalnum())
        self.assertTrue(self.buy(paypal_token=token).startswith("Error:"))
        page = "/orvanepaypal1.asp?session=" + token
        for listener in ("store-https", "plain"):
            status, _, body = request(listener, "GET", page)
            self.assertEqual(status, 200)
            self.assertIn(b"approve=yes", body)
        status, _, body = request("plain", "GET", page + "&approve=yes")
        self.assertIn(b"Payment approved", body)
        self.assertEqual(self.buy(paypal_token=token), "approved|A10100")
        self.assertTrue(self.buy(paypal_token=token).startswith("Error:"))

    def test_paypal_cancelled_or_unknown_session(self):
        token = self.paypal_session()[3:]
        request("plain", "GET", "/orvanepaypal1.asp?session=%s&approve=no" % token)
        for session in (token, "EC00000000000000"):
            with self.subTest(session=session):
                self.assertTrue(self.buy(paypal_token=session).startswith("Error:"))
        self.assertEqual(request("plain", "GET", "/orvanepaypal1.asp?session=NOPE")[0], 404)

    def test_paypal_switch(self):
        cases = [("error", lambda r: r == "Error: vendor not enabled for PayPal"),
                 ("garbage", lambda r: not r.startswith(("ok|", "Error:"))),
                 ("ok", lambda r: r.startswith("ok|"))]
        for mode, check in cases:
            with self.subTest(mode=mode):
                control("/__demo/store?paypal=" + mode)
                reply = self.paypal_session()
                self.assertTrue(check(reply), reply)


ACCOUNT_FORM = ("action=new&Name=Zo%e9&LastName=Park&Address1=12+Oak+Road&City=Salem"
                "&StateProv=Oregon&Zipcode=97301&Email=zoe%40orvane.test&Password1=zoepass12"
                "&UserName=zoep&Country=United+States")


class AccountTest(StoreTestCase):
    def account(self, body):
        return store("/orvaneaccount.asp", body)

    def test_view_gives_nine_fields(self):
        reply = self.account("action=view" + VERSION + "&login=demo@orvane.test&password=demopass1")
        self.assertEqual(reply.split("\x01"),
                         ["10452", "Dana", "Morgan", "1400 Harbor Way", "Portland", "Oregon",
                          "97201", "United States", "danam"])
        wrong = self.account("action=view" + VERSION + "&login=demo@orvane.test&password=x1234567")
        self.assertNotEqual(len(wrong.split("\x01")), 9)

    def test_new_account_verification_and_reset(self):
        self.assertEqual(self.account(ACCOUNT_FORM), "success")
        self.assertTrue(self.account(ACCOUNT_FORM).startswith("Error: "))
        self.assertEqual(store("/orvanepurchase1.asp",
                               purchases_body("zoe@orvane.test", "zoepass12")),
                         "Error: 2*Zo\xe9 Park*20000*0.0825*0")
        view = self.account("action=view" + VERSION + "&login=zoe@orvane.test&password=zoepass12")
        self.assertEqual(view.split("\x01")[1:4], ["Zo\xe9", "Park", "12 Oak Road"])
        self.assertEqual(self.account("action=resend&email=zoe@orvane.test"), "success")
        _, state = control("/__demo/state")
        links = [m["link"] for m in state["outbox"] if m["to"] == "zoe@orvane.test"]
        self.assertEqual(len(links), 2)  # on creation and on resend
        target = links[-1].split(str(SERVER.ports["plain"]), 1)[1]
        self.assertEqual(request("plain", "GET", target.replace("code=", "code=0"))[0], 404)
        self.assertEqual(request("plain", "GET", target)[0], 200)
        self.assertTrue(store("/orvanepurchase1.asp", purchases_body(
            "zoe@orvane.test", "zoepass12")).endswith("*1"))
        self.assertTrue(self.account("action=resend&email=zoe@orvane.test").startswith("Error: "))
        control("/__demo/reset")
        self.assertTrue(store("/orvanepurchase1.asp", purchases_body(
            "zoe@orvane.test", "zoepass12")).startswith("Error:1"))

    def test_new_account_refusals(self):
        cases = [("short field", ACCOUNT_FORM.replace("City=Salem", "City=S")),
                 ("bad email", ACCOUNT_FORM.replace("zoe%40orvane.test", "zoe.orvane.test")),
                 ("short password", ACCOUNT_FORM.replace("zoepass12", "zoe1")),
                 ("taken email", ACCOUNT_FORM.replace("zoe%40", "demo%40"))]
        for name, body in cases:
            with self.subTest(name):
                self.assertTrue(self.account(body).startswith("Error: "))

    def test_update_needs_the_current_password(self):
        update = ("action=update&login=demo@orvane.test&Name=Dana&LastName=Morgan"
                  "&Address1=1400+Harbor+Way&City=Portland&StateProv=Oregon&Zipcode=97201"
                  "&Email=demo%40orvane.test&Password1=newsecret9&UserName=danam"
                  "&Password={current}&Country=United+States")
        self.assertTrue(self.account(update.format(current="wrongpass1")).startswith("Error: "))
        self.assertEqual(self.account(update.format(current="demopass1")), "success")
        self.assertTrue(store("/orvanepurchase1.asp", purchases_body(
            "demo@orvane.test", "newsecret9")).startswith("success*"))
        self.assertTrue(store("/orvanepurchase1.asp", purchases_body(
            "demo@orvane.test", "demopass1")).startswith("Error:1"))

    def test_resend_for_verified_or_unknown_account_fails(self):
        self.assertEqual(self.account("action=resend&email=new@orvane.test"), "success")
        for email in ("demo@orvane.test", "nobody@orvane.test"):
            with self.subTest(email=email):
                self.assertTrue(self.account("action=resend&email=" + email).startswith("Error: "))

    def test_terms_text(self):
        terms = store("/orvaneterms.asp", "")
        self.assertTrue(terms.startswith("ORVANE TERMS OF SERVICE\r\n"))


class PagesAndPicturesTest(StoreTestCase):
    def test_browser_pages_on_both_listeners(self):
        for listener in ("plain", "store-https"):
            for target in ("/lostpwd.asp", "/lostpwd.asp?email=demo%40orvane.test",
                           "/view.asp?page=tos", "/support/diskmint"):
                with self.subTest(listener=listener, target=target):
                    status, headers, body = request(listener, "GET", target)
                    self.assertEqual(status, 200)
                    self.assertTrue(headers["Content-Type"].startswith("text/html"))
                    self.assertTrue(body.startswith(b"<!DOCTYPE html>"))

    def test_logo_is_a_200_by_40_png(self):
        status, headers, body = request("plain", "GET", "/vendors/tolstd/logo_s.png")
        self.assertEqual((status, headers["Content-Type"]), (200, "image/png"))
        self.assertEqual(body[:8], pngenc.PNG_SIGNATURE)
        self.assertEqual(struct.unpack(">II", body[16:24]), (200, 40))

    def test_each_product_picture_is_its_own_jpeg(self):
        digests = set()
        pictured = [p["productId"] for p in SEED["catalogue"] if p.get("picture")]
        for pid in pictured + ["SKYFALL"]:
            with self.subTest(pid=pid):
                status, headers, body = request("plain", "GET",
                                                "/vendors/tolstd/%s/product_main.jpg" % pid)
                self.assertEqual((status, headers["Content-Type"]), (200, "image/jpeg"))
                self.assertEqual(body[:2], b"\xff\xd8")
                digests.add(hashlib.sha256(body).hexdigest())
        self.assertEqual(len(digests), len(pictured))
        status, _, body = request("plain", "GET", "/legacy.jpg")
        self.assertEqual((status, body[:2]), (200, b"\xff\xd8"))

    def test_missing_pictures_are_404(self):
        for target in ("/vendors/tolstd/orbit/product_main.jpg",
                       "/vendors/tolstd/nosuch/product_main.jpg",
                       "/vendors/abcdef/skyfall/product_main.jpg",
                       "/vendors/abcdef/logo_s.png"):
            with self.subTest(target=target):
                self.assertEqual(request("plain", "GET", target)[0], 404)


class PngEncoderTest(unittest.TestCase):
    def test_chunks_and_pixels_decode(self):
        rows = [[(255, 0, 0), (0, 255, 0), (0, 0, 255)], [(1, 2, 3), (4, 5, 6), (7, 8, 9)]]
        data = pngenc.encode_png(3, 2, rows)
        self.assertEqual(data[:8], pngenc.PNG_SIGNATURE)
        pos, chunks = 8, []
        while pos < len(data):
            length = struct.unpack(">I", data[pos:pos + 4])[0]
            kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
            crc = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])[0]
            self.assertEqual(crc, zlib.crc32(kind + body) & 0xFFFFFFFF, kind)
            chunks.append((kind, body))
            pos += 12 + length
        self.assertEqual([k for k, _ in chunks], [b"IHDR", b"IDAT", b"IEND"])
        self.assertEqual(struct.unpack(">IIBBBBB", chunks[0][1]), (3, 2, 8, 2, 0, 0, 0))
        self.assertEqual(zlib.decompress(chunks[1][1]),
                         b"\x00\xff\x00\x00\x00\xff\x00\x00\x00\xff" + b"\x00" + bytes(range(1, 10)))

    def test_rows_must_match_the_size(self):
        for width, height, rows in ((2, 1, [[(0, 0, 0)]]), (1, 2, [[(0, 0, 0)]]), (0, 1, [[]])):
            with self.subTest(width=width, height=height):
                with self.assertRaises(ValueError):
                    pngenc.encode_png(width, height, rows)


class ProductFilesTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="demo-store-files-")
        self.addCleanup(shutil.rmtree, self.dir, True)

    def test_generated_content_matches_the_pattern(self):
        sizes = {"tiny": 100, "odd": 3 * storefiles.PATTERN_PERIOD + 17, "mib": 1 << 20}
        files = storefiles.ProductFiles(self.dir, sizes)
        contents = set()
        for file_id, size in sizes.items():
            with self.subTest(file_id=file_id):
                data = files.ensure(file_id).read_bytes()
                self.assertEqual(data, storefiles.expected_bytes(file_id, 0, size))
                contents.add(data[:100])
        self.assertEqual(len(contents), len(sizes))

    def test_existing_file_is_kept_and_a_short_one_is_rewritten(self):
        files = storefiles.ProductFiles(self.dir, {"f": 5000})
        path = files.ensure("f")
        inode = path.stat().st_ino
        self.assertEqual(files.ensure("f").stat().st_ino, inode)
        path.write_bytes(b"partial")
        self.assertEqual(files.ensure("f").read_bytes(), storefiles.expected_bytes("f", 0, 5000))
        with self.assertRaises(KeyError):
            files.ensure("unknown")


if __name__ == "__main__":
    unittest.main()
