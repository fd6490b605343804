"""The Image browser's HTML report of the demo cache, written by
ZEMA.exe /export, opened in Debian's headless Chromium: every picture the
list holds shows its thumbnail, and a screenshot of the sheet is saved."""
import os
import re
import shutil
import subprocess
import tempfile
import unittest

import zema_driver as zd

ARGS, REST = zd.options()

# Reads the sheet in a frame and writes, once everything has loaded, how many
# of its pictures the browser decoded and how many it holds.
CHECK_PAGE = """<!DOCTYPE html>
<html><body><iframe id="sheet" src="sheet.html" width="1200" height="900"></iframe>
<script>
window.onload = function () {
  var images = document.getElementById("sheet").contentDocument.images;
  var shown = 0;
  for (var i = 0; i < images.length; ++i)
    if (images[i].complete && images[i].naturalWidth > 0) ++shown;
  var result = document.createElement("p");
  result.id = "result";
  result.textContent = "shown=" + shown + " pictures=" + images.length;
  document.body.appendChild(result);
};
</script></body></html>
"""


# Wine's registry names few picture types; the Image browser asks it for the
# files' "Content Type" as a user's Windows would answer.
PICTURE_TYPES = {
    ".gif": "image/gif", ".jpg": "image/jpeg", ".jpeg": "image/jpeg", ".png": "image/png",
    ".bmp": "image/bmp", ".ico": "image/x-icon", ".tif": "image/tiff", ".tga": "image/x-tga",
    ".pcx": "image/x-pcx", ".wbmp": "image/vnd.wap.wbmp", ".pgm": "image/x-portable-graymap",
    ".ppm": "image/x-portable-pixmap", ".ras": "image/x-cmu-raster", ".jp2": "image/jp2",
    ".j2k": "image/jp2", ".webp": "image/webp",
}


def chromium(profile, *args):
    return subprocess.run(
        ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
         "--user-data-dir=" + profile, "--allow-file-access-from-files", *args],
        capture_output=True, text=True, timeout=120, check=True).stdout


class ContactSheet(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine = zd.Wine(ARGS.root)
        cls.work = tempfile.mkdtemp(prefix="zema-sheet-", dir=os.path.join(ARGS.root, "build"))
        demo = os.path.join(cls.work, "demo")
        subprocess.run(["python3", os.path.join(ARGS.root, "tools", "demo", "make_demo.py"),
                        demo], check=True, stdout=subprocess.DEVNULL)
        cls.types = zd.set_content_types(cls.wine, PICTURE_TYPES)
        cls.cache = zd.TestCache(cls.wine, ARGS.cachefill, ARGS.root)
        entries = []
        with open(os.path.join(demo, "manifest.txt")) as manifest:
            for line in manifest:
                url, path, day = line.rstrip("\n").split("\t")
                entries.append((url, path[2:].replace("\\", "/"), day))
        cls.committed = cls.cache.commit(entries)

    @classmethod
    def tearDownClass(cls):
        cls.cache.restore()
        zd.restore_content_types(cls.wine, cls.types)
        shutil.rmtree(cls.work, ignore_errors=True)

    def export(self, name):
        path = os.path.join(self.work, name)
        code, out, err = self.wine.outcome(ARGS.zema, "/export", "images", zd.Wine.path(path),
                                           "/cache", zd.Wine.path(self.cache.folder))
        self.assertEqual(code, 0, out + err)
        return path

    def test_every_picture_shows_its_thumbnail(self):
        sheet = self.export("sheet.html")
        listed = self.export("sheet.csv")
        with open(listed, encoding="utf-8-sig", newline="") as rows:
            pictures = len(rows.read().split("\r\n")) - 2  # the header, the last CRLF
        self.assertGreaterEqual(pictures, 10, "the demo cache's pictures")
        with open(sheet, encoding="utf-8") as page:
            self.assertEqual(page.read().count("data:image/png;base64,"), pictures)

        check = os.path.join(self.work, "check.html")
        with open(check, "w") as page:
            page.write(CHECK_PAGE)
        profile = os.path.join(self.work, "profile")
        dom = chromium(profile, "--virtual-time-budget=10000", "--dump-dom", "file://" + check)
        found = re.search(r"shown=(\d+) pictures=(\d+)", dom)
        self.assertIsNotNone(found, dom[-2000:])
        self.assertEqual((int(found.group(1)), int(found.group(2))), (pictures, pictures))

        os.makedirs(ARGS.screenshots, exist_ok=True)
        shot = os.path.join(ARGS.screenshots, "contact-sheet.png")
        chromium(profile, "--window-size=1200,900", "--hide-scrollbars",
                 "--screenshot=" + shot, "file://" + sheet)
        colours = subprocess.run(["identify", "-format", "%k", shot], capture_output=True,
                                 text=True, check=True).stdout
        self.assertGreater(int(colours), 100, "a sheet of thumbnails, not a blank page")


if __name__ == "__main__":
    unittest.main(argv=[__file__] + REST)
