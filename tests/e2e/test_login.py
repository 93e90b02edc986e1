"""Logging in and out in the real program: the login dialog, the remembered login, the owned
products on top, the category box, and the product support button."""

import unittest

from harness import DEMO_LOGIN, LOGIN_TITLE, WineTestCase

IDC_LOGIN, IDC_LOGOUT, IDC_HEADER = 1115, 1116, 1117
IDC_PRODUCT_LIST, IDC_CATEGORY_BOX, IDC_PRODUCT_SUPPORT = 1118, 1151, 1152
IDC_EMAIL, IDC_PASSWORD, IDC_LOGIN_OK, IDC_LOGIN_CANCEL, IDC_FORGOT = 1003, 1005, 1006, 1010, 1012
IDOK, IDYES, IDNO = 1, 6, 7
VK_RETURN = 13

REMEMBERED = DEMO_LOGIN
OWNED = {"Skyfall Tactics", "Harbor Lights: Northern Isles", "Terrain Atlas HD", "Terrain Atlas: World Data",
         "Palette Picker", "Nebula Engine", "Chronicle Writer 3"}
INVALID_LOGIN = "We could not log you in with the information provided. Please check your information and try again."
NOT_LOGGED_IN = ("We could not log you into your Orvane account. Please select the Login option in the main "
                 "screen.")


class LoginTest(WineTestCase):
    def rows(self, main):
        return self.driver.list_rows(main, IDC_PRODUCT_LIST)["rows"]

    def purchase_requests(self):
        return [r for r in self.store.requests(path="/orvanepurchase1.asp")
                if r["body"].startswith("action=getpurchases")]

    def picture_requests(self):
        return [r for r in self.store.requests(listener="plain")
                if r["path"].endswith("/product_main.jpg") or r["path"] == "/legacy.jpg"]

    def box(self, title):
        box = self.driver.message_box(15000)
        self.assertEqual(box["title"], title, box)
        return box

    def answer(self, box, button):
        self.driver.press(box["hwnd"], button)
        self.driver.wait_gone(box["hwnd"], 10000)

    def test_first_start_asks_a_wrong_password_is_refused_the_right_one_is_remembered(self):
        self.start_program()
        login = self.driver.wait_window(LOGIN_TITLE, 30000)
        self.assertTrue(self.driver.checked(login, 1008))  # "Stay logged in on this computer"
        self.screenshot("login-dialog", hwnd=login)

        self.driver.set_text(login, IDC_EMAIL, "demo@orvane.test")
        self.driver.set_text(login, IDC_PASSWORD, "wrongpass1")
        # Enter in the e-mail field does not log in.
        self.driver.key(login, IDC_EMAIL, VK_RETURN)
        self.driver.call("sleep", 500)
        self.assertEqual(self.purchase_requests(), [])

        self.driver.click(login, IDC_LOGIN_OK)
        box = self.box("Invalid Login")
        self.assertEqual(box["text"], INVALID_LOGIN)
        self.screenshot("invalid-login", hwnd=box["hwnd"])
        self.answer(box, IDOK)
        self.assertTrue(self.driver.visible(login, IDC_EMAIL))  # the dialog stays open

        # Enter in the password field logs in.
        self.driver.set_text(login, IDC_PASSWORD, "demopass1")
        self.driver.key(login, IDC_PASSWORD, VK_RETURN)
        self.driver.wait_gone(login, 15000)
        main = self.wait_main_window()
        self.wait_for(lambda: self.driver.text(main, IDC_HEADER) == "Welcome Dana Morgan", "the welcome header")
        rows = self.wait_for(lambda: self.rows(main), "the product list")
        owned = [r for r in rows if r[0].startswith("* ")]
        self.assertEqual({r[0][2:] for r in owned}, OWNED)
        self.assertEqual(rows[:len(owned)], owned, "owned products come first")
        self.assertTrue(all(r[2] == "Library" for r in owned))
        self.assertFalse(self.driver.enabled(main, IDC_LOGIN))
        self.assertTrue(self.driver.enabled(main, IDC_LOGOUT))
        self.screenshot("welcome", hwnd=main)

        email = self.driver.reg_get("email")
        password = self.driver.reg_get("password")
        self.assertEqual(email["data"], "demo@orvane.test")
        self.assertEqual(password["data"], REMEMBERED["password"])
        self.assertRegex(password["data"], r"^[0-9A-F]+$")

    def test_restart_logs_in_from_the_remembered_login_without_the_dialog(self):
        main, passed = self.open_main_window(settings=REMEMBERED)
        self.assertEqual(passed, [])
        self.wait_for(lambda: self.driver.text(main, IDC_HEADER) == "Welcome Dana Morgan", "the welcome header")
        self.assertEqual(len(self.purchase_requests()), 1)
        self.assertEqual(self.purchase_requests()[0]["body"],
                         "action=getpurchases&version=2.11&tamo=2&email=demo@orvane.test&password=demopass1"
                         "&vendorid=tolstd")

    def test_my_library_and_categories_filter_the_list(self):
        main, _ = self.open_main_window(settings=REMEMBERED)
        items = self.driver.combo_items(main, IDC_CATEGORY_BOX)["items"]
        self.assertEqual(items[:3], ["All Categories", "My Library", "------"])
        self.assertEqual(len(items), len(set(items)), items)

        self.driver.combo_select(main, IDC_CATEGORY_BOX, 1)
        rows = self.wait_for(lambda: [r for r in self.rows(main)] if len(self.rows(main)) == len(OWNED) else None,
                             "only the library")
        self.assertEqual({r[0][2:] for r in rows}, OWNED)
        self.screenshot("my-library", hwnd=main)

        games = items.index("Games")
        self.driver.combo_select(main, IDC_CATEGORY_BOX, games)
        rows = self.wait_for(lambda: self.rows(main) if all(r[1] == "Games" for r in self.rows(main)) else None,
                             "only games")
        self.assertIn("* Skyfall Tactics", [r[0] for r in rows])
        self.assertEqual(self.driver.combo_items(main, IDC_CATEGORY_BOX)["items"], items)  # never shrinks

    def test_logout_asks_and_yes_leads_back_to_the_login_dialog(self):
        main, _ = self.open_main_window(settings=REMEMBERED)
        self.wait_for(lambda: self.driver.text(main, IDC_HEADER) == "Welcome Dana Morgan", "the welcome header")

        self.driver.click(main, IDC_LOGOUT)
        box = self.box("Logout Confirmation")
        self.screenshot("logout-question", hwnd=box["hwnd"])
        self.answer(box, IDNO)
        self.assertEqual(self.driver.text(main, IDC_HEADER), "Welcome Dana Morgan")
        self.assertIsNotNone(self.driver.reg_get("email"))

        self.driver.click(main, IDC_LOGOUT)
        self.answer(self.box("Logout Confirmation"), IDYES)
        login = self.driver.wait_window(LOGIN_TITLE, 15000)
        self.assertEqual(self.driver.text(main, IDC_HEADER),
                         "You are not logged in. Please select the Login button.")
        self.assertIsNone(self.driver.reg_get("email"))
        self.assertIsNone(self.driver.reg_get("password"))
        self.screenshot("after-logout", hwnd=login)

        self.driver.click(login, IDC_LOGIN_CANCEL)
        box = self.box("Error")
        self.assertEqual(box["text"], NOT_LOGGED_IN)
        self.answer(box, IDOK)
        self.wait_for(lambda: self.driver.text(main, IDC_HEADER) == "You are not logged in.", "the header")
        self.assertFalse(any(r[0].startswith("* ") for r in self.rows(main)))
        self.assertTrue(self.driver.enabled(main, IDC_LOGIN))
        self.assertFalse(self.driver.enabled(main, IDC_LOGOUT))

    def test_forgot_password_opens_the_store_page(self):
        self.start_program()
        login = self.driver.wait_window(LOGIN_TITLE, 30000)
        self.driver.syslink_click(login, IDC_FORGOT)
        urls = self.wait_for(lambda: self.prefix.browser_urls(), "the browser")
        self.assertEqual(len(urls), 1)
        self.assertTrue(urls[0].startswith("https://localhost"), urls)
        self.assertTrue(urls[0].endswith("/lostpwd.asp"), urls)
        self.assertTrue(self.driver.visible(login, IDC_EMAIL))


