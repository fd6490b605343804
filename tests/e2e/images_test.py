"""The Image browser end to end, against an Internet cache made for the test."""
import datetime
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

# Dialog and control ids of the windows involved.
IMAGES, LIST, PAUSE, COPY_TO, DRILL, CLOSE = 1000, 1007, 1018, 1028, 1037, 2
ANY_SIZE, NOT_SMALLER, SMALLER, EXACTLY_SIZE = 1008, 1009, 1010, 1011
WIDTH, HEIGHT, ANY_TYPE, THESE_TYPES, TYPES = 1012, 1013, 1014, 1015, 1016
ANY_DATE, BEFORE, SINCE, EXACTLY_DATE, EDGE = 1022, 1023, 1024, 1025, 1027
OK, CANCEL = 1, 2

TODAY = datetime.date.today().isoformat()

# name, size, colour, day; all GIFs unless the name says otherwise.
PICTURES = [
    ("wide.GIF", (300, 200), "red", "2025-06-15"),
    ("tall.gif", (200, 300), "blue", "2025-06-15"),
    ("square.gif", (640, 640), "green", "2024-01-02"),
    ("small.gif", (100, 60), "orange", TODAY),
    ("strip.gif", (121, 1), "black", "2025-06-15"),
    ("logo.bmp", (80, 80), "purple", "2025-06-15"),
]


def make_picture(path, size, colour, fmt=None):
    target = f"{fmt}:{path}" if fmt else path
    subprocess.run(["convert", "-size", f"{size[0]}x{size[1]}", f"xc:{colour}", target],
                   check=True)


class ViewerOnTestCache(zd.UserActions, unittest.TestCase):
    """A viewer started afresh for each test on a cache the class fills; the
    class sets `cache` and `types` and this puts both back."""

    @classmethod
    def tearDownClass(cls):
        zd.restore_content_types(cls.wine, cls.types)
        cls.cache.restore()

    def setUp(self):
        self.start_viewer(ARGS.zema)

    def tearDown(self):
        self.program.kill()


class ImageBrowserCase(ViewerOnTestCache):
    @classmethod
    def setUpClass(cls):
        cls.start_driving(ARGS)
        cls.cache = zd.TestCache(cls.wine, ARGS.cachefill, ARGS.root)
        cls.types = zd.set_content_types(cls.wine, {
            ".gif": "image/gif", ".bmp": "image/bmp", ".txt": "text/plain"})
        entries = []
        for name, size, colour, day in PICTURES:
            path = cls.cache.source(name)
            make_picture(path, size, colour)
            entries.append((f"http://pictures.example.com/web/{name}", path, day))
        # An .if file is found by the substring search but is no image type;
        # a .gif that holds text cannot be decoded; a text file is no image.
        odd = cls.cache.source("odd.if")
        make_picture(odd, (50, 50), "red", "gif")
        broken = cls.cache.source("broken.gif")
        notes = cls.cache.source("notes.txt")
        for path in (broken, notes):
            with open(path, "w") as f:
                f.write("not a picture\n")
        entries += [("http://pictures.example.com/odd.if", odd, "2025-06-15"),
                    ("http://pictures.example.com/broken.gif", broken, "2025-06-15"),
                    ("http://pictures.example.com/notes.txt", notes, "2025-06-15")]
        committed = cls.cache.commit(entries)
        cls.names = {url.rsplit("/", 1)[1]: ntpath.basename(local)
                     for url, local in committed.items()}
        cls.urls = {ntpath.basename(local): url for url, local in committed.items()}

    def show_image_options(self):
        return self.show_options(IMAGES, "Images")

    def scan(self, choose=None, expect_rows=None):
        """Opens the browser, lets choose() set the options, presses OK and
        waits for the scan to end; returns the browser and its row texts."""
        browser = self.open_browser(IMAGES, "Images", choose)
        return browser, self.settled_rows(browser, expect_rows)

    def expect_names(self, rows, names):
        self.assertEqual(sorted(rows), sorted(self.names[n] for n in names))


