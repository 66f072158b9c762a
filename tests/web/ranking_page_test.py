"""The world ranking page in headless Chromium: the server of the ordinary build
(build/lantern-blade-server) on a scratch SQLite database serves the browser build;
the golden run is sent, verified, listed on the page under its name with its score, and
its Watch link opens the game in the page with the run's demo.

    /usr/bin/python3 tests/web/ranking_page_test.py    (LB_SERVER, LB_WEB_SITE to override)
"""

import json
import os
import re
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import devtools  # noqa: E402

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../..")
SERVER = os.environ.get("LB_SERVER", os.path.join(SOURCE, "build/lantern-blade-server"))
GOLDEN = os.path.join(SOURCE, "tests/whole_game/golden/ring.lbdemo")


class RankingPage(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory(prefix="lb-ranking-")
        self.log = open(os.path.join(self.scratch.name, "server.log"), "w+")
        self.server = subprocess.Popen(
            [SERVER, "--listen", "127.0.0.1:0", "--database", "sqlite:" + self.scratch.name + "/ranking.db",
             "--site", devtools.site_folder(), "--data", os.path.join(SOURCE, "data"), "--workers", "1"],
            stdout=self.log, stderr=self.log)
        deadline = time.monotonic() + 30
        self.url = None
        while self.url is None and time.monotonic() < deadline:
            self.log.seek(0)
            found = re.search(r"listening on (http://127\.0\.0\.1:\d+/)", self.log.read())
            if found:
                self.url = found.group(1)
            else:
                time.sleep(0.05)
        self.assertIsNotNone(self.url, "the server did not start")
        self.browser = devtools.Browser()

    def tearDown(self):
        self.browser.close()
        self.server.terminate()
        self.server.wait(30)
        self.log.close()
        self.scratch.cleanup()

    def submit_golden(self):
        with open(GOLDEN, "rb") as demo:
            request = urllib.request.Request(self.url + "api/runs", data=demo.read(), method="POST", headers={
                "Content-Type": "application/octet-stream", "X-Player-Name": "golden",
                "X-Player-Secret": "a-secret-for-the-browser-test"})
        with urllib.request.urlopen(request) as answer:
            self.assertEqual(answer.status, 202)
            run = json.load(answer)["id"]
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            with urllib.request.urlopen(self.url + "api/runs/" + run) as answer:
                state = json.load(answer)["state"]
            if state != "queued":
                break
            time.sleep(0.1)
        self.assertEqual(state, "verified")
        return run

    def test_golden_run_listed_and_watched(self):
        run = self.submit_golden()
        page = self.browser.page()
        page.open(self.url, devtools.WATCH_POLICY)
        row = 'document.querySelector(\'#ranking tr[data-id="%s"]\')' % run
        self.assertTrue(page.wait_for("!!" + row, 30))
        cells = page.evaluate("Array.from(%s.cells).map(c => c.textContent)" % row)
        self.assertEqual(cells[:3], ["1", "golden", "3439"])
        self.assertIn("not that a person played", page.evaluate("document.body.textContent"))
        # Styled from its own sheet, under a policy without inline style.
        self.assertEqual(page.evaluate("getComputedStyle(document.body).backgroundColor"), "rgb(17, 17, 17)")
        self.assertEqual(page.evaluate("lbViolations"), [])
        # The game is served under the policy the hosts are told to send.
        with urllib.request.urlopen(self.url + "play/") as answer:
            self.assertEqual(answer.headers["Content-Security-Policy"], devtools.content_security_policy())

        demo_url = "/api/runs/%s/demo" % run
        self.assertEqual(page.evaluate("%s.querySelector('a.watch').getAttribute('href')" % row),
                         "/play/#demo=" + demo_url)
        page.evaluate("%s.querySelector('a.watch').click()" % row)
        self.assertTrue(page.wait_for("location.pathname === '/play/' && !!document.querySelector('canvas')", 60))
        self.assertEqual(page.evaluate("location.hash"), "#demo=" + demo_url)
        self.assertEqual(page.evaluate("lbViolations"), [])
        # The page fetched the run's demo from the server, and at the first key hands it to
        # the game to watch.
        self.assertTrue(page.wait_for(
            "performance.getEntriesByType('resource').some(e => e.name.endsWith('%s'))" % demo_url, 60))
        self.assertTrue(page.wait_for("window.Module && Module.calledRun", 60))
        self.assertIn("watch the run", page.evaluate("document.getElementById('notice').textContent"))
        page.key("keyDown", "Shift", "ShiftLeft", 16)
        page.key("keyUp", "Shift", "ShiftLeft", 16)
        with open(GOLDEN, "rb") as demo:
            golden = list(demo.read())
        self.assertTrue(page.wait_for(
            "Module.FS.analyzePath('/tmp/watched.lbdemo').exists && "
            "JSON.stringify(Array.from(Module.FS.readFile('/tmp/watched.lbdemo'))) === %r" % json.dumps(golden)
            .replace(" ", ""), 30))



if __name__ == "__main__":
    unittest.main(verbosity=2)
