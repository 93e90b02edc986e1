"""The store scripts of the demo store, the web pages the client opens, and the pictures.

Everything here works on plain values (method, path, query, body bytes) and returns a Reply,
so it can be exercised without sockets. Text goes out in Windows-1252, the client's 8-bit
code page. Form values are kept as the raw bytes that were sent: the client puts the e-mail,
password, card number and the product list into bodies unencoded, so only the fields that
it form-encodes (account form, names inside the product list) are decoded.
"""

import copy
import hashlib
import html
import json
import secrets
import threading
from dataclasses import dataclass, field
from datetime import date
from decimal import Decimal, InvalidOperation, ROUND_HALF_UP
from pathlib import Path
from urllib.parse import quote, unquote_to_bytes

import pngenc

ROW_SEP = "\x02"
FIELD_SEP = "\x01"

CATALOGUE_FIELDS = (
    "productId", "name", "price", "spare3", "description", "summary", "categories",
    "hidden", "spare8", "spare9", "spare10", "spare11", "salePrice", "spare13", "cartCode",
    "spare15", "supportUrl", "spare17", "bundleOffer",
)

# Values for the fields the client keeps but does not interpret.
_SPARE_DEFAULTS = {
    "spare3": "", "spare8": "1", "spare9": "Windows 7 or later", "spare10": "English",
    "spare11": "", "spare13": "0", "spare15": "", "spare17": "",
}

STORE_MODES = ("ok", "doctype", "errversion", "empty", "refused")
PAYPAL_MODES = ("ok", "error", "garbage")

ENCODING = "cp1252"

TERMS_TEXT = (
    "ORVANE TERMS OF SERVICE\r\n"
    "\r\n"
    "1. Your account. You are responsible for keeping your Orvane password secret. One account "
    "is for one person.\r\n"
    "\r\n"
    "2. Purchases. Software bought through the Orvane store is licensed, not sold, to the "
    "account that bought it. You may install it on the computers you use yourself.\r\n"
    "\r\n"
    "3. Downloads. Purchased files can be downloaded again at any time while the vendor offers "
    "them. Keep your account verified to reinstall products.\r\n"
    "\r\n"
    "4. Refunds. Ask the vendor within 14 days of purchase.\r\n"
    "\r\n"
    "5. Privacy. Orvane stores your billing address and order history to process purchases "
    "and never sells them.\r\n"
    "\r\n"
    "This is the demo store: no money changes hands and no e-mail leaves this computer.\r\n"
)


def enc(text: str) -> bytes:
    return text.encode(ENCODING, errors="replace")


def dec(data: bytes) -> str:
    return data.decode(ENCODING, errors="replace")


@dataclass
class Reply:
    status: int = 200
    body: bytes = b""
    content_type: str = "text/plain; charset=windows-1252"
    headers: list = field(default_factory=list)


def text_reply(text: str, status: int = 200) -> Reply:
    return Reply(status, enc(text))


def html_page(title: str, body_html: str, status: int = 200) -> Reply:
    page = ("<!DOCTYPE html>\n<html><head><meta charset=\"windows-1252\"><title>%s</title>"
            "<style>body{font-family:Arial,sans-serif;margin:2em;max-width:44em}"
            "h1{color:#1b2a4a}.box{border:1px solid #ccd;padding:1em;background:#f7f8fc}"
            "a.button{display:inline-block;padding:.5em 1.2em;margin:.3em;background:#1b2a4a;"
            "color:#fff;text-decoration:none;border-radius:4px}</style></head>"
            "<body><h1>%s</h1>\n%s\n</body></html>\n"
            % (html.escape(title), html.escape(title), body_html))
    return Reply(status, enc(page), "text/html; charset=windows-1252")


def error_page(status: int) -> Reply:
    names = {400: "Bad Request", 403: "Forbidden", 404: "Not Found",
             500: "Internal Server Error", 503: "Service Unavailable"}
    name = names.get(status, "Error")
    return html_page("%d %s" % (status, name),
                     "<p>The server could not complete the request.</p>", status)


def money(value: Decimal) -> str:
    return str(value.quantize(Decimal("0.01"), rounding=ROUND_HALF_UP))


