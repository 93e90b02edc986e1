"""Downloads in the real program against the demo store's mirrors: progress, the completed file
with its record, the retry on mirror 2, failures of both mirrors, cancelling, and a file that
already exists."""

import re
import unittest
from datetime import datetime, timedelta
from pathlib import Path

from harness import DEMO_LOGIN, DriverError, WineTestCase

IDC_PRODUCT_LIST = 1118
IDC_PROGRESS_BAR = 1122
IDC_PROGRESS_TEXT = 1123
IDC_FILE_STATUS = 1124
IDC_DOWNLOAD = 1125
IDC_CANCEL_DOWNLOAD = 1126
IDC_OPEN_FILE = 1131
IDC_PRODUCT_TITLE = 1135
IDC_CATEGORY_BOX = 1151

# The store's notification (id 42) counts as seen: no notification opens over the window.
NOTIFICATION_SEEN = {"tolstdnotifyid": "42"}
DOWNLOADS = r"C:\orvane-downloads"

# An owned product with one file of 256 KB whose extension the test prefix hands to the open
# recorder.
PRODUCT_ROW = "* Harbor Lights: Northern Isles"
PRODUCT_NAME = "Harbor Lights: Northern Isles"
PRODUCT_ID = "harbordlc1"
FILE_NAME = "NorthernIsles.pak"
FILE_ID = "harbor-dlc1"
VERSION = "1.0"
WINDOWS_TARGET = DOWNLOADS + r"\OrvanePurchase\tolstd" + "\\" + FILE_NAME

FAILED = "Error downloading file. Please try again soon or contact support if you keep getting this error."
REMAINING = re.compile(r"^Remaining: (\d+ Hrs )?(\d+ Min )?\d+ Sec \((?P<amount>[^()]+) of (?P<size>[^()]+)\) "
                       r"\d+\.\d\d (Bytes|KB|MB)/sec$")