class ListCostTest(WineTestCase):
    def test_a_fill_of_a_thousand_products_fetches_one_picture(self):
        self.store.control("/__demo/store?catalog=big&n=1000")
        main, _ = self.open_main_window(settings=REMEMBERED)
        rows = self.wait_for(lambda: self.driver.list_rows(main, IDC_PRODUCT_LIST)["rows"], "the list")
        self.assertGreaterEqual(len(rows), 1000)
        pictures = [r for r in self.store.requests(listener="plain") if r["path"].endswith("/product_main.jpg")]
        self.assertEqual(len(pictures), 1, [p["path"] for p in pictures])

        # Another fill (a category) costs one more.
        items = self.driver.combo_items(main, IDC_CATEGORY_BOX)["items"]
        self.driver.combo_select(main, IDC_CATEGORY_BOX, 3)
        self.wait_for(lambda: all(r[1] == items[3] for r in self.driver.list_rows(main, IDC_PRODUCT_LIST)["rows"]),
                      "the filtered list")
        self.driver.call("sleep", 300)
        pictures = [r for r in self.store.requests(listener="plain") if r["path"].endswith("/product_main.jpg")]
        self.assertEqual(len(pictures), 2)


class ProductSupportTest(WineTestCase):
    def select(self, main, name):
        rows = self.driver.list_rows(main, IDC_PRODUCT_LIST)["rows"]
        row = [r[0] for r in rows].index(name)
        self.driver.list_click(main, IDC_PRODUCT_LIST, row)
        self.wait_for(lambda: self.driver.text(main, 1135) == name, f"{name} in the panel")

    def test_only_web_addresses_are_opened(self):
        main, _ = self.open_main_window(settings=REMEMBERED)
        self.select(main, "QuickNote Helper")  # its support address names a local program
        self.driver.click(main, IDC_PRODUCT_SUPPORT)
        self.driver.call("sleep", 1000)
        self.assertEqual(self.prefix.browser_urls(), [])
        self.assertFalse([w for w in self.driver.windows() if "notepad" in w["title"].lower()])

        self.select(main, "DiskMint Cleaner")
        self.driver.click(main, IDC_PRODUCT_SUPPORT)
        urls = self.wait_for(lambda: self.prefix.browser_urls(), "the browser")
        self.assertEqual(len(urls), 1)
        self.assertTrue(urls[0].startswith("http://"), urls)


if __name__ == "__main__":
    unittest.main()