def parse_money(text: str):
    """Decimal of a price text ("19.99", "$32.09"), or None when it is not a number."""
    text = text.strip()
    if text.startswith("$"):
        text = text[1:]
    try:
        value = Decimal(text)
    except InvalidOperation:
        return None
    return value if value.is_finite() else None


class Form:
    """Fields of a form body and query string. The first occurrence of a key wins, the body
    before the query; values stay raw bytes until a caller asks for them."""

    def __init__(self, query: str = "", body: bytes = b""):
        self._raw = {}
        for source in (body, query.encode("latin-1", errors="replace")):
            for part in source.split(b"&"):
                if not part:
                    continue
                key, _, value = part.partition(b"=")
                self._raw.setdefault(dec(key), value)

    def __contains__(self, key):
        return key in self._raw

    def raw(self, key: str, default: str = "") -> str:
        """The value exactly as sent (for the fields the client leaves unencoded)."""
        value = self._raw.get(key)
        return default if value is None else dec(value)

    def text(self, key: str, default: str = "") -> str:
        """The value with form encoding undone ("+" is a space, %xx a byte)."""
        value = self._raw.get(key)
        if value is None:
            return default
        return dec(unquote_to_bytes(value.replace(b"+", b" ")))


def form_decode(text: str) -> str:
    return dec(unquote_to_bytes(enc(text).replace(b"+", b" ")))


def luhn_ok(number: str) -> bool:
    if not number.isdigit():
        return False
    total = 0
    for i, ch in enumerate(reversed(number)):
        d = int(ch)
        if i % 2 == 1:
            d *= 2
            if d > 9:
                d -= 9
        total += d
    return total % 10 == 0


