"""Start-up of the real program against the demo store: the main window, the catalogue request
and a clean exit."""

import time
import unittest

from harness import DEMO_LOGIN, LOGIN_TITLE, MAIN_TITLE, WineTestCase

IDC_EXIT = 1132
IDC_PRODUCT_LIST = 1118

CATALOGUE_BODY = "action=catalog&vendorid=tolstd&version=2.11&tamo=2&channel=0&productid="


class StartupTest(WineTestCase):
    def test_first_start_loads_the_catalogue_and_exit_ends_with_code_0(self):
        started = time.monotonic()
        main, passed = self.open_main_window()
        startup_seconds = time.monotonic() - started

        self.assertTrue(self.driver.title(main).startswith(MAIN_TITLE), self.driver.title(main))
        # A first start may ask for a login; cancelled, at most one message box follows.
        kinds = [kind for kind, _ in passed]
        self.assertIn(kinds, ([], ["login"], ["login", "message"]), passed)
        if "message" in kinds:
            self.assertEqual(len(passed[1][1]["buttons"]), 1, passed[1][1])

        secure = self.store.requests(listener="store-https")
        catalogue = [r for r in secure if r["path"] == "/orvanepurchase1.asp" and r["body"].startswith("action=catalog")]
        self.assertEqual(len(catalogue), 1, secure)
        request = catalogue[0]
        self.assertEqual(request["method"], "POST")
        self.assertEqual(request["body"], CATALOGUE_BODY)
        self.assertEqual(request["headers"].get("User-Agent"), "Orvane 3/0")
        self.assertEqual(request["headers"].get("Content-Type"), "application/x-www-form-urlencoded")
        self.assertIs(secure[0], request, "the catalogue is the first secure request")

        # The catalogue arrived and was read: the seed's first product is listed.
        rows = self.wait_for(lambda: self.driver.list_rows(main, IDC_PRODUCT_LIST)["rows"], "the product list")
        self.assertIn("Skyfall Tactics", [row[0] for row in rows])
        self.screenshot(hwnd=main)
        self.screenshot("screen")

        self.driver.click(main, IDC_EXIT)
        self.assertEqual(self.driver.wait_exit(15000), 0)
        self.assertFalse(any(w["pid"] == self.program_pid for w in self.driver.windows()))
        print(f"\n    prefix+driver {self.setup_seconds:.1f}s, start to main window {startup_seconds:.1f}s",
              end=" ", flush=True)

    def test_close_box_and_esc_end_the_program_with_code_0(self):
        for how in ("close box", "Esc"):
            with self.subTest(how):
                main, _ = self.open_main_window()
                if how == "close box":
                    self.driver.close_window(main)
                else:
                    self.driver.key(main, IDC_PRODUCT_LIST, 0x1B)  # VK_ESCAPE in the focused list
                self.assertEqual(self.driver.wait_exit(15000), 0)


class ExitDuringDownloadTest(WineTestCase):
    def test_exit_while_a_download_runs_ends_with_code_0(self):
        self.store.control("/__demo/mirror?n=1&mode=slow&arg=20000")
        main, _ = self.open_main_window(settings=DEMO_LOGIN)
        rows = [r[0] for r in self.driver.list_rows(main, IDC_PRODUCT_LIST)["rows"]]
        self.driver.list_click(main, IDC_PRODUCT_LIST, rows.index("* Terrain Atlas HD"))
        self.wait_for(lambda: self.driver.text(main, 1135) == "Terrain Atlas HD", "the product")
        self.driver.combo_select(main, 1153, 3)  # Extras.zip, 3 MB
        self.wait_for(lambda: self.driver.enabled(main, 1125), "Download File")
        self.driver.click(main, 1125)
        self.wait_for(lambda: self.driver.text(main, 1123).startswith("Remaining:"), "the download running")
        self.driver.click(main, IDC_EXIT)
        self.assertEqual(self.driver.wait_exit(15000), 0)


if __name__ == "__main__":
    unittest.main()
