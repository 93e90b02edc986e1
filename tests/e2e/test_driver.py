"""The driver and the prefix set-up, proven against driver_fixture.exe (a window of known controls
that writes every event it receives into its status line, id 110). When an end-to-end test of the
store program fails, these tell whether the driver and the prefix still work under this Wine."""

import unittest
from pathlib import Path

from harness import DriverError, WineTestCase

BUTTON, EDIT, CHECK, COMBO, LIST, LINK, MESSAGE, DISABLED, EXIT, SHELL, STATUS, PROGRESS = (
    100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111)


class DriverFixtureTest(WineTestCase):
    program_name = "driver_fixture.exe"

    def setUp(self):
        super().setUp()
        self.driver.launch()
        self.win = self.driver.wait_window("Driver Fixture", 20000)

    def status_becomes(self, expected):
        return self.wait_for(lambda: self.driver.text(self.win, STATUS) == expected, f"status {expected!r}",
                             timeout=5)

    def status_changes_from(self, old):
        self.wait_for(lambda: self.driver.text(self.win, STATUS) != old, "a new status", timeout=5)
        return self.driver.text(self.win, STATUS)

    def test_controls_are_read_and_operated_across_processes(self):
        d, w = self.driver, self.win
        self.assertEqual(d.text(w, EDIT), "first\r\nsecond")
        self.assertEqual(d.title(w), "Driver Fixture")

        d.click(w, BUTTON)
        self.status_becomes("clicked 1")
        self.assertFalse(d.enabled(w, DISABLED))
        with self.assertRaisesRegex(DriverError, "disabled"):
            d.click(w, DISABLED)
        with self.assertRaisesRegex(DriverError, "no control 4242"):
            d.text(w, 4242)

        self.assertEqual(d.checked(w, CHECK), 0)
        d.click(w, CHECK)
        self.status_becomes("check on")
        self.assertEqual(d.checked(w, CHECK), 1)

        combo = d.combo_items(w, COMBO)
        self.assertEqual(combo, {"count": 3, "selected": 0, "items": ["All Products", "Games", "Caf\u00e9 & Tools"]})
        d.combo_select(w, COMBO, 2)
        self.status_becomes("combo 2 Caf\u00e9 & Tools")
        with self.assertRaisesRegex(DriverError, "out of range"):
            d.combo_select(w, COMBO, 3)

        rows = d.list_rows(w, LIST)
        self.assertEqual(rows["count"], 3)
        self.assertEqual(rows["columns"], 3)
        self.assertEqual(rows["rows"][0], ["Skyfall Tactics", "$19.99", "*"])
        self.assertEqual(rows["rows"][2], ["Sketchpad Pro", "$12.00", ""])
        self.assertEqual(rows["selected"], [])
        d.list_select(w, LIST, 1)
        self.status_becomes("row 1")
        rows = d.list_rows(w, LIST)
        self.assertEqual((rows["selected"], rows["focused"]), ([1], 1))
        d.list_click(w, LIST, 2)
        self.status_becomes("row 2")
        d.list_click(w, LIST, 0, double=True)
        self.status_becomes("double 0")

        # Two links in one SysLink: each click raises NM_CLICK for its own link.
        d.syslink_click(w, LINK, 0)
        first = self.status_changes_from("double 0")
        self.assertRegex(first, r"^link \d+$")
        d.syslink_click(w, LINK, 1)
        second = self.status_changes_from(first)
        self.assertRegex(second, r"^link \d+$")

        self.assertEqual(d.progress(w, PROGRESS), {"pos": 40, "low": 0, "high": 250})

        d.set_text(w, EDIT, "Caf\u00e9 \"quoted\"\r\nline \\ two")
        self.assertEqual(d.text(w, EDIT), "Caf\u00e9 \"quoted\"\r\nline \\ two")
        d.key(w, BUTTON, "enter")
        self.status_becomes("enter")
        d.key(w, 0, "esc")
        self.status_becomes("escape")

    def test_message_box_blocks_the_window_until_answered(self):
        d, w = self.driver, self.win
        d.click(w, MESSAGE)
        box = d.message_box(10000)
        self.assertEqual(box["title"], "Fixture question")
        self.assertEqual(box["text"], "Are you sure?\nReally?")
        self.assertEqual([(b["id"], b["text"]) for b in box["buttons"]], [(6, "&Yes"), (7, "&No")])
        self.screenshot("message-box")
        # The window behind a modal box is disabled: the driver refuses to click in it.
        with self.assertRaisesRegex(DriverError, "window is disabled"):
            d.click(w, BUTTON)
        d.press(box["hwnd"], 7)
        d.wait_gone(box["hwnd"], 5000)
        self.status_becomes("message 7")
        d.click(w, EXIT)
        self.assertEqual(d.wait_exit(10000), 7)

    def test_shell_open_lands_in_the_recorders(self):
        d, w = self.driver, self.win
        url = self.store.url("/support/skyfall?from=fixture&x=1")
        d.set_text(w, EDIT, url)
        d.click(w, SHELL)
        status = self.status_changes_from("ready")
        self.assertGreater(int(status.split()[1]), 32, status)
        self.wait_for(lambda: self.prefix.browser_urls() == [url], "the browser recorder to log the address")
        self.assertEqual(self.prefix.browser_urls(), [url])

        product = Path(self.prefix.path, "drive_c", "users", "Public", "NorthernIsles.pak")
        product.parent.mkdir(parents=True, exist_ok=True)
        product.write_bytes(b"demo")
        d.set_text(w, EDIT, r"C:\users\Public\NorthernIsles.pak")
        d.click(w, SHELL)
        status = self.status_changes_from(status)
        self.assertGreater(int(status.split()[1]), 32, status)
        opened = self.wait_for(self.prefix.opened_files, "the open recorder to log the file")
        self.assertEqual(len(opened), 1)
        self.assertIn(r"C:\users\Public\NorthernIsles.pak", opened[0])


class RegistryHelpersTest(WineTestCase):
    """Values a test puts into the program's key before a start, and reads after it."""

    def test_values_round_trip_through_the_driver_and_user_reg(self):
        d = self.driver
        self.assertIsNone(d.reg_values())
        d.reg_set("Email", "demo@orvane.test")
        d.reg_set("Folder", "C:\\Caf\u00e9 \"Downloads\"")
        d.reg_set("Empty", "")
        d.reg_set("Count", 7)
        email = d.reg_get("Email")
        self.assertEqual((email["type"], email["data"]), ("REG_SZ", "demo@orvane.test"))
        self.assertEqual(d.reg_get("Folder")["data"], "C:\\Caf\u00e9 \"Downloads\"")
        self.assertEqual(d.reg_get("Empty")["bytes"], 0)
        self.assertEqual(d.reg_get("Count"), {"type": "REG_DWORD", "data": 7})
        self.assertIsNone(d.reg_get("Missing"))
        self.assertTrue(d.reg_delete("Empty"))
        self.assertFalse(d.reg_delete("Empty"))
        self.assertEqual(sorted(d.reg_values()), ["Count", "Email", "Folder"])

        # Once the wineserver has saved the registry, user.reg holds the same values.
        d.close()
        self.prefix.wait_server()
        self.assertEqual(self.prefix.user_reg_values(),
                         {"Email": "demo@orvane.test", "Folder": "C:\\Caf\u00e9 \"Downloads\"", "Count": 7})


if __name__ == "__main__":
    unittest.main()
