"""A scripted tour of the program under Xvfb, for machines without a display: it logs in, browses,
shows a product on sale, an owned product with several files, downloads a file and asks to log
out, saving a screenshot of each step in artifacts/demo/.

Run by scripts/demo.sh; it uses the end-to-end harness (ORVANE_BUILD_DIR must name the build)."""

import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tests" / "e2e"))

from harness import LOGIN_TITLE, WineTestCase  # noqa: E402

IDC_HEADER, IDC_LOGOUT, IDC_PRODUCT_LIST, IDC_TITLE = 1117, 1116, 1118, 1135
IDC_FILE_BOX, IDC_DOWNLOAD, IDC_PROGRESS_TEXT, IDC_EXIT = 1153, 1125, 1123, 1132


class Tour(WineTestCase):
    artifact_dir = "demo"

    def select(self, main, name):
        rows = [r[0] for r in self.driver.list_rows(main, IDC_PRODUCT_LIST)["rows"]]
        row = next(i for i, text in enumerate(rows) if text.lstrip("* ") == name)
        self.driver.list_click(main, IDC_PRODUCT_LIST, row)
        self.wait_for(lambda: self.driver.text(main, IDC_TITLE) == name, name)

    def step(self, name, hwnd):
        path = self.screenshot(name, hwnd=hwnd)
        print(f"  {path}", flush=True)

    def test_tour(self):
        self.start_program()
        login = self.driver.wait_window(LOGIN_TITLE, 30000)
        self.driver.set_text(login, 1003, "demo@orvane.test")
        self.driver.set_text(login, 1005, "demopass1")
        self.step("1-login", login)
        self.driver.click(login, 1006)
        self.driver.wait_gone(login, 15000)
        main = self.wait_main_window()
        self.wait_for(lambda: self.driver.text(main, IDC_HEADER).startswith("Welcome"), "the welcome")
        self.step("2-library-on-top", main)

        self.select(main, "Harbor Lights")
        self.step("3-on-sale-with-bundle-offer", main)

        self.select(main, "Terrain Atlas HD")
        self.driver.combo_select(main, IDC_FILE_BOX, 2)
        self.wait_for(lambda: self.driver.enabled(main, IDC_DOWNLOAD), "a file to download")
        self.step("4-owned-with-several-files", main)

        self.store.control("/__demo/mirror?n=1&mode=slow&arg=60000")
        self.driver.click(main, IDC_DOWNLOAD)
        self.wait_for(lambda: self.driver.text(main, IDC_PROGRESS_TEXT).startswith("Remaining:"), "progress")
        self.step("5-downloading", main)
        self.store.control("/__demo/mirror?n=1&mode=ok")
        self.wait_for(lambda: self.driver.text(main, IDC_PROGRESS_TEXT) == "Download Completed", "the download",
                      timeout=120)
        self.driver.call("sleep", 1200)
        self.step("6-downloaded", main)

        self.driver.click(main, IDC_LOGOUT)
        box = self.driver.message_box(15000)
        self.step("7-logout-question", box["hwnd"])
        self.driver.press(box["hwnd"], 7)
        self.driver.wait_gone(box["hwnd"], 10000)
        self.driver.click(main, IDC_EXIT)
        self.assertEqual(self.driver.wait_exit(15000), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