class OptionsAndFilters(ImageBrowserCase):
    def test_options_appear_after_300ms_with_the_defaults(self):
        browser, options, delay = self.show_image_options()
        self.assertGreater(delay, 0.1)
        self.assertLess(delay, 3.0)
        zd.screenshot(ARGS.screenshots, "image-options", options.rect)
        c = self.controls(options)
        self.assertEqual((c[WIDTH].text, c[HEIGHT].text, c[TYPES].text, c[EDGE].text),
                         ("320", "200", "GIF;JPG;JPEG", "120"))
        self.assertEqual([c[i].checked for i in (ANY_SIZE, NOT_SMALLER, SMALLER, EXACTLY_SIZE)],
                         [1, 0, 0, 0])
        self.assertEqual([c[i].checked for i in (ANY_TYPE, THESE_TYPES)], [1, 0])
        self.assertEqual([c[i].checked for i in (ANY_DATE, BEFORE, SINCE, EXACTLY_DATE)],
                         [1, 0, 0, 0])
        self.assertFalse(self.probe.find("Images").enabled, "modal over the browser")

    def test_type_list_is_a_substring_search(self):
        browser, rows = self.scan(lambda o: self.click(o, THESE_TYPES), expect_rows=5)
        self.expect_names(rows, ["wide.GIF", "tall.gif", "square.gif", "small.gif", "strip.gif"])

    def test_without_a_type_list_the_content_type_decides(self):
        browser, rows = self.scan(expect_rows=6)
        self.expect_names(rows, ["wide.GIF", "tall.gif", "square.gif", "small.gif", "strip.gif",
                                 "logo.bmp"])
        zd.screenshot(ARGS.screenshots, "image-browser", browser.rect)

    def test_date_modes_against_todays_date(self):
        _, rows = self.scan(lambda o: self.click(o, EXACTLY_DATE))
        self.expect_names(rows, ["small.gif"])

    def test_date_before_today(self):
        _, rows = self.scan(lambda o: self.click(o, BEFORE))
        self.expect_names(rows, ["wide.GIF", "tall.gif", "square.gif", "strip.gif", "logo.bmp"])

    def test_date_since_today(self):
        _, rows = self.scan(lambda o: self.click(o, SINCE))
        self.expect_names(rows, ["small.gif"])

    def test_size_not_smaller_than(self):
        _, rows = self.scan(lambda o: self.click(o, NOT_SMALLER))
        self.expect_names(rows, ["square.gif"])

    def test_size_smaller_than(self):
        _, rows = self.scan(lambda o: self.click(o, SMALLER))
        self.expect_names(rows, ["small.gif", "strip.gif", "logo.bmp"])

    def test_size_exactly(self):
        def choose(options):
            self.click(options, EXACTLY_SIZE)
            self.type_into(options, WIDTH, "300")
            self.type_into(options, HEIGHT, "200")
        _, rows = self.scan(choose)
        self.expect_names(rows, ["wide.GIF"])


class BrowserWindow(ImageBrowserCase):
    def test_cancel_closes_the_browser_and_the_launcher_is_usable(self):
        _, options, _ = self.show_image_options()
        self.click(options, CANCEL)
        self.probe.wait_gone("Images")
        self.assertTrue(self.probe.find("Zema").enabled)
        self.show_image_options()

    def test_enter_does_nothing_and_escape_closes(self):
        browser, rows = self.scan(expect_rows=6)
        zd.activate("Images")
        zd.Keyboard.press("Return")
        time.sleep(0.5)
        self.assertIsNotNone(self.probe.find("Images"))
        zd.Keyboard.press("Escape")
        self.probe.wait_gone("Images")

    def test_maximise_and_restore_keep_the_margins_and_the_button_row(self):
        browser, _ = self.scan(expect_rows=6)
        before = self.layout(browser)
        lines_before = self.thumbnail_lines(browser)
        maximised = self.probe.maximise(browser)
        zd.screenshot(ARGS.screenshots, "image-browser-maximised")
        after = self.layout(maximised)
        list_right, list_bottom, close_right, close_bottom = before["margins"]
        # The button row is anchored at the list's right margin.
        self.assertEqual(after["margins"], (list_right, list_bottom, list_right, close_bottom))
        self.assertEqual(after["buttons"], before["buttons"])
        self.assertLess(self.thumbnail_lines(maximised), lines_before,
                        "the wider list holds more thumbnails a line")
        restored = self.probe.restore(browser)
        self.assertEqual(self.layout(restored)["margins"],
                         (list_right, list_bottom, list_right, close_bottom))
        self.assertEqual(self.thumbnail_lines(restored), lines_before)

    def thumbnail_lines(self, browser):
        """How many lines the thumbnails take; each row has a place of its own."""
        rows = self.rows(browser)
        self.assertEqual(len({tuple(r.rect[:2]) for r in rows}), len(rows),
                         "rows drawn on each other")
        return len({r.rect[1] for r in rows})

    def layout(self, browser):
        """Margins of the list and of the button row from the client's right
        and bottom, and the buttons' sizes and order."""
        time.sleep(0.5)
        c = self.controls(browser)
        client = browser.client
        lst = c[LIST].rect
        buttons = [c[i].rect for i in (PAUSE, COPY_TO, DRILL, CLOSE)]
        lefts = [b[0] for b in buttons]
        self.assertEqual(lefts, sorted(lefts), "Pause, Copy To, Drill, Close from left to right")
        return {"margins": (client[2] - lst[2], client[3] - lst[3], client[2] - buttons[3][2],
                            client[3] - buttons[3][3]),
                "buttons": [(b[2] - b[0], b[3] - b[1]) for b in buttons]}


