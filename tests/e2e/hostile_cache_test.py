"""The Image browser against caches of damaged, huge and tricky files: the
viewer neither crashes nor hangs, lists every good picture, and closes at
once even while a slow picture is being decoded."""
import glob
import os
import struct
import subprocess
import time
import unittest

import zema_driver as zd

ARGS, REST = zd.options()
IMGDUMP = os.path.join(os.path.dirname(ARGS.zema), "images", "codec", "imgdump.exe")

IMAGES, CLOSE = 1000, 2
THESE_TYPES, TYPES, OK = 1015, 1016, 1

GOOD = ["red.gif", "green.gif", "blue.gif", "grey.gif"]
CONTENT_TYPES = {".gif": "image/gif", ".emf": "image/x-emf", ".wmf": "image/x-wmf",
                 ".tif": "image/tiff", ".jp2": "image/jp2"}
# Regression files of the fuzz corpus that once hung or crashed the viewer,
# by the extension that makes the browser try them.
HOSTILE_SEEDS = {"emf-": ".emf", "wmf-": ".wmf"}


def many_brushes_wmf(path, brushes=70000):
    """A placeable WMF that creates brushes and never deletes them: played as
    it stands it once used up the session's GDI objects."""
    record = struct.pack("<IHHIH", 7, 0x02FC, 0, 0x00FF00, 0)  # META_CREATEBRUSHINDIRECT
    end = struct.pack("<IH", 3, 0)
    words = (18 + len(record) * brushes + len(end)) // 2
    header = struct.pack("<HHHIHIH", 1, 9, 0x300, words, min(brushes, 0xFFFF), 7, 0)
    placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, 100, 100, 96, 0)
    checksum = 0
    for (word,) in struct.iter_unpack("<H", placeable):
        checksum ^= word
    with open(path, "wb") as f:
        f.write(placeable + struct.pack("<H", checksum) + header + record * brushes + end)


def huge_strip_tiff(path):
    """A small TIFF that declares one strip of 400 MB."""
    entries = [(256, 4, 20000), (257, 4, 20000), (258, 3, 8), (259, 3, 1), (262, 3, 1),
               (273, 4, 8 + 2 + 8 * 12 + 4), (278, 4, 20000), (279, 4, 400000000)]
    ifd = struct.pack("<H", len(entries))
    ifd += b"".join(struct.pack("<HHII", tag, kind, 1, value) for tag, kind, value in entries)
    with open(path, "wb") as f:
        f.write(b"II*\0" + struct.pack("<I", 8) + ifd + struct.pack("<I", 0) + bytes(1024))


def long_animation(path, frames=2000, side=1000):
    """A GIF of many full-screen frames: cheap to store, costly to decode.
    ImageMagick writes one frame; its image block is repeated."""
    one = path + ".one.gif"
    subprocess.run(["convert", "-size", f"{side}x{side}", "xc:red", "+repage", one], check=True)
    with open(one, "rb") as f:
        data = f.read()
    os.remove(one)
    table = 3 * (2 << (data[10] & 7)) if data[10] & 0x80 else 0
    start = 13 + table
    block = data[start:data.rindex(b";")]
    with open(path, "wb") as f:
        f.write(data[:start] + block * frames + b";")


class CacheCase(zd.UserActions, unittest.TestCase):
    """A cache folder of the test's own, and the viewer started on it."""

    @classmethod
    def setUpClass(cls):
        cls.start_driving(ARGS)
        cls.types = zd.set_content_types(cls.wine, CONTENT_TYPES)

    @classmethod
    def tearDownClass(cls):
        zd.restore_content_types(cls.wine, cls.types)

    def setUp(self):
        self.cache = zd.TestCache(self.wine, ARGS.cachefill, ARGS.root)
        self.program = None

    def tearDown(self):
        if self.program:
            self.program.kill()
        self.cache.restore()

    # --- the cache ---

    def put(self, name, folder="HOSTILE1"):
        """A path in a folder of the cache itself; the walk finds files
        whether or not WinINet knows them."""
        os.makedirs(os.path.join(self.cache.folder, folder), exist_ok=True)
        return os.path.join(self.cache.folder, folder, name)


