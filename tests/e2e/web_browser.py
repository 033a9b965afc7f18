#!/usr/bin/python3
"""Drives a headless Chromium through its DevTools protocol the way a person would use the web
view: opens it, types the owner's code, clicks down two folders, downloads a file and a folder's
ZIP, and takes screenshots at phone and desktop size. Prints one line per step; exits 1 at the
first step that fails.

Usage: web_browser.py <devtools port> <base URL> <own address> <serve output> <output folder>
       web_browser.py <devtools port> <base URL> <own address> owner:<answered file> <output folder>
The second form is for a host whose owner answers on the host itself (the desktop program): the
waiting page asks for no code, "waiting" is printed, and once the answered file exists the page
is opened again and must list the shares.
"""
import base64
import json
import os
import re
import sys
import time
import urllib.request

import websocket


class Page:
    def __init__(self, port):
        deadline = time.time() + 30
        while True:
            try:
                with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=2) as reply:
                    pages = [t for t in json.load(reply) if t["type"] == "page"]
                if pages:
                    break
            except OSError:
                pass
            if time.time() > deadline:
                fail("Chromium offers no page to drive")
            time.sleep(0.2)
        self.ws = websocket.create_connection(pages[0]["webSocketDebuggerUrl"], timeout=30,
                                              suppress_origin=True)
        self.next_id = 0
        self.events = []

    def call(self, method, **params):
        self.next_id += 1
        sent = self.next_id
        self.ws.settimeout(30)
        self.ws.send(json.dumps({"id": sent, "method": method, "params": params}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get("id") == sent:
                if "error" in message:
                    fail(f"{method}: {message['error']}")
                return message.get("result", {})
            self.events.append(message)

    def wait_event(self, name, seconds=30):
        deadline = time.time() + seconds
        while True:
            for index, event in enumerate(self.events):
                if event.get("method") == name:
                    del self.events[: index + 1]
                    return event.get("params", {})
            left = deadline - time.time()
            if left <= 0:
                fail(f"no {name} within {seconds} s")
            self.ws.settimeout(left)
            try:
                self.events.append(json.loads(self.ws.recv()))
            except websocket.WebSocketTimeoutException:
                pass

    def evaluate(self, expression):
        return self.call("Runtime.evaluate", expression=expression, returnByValue=True)["result"].get("value")

    def node(self, selector):
        root = self.call("DOM.getDocument")["root"]["nodeId"]
        found = self.call("DOM.querySelector", nodeId=root, selector=selector)["nodeId"]
        if not found:
            fail(f"nothing on the page matches {selector}")
        return found

    def click(self, selector, loads=True):
        node = self.node(selector)
        self.call("DOM.scrollIntoViewIfNeeded", nodeId=node)
        quad = self.call("DOM.getBoxModel", nodeId=node)["model"]["content"]
        x = (quad[0] + quad[4]) / 2
        y = (quad[1] + quad[5]) / 2
        self.events.clear()
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)
        if loads:
            self.wait_event("Page.loadEventFired")

    def open(self, url):
        self.events.clear()
        self.call("Page.navigate", url=url)
        self.wait_event("Page.loadEventFired")

    def size(self, width, height, mobile):
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                  deviceScaleFactor=2 if mobile else 1, mobile=mobile)

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as out:
            out.write(base64.b64decode(data))

    def fits(self):
        """No text runs past the right edge, and no two rows of the list overlap."""
        return self.evaluate("""(() => {
            if (document.documentElement.scrollWidth > window.innerWidth) return false;
            const rows = [...document.querySelectorAll('.entries li, .crumbs, .tools, .sorts')]
                .map(e => e.getBoundingClientRect());
            for (let i = 1; i < rows.length; ++i)
                if (rows[i].top < rows[i - 1].bottom - 0.5) return false;
            for (const e of document.querySelectorAll('.name, .meta, .crumbs a, .sort'))
                if (e.scrollWidth > e.clientWidth + 1 || e.getBoundingClientRect().right > window.innerWidth) return false;
            return true;
        })()""")


def fail(why):
    print(f"FAIL: {why}", flush=True)
    sys.exit(1)


def ok(what):
    print(f"ok: {what}", flush=True)


def wait_for_download(folder, name, seconds=60):
    path = os.path.join(folder, name)
    deadline = time.time() + seconds
    while time.time() < deadline:
        if os.path.exists(path) and not any(f.endswith(".crdownload") for f in os.listdir(folder)):
            return path
        time.sleep(0.1)
    fail(f"{name} was not downloaded within {seconds} s")