class Store:
    """All store state: the seed (read-only) and the parts that change at run time
    (accounts, PayPal sessions, orders, mails, switches), which reset() restores."""

    def __init__(self, seed: dict, pictures_dir, plain_base: str):
        self.seed = seed
        self.plain_base = plain_base.rstrip("/")
        self.vendor = seed["vendor"]
        self.file_sizes = dict(seed.get("files", {}))
        self.products = [self._expand(p) for p in seed["catalogue"]]
        self._by_id = {}
        for p in self.products:
            self._by_id.setdefault(p["productId"].lower(), p)
        self.pictures_dir = Path(pictures_dir)
        self._picture_cache = {}
        self._logo = pngenc.make_logo()
        self.lock = threading.RLock()
        self.reset()

    # ----- state -----

    def _expand(self, product: dict) -> dict:
        p = dict(product)
        for key, value in p.items():
            if isinstance(value, str):
                p[key] = value.replace("{plain}", self.plain_base)
        return p

    def reset(self):
        with self.lock:
            self.accounts = {}
            for account in copy.deepcopy(self.seed["accounts"]):
                self.accounts[account["email"].lower()] = account
            self.mode = "ok"
            self.paypal_mode = "ok"
            self.catalogue_kind = "seed"
            self.big_count = 0
            note = self.seed.get("notification") or {}
            self.notification_id = note.get("id")
            self.notification_text = note.get("text", "")
            self.versions = {}
            self.sessions = {}
            self.orders = []
            self.outbox = []
            self.next_order = int(self.seed.get("firstOrderNumber", 10100))
            self.next_account_id = 20000

    def snapshot(self) -> dict:
        with self.lock:
            return {
                "store": {"mode": self.mode, "catalog": self.catalogue_kind,
                          "n": self.big_count, "paypal": self.paypal_mode},
                "notification": {"id": self.notification_id, "text": self.notification_text},
                "versions": dict(self.versions),
                "accounts": {
                    email: {"verified": a["verified"], "password": a["password"],
                            "purchases": [p["productId"] for p in a["purchases"]]}
                    for email, a in self.accounts.items()},
                "paypalSessions": copy.deepcopy(self.sessions),
                "orders": copy.deepcopy(self.orders),
                "outbox": list(self.outbox),
            }

    def set_store_switch(self, mode=None, catalog=None, n=None, paypal=None):
        with self.lock:
            if mode is not None:
                if mode not in STORE_MODES:
                    raise ValueError("store mode must be one of " + ", ".join(STORE_MODES))
                self.mode = mode
            if paypal is not None:
                if paypal not in PAYPAL_MODES:
                    raise ValueError("paypal must be one of " + ", ".join(PAYPAL_MODES))
                self.paypal_mode = paypal
            if catalog is not None:
                if catalog == "seed":
                    self.catalogue_kind, self.big_count = "seed", 0
                elif catalog == "big":
                    count = 1000 if n is None else int(n)
                    if not 0 <= count <= 100000:
                        raise ValueError("n must be between 0 and 100000")
                    self.catalogue_kind, self.big_count = "big", count
                else:
                    raise ValueError("catalog must be seed or big")

    def set_notification(self, notification_id, text):
        with self.lock:
            self.notification_id = notification_id
            if text is not None:
                self.notification_text = text

    def set_version(self, product_id: str, version: str):
        with self.lock:
            if self.product(product_id) is None:
                raise ValueError("unknown product " + product_id)
            self.versions[product_id.lower()] = version

    def mail(self, to: str, subject: str, link: str = ""):
        self.outbox.append({"to": to, "subject": subject, "link": link})

    # ----- lookups -----

    def product(self, product_id: str):
        return self._by_id.get(product_id.lower())

    def account(self, email: str):
        return self.accounts.get(email.lower())

    def login(self, email: str, password: str):
        account = self.account(email)
        if account is None or account["password"] != password:
            return None
        return account

    def owned_purchase(self, account, product_id: str):
        for purchase in account["purchases"]:
            if purchase["productId"].lower() == product_id.lower() and not purchase.get("voucher"):
                return purchase
        return None

    def file_size(self, file_id: str) -> int:
        return int(self.file_sizes.get(file_id, 0))

    def product_files(self, product) -> list:
        return ((product or {}).get("download") or {}).get("files", [])

    def available_version(self, product) -> str:
        if product is None:
            return ""
        return self.versions.get(product["productId"].lower(),
                                 (product.get("download") or {}).get("version", ""))

    # ----- routing -----

    def route(self, method: str, path: str, query: str, body: bytes) -> Reply:
        p = path.lower()  # the store's web server ignores letter case in paths
        form = Form(query, body)
        scripts = {
            "/orvanepurchase1.asp": self.purchase_script,
            "/orvanecoupon1.asp": self.coupon_script,
            "/cgi-bin/orvaneprocess1.asp": self.process_script,
            "/orvanegetfile.asp": self.getfile_script,
            "/orvaneaccount.asp": self.account_script,
            "/orvaneterms.asp": lambda f: text_reply(TERMS_TEXT),
        }
        with self.lock:
            if p in scripts:
                return scripts[p](form)
            if p == "/orvanepaypal1.asp":
                if "mode" not in form and "session" in form:
                    return self.paypal_page(form)
                return self.paypal_script(form)
            if p == "/lostpwd.asp":
                return self.lost_password_page(form)
            if p == "/view.asp":
                return self.view_page(form)
            if p == "/verify.asp":
                return self.verify_page(form)
            if p.startswith("/support/"):
                return self.support_page(path[len("/support/"):])
            picture = self.picture(p)
            if picture is not None:
                return picture
        return error_page(404)

    # ----- catalogue, purchases, notification -----

    def purchase_script(self, form: Form) -> Reply:
        action = form.raw("action")
        if action == "catalog":
            return self.catalogue(form)
        if action == "getpurchases":
            return self.purchases(form)
        if action == "tamonotify":
            return self.notification(form)
        return text_reply("Error: unknown action")

    def catalogue_rows(self):
        if self.catalogue_kind == "big":
            return [self.generated_row(i) for i in range(1, self.big_count + 1)]
        return [[p.get(name, _SPARE_DEFAULTS.get(name, "")) if name != "hidden"
                 else p.get("hidden", "No") for name in CATALOGUE_FIELDS]
                for p in self.products]

    @staticmethod
    def generated_row(i: int):
        row = dict(_SPARE_DEFAULTS)
        row.update({
            "productId": "gen%05d" % i,
            "name": "Generated Product %05d" % i,
            "price": "%d.99" % (1 + i % 40),
            "description": "Generated product number %d." % i,
            "summary": "Product %d of the large test catalogue." % i,
            "categories": "Batch %02d,Generated" % (1 + i % 10),
            "hidden": "No",
            "salePrice": "%d.49" % (i % 40) if i % 7 == 0 else "",
            "cartCode": "US",
            "supportUrl": "",
            "bundleOffer": "",
        })
        return [row[name] for name in CATALOGUE_FIELDS]

    def catalogue(self, form: Form) -> Reply:
        if self.mode == "doctype":
            return Reply(200, b"<!DOCTYPE html>\n<html><head><title>Store maintenance</title>"
                              b"</head><body><h1>The store is down for maintenance</h1>"
                              b"</body></html>\n", "text/html")
        if self.mode == "errversion":
            return text_reply("err:version")
        if self.mode == "empty":
            return text_reply("")
        if self.mode == "refused" or form.raw("vendorid") != self.vendor["id"]:
            return text_reply("Error:1 unknown vendor")
        rows = self.catalogue_rows()
        wanted = form.raw("productid")
        if wanted:
            rows = [r for r in rows if r[0].lower() == wanted.lower()]
        header = FIELD_SEP.join(CATALOGUE_FIELDS)
        return text_reply(ROW_SEP.join([header] + [FIELD_SEP.join(r) for r in rows]))

    def display_name(self, account) -> str:
        return "%s %s" % (account["firstName"], account["lastName"])

    def purchase_row(self, account, purchase) -> str:
        product = self.product(purchase["productId"])
        files = self.product_files(product)
        if purchase.get("voucher"):
            files_text, size, version = "VOUCHER", "0", ""
        else:
            version = self.available_version(product)
            if len(files) == 1:
                files_text = files[0]["name"]
                size = str(self.file_size(files[0]["fileId"]))
            else:
                files_text = "/".join("%s:%d" % (f["name"], self.file_size(f["fileId"]))
                                      for f in files)
                size = str(sum(self.file_size(f["fileId"]) for f in files))
        name = purchase.get("name") or (product["name"] if product else purchase["productId"])
        cart_code = purchase.get("cartCode") or (product or {}).get("cartCode", "US")
        key = hashlib.sha1(("%s/%s" % (account["email"], purchase["productId"])).encode())
        licence = "TS-" + key.hexdigest()[:8].upper()
        fields = [
            purchase["productId"], name, files_text, version, size,
            purchase.get("date", "2024-01-01"), self.vendor["id"], licence, "1",
            cart_code, "USD", purchase["ownedPrice"], "no", purchase["orderNumber"],
        ]
        return "*".join(fields)

    def purchases(self, form: Form) -> Reply:
        if form.raw("vendorid") != self.vendor["id"]:
            return text_reply("Error: unknown vendor")
        account = self.login(form.raw("email"), form.raw("password"))
        if account is None:
            return text_reply("Error:1 invalid login")
        if account.get("purchasesReply"):
            return text_reply(account["purchasesReply"])
        header = [self.display_name(account), account["id"], account["taxRate"],
                  "1" if account["verified"] else "0"]
        if not account["purchases"]:
            return text_reply("*".join(["Error: 2"] + header))
        # Each purchase row follows a "|" and starts on a line of its own; the client
        # drops that first character.
        rows = ["*".join(["success"] + header)]
        rows += ["\n" + self.purchase_row(account, p) for p in account["purchases"]]
        return text_reply("|".join(rows))

    def notification(self, form: Form) -> Reply:
        if form.raw("vendorid") != self.vendor["id"] or self.notification_id is None:
            return text_reply("")
        return text_reply("%10d" % int(self.notification_id) + self.notification_text)

    # ----- coupons -----

    def coupon_script(self, form: Form) -> Reply:
        account = self.login(form.raw("email"), form.raw("password"))
        if account is None:
            return text_reply("failed|Your Orvane login could not be verified.")
        if form.raw("vendorid") != self.vendor["id"]:
            return text_reply("failed|This store does not offer coupons.")
        product_id = form.raw("productid")
        product = self.product(product_id)
        if product is None:
            return text_reply("failed|We could not find the selected product.")
        if product_id.lower().startswith("bndl-"):
            return text_reply("failed|We cannot apply coupons to bundles.")
        code = form.raw("coupon")
        if code == "auto":
            for offer in self.seed.get("autoCoupons", []):
                if offer["productId"].lower() != product_id.lower():
                    continue
                needed = offer.get("requiresOwned")
                if needed and self.owned_purchase(account, needed) is None:
                    continue
                return text_reply("success|%s*%s" % (offer["price"], offer.get("code", "")))
            return text_reply("failed|We found no upgrade discount for this product.")
        coupon = self.seed.get("coupons", {}).get(code.upper())
        if coupon is None:
            return text_reply("failed|We could not find the coupon code you entered.")
        if "reply" in coupon:
            return text_reply(coupon["reply"])
        allowed = coupon.get("products")
        if allowed and product_id.lower() not in [a.lower() for a in allowed]:
            return text_reply("failed|We could not apply this coupon to the selected product.")
        if "price" in coupon:
            return text_reply("success|" + coupon["price"])
        base = parse_money(product["price"])
        sale = parse_money(product.get("salePrice", ""))
        if base is None:
            return text_reply("failed|We could not apply this coupon to the selected product.")
        if sale is not None and sale < base:
            base = sale
        new_price = base * (100 - Decimal(coupon["percent"])) / 100
        return text_reply("success|" + money(new_price))

    # ----- checkout -----

    @staticmethod
    def parse_product_list(raw: str):
        items = []
        for record in raw.split("*"):
            if not record:
                continue
            parts = record.split("|")
            if len(parts) < 8:
                return None
            items.append({
                "productId": parts[0], "name": form_decode(parts[1]), "price": parts[2],
                "link": parts[3], "tax": parts[4], "vendorId": parts[5],
                "vendorName": form_decode(parts[6]), "cartCode": parts[7],
            })
        return items

    def _vendor_ok(self, form: Form) -> bool:
        return (form.raw("vendorid") == self.vendor["id"]
                and form.raw("vendorpwd") == self.vendor["password"])

    def _checkout_items(self, form: Form, account):
        """(items, None) when the order can be charged, else (None, error reply)."""
        if not account["verified"]:
            return None, text_reply("Error: Please verify your Orvane account before "
                                    "purchasing. Check your email for the verification link.")
        items = self.parse_product_list(form.raw("productlist"))
        if items is None:
            return None, text_reply("Error: The cart could not be read. Please try again.")
        if not items:
            return None, text_reply("Error: Your cart is empty.")
        for item in items:
            if self.owned_purchase(account, item["productId"]) is not None:
                return None, text_reply("Error: You already own %s." % item["name"])
        total = parse_money(form.raw("total"))
        summed = Decimal(0)
        for item in items:
            price, tax = parse_money(item["price"]), parse_money(item["tax"] or "0")
            if price is None or tax is None:
                return None, text_reply("Error: The cart could not be read. Please try again.")
            summed += price + tax
        if total is None or abs(total - summed) > Decimal("0.01"):
            return None, text_reply("Error: The order total does not match the cart. "
                                    "Please reopen checkout and try again.")
        return items, None

    def _approve(self, account, items, payment: str, form: Form) -> Reply:
        order = "A%d" % self.next_order
        self.next_order += 1
        today = date.today().isoformat()
        for item in items:
            if self.product(item["productId"]) is None:
                continue
            account["purchases"].append({
                "productId": item["productId"], "orderNumber": order,
                "ownedPrice": item["price"], "date": today, "cartCode": item["cartCode"]})
        self.orders.append({"order": order, "email": account["email"], "payment": payment,
                            "items": items, "total": form.raw("total"),
                            "taxrate": form.raw("taxrate"), "gift": form.raw("gift")})
        return text_reply("approved|" + order)

    def process_script(self, form: Form) -> Reply:
        if form.raw("action") != "purchase":
            return text_reply("Error: Unknown action.")
        if not self._vendor_ok(form):
            return text_reply("Error: The vendor login was refused.")
        account = self.login(form.raw("email"), form.raw("password"))
        if account is None:
            return text_reply("Error: Your Orvane login could not be verified. Please log in again.")
        items, refusal = self._checkout_items(form, account)
        if refusal is not None:
            return refusal
        if form.raw("paypal") == "yes":
            token = form.raw("cardnum")
            session = self.sessions.get(token)
            if session is None or session["email"].lower() != account["email"].lower():
                return text_reply("Error: Your PayPal session has expired. "
                                  "Please start a new PayPal session.")
            if session["state"] == "cancelled":
                return text_reply("Error: The PayPal payment was cancelled in the browser.")
            if session["state"] == "used":
                return text_reply("Error: This PayPal session has already been used.")
            if session["state"] != "approved":
                return text_reply("Error: The PayPal payment has not been approved yet. Log in "
                                  "to PayPal in your browser and approve it, then try again.")
            session["state"] = "used"
            return self._approve(account, items, "paypal:" + token, form)
        number = form.raw("cardnum")
        ccv = form.raw("ccv")
        if not (ccv.isdigit() and 3 <= len(ccv) <= 4):
            return text_reply("Error: The security code (CCV) must be 3 or 4 digits.")
        expiry = form.raw("expdate")
        if not (len(expiry) == 4 and expiry.isdigit() and 1 <= int(expiry[:2]) <= 12):
            return text_reply("Declined: invalid expiry date")
        today = date.today()
        if (2000 + int(expiry[2:]), int(expiry[:2])) < (today.year, today.month):
            return text_reply("Declined: card expired")
        rule = self.seed.get("cards", {}).get(number)
        if rule is not None and "reply" in rule:
            return text_reply(rule["reply"])
        if rule is None and not luhn_ok(number):
            return text_reply("Declined: invalid card number")
        return self._approve(account, items, "card:" + number[-4:], form)

    # ----- PayPal -----

    def paypal_script(self, form: Form) -> Reply:
        if form.raw("mode") != "setexp":
            return text_reply("Error: Unknown PayPal request.")
        if self.paypal_mode == "error":
            return text_reply("Error: vendor not enabled for PayPal")
        if self.paypal_mode == "garbage":
            return text_reply("PAYPAL GATEWAY TIMEOUT")
        if not self._vendor_ok(form):
            return text_reply("Error: The vendor login was refused.")
        account = self.login(form.raw("email"), form.raw("password"))
        if account is None:
            return text_reply("Error: Your Orvane login could not be verified. Please log in again.")
        items, refusal = self._checkout_items(form, account)
        if refusal is not None:
            return refusal
        token = "EC" + secrets.token_hex(7).upper()
        self.sessions[token] = {"email": account["email"], "total": form.raw("total"),
                                "currency": form.raw("curtype"), "state": "open",
                                "items": [(i["name"], i["price"]) for i in items]}
        return text_reply("ok|" + token)

    def paypal_page(self, form: Form) -> Reply:
        token = form.raw("session")
        session = self.sessions.get(token)
        if session is None:
            return html_page("PayPal session not found",
                             "<p>This PayPal session does not exist or has expired. "
                             "Start a new one from the store client.</p>", 404)
        decision = form.raw("approve")
        if decision in ("yes", "no") and session["state"] == "open":
            session["state"] = "approved" if decision == "yes" else "cancelled"
        if session["state"] == "approved":
            return html_page("Payment approved",
                             "<p>Thank you. Return to the Orvane Tamo-Agent and press "
                             "<b>2. Complete PayPal Purchase</b>.</p>")
        if session["state"] == "cancelled":
            return html_page("Payment cancelled", "<p>You cancelled this PayPal payment.</p>")
        if session["state"] == "used":
            return html_page("Payment complete", "<p>This payment has been completed.</p>")
        rows = "".join("<tr><td>%s</td><td>$%s</td></tr>" % (html.escape(n), html.escape(p))
                       for n, p in session["items"])
        link = "/orvanepaypal1.asp?session=" + quote(token)
        return html_page(
            "PayPal (demo) - %s" % self.vendor["name"],
            "<div class=\"box\"><p>Logged in as <b>%s</b></p><table>%s</table>"
            "<p>Total: <b>%s %s</b></p></div>"
            "<p><a class=\"button\" id=\"approve\" href=\"%s&approve=yes\">Approve payment</a>"
            "<a class=\"button\" id=\"cancel\" href=\"%s&approve=no\">Cancel</a></p>"
            % (html.escape(session["email"]), rows, html.escape(session["total"]),
               html.escape(session["currency"]), link, link))

    # ----- file ids -----

    def getfile_script(self, form: Form) -> Reply:
        if form.raw("vid") != self.vendor["id"] or form.raw("vpwd") != self.vendor["password"]:
            return text_reply("Error: The vendor login was refused.")
        account = self.login(form.raw("login"), form.raw("password"))
        if account is None:
            return text_reply("Error: Your Orvane login could not be verified.")
        pid = form.raw("pid")
        base, index = pid, None
        if ":" in pid:
            base, _, index_text = pid.rpartition(":")
            if not index_text.isdigit():
                return text_reply("Error: No such file for this product.")
            index = int(index_text)
        if not base or self.owned_purchase(account, base) is None:
            return text_reply("Error: This product is not in your library.")
        files = self.product_files(self.product(base))
        if index is None:
            if len(files) != 1:
                return text_reply("Error: Please choose one file of this product.")
            index = 0
        if index >= len(files):
            return text_reply("Error: No such file for this product.")
        chosen = files[index]
        return text_reply("ok|%s|%s|%d|%s" % (pid, chosen["name"],
                                              self.file_size(chosen["fileId"]),
                                              chosen["fileId"]))

    # ----- accounts -----

    @staticmethod
    def verification_code(email: str) -> str:
        return hashlib.sha1(("verify:" + email.lower()).encode()).hexdigest()[:10]

    def verification_link(self, email: str) -> str:
        return "%s/verify.asp?email=%s&code=%s" % (self.plain_base, quote(email),
                                                   self.verification_code(email))

    def account_script(self, form: Form) -> Reply:
        action = form.raw("action")
        if action == "view":
            account = self.login(form.raw("login"), form.raw("password"))
            if account is None:
                return text_reply("Error:1 invalid login")
            return text_reply(FIELD_SEP.join([
                account["id"], account["firstName"], account["lastName"], account["street"],
                account["city"], account["state"], account["zip"], account["country"],
                account["userName"]]))
        if action == "new":
            return self.new_account(form)
        if action == "update":
            return self.update_account(form)
        if action == "resend":
            account = self.account(form.raw("email"))
            if account is None:
                return text_reply("Error: No account uses this email address.")
            if account["verified"]:
                return text_reply("Error: This account is already verified.")
            self.mail(account["email"], "Verify your Orvane account",
                      self.verification_link(account["email"]))
            return text_reply("success")
        return text_reply("Error: Unknown action.")

    _ACCOUNT_FIELDS = (("Name", "firstName", "First Name"), ("LastName", "lastName", "Last Name"),
                       ("Address1", "street", "Street Address"), ("City", "city", "City"),
                       ("StateProv", "state", "State/Province"), ("Zipcode", "zip", "Zip Code"),
                       ("UserName", "userName", "User Name"), ("Country", "country", "Country"))

    def _read_account_fields(self, form: Form):
        values = {}
        for key, name, label in self._ACCOUNT_FIELDS:
            value = form.text(key)
            if len(value.strip()) < 2:
                return None, text_reply("Error: Please fill in the field %s." % label)
            values[name] = value
        email = form.text("Email")
        if "@" not in email or "." not in email.split("@")[-1]:
            return None, text_reply("Error: Please enter a valid email address.")
        values["email"] = email
        return values, None

    def new_account(self, form: Form) -> Reply:
        values, refusal = self._read_account_fields(form)
        if refusal is not None:
            return refusal
        if self.account(values["email"]) is not None:
            return text_reply("Error: An account with this email address already exists.")
        password = form.raw("Password1")
        if len(password) < 8:
            return text_reply("Error: Your password must be at least 8 characters long.")
        rates = self.seed.get("taxRates", {})
        account = dict(values, id=str(self.next_account_id), password=password,
                       taxRate=rates.get(values["country"], rates.get("default", "0.0000")),
                       verified=False, purchases=[])
        self.next_account_id += 1
        self.accounts[values["email"].lower()] = account
        self.mail(values["email"], "Verify your Orvane account",
                  self.verification_link(values["email"]))
        return text_reply("success")

    def update_account(self, form: Form) -> Reply:
        account = self.account(form.raw("login"))
        if account is None:
            return text_reply("Error: No account uses this email address.")
        if account["password"] != form.raw("Password"):
            return text_reply("Error: Your current password is not correct.")
        values, refusal = self._read_account_fields(form)
        if refusal is not None:
            return refusal
        new_email = values["email"]
        other = self.account(new_email)
        if other is not None and other is not account:
            return text_reply("Error: An account with this email address already exists.")
        new_password = form.raw("Password1")
        if new_password and len(new_password) < 8:
            return text_reply("Error: Your password must be at least 8 characters long.")
        del self.accounts[account["email"].lower()]
        account.update(values)
        if new_password:
            account["password"] = new_password
        self.accounts[new_email.lower()] = account
        return text_reply("success")

    # ----- web pages -----

    def lost_password_page(self, form: Form) -> Reply:
        email = form.text("email")
        if email:
            if self.account(email) is not None:
                self.mail(email, "Reset your Orvane password",
                          "%s/lostpwd.asp?reset=%s" % (self.plain_base, quote(email)))
            return html_page("Check your email",
                             "<p>If an Orvane account uses <b>%s</b>, we have sent it a link "
                             "to choose a new password.</p>" % html.escape(email))
        return html_page("Forgot your password?",
                         "<form method=\"get\" action=\"/lostpwd.asp\"><p>Enter the email "
                         "address of your Orvane account:</p><p><input name=\"email\" "
                         "size=\"40\"> <button type=\"submit\">Send reset link</button></p>"
                         "</form>")

    def view_page(self, form: Form) -> Reply:
        if form.raw("page") == "tos":
            paragraphs = "".join("<p>%s</p>" % html.escape(p)
                                 for p in TERMS_TEXT.split("\r\n\r\n")[1:])
            return html_page("Orvane Terms of Service", paragraphs)
        return error_page(404)

    def verify_page(self, form: Form) -> Reply:
        email = form.text("email")
        account = self.account(email)
        if account is None or form.raw("code") != self.verification_code(email):
            return html_page("Invalid link", "<p>This verification link is not valid.</p>", 404)
        account["verified"] = True
        return html_page("Account verified",
                         "<p>Thank you, your Orvane account <b>%s</b> is verified. Return to "
                         "the store client and press <b>Yes, I Verified my Account</b>.</p>"
                         % html.escape(account["email"]))

    def support_page(self, slug: str) -> Reply:
        product = self.product(slug)
        title = "Support: " + (product["name"] if product else slug)
        return html_page(title, "<p>Frequently asked questions, downloads and contact details "
                                "for this product.</p>")

    # ----- pictures -----

    def _picture_file(self, name: str):
        if name not in self._picture_cache:
            path = self.pictures_dir / name
            self._picture_cache[name] = path.read_bytes() if path.is_file() else None
        return self._picture_cache[name]

    def picture(self, lower_path: str):
        vendor_prefix = "/vendors/%s/" % self.vendor["id"].lower()
        if lower_path == vendor_prefix + "logo_s.png":
            return Reply(200, self._logo, "image/png")
        name = None
        if lower_path == "/legacy.jpg":
            name = "legacy.jpg"
        elif lower_path.startswith(vendor_prefix) and lower_path.endswith("/product_main.jpg"):
            product_id = lower_path[len(vendor_prefix):-len("/product_main.jpg")]
            product = self.product(product_id)
            if product is not None:
                name = product.get("picture")
            elif (self.catalogue_kind == "big" and product_id.startswith("gen")
                  and product_id[3:].isdigit() and 1 <= int(product_id[3:]) <= self.big_count):
                name = "generic.jpg"
        if not name:
            return None
        data = self._picture_file(name)
        return Reply(200, data, "image/jpeg") if data is not None else None


def load_seed(path) -> dict:
    with open(path, encoding="utf-8") as f:
        return json.load(f)
