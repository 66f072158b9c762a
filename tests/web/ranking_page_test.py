"""The world ranking page in headless Chromium: the server of the ordinary build
(build/lantern-blade-server) on a scratch SQLite database serves the browser build;
the golden run is sent, verified, listed on the page under its name with its score, and
its Watch link plays the run in the page; a run named while the game plays is watched in
the game's place.

    /usr/bin/python3 tests/web/ranking_page_test.py    (LB_SERVER, LB_WEB_SITE to override)
"""

import base64
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
RUN = os.path.join(SOURCE, "data/txt/Ranking/demos/3099-0.lbdemo")
GOLDEN_KEYS = os.environ.get("LB_GOLDEN_KEYS", os.path.join(SOURCE, "build/golden/keys.txt"))


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

    def submit(self, path, name):
        with open(path, "rb") as demo:
            request = urllib.request.Request(self.url + "api/runs", data=demo.read(), method="POST", headers={
                "Content-Type": "application/octet-stream", "X-Player-Name": name,
                "X-Player-Secret": "a-secret-for-the-browser-test-" + name})
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
        run = self.submit(GOLDEN, "golden")
        # Beside it, a run kept alone, as the game sends them.
        watched = self.submit(RUN, "blade")
        page = self.browser.page()
        page.open(self.url, devtools.WATCH_POLICY)
        row = 'document.querySelector(\'#ranking tr[data-id="%s"]\')'
        self.assertTrue(page.wait_for("!!" + row % run, 30))
        cells = page.evaluate("Array.from(%s.cells).map(c => c.textContent)" % row % run)
        self.assertEqual(cells[:3], ["1", "golden", "3439"])
        cells = page.evaluate("Array.from(%s.cells).map(c => c.textContent)" % row % watched)
        self.assertEqual(cells[:3], ["2", "blade", "3099"])
        self.assertIn("not that a person played", page.evaluate("document.body.textContent"))
        # Styled from its own sheet, under a policy without inline style.
        self.assertEqual(page.wait_for("document.readyState === 'complete' && "
                                       "getComputedStyle(document.body).backgroundColor", 30), "rgb(17, 17, 17)")
        self.assertEqual(page.evaluate("lbViolations"), [])
        # The game is served under the policy the hosts are told to send.
        with urllib.request.urlopen(self.url + "play/") as answer:
            self.assertEqual(answer.headers["Content-Security-Policy"], devtools.content_security_policy())

        # The golden run records a whole session: its Watch link opens the game, which at
        # the first key plays the session from its start-up, unseen up to the run of its
        # clear, then that run seen under the REPLAY caption with the run's player, on
        # through its results; then the page plays on without it.
        demo_url = "/api/runs/%s/demo" % run
        self.assertEqual(page.evaluate("%s.querySelector('a.watch').getAttribute('href')" % row % run),
                         "/play/#demo=" + demo_url)
        page.evaluate("%s.querySelector('a.watch').click()" % row % run)
        self.assertTrue(page.wait_for("location.pathname === '/play/' && !!document.querySelector('canvas')", 60))
        self.assertEqual(page.evaluate("location.hash"), "#demo=" + demo_url)
        self.assertEqual(page.evaluate("lbViolations"), [])
        self.assertTrue(page.wait_for(
            "performance.getEntriesByType('resource').some(e => e.name.endsWith('%s'))" % demo_url, 60))
        self.assertTrue(page.wait_for("window.Module && Module.calledRun", 60))
        self.assertIn("watch the run", page.evaluate("document.getElementById('notice').textContent"))
        self.press_shift(page)
        self.watch_to_its_end(page, "PLAYER")
        self.assertTrue(page.wait_for("location.hash === '' && window.Module && Module.calledRun && "
                                      "/to play/.test(document.getElementById('notice').textContent)", 60))
        self.assertEqual(page.evaluate("lbViolations"), [])

        # A run kept alone (as the game sends them), named while the game plays, is watched
        # in the game's place, and the game comes back as it stood.
        self.press_shift(page)
        self.assertTrue(page.wait_for(devtools.OVERLAY + ".split('\\n')[1] === 'game'", 30))
        page.evaluate("location.hash = '#demo=/api/runs/%s/demo'" % watched)
        self.watch_to_its_end(page, "BLADE")
        self.assertTrue(page.wait_for(devtools.OVERLAY + ".split('\\n')[1] === 'game'", 30),
                        page.evaluate(devtools.OVERLAY))
        self.assertNotIn("did not play back", page.evaluate(devtools.OVERLAY))

    @staticmethod
    def press_shift(page):
        page.key("keyDown", "Shift", "ShiftLeft", 16)
        page.key("keyUp", "Shift", "ShiftLeft", 16)

    def watch_to_its_end(self, page, player):
        shown = devtools.OVERLAY
        self.assertTrue(page.wait_for(shown + ".startsWith('play\\nreplay %s')" % player, 60), page.evaluate(shown))
        pictures = set()
        while len(pictures) < 3 and page.evaluate(shown).startswith("play\nreplay"):
            pictures.add(page.evaluate(PICTURE))
            time.sleep(0.1)
        self.assertGreaterEqual(len(pictures), 3, "the picture stood still while the run played")
        if os.environ.get("LB_SHOT"):
            with open(os.environ["LB_SHOT"] + "-" + player + ".png", "wb") as shot:
                shot.write(base64.b64decode(page.send("Page.captureScreenshot", format="png")["data"]))
        self.assertTrue(page.wait_for(shown + ".startsWith('results\\nreplay %s')" % player, 30),
                        page.evaluate(shown))

    def test_the_game_it_serves_sends_a_clear_under_the_name_set_and_keeps_one_that_found_no_answer(self):
        page = self.browser.page()
        page.open(self.url + "play/", FIRST_LOAD_FAILS_ITS_SENDING % golden_keys())
        self.assertTrue(page.wait_for("window.Module && Module.calledRun", 60))
        # With no name set nothing is sent, and the page says what to set.
        page.evaluate("LanternWorld.send(new Uint8Array([1]), '')")
        self.assertTrue(page.wait_for("/Set your name/.test(Module.lastNote)", 30))
        # The name is set in the page's settings and kept in the game's settings file.
        page.evaluate("document.getElementById('settings').click()")
        self.assertTrue(page.evaluate("document.getElementById('settings-panel').open"))
        page.evaluate("document.getElementById('player-name').value = 'x\u00e9'; "
                      "document.getElementById('settings-save').click()")
        self.assertTrue(page.evaluate("!document.getElementById('name-problem').hidden"), "an accent was taken")
        page.evaluate("document.getElementById('player-name').value = 'in a browser'; "
                      "document.getElementById('settings-save').click()")
        self.assertFalse(page.evaluate("document.getElementById('settings-panel').open"))
        self.assertTrue(page.wait_for(STORED_SETTINGS + ".then(text => text.includes('name=in a browser'))", 30))

        # The golden run on the test clock clears; the server does not answer its sending,
        # so the run is kept in the browser.
        page.send("Page.reload")
        self.assertTrue(page.wait_for("window.Module && Module.ended", 300), "the ring did not end")
        self.assertTrue(page.wait_for(OUTBOX + ".then(runs => runs === 1)", 30), "the unsent run was not kept")
        self.assertEqual(self.ranking(), [])

        # At the next visit it is sent, and its verdict shown.
        page.send("Page.reload")
        self.assertTrue(page.wait_for("window.Module && /verified, score 3439/.test(Module.lastNote)", 120),
                        page.evaluate("window.Module && Module.lastNote"))
        self.assertEqual(self.ranking(), [("in a browser", 3439)])
        self.assertEqual(page.evaluate(OUTBOX), 0)
        page.close()

    def ranking(self):
        with urllib.request.urlopen(self.url + "api/ranking") as answer:
            return [(e["name"], e["score"]) for e in json.load(answer)["entries"]]


