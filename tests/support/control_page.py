#!/usr/bin/python3
"""Drives the bridge's control page from outside, for web_control_test.sh.

  control_page.py refusals URL      403 without or with a wrong token, and a
                                    WebSocket from another origin refused
  control_page.py browsers URL DIR  two phone-sized pages: one drags the
                                    "input 2" fader to its end with the mouse,
                                    the other must follow; the transport
                                    buttons; DIR/phone.png
  control_page.py hostile URL       oversized, malformed and flooding frames
                                    on a WebSocket of its own, then one
                                    sound message
Exits non-zero with a line on standard error when something is not so.
"""
import base64
import os
import socket
import struct
import sys
import tempfile
import time
import urllib.error
import urllib.parse
import urllib.request


def fail(what):
    print("FAIL: " + what, file=sys.stderr)
    sys.exit(1)


def status_of(url, headers=None):
    try:
        with urllib.request.urlopen(urllib.request.Request(url, headers=headers or {}), timeout=5) as r:
            return r.status
    except urllib.error.HTTPError as e:
        return e.code


class RawSocket:
    """A minimal WebSocket client that can send what no browser would."""

    def __init__(self, url, token, origin=None):
        parts = urllib.parse.urlsplit(url)
        self.sock = socket.create_connection((parts.hostname, parts.port), timeout=5)
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        key = base64.b64encode(os.urandom(16)).decode()
        lines = ["GET /ws?token=%s HTTP/1.1" % token, "Host: %s" % parts.netloc, "Upgrade: websocket",
                 "Connection: Upgrade", "Sec-WebSocket-Key: " + key, "Sec-WebSocket-Version: 13"]
        if origin:
            lines.append("Origin: " + origin)
        self.sock.sendall(("\r\n".join(lines) + "\r\n\r\n").encode())
        answer = b""
        while b"\r\n\r\n" not in answer:
            chunk = self.sock.recv(4096)
            if not chunk:
                break
            answer += chunk
        self.status = int(answer.split(b" ")[1]) if answer.startswith(b"HTTP/1.1 ") else 0

    def frame(self, payload, opcode=1, fin=True, send=True):
        head = bytes([(0x80 if fin else 0) | opcode])
        n = len(payload)
        if n < 126:
            head += bytes([0x80 | n])
        elif n < 65536:
            head += bytes([0x80 | 126]) + struct.pack(">H", n)
        else:
            head += bytes([0x80 | 127]) + struct.pack(">Q", n)
        mask = os.urandom(4)
        data = head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
        if send:
            self.sock.sendall(data)
        return data

    def text(self, message):
        self.frame(message.encode())


def refusals(url):
    parts = urllib.parse.urlsplit(url)
    token = urllib.parse.parse_qs(parts.query)["token"][0]
    bare = "%s://%s/" % (parts.scheme, parts.netloc)
    for name, address in (("no token", bare), ("a wrong token", bare + "?token=x" + token[1:])):
        if status_of(address) != 403:
            fail("the page with %s answered %s, not 403" % (name, status_of(address)))
    if status_of(url) != 200:
        fail("the page with its token answered %s" % status_of(url))
    for name, tok, origin in (("no token", "", None), ("a wrong token", "x" + token[1:], None),
                              ("another origin", token, "http://evil.example")):
        s = RawSocket(url, tok, origin)
        if s.status != 403:
            fail("a WebSocket with %s got %s, not 403" % (name, s.status))
    print("ok: page and WebSocket answer 403 without the token or from another origin")


def browser(folder):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    o = webdriver.ChromeOptions()
    o.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--window-size=390,844", "--user-data-dir=" + folder,
                 "--disable-gpu", "--disable-dev-shm-usage"):
        o.add_argument(flag)
    # A window is at least 500 pixels wide: the phone's viewport is emulated.
    o.add_experimental_option("mobileEmulation", {"deviceMetrics": {"width": 390, "height": 844, "pixelRatio": 2}})
    return webdriver.Chrome(options=o, service=Service("/usr/bin/chromedriver"))


def wait(what, check, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        if check():
            return
        time.sleep(0.05)
    fail(what)


def browsers(url, out):
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    pages = []
    try:
        for _ in range(2):
            pages.append(browser(tempfile.mkdtemp(dir=out)))
            pages[-1].get(url)
        for p in pages:
            wait("a page did not connect", lambda: p.find_element(By.ID, "link").text == "connected")

        def fader(page, number):
            for r in page.find_elements(By.CSS_SELECTOR, "input[type=range]"):
                if ("input %d" % number) in r.accessible_name:
                    return r
            fail("no range input named with 'input %d'" % number)

        a, b = pages
        rng = fader(a, 2)
        # From the middle to the right end, in steps, as a finger would go.
        drag = ActionChains(a, duration=20).click_and_hold(rng)
        for _ in range(30):
            drag.move_by_offset(int(rng.size["width"] / 2 - 2) // 30, 0)
        drag.release().perform()
        if float(rng.get_attribute("value")) != 1.0:
            fail("the dragged fader stands at %s" % rng.get_attribute("value"))
        print("ok: the 'input 2' fader dragged to its end with the mouse")
        wait("the second page did not follow (%s)" % fader(b, 2).get_attribute("value"),
             lambda: float(fader(b, 2).get_attribute("value")) == 1.0 and
             b.find_element(By.ID, "value2").text == "100 %")
        print("ok: the second page shows input 2 at 100 %")
        b.save_screenshot(os.path.join(out, "phone.png"))
        # Restart last: the show that now follows them ends on its landscape.
        for label in ("Go to the fade", "Hold the landscape", "Restart"):
            a.find_element(By.XPATH, "//button[text()='%s']" % label).click()
    finally:
        for p in pages:
            p.quit()


def hostile(url):
    token = urllib.parse.parse_qs(urllib.parse.urlsplit(url).query)["token"][0]
    s = RawSocket(url, token)
    if s.status != 101:
        fail("the WebSocket with the token got %s" % s.status)
    s.text("x" * 100000)                          # too long
    for bad in ("set 2 nan", "set 2 1e0", "set 999 1", "set 2 -0.5", "set 2 0.5 1", "seek 0", ""):
        s.text(bad)                               # malformed
    s.frame(b"\x00\x01", opcode=2)                # binary
    s.frame(b"set 2", fin=False)                  # fragmented
    time.sleep(1)                                 # a full allowance for the flood
    for step in range(20):                        # a flood over a second, a ramp to the top
        levels = [min(1.0, (step * 100 + i) / 1899.0) for i in range(100)]
        s.sock.sendall(b"".join(s.frame(("set 2 %.4f" % v).encode(), send=False) for v in levels))
        time.sleep(0.05)
    s.sock.close()
    print("ok: hostile frames sent")


def sound(url, message):
    token = urllib.parse.parse_qs(urllib.parse.urlsplit(url).query)["token"][0]
    s = RawSocket(url, token)
    if s.status != 101:
        fail("after the hostile frames a WebSocket got %s" % s.status)
    s.text(message)
    time.sleep(0.2)
    s.sock.close()


if __name__ == "__main__":
    mode, url = sys.argv[1], sys.argv[2]
    if mode == "refusals":
        refusals(url)
    elif mode == "browsers":
        browsers(url, sys.argv[3])
    elif mode == "hostile":
        hostile(url)
    elif mode == "sound":
        sound(url, sys.argv[3])
