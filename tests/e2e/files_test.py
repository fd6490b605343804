"""The Text and Other-files browsers end to end, against an Internet cache
made for the test."""
import ntpath
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import zema_driver as zd

ARGS, REST = zd.options()

TEXT_FILES, OTHER_FILES = 1007, 1005
LIST, PANE, PAUSE, COPY_TO, DRILL, CLOSE = 1007, 1031, 1018, 1028, 1040, 2
TYPES, SEARCH, WILDCARD, OK = 1035, 1036, 1045, 1
SETTINGS = r"HKCU\Software\KELDRAWORKS\ZEMA\Settings"
WS_MAXIMIZEBOX, WS_THICKFRAME = 0x00010000, 0x00040000

NOTHING_TO_COPY = "No files selected.\r\n\r\nSelect some files on the list first."
NOTHING_TO_DRILL = "No files selected.\r\n\r\nSelect a file on the list first."

# Short enough for the probe to read the whole pane back.
LONG_PAGE = "".join("the NEEDLE\r\n" if n == 40 else "hay\r\n" for n in range(80))
FILES = {
    "hello.htm": "<p>Hello, needle.</p>\r\n",
    "long.txt": LONG_PAGE,
    "plain.js": "var hay = 1;\r\n",
    "report.pdf": "%PDF-1.4 a report\n",
    "REPORT.PDF": "%PDF-1.4 another report\n",
}


class BrowserCase(zd.UserActions, unittest.TestCase):
    """A browser opened from the launcher on a cache of FILES; its pane (the
    control beside the list) is PANE."""
    TITLE = None
    BUTTON = None
    FILES = FILES
    PANE = PANE
    NOTHING_TO_DRILL = NOTHING_TO_DRILL

    @classmethod
    def setUpClass(cls):
        cls.start_driving(ARGS)
        cls.cache = zd.TestCache(cls.wine, ARGS.cachefill, ARGS.root)
        entries = []
        for name, content in cls.FILES.items():
            path = cls.cache.source(name)
            with open(path, "w", newline="") as f:
                f.write(content)
            entries.append((f"http://files.example.com/docs/{name}", path, "2025-06-15"))
        committed = cls.cache.commit(entries)
        cls.names = {url.rsplit("/", 1)[1]: ntpath.basename(local)
                     for url, local in committed.items()}

    @classmethod
    def tearDownClass(cls):
        cls.cache.restore()

    def setUp(self):
        self.start_viewer(ARGS.zema)

    def tearDown(self):
        self.program.kill()

    def scan(self, choose):
        """Opens the browser from the launcher, lets choose() fill its Options
        dialog, presses OK and returns the browser with its rows."""
        browser = self.open_browser(self.BUTTON, self.TITLE, choose)
        return browser, self.settled_rows(browser)

    def select(self, browser, name):
        """Clicks the row's name: the one column is twice as wide as the list,
        so the row's centre lies outside it."""
        self.select_row(browser, self.names[name], x_offset=12)

    def expect_refusals(self, browser):
        self.click(browser, COPY_TO)
        self.assertEqual(self.dismiss_message_box(), [NOTHING_TO_COPY])
        self.click(browser, DRILL)
        self.assertEqual(self.dismiss_message_box(), [self.NOTHING_TO_DRILL])

    def expect_enter_does_nothing_and_escape_closes(self):
        zd.activate(self.TITLE)
        zd.Keyboard.press("Return")
        time.sleep(0.5)
        self.assertIsNotNone(self.probe.find(self.TITLE))
        zd.Keyboard.press("Escape")
        self.probe.wait_gone(self.TITLE)
        self.assertTrue(self.probe.find("Zema").enabled)

    def expect_copy_to_remembers(self, browser, name, setting):
        target = tempfile.mkdtemp(prefix="zema-copies-", dir=os.path.join(ARGS.root, "build"))
        self.wine.reg("add", SETTINGS, "/v", setting, "/d", zd.Wine.path(target), "/f")
        try:
            self.select(browser, name)
            self.click(browser, COPY_TO)
            chooser = self.wait_owned(browser, besides=("Zema",), what="the folder chooser")
            # Wine's chooser highlights one of the remembered folder's parents
            # at best; the names typed into the tree walk down to it.
            time.sleep(1.0)
            zd.Keyboard.type("build")
            zd.Keyboard.press("Right")
            zd.Keyboard.type(os.path.basename(target))
            time.sleep(0.5)
            zd.screenshot(ARGS.screenshots, f"{setting}-copy-to", chooser.rect)
            self.click(chooser, 1)
            zd.wait_for(lambda: os.path.exists(os.path.join(target, self.names[name])),
                        what="the copy")
            stored = self.wine.reg_value(SETTINGS, setting) or ""
            self.assertEqual(stored.lower(), zd.Wine.path(target).lower())
        finally:
            self.wine.reg("delete", SETTINGS, "/v", setting, "/f", check=False)
            shutil.rmtree(target, ignore_errors=True)

    def expect_maximise_and_restore(self, browser):
        """The list keeps its width and grows downwards, the pane grows right
        and downwards, the buttons stay at the bottom right."""
        before = self.layout(browser)
        maximised = self.probe.maximise(browser)
        after = self.layout(maximised)
        self.assertEqual(after["list width"], before["list width"])
        self.assertEqual(after["margins"][1:], before["margins"][1:])
        self.assertEqual(after["margins"][0], after["margins"][3], "Close under the pane's edge")
        self.assertEqual(after["margins"][2], after["margins"][1], "the list ends on Close's line")
        self.assertGreater(after["pane"][0], before["pane"][0])
        self.assertGreater(after["pane"][1], before["pane"][1])
        close = after["buttons"][-1]
        self.assertEqual(after["buttons"], [close] * 4, "every button takes Close's size")
        self.assertEqual(after["gaps"], [1, 1, 1], "Pause, Copy To, Drill, Close, 1 pixel apart")
        restored = self.probe.restore(browser)
        again = self.layout(restored)
        self.assertEqual((again["list width"], again["pane"][1], again["margins"][1:]),
                         (before["list width"], before["pane"][1], before["margins"][1:]))
        self.assertEqual(again["margins"][0], again["margins"][3])

    def layout(self, browser):
        """The list's width, the pane's size, the button row's and the list's
        margins from the client's bottom right, the buttons' sizes and gaps."""
        time.sleep(0.5)
        c = self.controls(browser)
        client = browser.client
        buttons = [c[i].rect for i in (PAUSE, COPY_TO, DRILL, CLOSE)]
        pane = c[self.PANE].rect
        return {"list width": c[LIST].rect[2] - c[LIST].rect[0],
                "pane": (pane[2] - pane[0], pane[3] - pane[1]),
                "margins": (client[2] - buttons[3][2], client[3] - buttons[3][3],
                            client[3] - c[LIST].rect[3], client[2] - pane[2], client[3] - pane[3]),
                "buttons": [(b[2] - b[0], b[3] - b[1]) for b in buttons],
                "gaps": [buttons[i + 1][0] - buttons[i][2] for i in range(3)]}