def golden_keys():
    with open(GOLDEN_KEYS) as keys:
        return keys.read()


# A digest of the picture on the canvas.
PICTURE = """(() => {
  const canvas = document.getElementById('screen');
  const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
  let hash = 2166136261;
  for (let i = 0; i < pixels.length; i += 4) hash = Math.imul(hash ^ pixels[i] ^ pixels[i + 1] << 8, 16777619);
  return hash >>> 0;
})()"""
# The second load of the page plays the golden keys on the test clock, with no answer to
# its sendings; the loads before and after it play as the player does.
FIRST_LOAD_FAILS_ITS_SENDING = """
const load = Number(sessionStorage.getItem('lbLoad') || 0) + 1;
sessionStorage.setItem('lbLoad', load);
if (load === 2) {
  window.lbKeyScript = %r;
  const fetch = window.fetch;
  window.fetch = (url, options) => options && options.method === 'POST'
    ? Promise.reject(new TypeError('no answer')) : fetch(url, options);
}"""
STORED_SETTINGS = """new Promise((resolve, reject) => {
  const open = indexedDB.open('lantern-blade');
  open.onsuccess = () => {
    const request = open.result.transaction('files').objectStore('files')
      .get('/home/web_user/.config/lantern-blade/settings.ini');
    request.onsuccess = () => resolve(request.result ? new TextDecoder().decode(request.result) : '');
    request.onerror = () => reject(request.error);
  };
})"""
# How many runs the page keeps unsent; 0 before it keeps any (the database is not made
# here, or the page would find it without its stores).
OUTBOX = """new Promise((resolve, reject) => {
  const open = indexedDB.open('lantern-blade-world');
  open.onupgradeneeded = () => open.transaction.abort();
  open.onerror = () => resolve(0);
  open.onsuccess = () => {
    const request = open.result.transaction('outbox').objectStore('outbox').count();
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  };
})"""


if __name__ == "__main__":
    unittest.main(verbosity=2)
