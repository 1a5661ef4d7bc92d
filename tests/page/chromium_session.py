"""A headless Chromium driven through its DevTools pipe (also used by bench/page): it reads commands on
descriptor 3 and writes replies and events on descriptor 4, each a JSON text ended by a zero byte."""

import base64
import contextlib
import fcntl
import json
import os
import select
import shutil
import subprocess
import tempfile
import time

# Flags that keep the browser away from the network and from a desktop session.
QUIET_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-sync",
               "--disable-component-update", "--no-first-run", "--disable-extensions", "--hide-scrollbars"]


def find_chromium():
    return next(filter(None, map(shutil.which, ("chromium", "chromium-browser", "google-chrome"))), None)


class Browser(contextlib.AbstractContextManager):
    """One browser, its first page attached. Collects uncaught exceptions, console errors and the addresses
    the page opened last requested. Answers the page's http(s) requests with respond(request: url, headers)
    -> (status, content type, body bytes), or fails them as if offline: none reaches the network."""

    def __init__(self, program, width=1280, height=900, respond=lambda request: None):
        self._profile = tempfile.mkdtemp(prefix="routelet-chromium-")
        to_browser_r, self._to_browser = os.pipe()
        self._from_browser, from_browser_w = os.pipe()

        def place_pipes():  # both ends go above 4 first, so that placing one cannot overwrite the other
            for place, fd in enumerate([fcntl.fcntl(fd, fcntl.F_DUPFD, 10) for fd in (to_browser_r, from_browser_w)], 3):
                os.dup2(fd, place)

        self._process = subprocess.Popen(
            [program, *QUIET_FLAGS, "--remote-debugging-pipe", f"--user-data-dir={self._profile}",
             f"--window-size={width},{height}", "about:blank"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, preexec_fn=place_pipes, pass_fds=(3, 4), close_fds=True)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self._buffer, self._next_id, self._loaded, self._loader, self._sent = b"", 0, False, None, []
        self.session, self._respond, self.exceptions, self.console_errors = None, respond, [], []
        # The requests answered and not yet acknowledged (id -> url), and those whose answer the browser refused: such a
        # request would stay paused, and whatever waits on it would wait for ever.
        self._answering, self.refused_answers = {}, []
        page = next(t for t in self.send("Target.getTargets")["targetInfos"] if t["type"] == "page")
        self.session = self.send("Target.attachToTarget", {"targetId": page["targetId"], "flatten": True})["sessionId"]
        for domain in ("Page", "Runtime", "Network"):
            self.send(f"{domain}.enable")
        self.send("Fetch.enable", {"patterns": [{"urlPattern": "http*"}]})

    def _read_message(self, deadline):
        while b"\0" not in self._buffer:
            if not select.select([self._from_browser], [], [], max(0, deadline - time.monotonic()))[0]:
                raise TimeoutError("the browser did not answer in time")
            chunk = os.read(self._from_browser, 1 << 20)
            if not chunk:
                raise RuntimeError("the browser closed its pipe")
            self._buffer += chunk
        raw, self._buffer = self._buffer.split(b"\0", 1)
        message = json.loads(raw)
        method, params = message.get("method"), message.get("params", {})
        if (url := self._answering.pop(message.get("id"), None)) and "error" in message:
            self.refused_answers.append(f"{url}: {message['error'].get('message')}")
        if method == "Runtime.exceptionThrown":
            details = params["exceptionDetails"]
            self.exceptions.append(details.get("exception", {}).get("description") or details.get("text"))
        elif method == "Runtime.consoleAPICalled" and params["type"] == "error":
            self.console_errors.append(" ".join(str(a.get("value", a.get("description"))) for a in params["args"]))
        elif method == "Network.requestWillBeSent":
            self._sent.append((params["loaderId"], params["request"]["url"]))
        elif method == "Page.loadEventFired":
            self._loaded = True
        elif method == "Fetch.requestPaused":
            reply, paused = self._respond(params["request"]), {"requestId": params["requestId"]}
            if reply is None:
                sent = self._write("Fetch.failRequest", {**paused, "errorReason": "InternetDisconnected"})
            else:
                sent = self._write("Fetch.fulfillRequest", {**paused, "responseCode": reply[0], "body": base64.b64encode(reply[2]).decode(),
                                                            "responseHeaders": [{"name": "Content-Type", "value": reply[1]}]})
            self._answering[sent] = params["request"]["url"]
        return message

    def _write(self, method, params):
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params or {}}
        os.write(self._to_browser, json.dumps({**message, "sessionId": self.session} if self.session else message).encode() + b"\0")
        return self._next_id

    def send(self, method, params=None, timeout=60):
        sent, deadline = self._write(method, params), time.monotonic() + timeout
        while (reply := self._read_message(deadline)).get("id") != sent:
            pass
        if "error" in reply:
            raise RuntimeError(f"{method}: {reply['error']}")
        return reply.get("result", {})

    def open(self, url, timeout=60):
        self._loaded, self._sent = False, []  # until the new page's load event
        # The new page's first requests may come before the reply that names its loader: they are kept until then.
        self._loader = self.send("Page.navigate", {"url": url})["loaderId"]
        deadline = time.monotonic() + timeout
        while not self._loaded:
            self._read_message(deadline)

    @property
    def requests(self):  # the addresses the page opened last requested; not those of a page left behind
        return [url for loader, url in self._sent if loader == self._loader]

    def evaluate(self, expression):
        """The value of a script expression (awaited when it is a promise)."""
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True, "awaitPromise": True})
        if "exceptionDetails" in result:
            raise RuntimeError(f"script failed: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, timeout=30, explain=None):
        """Polls until the expression is true. A timeout tells what the page had to say: its script errors and
        the value of `explain` (an expression), and any answer to a paused request the browser refused."""
        deadline = time.monotonic() + timeout
        while not self.evaluate(expression):
            if time.monotonic() > deadline:
                state = {"script errors": self.exceptions + self.console_errors + (self.evaluate("window.routeletErrors || []") or []),
                         "refused answers": self.refused_answers, **({"state": self.evaluate(explain)} if explain else {})}
                raise TimeoutError(f"never true: {expression}; {state}")
            time.sleep(0.05)

    def input(self, device, kind, **event):
        """An input event: device Mouse (x, y, button...), Touch (touchPoints) or Key (key...)."""
        self.send(f"Input.dispatch{device}Event", {"type": kind, **event})

    def click(self, x, y):
        self.input("Mouse", "mouseMoved", x=x, y=y)
        for kind in ("mousePressed", "mouseReleased"):
            self.input("Mouse", kind, x=x, y=y, button="left", clickCount=1)

    def viewport(self, width, height, phone=False):  # a phone has a touch screen and no mouse
        self.send("Emulation.setDeviceMetricsOverride", {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": phone})
        self.send("Emulation.setTouchEmulationEnabled", {"enabled": phone, "maxTouchPoints": 5})

    def screenshot(self, clip=None):  # PNG bytes of the viewport, or of clip (x, y, width, height) in the page
        clip = {"clip": dict(zip(("x", "y", "width", "height"), clip), scale=1)} if clip else {}
        return base64.b64decode(self.send("Page.captureScreenshot", {"format": "png", **clip})["data"])

    def close(self):
        self._process.terminate()  # the browser shuts down in order on SIGTERM
        self._process.wait(timeout=30)
        os.close(self._to_browser)
        os.close(self._from_browser)
        shutil.rmtree(self._profile, ignore_errors=True)

    def __exit__(self, *exc):
        self.close()