class TextBrowser(BrowserCase):
    TITLE, BUTTON = "Text Files", TEXT_FILES

    def search(self, options):
        self.type_into(options, SEARCH, "needle")

    def test_search_pane_and_close(self):
        browser, rows = self.scan(self.search)
        self.assertEqual(sorted(rows), sorted(self.names[n] for n in ("hello.htm", "long.txt")))
        self.expect_refusals(browser)
        self.select(browser, "long.txt")
        pane = zd.wait_for(lambda: self.controls(browser)[PANE].text or None, what="the pane")
        self.assertEqual(pane, LONG_PAGE)
        zd.screenshot(ARGS.screenshots, "text-browser", browser.rect)
        self.click(browser, CLOSE)
        self.probe.wait_gone(self.TITLE)
        self.assertTrue(self.probe.find("Zema").enabled)

    def test_copy_to_and_drill(self):
        browser, _ = self.scan(self.search)
        self.expect_copy_to_remembers(browser, "hello.htm", "dirSaveTextFiles")
        self.select(browser, "long.txt")
        self.click(browser, DRILL)
        drill = self.probe.wait_window("Drill")
        zd.wait_for(lambda: self.controls(drill)[1037].text.startswith("http"), what="the URL")
        c = self.controls(drill)
        self.assertTrue(c[1036].text.endswith(self.names["long.txt"]))
        self.assertEqual(c[1037].text, "http://files.example.com/docs/long.txt")
        self.click(drill, 2)
        self.probe.wait_gone("Drill")

    def test_maximise_keeps_the_lists_width_and_the_buttons_at_the_bottom_right(self):
        browser, _ = self.scan(self.search)
        self.expect_maximise_and_restore(browser)
        self.expect_enter_does_nothing_and_escape_closes()


class OtherBrowser(BrowserCase):
    TITLE, BUTTON = "Other Files", OTHER_FILES

    def pdfs(self, options):
        self.type_into(options, WILDCARD, "*.pdf")

    def test_wildcard_fixed_window_and_close(self):
        browser, rows = self.scan(self.pdfs)
        self.assertEqual(sorted(rows), sorted(self.names[n] for n in ("report.pdf", "REPORT.PDF")))
        self.assertFalse(browser.style & (WS_MAXIMIZEBOX | WS_THICKFRAME))
        self.expect_refusals(browser)
        zd.screenshot(ARGS.screenshots, "other-browser", browser.rect)
        self.expect_enter_does_nothing_and_escape_closes()

    def test_copy_to_and_drill(self):
        browser, _ = self.scan(self.pdfs)
        self.expect_copy_to_remembers(browser, "report.pdf", "dirSaveOtherFiles")
        self.select(browser, "REPORT.PDF")
        self.click(browser, DRILL)
        drill = self.probe.wait_window("Drill")
        zd.wait_for(lambda: self.controls(drill)[1037].text.startswith("http"), what="the URL")
        self.assertEqual(self.controls(drill)[1037].text,
                         "http://files.example.com/docs/REPORT.PDF")
        self.click(drill, 2)
        self.probe.wait_gone("Drill")
        self.click(browser, CLOSE)
        self.probe.wait_gone(self.TITLE)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + REST, verbosity=2)