RECORD_DATE = re.compile(r"^(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                         r"\d\d \d\d:\d\d:\d\d \d{4}$")


class DownloadTest(WineTestCase):
    def setUp(self):
        super().setUp()
        # The download folder lies inside the prefix, where the test reads it from Linux.
        downloads = self.prefix.path / "drive_c" / "orvane-downloads"
        downloads.mkdir()
        self.product_folder = downloads / "OrvanePurchase" / "tolstd"
        self.target = self.product_folder / FILE_NAME
        self.record = self.product_folder / (FILE_NAME + ".cfg")

    # ---- helpers

    def open_product(self):
        """Starts the program logged in and shows the product; returns the main window."""
        main, passed = self.open_main_window(settings={**DEMO_LOGIN, **NOTIFICATION_SEEN, "FolderPath": DOWNLOADS})
        self.assertEqual(passed, [], "the remembered login needs no dialog")
        self.select_product(main)
        status = self.driver.text(main, IDC_FILE_STATUS)
        self.assertTrue(status.startswith(f"File: {FILE_NAME}\r\nFile Size: "), status)
        self.assertTrue(status.endswith("Status: Not Downloaded"), status)
        self.size_text = status.split("\r\n")[1][len("File Size: "):]
        self.assertTrue(self.driver.enabled(main, IDC_DOWNLOAD))
        self.store.control("/__demo/reset-log", data=b"")
        return main

    def select_product(self, main):
        rows = [row[0] for row in self.wait_for(
            lambda: self.driver.list_rows(main, IDC_PRODUCT_LIST)["rows"], "the product list")]
        self.driver.list_select(main, IDC_PRODUCT_LIST, rows.index(PRODUCT_ROW))
        self.wait_for(lambda: self.driver.text(main, IDC_PRODUCT_TITLE) == PRODUCT_NAME, "the product's panel")

    def mirror(self, n, mode, arg=None):
        self.store.control(f"/__demo/mirror?n={n}&mode={mode}" + (f"&arg={arg}" if arg is not None else ""))

    def served_bytes(self):
        """The file as the mirrors serve it."""
        return Path(self.store.control("/__demo/files")[FILE_ID]["path"]).read_bytes()

    def mirror_requests(self, n):
        return self.store.requests(listener=f"mirror{n}")

    def file_id_requests(self):
        return self.store.requests(path="/orvanegetfile.asp")

    def wait_completed(self, main, timeout=30):
        """Until the finished download has given the product list back."""
        self.wait_for(lambda: self.driver.text(main, IDC_PROGRESS_TEXT) == "Download Completed"
                      and self.driver.enabled(main, IDC_PRODUCT_LIST), "the completed download", timeout)

    def assert_no_message_box(self):
        with self.assertRaises(DriverError, msg="no message box is open"):
            self.driver.message_box(0)

    def assert_nothing_kept(self, main):
        """A download that did not complete leaves neither a file nor a record, and says so."""
        self.assertFalse(self.target.exists(), "no partial file is left")
        self.assertFalse(self.record.exists(), "no record is written")
        self.assertEqual(self.driver.text(main, IDC_FILE_STATUS),
                         f"File: {FILE_NAME}\r\nFile Size: {self.size_text}\r\nAvailable Version: {VERSION}\r\n"
                         "Status: Not Downloaded")
        self.assertFalse(self.driver.enabled(main, IDC_OPEN_FILE))
        self.assertEqual(self.prefix.opened_files(), [])

    def assert_record(self, written_after, written_before):
        """The record beside the file: five lines ending in CR LF; returns its date."""
        data = self.record.read_bytes()
        self.assertTrue(data.endswith(b"\r\n"), data)
        lines = data[:-2].split(b"\r\n")
        self.assertEqual(len(lines), 5, data)
        self.assertNotIn(b"\n", b"".join(lines), "every line ends in CR LF")
        text = [line.decode("latin-1") for line in lines]
        self.assertEqual(text[0], f"orvaneproduct={PRODUCT_NAME}")
        self.assertEqual(text[1], f"orvaneproductid={PRODUCT_ID}")
        self.assertEqual(text[2], f"filename={FILE_NAME}")
        self.assertEqual(text[4], f"version={VERSION}")
        self.assertTrue(text[3].startswith("date="), text[3])
        date = text[3][len("date="):]
        self.assertRegex(date, RECORD_DATE)
        when = datetime.strptime(date, "%a %b %d %H:%M:%S %Y")
        self.assertEqual(when.strftime("%a"), date[:3], "the weekday belongs to the date")
        # The local time of writing (the prefix runs in the host's time zone).
        slack = timedelta(minutes=2)
        self.assertTrue(written_after - slack <= when <= written_before + slack, (date, written_after, written_before))
        return date

    # ---- scenarios

    def test_download_shows_progress_then_records_and_opens_the_file(self):
        main = self.open_product()
        d = self.driver
        self.mirror(1, "slow", 40960)  # 256 KB in about six seconds
        started = datetime.now().replace(microsecond=0)
        d.click(main, IDC_DOWNLOAD)

        samples = []

        def sample():
            # A label and a bar position of the same poll: the label is the same before and after
            # (polls come every 500 ms, so a second try finds them settled).
            for _ in range(5):
                label = d.text(main, IDC_PROGRESS_TEXT)
                pos = d.progress(main, IDC_PROGRESS_BAR)["pos"]
                if d.text(main, IDC_PROGRESS_TEXT) == label:
                    samples.append((label, pos))
                    return label, pos
            return "", -1

        def midway():
            label, pos = sample()
            return label.startswith("Remaining: ") and 20 <= pos <= 80

        self.wait_for(midway, "the download half-way", timeout=30)
        label = samples[-1][0]
        m = REMAINING.match(label)
        self.assertIsNotNone(m, label)
        self.assertEqual(m["size"], self.size_text)
        self.assertFalse(d.enabled(main, IDC_PRODUCT_LIST), "the product cannot change during a download")
        self.assertFalse(d.enabled(main, IDC_CATEGORY_BOX), "nor can the list be refilled")
        self.assertTrue(d.enabled(main, IDC_CANCEL_DOWNLOAD))
        self.assertFalse(d.enabled(main, IDC_DOWNLOAD))
        self.assertFalse(d.enabled(main, IDC_OPEN_FILE))
        self.screenshot("midway", hwnd=main)

        self.wait_for(lambda: sample()[0] == "Download Completed" and d.enabled(main, IDC_PRODUCT_LIST),
                      "the completed download", timeout=30)
        finished = datetime.now()
        mirrors = [(r["listener"], r["path"], r.get("fault")) for r in self.store.log() if "mirror" in r["listener"]]
        self.assertEqual(mirrors, [("mirror1", f"/sendfile.php?id={FILE_ID}", "slow:40960")], samples)

        # The bar moved forward while the label counted the bytes.
        moving = [pos for label, pos in samples if label.startswith("Remaining: ")]
        self.assertGreaterEqual(len(set(p for p in moving if 0 < p < 100)), 2, samples)
        self.assertEqual(moving, sorted(moving), samples)
        for label in {label for label, _ in samples if label.startswith("Remaining: ")}:
            self.assertRegex(label, REMAINING)

        served = self.served_bytes()
        self.assertEqual(self.target.stat().st_size, len(served))
        self.assertEqual(self.target.read_bytes(), served)
        date = self.assert_record(started, finished)
        self.assertEqual(d.text(main, IDC_FILE_STATUS),
                         f"File: {FILE_NAME}\r\nDownloaded on: {date}\r\nVersion Downloaded: {VERSION}\r\n"
                         f"Available Version: {VERSION}")
        self.assertTrue(d.enabled(main, IDC_OPEN_FILE))
        self.assertFalse(d.enabled(main, IDC_CANCEL_DOWNLOAD))
        self.assertTrue(d.enabled(main, IDC_CATEGORY_BOX))
        self.wait_for(lambda: self.prefix.opened_files(), "the shell opening the file")
        self.assertEqual(len(self.prefix.opened_files()), 1)
        self.assertTrue(self.prefix.opened_files()[0].endswith(f'"{WINDOWS_TARGET}"'), self.prefix.opened_files())
        self.assertEqual(len(self.file_id_requests()), 1)
        self.assert_no_message_box()
        self.screenshot(hwnd=main)

    def _retry_completes_on_mirror_2(self, fault, arg=None):
        main = self.open_product()
        self.mirror(1, fault, arg)
        started = datetime.now().replace(microsecond=0)
        self.driver.click(main, IDC_DOWNLOAD)
        self.wait_completed(main)

        first, second = self.mirror_requests(1), self.mirror_requests(2)
        self.assertEqual(len(first), 1, first)
        self.assertEqual(len(second), 1, second)
        self.assertEqual(first[0]["fault"], fault + (f":{arg}" if arg is not None else ""))
        self.assertEqual(first[0]["path"], f"/sendfile.php?id={FILE_ID}")
        self.assertEqual(second[0]["path"], first[0]["path"], "the retry asks for the same file")
        self.assertEqual(len(self.file_id_requests()), 1, "the retry reuses the file id")
        self.assertEqual(self.target.read_bytes(), self.served_bytes())
        self.assert_record(started, datetime.now())
        self.assert_no_message_box()
        self.wait_for(lambda: self.prefix.opened_files(), "the shell opening the file")

    def test_mirror_1_down_retries_once_on_mirror_2(self):
        self._retry_completes_on_mirror_2("down")

    def test_retry_replaces_the_part_that_mirror_1_cut_short(self):
        # The first attempt leaves 100000 bytes; the retry asks nothing and starts the file anew.
        self._retry_completes_on_mirror_2("cut", 100000)

    def test_both_mirrors_down_reports_the_failure_and_keeps_nothing(self):
        main = self.open_product()
        d = self.driver
        self.mirror(1, "down")
        self.mirror(2, "down")
        d.click(main, IDC_DOWNLOAD)

        box = d.message_box(30000)
        self.assertEqual(box["text"], FAILED)
        self.assertEqual(box["title"], "Error")
        self.assertEqual([b["text"] for b in box["buttons"]], ["OK"])
        self.screenshot(hwnd=box["hwnd"])
        d.press(box["hwnd"], box["buttons"][0]["id"])
        d.wait_gone(box["hwnd"])

        self.wait_for(lambda: d.enabled(main, IDC_PRODUCT_LIST), "the product list enabled again")
        self.assertTrue(d.enabled(main, IDC_DOWNLOAD))
        self.assertFalse(d.enabled(main, IDC_CANCEL_DOWNLOAD))
        self.assert_nothing_kept(main)
        self.assertEqual(len(self.mirror_requests(1)), 1)
        self.assertEqual(len(self.mirror_requests(2)), 1)
        self.assertEqual(len(self.file_id_requests()), 1)

    def test_cancel_midway_deletes_the_partial_file(self):
        main = self.open_product()
        d = self.driver
        self.mirror(1, "slow", 20480)  # 256 KB in about thirteen seconds
        d.click(main, IDC_DOWNLOAD)
        self.wait_for(lambda: d.text(main, IDC_PROGRESS_TEXT).startswith("Remaining: ")
                      and self.target.exists() and self.target.stat().st_size > 0, "a partial file", timeout=30)
        d.click(main, IDC_CANCEL_DOWNLOAD)

        self.wait_for(lambda: d.text(main, IDC_PROGRESS_TEXT) == "Download Canceled", "the cancelled download")
        self.wait_for(lambda: not self.target.exists(), "the partial file deleted", timeout=5)
        self.assertTrue(d.enabled(main, IDC_DOWNLOAD))
        self.assertFalse(d.enabled(main, IDC_CANCEL_DOWNLOAD))
        self.assertTrue(d.enabled(main, IDC_PRODUCT_LIST))
        self.assertEqual(d.progress(main, IDC_PROGRESS_BAR)["pos"], 0)
        self.assert_nothing_kept(main)
        self.assert_no_message_box()
        self.assertEqual(self.mirror_requests(2), [], "a cancel is not retried on mirror 2")
        self.screenshot(hwnd=main)

        # The next download starts from nothing and completes.
        self.mirror(1, "ok")
        d.click(main, IDC_DOWNLOAD)
        self.wait_completed(main)
        self.assertEqual(self.target.read_bytes(), self.served_bytes())
        self.assertTrue(self.record.exists())

    def test_file_cut_short_by_both_mirrors_never_completes(self):
        main = self.open_product()
        d = self.driver
        self.mirror(1, "cut", 100000)
        self.mirror(2, "cut", 100000)
        d.click(main, IDC_DOWNLOAD)

        labels = []

        def failure_box():
            labels.append(d.text(main, IDC_PROGRESS_TEXT))
            return d.message_box(0)  # raises while there is none

        box = self.wait_for(failure_box, "the failure message", timeout=30)
        self.assertEqual(box["text"], FAILED)
        self.assertNotIn("Download Completed", labels)
        d.press(box["hwnd"], box["buttons"][0]["id"])
        d.wait_gone(box["hwnd"])

        self.wait_for(lambda: d.enabled(main, IDC_PRODUCT_LIST), "the product list enabled again")
        self.assertNotEqual(d.text(main, IDC_PROGRESS_TEXT), "Download Completed")
        self.assertTrue(d.enabled(main, IDC_DOWNLOAD))
        self.assert_nothing_kept(main)
        self.assertEqual([r["fault"] for r in self.mirror_requests(1) + self.mirror_requests(2)],
                         ["cut:100000", "cut:100000"])

    def test_existing_file_is_replaced_only_after_yes(self):
        main = self.open_product()
        d = self.driver
        d.click(main, IDC_DOWNLOAD)
        self.wait_completed(main)
        self.wait_for(lambda: self.prefix.opened_files(), "the shell opening the file")
        file_before, record_before = self.target.read_bytes(), self.record.read_bytes()

        # Shown again, the downloaded product can be downloaded again.
        d.list_select(main, IDC_PRODUCT_LIST, 0)
        self.wait_for(lambda: d.text(main, IDC_PRODUCT_TITLE) != PRODUCT_NAME, "another product")
        self.select_product(main)
        self.assertTrue(d.enabled(main, IDC_DOWNLOAD))
        self.store.control("/__demo/reset-log", data=b"")

        d.click(main, IDC_DOWNLOAD)
        box = d.message_box(15000)
        self.assertEqual(box["title"], "File Already Exists")
        self.assertEqual(box["text"], "The selected file already exists. Do you wish to delete the existing file and "
                                      "re-download?")
        buttons = {b["text"].replace("&", ""): b["id"] for b in box["buttons"]}  # "&Yes": Alt+Y
        self.assertEqual(set(buttons), {"Yes", "No"})
        self.screenshot("question", hwnd=box["hwnd"])
        d.press(box["hwnd"], buttons["No"])
        d.wait_gone(box["hwnd"])

        d.list_rows(main, IDC_PRODUCT_LIST, 1)  # the window has handled the answer
        self.assertEqual(self.target.read_bytes(), file_before)
        self.assertEqual(self.record.read_bytes(), record_before)
        self.assertEqual(self.store.log(), [], "No asks nothing of the store")
        self.assertTrue(d.enabled(main, IDC_DOWNLOAD))
        self.assertTrue(d.enabled(main, IDC_OPEN_FILE))

        d.click(main, IDC_DOWNLOAD)
        box = d.message_box(15000)
        self.assertEqual(box["title"], "File Already Exists")
        d.press(box["hwnd"], buttons["Yes"])
        self.wait_for(lambda: len(self.prefix.opened_files()) == 2, "the new download opened", timeout=30)
        self.wait_completed(main)
        self.assertEqual(len(self.file_id_requests()), 1)
        self.assertEqual(len(self.mirror_requests(1)), 1)
        self.assertEqual(self.target.read_bytes(), self.served_bytes())
        self.assertTrue(self.record.exists())


if __name__ == "__main__":
    unittest.main()
