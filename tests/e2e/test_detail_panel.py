"""The product detail panel of the real program: title, prices and sale line, the bundle offer,
legacy products, the file box and file status of an owned product with several files, and the
picture that each selection fetches."""

import unittest

from harness import DEMO_LOGIN, WineTestCase

IDC_PRODUCT_LIST = 1118
IDC_PRODUCT_INFO = 1120
IDC_FILE_STATUS = 1124
IDC_DOWNLOAD = 1125
IDC_CANCEL_DOWNLOAD = 1126
IDC_OPEN_FILE = 1131
IDC_PRODUCT_TITLE = 1135
IDC_ADD_TO_CART = 1136
IDC_ORDER_LINK = 1141
IDC_BUNDLE_PRICING = 1142
IDC_SALE_LINE = 1150
IDC_FILE_BOX = 1153
IDC_FILE_STATUS_MULTI = 1154

# The store's notification (id 42) counts as seen: no notification opens over the window.
NOTIFICATION_SEEN = {"tolstdnotifyid": "42"}
DOWNLOADS = r"C:\orvane-downloads"


class DetailPanelTest(WineTestCase):
    def setUp(self):
        super().setUp()
        # A download folder inside the prefix, so that the test can place files from Linux.
        self.downloads = self.prefix.path / "drive_c" / "orvane-downloads"
        self.downloads.mkdir()
        self.product_folder = self.downloads / "OrvanePurchase" / "tolstd"

    def open_logged_in(self):
        main, passed = self.open_main_window(settings={**DEMO_LOGIN, **NOTIFICATION_SEEN, "FolderPath": DOWNLOADS})
        self.assertEqual(passed, [], "the remembered login needs no dialog")
        self.rows = [row[0] for row in self.wait_for(
            lambda: self.driver.list_rows(main, IDC_PRODUCT_LIST)["rows"], "the product list")]
        return main

    def row(self, name):
        self.assertIn(name, self.rows)
        return self.rows.index(name)

    def wait_title(self, main, title):
        self.wait_for(lambda: self.driver.text(main, IDC_PRODUCT_TITLE) == title, f"the title {title!r}")

    def pictures(self):
        """Product pictures the program fetched since the log was emptied, oldest first."""
        return [r["path"] for r in self.store.requests(listener="plain")
                if r["path"].endswith("/product_main.jpg") or r["path"].lower() == "/legacy.jpg"]

    def empty_log(self, main):
        # A reply from the window first: whatever it started before is finished.
        self.driver.list_rows(main, IDC_PRODUCT_LIST, 1)
        self.store.control("/__demo/reset-log", data=b"")

    def test_product_on_sale_shows_sale_line_sale_price_and_bundle_offer(self):
        main = self.open_logged_in()
        d = self.driver
        self.empty_log(main)
        d.list_select(main, IDC_PRODUCT_LIST, self.row("Harbor Lights"))
        self.wait_title(main, "Harbor Lights")

        self.assertEqual(d.text(main, IDC_SALE_LINE), "This product is on sale! Now: $7.50 (was $10.00).")
        self.assertEqual(d.text(main, IDC_ADD_TO_CART), "Add to Cart ($7.50)")
        self.assertTrue(d.enabled(main, IDC_ADD_TO_CART), "logged in: the product can be bought")
        self.assertTrue(d.text(main, IDC_PRODUCT_INFO).startswith("Guide ships home through fog"))
        self.assertEqual(d.text(main, IDC_ORDER_LINK), "", "not owned: no order number")
        self.assertTrue(d.visible(main, IDC_BUNDLE_PRICING))
        self.assertTrue(d.enabled(main, IDC_BUNDLE_PRICING))
        self.assertEqual(d.checked(main, IDC_BUNDLE_PRICING), 0)
        self.assertEqual(d.text(main, IDC_BUNDLE_PRICING),
                         "Add Harbor Lights Expansion Bundle to your cart for 10% savings!")
        self.assertEqual(self.pictures(), ["/vendors/tolstd/harbor/product_main.jpg"])
        self.screenshot(hwnd=main)

        # The next product shows its own prices: a sale price above the price is no sale, and
        # neither the sale line nor the offer of the product before stays on screen.
        d.list_select(main, IDC_PRODUCT_LIST, self.row("Sketchpad Pro"))
        self.wait_title(main, "Sketchpad Pro")
        self.assertEqual(d.text(main, IDC_ADD_TO_CART), "Add to Cart ($10.00)")
        self.assertEqual(d.text(main, IDC_SALE_LINE), "")
        self.assertFalse(d.visible(main, IDC_BUNDLE_PRICING))

        # An offer of 5 percent is no offer.
        d.list_select(main, IDC_PRODUCT_LIST, self.row("WaveCut Audio Editor"))
        self.wait_title(main, "WaveCut Audio Editor")
        self.assertEqual(d.text(main, IDC_ADD_TO_CART), "Add to Cart ($24.99)")
        self.assertFalse(d.visible(main, IDC_BUNDLE_PRICING))

    def test_legacy_product_has_a_plain_caption_and_the_legacy_picture(self):
        main = self.open_logged_in()
        d = self.driver
        self.empty_log(main)
        d.list_select(main, IDC_PRODUCT_LIST, self.row("* Chronicle Writer 3"))
        self.wait_title(main, "Chronicle Writer 3")

        self.assertEqual(d.text(main, IDC_ADD_TO_CART), "Add to Cart")
        self.assertEqual(d.text(main, IDC_SALE_LINE), "")
        self.assertEqual(d.text(main, IDC_ORDER_LINK), "Order Number: A10005")
        self.assertEqual(d.text(main, IDC_FILE_STATUS),
                         "File: ChronicleWriter3.exe\r\nFile Size: 512 KB\r\nAvailable Version: 3.7\r\n"
                         "Status: Not Downloaded")
        self.assertTrue(d.enabled(main, IDC_DOWNLOAD))
        self.assertEqual(self.pictures(), ["/legacy.jpg"])
        self.screenshot(hwnd=main)

    def test_file_box_of_a_product_with_several_files_drives_the_file_status(self):
        # Extras.zip was downloaded before, when the store offered another version; its record
        # holds a value with "=" in it.
        self.product_folder.mkdir(parents=True)
        (self.product_folder / "Extras.zip").write_bytes(b"PK\x05\x06" + bytes(18))
        (self.product_folder / "Extras.zip.cfg").write_bytes(
            b"orvaneproduct=Terrain Atlas HD\r\norvaneproductid=terrain\r\nfilename=Extras.zip\r\n"
            b"date=Tue Jan 02 02:03:55 2024\r\nversion=4.1=rc2\r\n")

        main = self.open_logged_in()
        d = self.driver
        d.list_select(main, IDC_PRODUCT_LIST, self.row("* Terrain Atlas HD"))
        self.wait_title(main, "Terrain Atlas HD")

        self.assertEqual(d.combo_items(main, IDC_FILE_BOX),
                         {"count": 4, "selected": 0,
                          "items": ["Select File...", "Setup.exe", "Manual.pdf", "Extras.zip"]})
        self.assertTrue(d.visible(main, IDC_FILE_BOX))
        self.assertFalse(d.enabled(main, IDC_DOWNLOAD))
        self.assertTrue(d.visible(main, IDC_FILE_STATUS_MULTI))
        self.assertFalse(d.visible(main, IDC_FILE_STATUS))
        self.assertEqual(d.text(main, IDC_FILE_STATUS_MULTI), "File Status: Select a File...")

        # The second file, never downloaded: its own size and the available version.
        d.combo_select(main, IDC_FILE_BOX, 2)
        self.wait_for(lambda: d.enabled(main, IDC_DOWNLOAD), "Download File enabled")
        self.wait_for(lambda: d.text(main, IDC_FILE_STATUS_MULTI).startswith("File Size:"), "the status of Manual.pdf")
        self.assertEqual(d.text(main, IDC_FILE_STATUS_MULTI),
                         "File Size: 200 KB\r\nAvailable Version: 4.2\r\nStatus: Not Downloaded")
        self.assertFalse(d.enabled(main, IDC_OPEN_FILE))
        self.assertFalse(d.enabled(main, IDC_CANCEL_DOWNLOAD))
        self.screenshot("manual", hwnd=main)

        # The third file, downloaded: the record's date and version against the available one.
        d.combo_select(main, IDC_FILE_BOX, 3)
        self.wait_for(lambda: d.text(main, IDC_FILE_STATUS_MULTI).startswith("Downloaded on:"),
                      "the status of Extras.zip")
        self.assertEqual(d.text(main, IDC_FILE_STATUS_MULTI),
                         "Downloaded on: Tue Jan 02 02:03:55 2024\r\nVersion Downloaded: 4.1=rc2\r\n"
                         "Available Version: 4.2")
        self.assertTrue(d.enabled(main, IDC_OPEN_FILE))
        self.assertTrue(d.enabled(main, IDC_DOWNLOAD))
        d.click(main, IDC_OPEN_FILE)
        self.wait_for(lambda: self.prefix.opened_files(), "the shell opening Extras.zip")
        self.assertEqual(len(self.prefix.opened_files()), 1)
        self.assertTrue(self.prefix.opened_files()[0].endswith(
            '"C:\\orvane-downloads\\OrvanePurchase\\tolstd\\Extras.zip"'), self.prefix.opened_files())

        # Back to the prompt: nothing can be downloaded or opened.
        d.combo_select(main, IDC_FILE_BOX, 0)
        self.wait_for(lambda: not d.enabled(main, IDC_DOWNLOAD), "Download File disabled")
        self.assertFalse(d.enabled(main, IDC_OPEN_FILE))
        self.assertFalse(d.enabled(main, IDC_CANCEL_DOWNLOAD))
        self.assertEqual(d.text(main, IDC_FILE_STATUS_MULTI), "File Status: Select a File...")
        self.assertTrue(d.visible(main, IDC_FILE_STATUS_MULTI))
        self.screenshot(hwnd=main)

    def test_each_selection_fetches_one_picture(self):
        main = self.open_logged_in()
        d = self.driver
        self.empty_log(main)

        # Mouse clicks are posted and handled in order: a second click on the row already shown
        # is handled before the click on the next row.
        d.list_click(main, IDC_PRODUCT_LIST, self.row("Harbor Lights"))
        self.wait_title(main, "Harbor Lights")
        d.list_click(main, IDC_PRODUCT_LIST, self.row("Harbor Lights"))
        d.list_click(main, IDC_PRODUCT_LIST, self.row("Sketchpad Pro"))
        self.wait_title(main, "Sketchpad Pro")
        # The keyboard moves to the next row.
        d.key(main, IDC_PRODUCT_LIST, "down")
        self.wait_title(main, "WaveCut Audio Editor")
        self.wait_for(lambda: len(self.pictures()) >= 3, "three picture requests")
        d.list_rows(main, IDC_PRODUCT_LIST, 1)  # the window is idle again

        self.assertEqual(self.pictures(), ["/vendors/tolstd/harbor/product_main.jpg",
                                           "/vendors/tolstd/sketchpad/product_main.jpg",
                                           "/vendors/tolstd/wavecut/product_main.jpg"])
        self.assertEqual(d.list_rows(main, IDC_PRODUCT_LIST)["selected"], [self.row("WaveCut Audio Editor")])


if __name__ == "__main__":
    unittest.main()