class PauseAndClose(ImageBrowserCase):
    """A cache large enough that the scan is still running when the user acts."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        source = cls.cache.source("many.gif")
        make_picture(source, (200, 150), "teal")
        for index in range(1500):
            folder = os.path.join(cls.cache.folder, "Content.IE5", "M%03d" % (index % 37))
            os.makedirs(folder, exist_ok=True)
            os.link(source, os.path.join(folder, f"many{index}[1].gif"))

    def row_count(self, browser):
        return self.probe.row_count(self.control(browser, LIST))

    def test_pause_holds_the_scan_and_close_ends_it_within_a_poll(self):
        browser, options, _ = self.show_image_options()
        self.click(options, OK)
        zd.wait_for(lambda: self.row_count(browser) > 20, what="rows")
        self.click(browser, PAUSE)
        self.assertEqual(self.controls(browser)[PAUSE].checked, 1)
        time.sleep(0.5)
        held = self.row_count(browser)
        time.sleep(1.5)
        self.assertEqual(self.row_count(browser), held, "no rows while paused")
        self.assertLess(held, 1500)
        self.assertLess(self.close_timed(browser, CLOSE), 1.5)
        self.assertTrue(self.probe.find("Zema").enabled)

    def test_pause_after_the_scan_springs_back(self):
        browser, options, _ = self.show_image_options()
        self.click(options, OK)
        zd.wait_for(lambda: self.row_count(browser) >= 1506, timeout=120, what="the whole scan")
        time.sleep(0.5)
        self.click(browser, PAUSE)
        time.sleep(0.5)
        self.assertEqual(self.controls(browser)[PAUSE].checked, 0)


class DemoCache(ViewerOnTestCache):
    """The browser on the demo set of `make run`: every format the library
    reads, next to files that are no pictures."""

    @classmethod
    def setUpClass(cls):
        cls.start_driving(ARGS)
        cls.cache = zd.TestCache(cls.wine, ARGS.cachefill, ARGS.root)
        demo = os.path.join(cls.cache.files, "demo")
        subprocess.run([sys.executable, os.path.join(ARGS.root, "tools", "demo", "make_demo.py"),
                        demo], check=True, stdout=subprocess.DEVNULL)
        entries = []
        with open(os.path.join(demo, "manifest.txt")) as manifest:
            for line in manifest:
                url, path, day = line.rstrip("\n").split("\t")
                entries.append((url, path[2:].replace("\\", "/"), day))
        committed = cls.cache.commit(entries)
        cls.names = {url.rsplit("/", 1)[1]: ntpath.basename(local)
                     for url, local in committed.items()}
        # As Windows 10 and later register it.
        cls.types = zd.set_content_types(cls.wine, {".webp": "image/webp"})

    def test_a_browser_full_of_thumbnails(self):
        def these_types(options):
            self.click(options, THESE_TYPES)
            self.type_into(options, TYPES, "gif;bmp;ico;tga;pcx;wbmp")

        browser = self.open_browser(IMAGES, "Images", these_types)
        rows = zd.wait_for(lambda: (lambda r: r if len(r) >= 14 else None)(
            [i.text for i in self.rows(browser)]), timeout=60, what="the demo's pictures")
        self.assertTrue(all(not r.endswith((".txt", ".pdf", ".wav")) for r in rows))
        time.sleep(1.0)
        zd.screenshot(ARGS.screenshots, "image-browser-demo", browser.rect)

    def test_webp_rows_under_any_type(self):
        browser = self.open_browser(IMAGES, "Images")
        webp = [self.names[n] for n in ("photo.webp", "sticker.webp", "spinner.webp")]
        rows = zd.wait_for(lambda: (lambda r: r if set(webp) <= {i.text for i in r} else None)(
            self.rows(browser)), timeout=60, what="the WebP rows")
        photo = next(r for r in rows if r.text == self.names["photo.webp"])
        time.sleep(1.0)
        # The middle of the photograph's tile: a plasma, not the white of
        # an empty tile.
        left, top, right, _ = photo.rect
        shot = zd.screenshot(ARGS.screenshots, "image-browser-webp",
                             ((left + right) // 2 - 20, top + 40, (left + right) // 2 + 20, top + 80))
        mean = float(subprocess.run(["convert", shot, "-format", "%[fx:mean]", "info:"],
                                    capture_output=True, text=True, check=True).stdout)
        self.assertLess(mean, 0.85)


class RowActions(ImageBrowserCase):
    def select(self, browser, name):
        return self.select_row(browser, self.names[name])

    def test_copy_to_without_a_selection_says_so(self):
        browser, _ = self.scan(expect_rows=6)
        self.click(browser, COPY_TO)
        box, texts = self.message_box()
        self.assertEqual(texts, ["No images selected.\r\n\r\nSelect some images on the list first."])
        zd.Keyboard.press("Return")

    def test_drill_without_a_selection_says_so(self):
        browser, _ = self.scan(expect_rows=6)
        self.click(browser, DRILL)
        box, texts = self.message_box()
        self.assertEqual(texts, ["No images selected.\r\n\r\nSelect a image on the list first."])
        zd.Keyboard.press("Return")

    def test_drill_shows_the_path_and_the_source_url(self):
        browser, _ = self.scan(expect_rows=6)
        self.select(browser, "wide.GIF")
        self.click(browser, DRILL)
        drill = self.probe.wait_window("Drill")
        zd.wait_for(lambda: self.controls(drill)[1037].text.startswith("http"), what="the URL")
        c = self.controls(drill)
        self.assertTrue(c[1036].text.endswith(self.names["wide.GIF"]))
        self.assertEqual(c[1037].text, "http://pictures.example.com/web/wide.GIF")
        self.assertTrue(c[1039].enabled)
        zd.screenshot(ARGS.screenshots, "image-drill", drill.rect)
        self.click(drill, 2)
        self.probe.wait_gone("Drill")

    def test_double_click_opens_the_picture_at_its_size(self):
        browser, _ = self.scan(expect_rows=6)
        row = self.select(browser, "wide.GIF")
        zd.Mouse.double_click()
        title = f"{self.names['wide.GIF']} (300 x 200)"
        picture = self.probe.wait_window(title, cls="ZemaPicture")
        self.assertEqual((picture.client[2] - picture.client[0],
                          picture.client[3] - picture.client[1]), (300, 200))

    def test_copy_to_copies_the_selection_and_remembers_the_folder(self):
        target = tempfile.mkdtemp(prefix="zema-copies-", dir=os.path.join(ARGS.root, "build"))
        self.wine.reg("add", r"HKCU\Software\KELDRAWORKS\ZEMA\Settings", "/v", "ImageCopyToDir",
                      "/d", zd.Wine.path(target), "/f")
        try:
            browser, _ = self.scan(expect_rows=6)
            for attempt in range(2):
                self.select(browser, "tall.gif")
                self.click(browser, COPY_TO)
                chooser = self.wait_owned(browser, besides=("Zema",), what="the folder chooser")
                self.assertEqual(chooser.rect[:2], [50, 50])
                # Wine's chooser highlights the remembered folder's parent at
                # best; the folder's name typed into the tree selects it.
                time.sleep(1.0)
                zd.Keyboard.type(os.path.basename(target))
                time.sleep(0.5)
                zd.screenshot(ARGS.screenshots, "image-copy-to", chooser.rect)
                self.click(chooser, OK)
                name = self.names["tall.gif"]
                stem, ext = os.path.splitext(name)
                expected = name if attempt == 0 else f"{stem} (2){ext}"
                zd.wait_for(lambda: os.path.exists(os.path.join(target, expected)),
                            what=f"the copy {expected}")
            out = self.wine.reg("query", r"HKCU\Software\KELDRAWORKS\ZEMA\Settings", "/v",
                                "ImageCopyToDir")
            self.assertIn(zd.Wine.path(target).lower(), out.lower())
        finally:
            self.wine.reg("delete", r"HKCU\Software\KELDRAWORKS\ZEMA\Settings", "/v",
                          "ImageCopyToDir", "/f", check=False)
            shutil.rmtree(target, ignore_errors=True)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + REST, verbosity=2)
