"""The Media browser end to end: the launcher's Flashes, Movies and Audios
buttons against an Internet cache made for the test. Wine has no HTML engine
here, so the preview pane shows nothing; what it is asked to show is the Wine
unit test's business."""
import os
import sys
import time
import unittest

import zema_driver as zd
from files_test import BrowserCase, ARGS, REST, LIST, PAUSE, CLOSE, OK

FLASHES, MOVIES, AUDIOS = 1001, 1002, 1003
PREVIEW = 4999
CANCEL = 2

FILES = {
    "intro.swf": "FWS flash",
    "LOOP.SWF": "FWS loop",
    "clip.avi": "RIFF avi",
    "song.wav": "RIFF wav",
    "silence.wav": "",
    "notes.txt": "text",
}
TYPES = {".avi": "video/avi", ".wav": "audio/wav", ".txt": "text/plain"}


class MediaTests:
    """The tests each of the three windows passes, mixed into a BrowserCase
    with the window's title, button and the files it lists."""
    FILES = FILES
    PANE = PREVIEW
    NOTHING_TO_DRILL = "No files selected.\r\n\r\nSelect a files on the list first."
    LISTED = ()

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.saved_types = zd.set_content_types(cls.wine, TYPES)

    @classmethod
    def tearDownClass(cls):
        zd.restore_content_types(cls.wine, cls.saved_types)
        super().tearDownClass()

    def any_date(self, options):
        pass

    def test_options_after_the_window_and_cancel_closes_it(self):
        browser, options, _ = self.show_options(self.BUTTON, self.TITLE)
        self.assertEqual(options.owner, browser.hwnd)
        self.assertFalse(self.probe.find("Zema").enabled)
        self.assertIn(PREVIEW, self.controls(browser), "the preview pane took the placeholder's place")
        self.click(options, CANCEL)
        self.probe.wait_gone(self.TITLE)
        self.assertTrue(self.probe.find("Zema").enabled)

    def test_lists_its_kind_refuses_without_a_selection_and_resizes(self):
        browser, rows = self.scan(self.any_date)
        self.assertEqual(sorted(rows), sorted(self.names[n] for n in self.LISTED))
        self.expect_refusals(browser)
        self.expect_maximise_and_restore(browser)
        self.expect_enter_does_nothing_and_escape_closes()

    def test_copy_to_and_drill(self):
        browser, _ = self.scan(self.any_date)
        name = self.LISTED[0]
        self.expect_copy_to_remembers(browser, name, f"DirOf{self.BUTTON - FLASHES}")
        self.click(browser, 1040)
        drill = self.probe.wait_window("Drill")
        zd.wait_for(lambda: self.controls(drill)[1037].text.startswith("http"), what="the URL")
        self.assertEqual(self.controls(drill)[1037].text, f"http://files.example.com/docs/{name}")
        self.click(drill, CANCEL)
        self.probe.wait_gone("Drill")
        if self.BUTTON == MOVIES:
            zd.screenshot(ARGS.screenshots, "movies-browser", browser.rect)
        self.click(browser, CLOSE)
        self.probe.wait_gone(self.TITLE)


class Flashes(MediaTests, BrowserCase):
    TITLE, BUTTON, LISTED = "Flashes", FLASHES, ("intro.swf", "LOOP.SWF")


class Movies(MediaTests, BrowserCase):
    TITLE, BUTTON, LISTED = "Movies", MOVIES, ("clip.avi",)

    def test_double_click_opens_the_file_with_its_default_player(self):
        saved = self.wine.reg_value(r"HKCR\.avi", "(Default)")
        self.wine.reg("add", r"HKCR\.avi", "/ve", "/d", "ZemaTestPlayer", "/f")
        opener = zd.ShellOpener(self.wine, ARGS.probe,
                             r"HKLM\Software\Classes\ZemaTestPlayer\shell\open\command")
        try:
            browser, _ = self.scan(self.any_date)
            self.select(browser, "clip.avi")
            zd.Mouse.double_click()
            zd.wait_for(opener.opened, timeout=20, what="the player to be started")
            self.assertEqual([p.lower() for p in opener.opened()],
                             [self.cache.entries["http://files.example.com/docs/clip.avi"].lower()])
        finally:
            opener.restore()
            if saved is None:
                self.wine.reg("delete", r"HKCR\.avi", "/ve", "/f", check=False)
            else:
                self.wine.reg("add", r"HKCR\.avi", "/ve", "/d", saved, "/f")
            self.wine.reg("delete", r"HKLM\Software\Classes\ZemaTestPlayer", "/f", check=False)


class Audios(MediaTests, BrowserCase):
    TITLE, BUTTON, LISTED = "Audios", AUDIOS, ("song.wav",)


MANY = 40000


class PauseAndClose(BrowserCase):
    """A cache large enough that the scan is still running when the user acts."""
    TITLE, BUTTON, FILES = "Flashes", FLASHES, {"intro.swf": "FWS"}

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        source = cls.cache.source("intro.swf")
        # Rows come at thousands a second: enough of them that the scan is
        # still running seconds later.
        for index in range(MANY):
            folder = os.path.join(cls.cache.folder, "Content.IE5", "F%03d" % (index % 300))
            os.makedirs(folder, exist_ok=True)
            os.link(source, os.path.join(folder, f"movie{index}[1].swf"))

    def row_count(self, browser):
        return self.probe.row_count(self.control(browser, LIST))

    def test_pause_holds_the_scan_and_close_ends_it_within_a_poll(self):
        browser, options, _ = self.show_options(FLASHES, "Flashes")
        self.click(options, OK)
        zd.wait_for(lambda: self.row_count(browser) > 20, what="rows")
        self.click(browser, PAUSE)
        self.assertEqual(self.controls(browser)[PAUSE].checked, 1)
        time.sleep(0.5)
        held = self.row_count(browser)
        time.sleep(1.0)
        self.assertEqual(self.row_count(browser), held, "no rows while paused")
        self.assertLess(held, MANY)
        self.assertLess(self.close_timed(browser, CLOSE), 1.5)
        self.assertTrue(self.probe.find("Zema").enabled)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + REST, verbosity=2)