def owner_answers(page, base, answered, out):
    if page.evaluate("document.querySelector('input[name=code]') !== null"):
        fail("the waiting page asks for a code although the owner answers on the host")
    if page.evaluate("document.querySelector('a[href=\"/s/tree/\"]') !== null"):
        fail("the shares are shown before the owner answered")
    page.screenshot(os.path.join(out, "owner-waiting-phone.png"))
    ok("the waiting page says that the owner is asked")
    print("waiting", flush=True)
    deadline = time.time() + 60
    while not os.path.exists(answered):
        if time.time() > deadline:
            fail("the owner did not answer within 60 s")
        time.sleep(0.1)
    page.click('.waiting a[href="/"]')
    if not page.evaluate("document.querySelector('a[href=\"/s/tree/\"]') !== null"):
        fail("the shares are not shown after the owner allowed the browser")
    page.screenshot(os.path.join(out, "owner-allowed-phone.png"))
    ok("once allowed on the host, the browser sees the shares")
    page.click('a[href="/s/tree/"]')
    if page.evaluate("location.pathname") != "/s/tree/":
        fail("the share does not open")
    ok("and opens a share")


def main():
    port, base, own_address, serve_output, out = sys.argv[1:6]
    page = Page(port)
    for domain in ("Page", "DOM", "Runtime"):
        page.call(f"{domain}.enable")
    downloads = os.path.join(out, "downloads")
    os.makedirs(downloads, exist_ok=True)
    page.call("Page.setDownloadBehavior", behavior="allow", downloadPath=downloads)

    page.size(390, 844, True)
    page.open(base + "/")
    if serve_output.startswith("owner:"):
        owner_answers(page, base, serve_output[len("owner:"):], out)
        return
    if not page.evaluate("document.querySelector('input[name=code]') !== null"):
        fail("the waiting page asks for no code")
    page.screenshot(os.path.join(out, "waiting-phone.png"))
    ok("the waiting page asks for the owner's code")

    pattern = re.compile(rf"A browser on {re.escape(own_address)} \((.*)\) .* type (\d{{6}}) ")
    deadline = time.time() + 10
    code = None
    while code is None and time.time() < deadline:
        with open(serve_output, encoding="utf-8") as lines:
            for line in lines:
                found = pattern.search(line)
                if found:
                    code = found.group(2)
                    ok(f"the owner was asked about {found.group(1)}")
        time.sleep(0.1)
    if code is None:
        fail("the owner was never told a code")

    page.call("DOM.focus", nodeId=page.node("input[name=code]"))
    page.call("Input.insertText", text=code)
    page.click("form button")
    if page.evaluate("location.pathname") != "/":
        fail("approval did not lead to the share list")
    page.screenshot(os.path.join(out, "shares-phone.png"))
    ok("the typed code lets the browser in")

    page.click('a[href="/s/tree/"]')
    page.click('a[href="/s/tree/one/"]')
    page.click('a[href="/s/tree/one/two/"]')
    if page.evaluate("location.pathname") != "/s/tree/one/two/":
        fail("clicking did not lead two folders down")
    page.screenshot(os.path.join(out, "folder-phone.png"))
    if not page.fits():
        fail("the folder page does not fit 390 px")
    ok("two folders down by clicking, and the page fits a phone")

    page.click('a[href="/s/tree/one/two/data.bin"]', loads=False)
    wait_for_download(downloads, "data.bin")
    ok("a file downloaded by clicking")

    page.click('.crumbs a[href="/s/tree/one/"]')
    page.click('a.zip', loads=False)
    wait_for_download(downloads, "one.zip")
    ok("a folder's ZIP downloaded by clicking")

    page.size(1920, 1080, False)
    page.open(base + "/s/tree/one/two/")
    page.screenshot(os.path.join(out, "folder-desktop.png"))
    if not page.fits():
        fail("the folder page does not fit 1920 px")
    ok("the folder page at desktop size")
    page.open(base + "/s/tree/?sort=size&order=desc")
    page.screenshot(os.path.join(out, "tree-desktop.png"))
    page.size(390, 844, True)
    page.open(base + "/s/tree/?sort=size&order=desc")
    page.screenshot(os.path.join(out, "tree-phone.png"))
    if not page.fits():
        fail("the sorted share page does not fit 390 px")
    ok("the sorted share page at phone size")


if __name__ == "__main__":
    main()
