"""A headless Chromium driven through the DevTools protocol over a pipe.

The browser is started with --remote-debugging-pipe: it reads commands on file descriptor 3 and
writes replies and events on descriptor 4, each message a JSON text ended by a zero byte. That
needs nothing beyond the Python standard library and never opens a network port.
"""

import fcntl
import json
import os
import select
import shutil
import subprocess
import tempfile
import time

# Flags that keep the browser from reaching out to the network or to a desktop session.
QUIET_FLAGS = [
    "--headless",
    "--no-sandbox",
    "--disable-gpu",
    "--disable-quic",
    "--no-first-run",
    "--no-default-browser-check",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--disable-extensions",
    "--disable-default-apps",
    "--metrics-recording-only",
    "--password-store=basic",
    "--use-mock-keychain",
    "--hide-scrollbars",
    "--mute-audio",
]


def find_chromium():
    """The path of a Chromium program, or None when none is installed."""
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


class ProtocolError(RuntimeError):
    pass


class Browser:
    """One browser process with one page attached in flat session mode."""

    def __init__(self, program, width=1280, height=900):
        self._profile = tempfile.mkdtemp(prefix="routelet-chromium-")
        to_browser_r, self._to_browser = os.pipe()
        self._from_browser, from_browser_w = os.pipe()

        def place_pipes():
            # The browser expects its command pipe on 3 and its reply pipe on 4. Both ends are
            # first moved above 4 so that placing one cannot overwrite the other.
            high_r = fcntl.fcntl(to_browser_r, fcntl.F_DUPFD, 10)
            high_w = fcntl.fcntl(from_browser_w, fcntl.F_DUPFD, 10)
            os.dup2(high_r, 3)
            os.dup2(high_w, 4)

        self._process = subprocess.Popen(
            [program, *QUIET_FLAGS, "--remote-debugging-pipe",
             f"--user-data-dir={self._profile}", f"--window-size={width},{height}", "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=place_pipes, pass_fds=(3, 4), close_fds=True)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self._buffer = b""
        self._next_id = 0
        self._events = []
        self.session = None
        self.exceptions = []
        self.console_errors = []
        self._attach_page(width, height)

    # -- protocol plumbing ------------------------------------------------------------------

    def _write(self, message):
        data = json.dumps(message).encode() + b"\0"
        while data:
            written = os.write(self._to_browser, data)
            data = data[written:]

    def _read_message(self, deadline):
        while b"\0" not in self._buffer:
            if time.monotonic() > deadline:
                raise TimeoutError("the browser did not answer in time")
            ready, _, _ = select.select([self._from_browser], [], [], 0.2)
            if ready:
                chunk = os.read(self._from_browser, 1 << 20)
                if not chunk:
                    raise ProtocolError("the browser closed its pipe")
                self._buffer += chunk
        raw, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(raw)

    def _note_event(self, message):
        method = message.get("method")
        params = message.get("params", {})
        if method == "Runtime.exceptionThrown":
            details = params.get("exceptionDetails", {})
            text = details.get("exception", {}).get("description") or details.get("text")
            self.exceptions.append(text)
        elif method == "Runtime.consoleAPICalled" and params.get("type") == "error":
            self.console_errors.append(" ".join(str(a.get("value", a.get("description")))
                                                for a in params.get("args", [])))
        self._events.append(message)

    def send(self, method, params=None, session=True, timeout=60):
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        self._write(message)
        deadline = time.monotonic() + timeout
        while True:
            reply = self._read_message(deadline)
            if reply.get("id") == self._next_id:
                if "error" in reply:
                    raise ProtocolError(f"{method}: {reply['error']}")
                return reply.get("result", {})
            self._note_event(reply)

    def wait_event(self, method, timeout=60):
        """Waits for an event of the page's session, also one that arrived earlier."""
        deadline = time.monotonic() + timeout
        while True:
            for i, event in enumerate(self._events):
                if event.get("method") == method:
                    del self._events[i]
                    return event.get("params", {})
            self._note_event(self._read_message(deadline))

    def _attach_page(self, width, height):
        targets = self.send("Target.getTargets", session=False)["targetInfos"]
        page = next(t for t in targets if t["type"] == "page")
        attached = self.send("Target.attachToTarget", {"targetId": page["targetId"], "flatten": True},
                             session=False)
        self.session = attached["sessionId"]
        self.send("Page.enable")
        self.send("Runtime.enable")
        self.send("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})

    # -- what a test does with a page --------------------------------------------------------

    def open(self, url, timeout=60):
        self._events = [e for e in self._events if e.get("method") != "Page.loadEventFired"]
        self.send("Page.navigate", {"url": url})
        self.wait_event("Page.loadEventFired", timeout)

    def evaluate(self, expression, timeout=60):
        """The value of a script expression (awaited when it is a promise)."""
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": True}, timeout=timeout)
        if "exceptionDetails" in result:
            raise ProtocolError(f"script failed: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.evaluate(expression):
                return
            time.sleep(0.05)
        raise TimeoutError(f"never true: {expression}")

    def mouse(self, kind, x, y, button="none", clicks=0):
        self.send("Input.dispatchMouseEvent", {"type": kind, "x": x, "y": y, "button": button,
                                               "clickCount": clicks})

    def click(self, x, y):
        self.mouse("mouseMoved", x, y)
        self.mouse("mousePressed", x, y, "left", 1)
        self.mouse("mouseReleased", x, y, "left", 1)

    def screenshot(self, path, width, height):
        self.send("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})
        import base64
        shot = self.send("Page.captureScreenshot", {"format": "png"})
        with open(path, "wb") as out:
            out.write(base64.b64decode(shot["data"]))

    def close(self):
        try:
            self.send("Browser.close", session=False, timeout=10)
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