class HostileCache(CacheCase):
    """The Image browser against damaged, huge and tricky pictures."""

    def add_good_pictures(self):
        for name in GOOD:
            colour = name.split(".")[0]
            subprocess.run(["convert", "-size", "40x30", f"xc:{colour}", self.put(name, "GOOD1")],
                           check=True)

    def add_hostile_files(self):
        names = ["brushes[1].wmf", "strip[1].tif"]
        many_brushes_wmf(self.put(names[0]))
        huge_strip_tiff(self.put(names[1]))
        for hexfile in sorted(glob.glob(os.path.join(ARGS.root, "fuzz", "regressions", "*.hex"))):
            base = os.path.basename(hexfile)[:-4]
            extension = next((e for p, e in HOSTILE_SEEDS.items() if base.startswith(p)), None)
            if not extension:
                continue
            with open(hexfile) as f:
                text = "".join(l for l in f if not l.startswith("#"))
            with open(self.put(base + extension), "wb") as f:
                f.write(bytes.fromhex("".join(text.split())))
            names.append(base + extension)
        return names

    # --- acting as the user ---

    def start_scan(self, types=None):
        if not self.program:
            self.start_viewer(ARGS.zema)

        def choose(options):
            if types:
                self.click(options, THESE_TYPES)
                self.type_into(options, TYPES, types)
        return self.open_browser(IMAGES, "Images", choose)

    def close_within(self, browser, seconds):
        self.assertLess(self.close_timed(browser, CLOSE, timeout=10), seconds)

    # --- the cases ---

    def test_hostile_files_among_good_pictures(self):
        self.add_good_pictures()
        hostile = self.add_hostile_files()
        self.assertGreaterEqual(len(hostile), 8, "the regression files are in the tree")
        browser = self.start_scan()
        rows = self.settled_rows(browser)
        self.assertTrue(self.program.running(), "the viewer survived the scan")
        self.assertEqual(sorted(r for r in rows if r in GOOD), sorted(GOOD))
        self.close_within(browser, 1.0)
        # The same session still makes thumbnails: nothing a file created
        # was left behind for the next scan.
        browser = self.start_scan(types="gif")
        self.assertEqual(sorted(self.settled_rows(browser)), sorted(GOOD))
        self.close_within(browser, 1.0)

    def test_imgdump_answers_each_hostile_file_at_once(self):
        for name in self.add_hostile_files():
            started = time.monotonic()
            out = self.wine.run(IMGDUMP, zd.Wine.path(self.put(name)), check=False)
            self.assertLess(time.monotonic() - started, 10, name)
            self.assertTrue(out.startswith("error: "), f"{name}: {out}")

    def test_close_during_a_slow_decode(self):
        long_animation(self.put("long[1].gif"))
        browser = self.start_scan()
        time.sleep(1.0)  # the decode of the animation is under way
        self.assertEqual([r.text for r in self.rows(browser)], [])
        self.close_within(browser, 1.0)
        self.assertTrue(self.probe.find("Zema").enabled)

    def test_names_without_an_ansi_spelling_are_not_confused(self):
        subprocess.run(["convert", "-size", "400x300", "xc:navy", self.put("\u0141\u00f3d\u017a[1].gif")],
                       check=True)
        subprocess.run(["convert", "-size", "77x33", "xc:gold", self.put("L\u00f3dz[1].gif")],
                       check=True)
        browser = self.start_scan()
        rows = self.settled_rows(browser)
        self.assertEqual(len(rows), 2, rows)
        self.assertEqual(len(set(rows)), 2, f"two files, two names: {rows}")
        self.assertIn("L\u00f3dz[1].gif", rows)
        self.close_within(browser, 1.0)


TEXT_FILES, PANE, SEARCH = 1007, 1031, 1036


class HostileText(CacheCase):
    """The Text browser against lines no edit lays out, a large file and
    links that lead back into the cache and out of it: the walk ends with each
    file once, the pane shows each file at once, and Close ends the window
    within a second and a half whatever is selected."""

    def add_text_files(self):
        with open(self.put("endless[1].txt"), "wb") as f:
            f.write(b"needle\r\n" + b"y" * ((64 << 20) - 8))
        with open(self.put("unbroken[1].txt"), "wb") as f:
            f.write(b"x" * (1 << 20) + b" needle")
        with open(self.put("large[1].txt", "BIG1"), "wb") as f:
            line = b"hay and more hay on an ordinary line of text\r\n"
            f.write(line * ((16 << 20) // len(line)) + b"the needle at the end\r\n")
        os.symlink(self.cache.folder, self.put("self"))
        os.symlink("..", self.put("up", "BIG1"))
        os.symlink("/", self.put("machine"))

    def open_text_browser(self):
        if not self.program:
            self.start_viewer(ARGS.zema)
        return self.open_browser(TEXT_FILES, "Text Files",
                                 lambda options: self.type_into(options, SEARCH, "needle"))

    def test_long_lines_large_files_and_links(self):
        self.add_text_files()
        listed = ["endless[1].txt", "large[1].txt", "unbroken[1].txt"]
        for name in listed:
            browser = self.open_text_browser()
            zd.wait_for(lambda: len(self.rows(browser)) >= len(listed),
                        timeout=60, what="the three files")
            self.assertEqual(sorted(self.settled_rows(browser)), listed,
                             "each file once, none from outside the cache")
            self.select_row(browser, name, x_offset=12)
            pane = zd.wait_for(lambda: self.controls(browser)[PANE].text or None,
                               what=f"the pane of {name}", timeout=10)
            self.assertIn("needle" if name == "endless[1].txt" else "[...]", pane)
            self.assertTrue(self.program.running(), name)
            self.assertLess(self.close_timed(browser, CLOSE, timeout=10), 1.5, name)

    def test_close_while_a_large_file_is_searched(self):
        self.add_text_files()
        browser = self.open_text_browser()
        time.sleep(0.5)
        self.assertLess(self.close_timed(browser, CLOSE, timeout=10), 1.5)
        self.assertTrue(self.probe.find("Zema").enabled)


if __name__ == "__main__":
    unittest.main(argv=[__file__] + REST)
