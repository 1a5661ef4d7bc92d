"""A headless Chromium driven through the DevTools protocol over a pipe (also used by bench/page).

With --remote-debugging-pipe the browser reads commands on descriptor 3 and writes replies and
events on descriptor 4, each a JSON text ended by a zero byte: no network port, no library.
"""

import base64
import fcntl
import json
import os
import select
import shutil
import subprocess
import tempfile
import time

# Flags that keep the browser away from the network and from a desktop session.
QUIET_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
               "--disable-component-update", "--disable-sync", "--no-first-run",
               "--no-default-browser-check", "--disable-extensions", "--hide-scrollbars", "--mute-audio"]


def find_chromium():
    """The path of a Chromium program, or None when none is installed."""
    return next(filter(None, map(shutil.which, ("chromium", "chromium-browser", "google-chrome"))), None)


class ProtocolError(RuntimeError):
    pass


class Browser:
    """One browser process with its first page attached in flat session mode. Collects uncaught
    exceptions, console errors and the address of every request the page makes; once `serve`
    is called, answers the page's http and https requests itself."""

    def __init__(self, program, width=1280, height=900):
        self._profile = tempfile.mkdtemp(prefix="routelet-chromium-")
        to_browser_r, self._to_browser = os.pipe()
        self._from_browser, from_browser_w = os.pipe()

        def place_pipes():
            # Both ends go above 4 first so that placing one on 3 or 4 cannot overwrite the other.
            high_r = fcntl.fcntl(to_browser_r, fcntl.F_DUPFD, 10)
            high_w = fcntl.fcntl(from_browser_w, fcntl.F_DUPFD, 10)
            os.dup2(high_r, 3)
            os.dup2(high_w, 4)

        self._process = subprocess.Popen(
            [program, *QUIET_FLAGS, "--remote-debugging-pipe", f"--user-data-dir={self._profile}",
             f"--window-size={width},{height}", "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=place_pipes, pass_fds=(3, 4), close_fds=True)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self._buffer, self._next_id, self._loaded, self.session, self._respond = b"", 0, False, None, None
        self.exceptions, self.console_errors, self.requests = [], [], []
        page = next(t for t in self.send("Target.getTargets")["targetInfos"] if t["type"] == "page")
        self.session = self.send("Target.attachToTarget", {"targetId": page["targetId"], "flatten": True})["sessionId"]
        for domain in ("Page", "Runtime", "Network"):
            self.send(f"{domain}.enable")
        self.viewport(width, height)

    def _read_message(self, deadline):
        while b"\0" not in self._buffer:
            if time.monotonic() > deadline:
                raise TimeoutError("the browser did not answer in time")
            if select.select([self._from_browser], [], [], 0.2)[0]:
                chunk = os.read(self._from_browser, 1 << 20)
                if not chunk:
                    raise ProtocolError("the browser closed its pipe")
                self._buffer += chunk
        raw, self._buffer = self._buffer.split(b"\0", 1)
        message = json.loads(raw)
        method, params = message.get("method"), message.get("params", {})
        if method == "Runtime.exceptionThrown":
            details = params["exceptionDetails"]
            self.exceptions.append(details.get("exception", {}).get("description") or details.get("text"))
        elif method == "Runtime.consoleAPICalled" and params.get("type") == "error":
            self.console_errors.append(" ".join(str(a.get("value", a.get("description"))) for a in params["args"]))
        elif method == "Network.requestWillBeSent":
            self.requests.append(params["request"]["url"])
        elif method == "Page.loadEventFired":
            self._loaded = True
        elif method == "Fetch.requestPaused":
            self._answer(params)
        return message

    def _write(self, method, params):
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params or {}}
        if self.session:
            message["sessionId"] = self.session
        os.write(self._to_browser, json.dumps(message).encode() + b"\0")
        return self._next_id

    def serve(self, respond):
        """Answers every http(s) request with respond(request: url, headers) -> (status, content
        type, body bytes), or fails it as if offline when that is None: none reaches the network."""
        self._respond = respond
        self.send("Fetch.enable", {"patterns": [{"urlPattern": "http*"}]})

    def _answer(self, params):
        reply, paused = self._respond(params["request"]), {"requestId": params["requestId"]}
        if reply is None:
            return self._write("Fetch.failRequest", {**paused, "errorReason": "InternetDisconnected"})
        self._write("Fetch.fulfillRequest", {**paused, "responseCode": reply[0], "body": base64.b64encode(reply[2]).decode(),
                                             "responseHeaders": [{"name": "Content-Type", "value": reply[1]}]})

    def send(self, method, params=None, timeout=60):
        sent = self._write(method, params)
        deadline = time.monotonic() + timeout
        while True:
            reply = self._read_message(deadline)
            if reply.get("id") == sent:
                if "error" in reply:
                    raise ProtocolError(f"{method}: {reply['error']}")
                return reply.get("result", {})

    def open(self, url, timeout=60):
        """Navigates and waits for the load event."""
        self._loaded = False
        self.send("Page.navigate", {"url": url})
        deadline = time.monotonic() + timeout
        while not self._loaded:
            self._read_message(deadline)

    def evaluate(self, expression, timeout=60):
        """The value of a script expression (awaited when it is a promise)."""
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": True}, timeout=timeout)
        if "exceptionDetails" in result:
            raise ProtocolError(f"script failed: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, timeout=30):
        deadline = time.monotonic() + timeout
        while not self.evaluate(expression):
            if time.monotonic() > deadline:
                raise TimeoutError(f"never true: {expression}")
            time.sleep(0.05)

    def mouse(self, kind, x, y, button="none", clicks=0, **more):
        self.send("Input.dispatchMouseEvent", {"type": kind, "x": x, "y": y, "button": button,
                                               "clickCount": clicks, **more})

    def click(self, x, y):
        self.mouse("mouseMoved", x, y)
        self.mouse("mousePressed", x, y, "left", 1)
        self.mouse("mouseReleased", x, y, "left", 1)

    def touch(self, kind, *points):
        """A touch event (touchStart, touchMove, touchEnd) with the fingers at `points` (x, y)."""
        self.send("Input.dispatchTouchEvent", {"type": kind, "touchPoints": [
            {"x": x, "y": y, "id": finger} for finger, (x, y) in enumerate(points)]})

    def viewport(self, width, height, phone=False):
        """The page's size; a phone also has a touch screen and no mouse."""
        self.send("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": phone})
        self.send("Emulation.setTouchEmulationEnabled", {"enabled": phone, "maxTouchPoints": 5})

    def screenshot(self, clip=None):
        """The viewport, or the `clip` (x, y, width, height; in the document) of it, as PNG bytes."""
        clip = {"clip": dict(zip(("x", "y", "width", "height"), clip), scale=1)} if clip else {}
        return base64.b64decode(self.send("Page.captureScreenshot", {"format": "png", **clip})["data"])

    def key(self, name, code):
        self.send("Input.dispatchKeyEvent", {"type": "keyDown", "key": name, "code": name,
                                             "windowsVirtualKeyCode": code})

    def close(self):
        try:
            self.session = None
            self.send("Browser.close", timeout=10)
        except (ProtocolError, TimeoutError, OSError):
            pass
        try:
            self._process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self._process.kill()
            self._process.wait()
        os.close(self._to_browser)
        os.close(self._from_browser)
        shutil.rmtree(self._profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
