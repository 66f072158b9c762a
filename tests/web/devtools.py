"""A small client of Chromium's DevTools protocol for the browser tests: starts a
headless Chromium of Debian's with a fresh profile, serves the built site on a free
local port as a careful host would (the Content-Security-Policy docs/WEB.md gives, the
.gz twins to browsers that take them, index.html never cached), and drives one page over
its WebSocket (python3-websocket)."""

import functools
import http.server
import json
import os
import re
import shutil
import subprocess
import tempfile
import threading
import time
import urllib.request

import websocket

CHROMIUM_FLAGS = [
    "--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--remote-debugging-port=0", "--window-size=800,600", "--autoplay-policy=no-user-gesture-required",
]

# Every Content-Security-Policy report the page meets.
WATCH_POLICY = """window.lbViolations = [];
document.addEventListener('securitypolicyviolation',
  e => window.lbViolations.push(e.effectiveDirective + ' ' + e.blockedURI));"""

# What the game's overlay showed over the last picture: the screen, "replay <player>" or
# "game", and the note, a line each.
OVERLAY = "Module.callNow('WebOverlayShown', 'string')"

WEB_DOC = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../docs/WEB.md")


def content_security_policy():
    """The policy docs/WEB.md tells hosts to send, as it gives it."""
    with open(WEB_DOC) as doc:
        for line in doc:
            found = re.match(r"\s*Content-Security-Policy: (.+)$", line)
            if found:
                return found.group(1).strip()
    raise RuntimeError("docs/WEB.md gives no Content-Security-Policy line")


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".webmanifest": "application/manifest+json",
                      ".data": "application/octet-stream", ".js": "text/javascript"}

    def log_message(self, *args):
        pass

    def end_headers(self):
        self.send_header("Content-Security-Policy", self.server.policy)
        if self.path.split("?")[0] in ("/", "/index.html", "/sw.js", "/manifest.webmanifest"):
            self.send_header("Cache-Control", "no-cache")
        else:  # the name carries the hash of the contents
            self.send_header("Cache-Control", "public, max-age=31536000, immutable")
        super().end_headers()

    def do_GET(self):
        if not self.server.online:
            self.close_connection = True  # no answer at all: a network error
            return
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            path = os.path.join(path, "index.html")
        twin = path + ".gz"
        if "gzip" in self.headers.get("Accept-Encoding", "") and os.path.isfile(twin):
            with open(twin, "rb") as file:
                body = file.read()
            self.send_response(200)
            self.send_header("Content-Type", self.guess_type(path))
            self.send_header("Content-Encoding", "gzip")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            self.server.count(len(body))
            return
        super().do_GET()

    def copyfile(self, source, outputfile):
        before = source.tell()
        super().copyfile(source, outputfile)
        self.server.count(source.tell() - before)


class Site:
    """The built site served at http://127.0.0.1:<free port>/ from a thread. `online`
    False answers no request, as a host out of reach; `sent` counts the bytes
    of the bodies sent."""

    def __init__(self, folder):
        handler = functools.partial(SiteHandler, directory=folder)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.server.policy = content_security_policy()
        self.server.online = True
        self.server.sent = 0
        lock = threading.Lock()

        def count(length):
            with lock:
                self.server.sent += length
        self.server.count = count
        self.url = "http://127.0.0.1:%d/" % self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    @property
    def sent(self):
        return self.server.sent

    def set_online(self, online):
        self.server.online = online

    def close(self):
        self.server.shutdown()
        self.server.server_close()


class Browser:
    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="lb-chromium-")
        self.process = subprocess.Popen(
            ["chromium", *CHROMIUM_FLAGS, "--user-data-dir=" + self.profile, "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        deadline = time.monotonic() + 60
        for line in self.process.stderr:
            found = re.search(r"DevTools listening on ws://([^/]+)/", line)
            if found:
                self.host = found.group(1)
                break
            if time.monotonic() > deadline:
                break
        else:
            raise RuntimeError("chromium did not start")
        threading.Thread(target=self.process.stderr.read, daemon=True).start()

    def page(self, target_id=None):
        """The tab of that target id; the first tab without one."""
        with urllib.request.urlopen("http://%s/json/list" % self.host) as response:
            targets = [t for t in json.load(response) if t["type"] == "page"]
        return Page(next(t for t in targets if target_id in (None, t["id"]))["webSocketDebuggerUrl"])

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)


class Page:
    def __init__(self, socket_url):
        self.socket = websocket.create_connection(socket_url, timeout=120, suppress_origin=True)
        self.next_id = 0
        self.events = []

    def send(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError("%s: %s" % (method, message["error"]))
                return message.get("result", {})
            if "method" in message:
                self.events.append(message)

    def evaluate(self, expression):
        """The value of a JavaScript expression (promises awaited)."""
        result = self.send("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError("%s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def wait_for(self, expression, timeout, poll=0.05):
        """Waits until the expression is truthy; its value."""
        deadline = time.monotonic() + timeout
        while True:
            value = self.evaluate(expression)
            if value or time.monotonic() > deadline:
                return value
            time.sleep(poll)

    def open(self, url, before_load=None):
        """Loads the page; `before_load` is script that runs before the page's own."""
        self.send("Page.enable")
        if before_load:
            self.send("Page.addScriptToEvaluateOnNewDocument", source=before_load)
        self.send("Page.navigate", url=url)

    def key(self, kind, key, code, virtual_key):
        """A real key event: kind "keyDown" or "keyUp"."""
        self.send("Input.dispatchKeyEvent", type=kind, key=key, code=code,
                  windowsVirtualKeyCode=virtual_key, nativeVirtualKeyCode=virtual_key)

    def close(self):
        self.socket.close()


def site_folder():
    return os.environ.get("LB_WEB_SITE", os.path.join(os.path.dirname(__file__), "../../build-web/site"))
