"""The test site the browsers are sent to: files written into a folder and a
table of what each URL path answers. Four shapes: the full site (every
picture type, coded text, a third-party frame, odd URLs, a redirect, a 404,
ranged media), a small one for committed fixtures, N tiny files for the
listing benchmark (bodies of spread sizes), and a gallery of drawn
landscapes for `make run`'s screenshots, a different half to each browser.

Pages name the second origin, so the site is made once both servers listen.
"""
import dataclasses
import gzip
import hashlib
import io
import math
import os
import random
import statistics
import struct
import subprocess
import wave
from concurrent.futures import ThreadPoolExecutor

CODINGS = ("gzip", "br", "zstd")

# The path whose answer the server holds back until the page's script and
# media fetches are done: the page's load event, which the browsers wait
# for before they quit, then comes after them.
GATE_PATH = "/gate.gif"

TINY_GIF = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01"
            b"\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")


@dataclasses.dataclass
class Resource:
    content_type: str = ""
    file: str = ""          # identity body; "" for none
    coding: str = ""        # the Content-Encoding sent when the browser accepts it
    status: int = 200
    location: str = ""      # for a redirect
    ranged: bool = False    # answers Range requests with 206


@dataclasses.dataclass
class Site:
    folder: str
    resources: dict = dataclasses.field(default_factory=dict)  # decoded path -> Resource
    awaited: set = dataclasses.field(default_factory=set)      # paths the gate waits for
    gate_timeout: float = 8.0
    # The page each browser run opens (the manifest's cache name -> path);
    # empty: every run opens /index.html.
    start_pages: dict = dataclasses.field(default_factory=dict)

    def start_page(self, cache):
        return self.start_pages.get(cache, "/index.html")

    def runs_browser(self, cache):
        return not self.start_pages or cache in self.start_pages


class SiteWriter:
    """Writes files under one folder and registers the paths that serve them."""

    def __init__(self, folder):
        self.site = Site(folder)
        os.makedirs(folder, exist_ok=True)

    def file_for(self, path):
        digest = hashlib.sha1(path.encode("utf-8")).hexdigest()[:12]
        return os.path.join(self.site.folder, digest + "-" + os.path.basename(path)[-24:])

    def add_bytes(self, path, content_type, data, coding="", ranged=False):
        file = self.file_for(path)
        with open(file, "wb") as out:
            out.write(data)
        self.site.resources[path] = Resource(content_type, file, coding, ranged=ranged)
        if coding:
            write_coded_copy(file, coding)
        return file

    def add_file(self, path, content_type, file):
        self.site.resources[path] = Resource(content_type, file)

    def add_redirect(self, path, target):
        self.site.resources[path] = Resource(status=301, location=target)

    def add_missing(self, path):
        file = self.file_for(path)
        with open(file, "wb") as out:
            out.write(b"Not found here.\n")
        self.site.resources[path] = Resource("text/plain", file, status=404)


def write_coded_copy(file, coding):
    target = file + "." + coding
    if coding == "gzip":
        with open(file, "rb") as src:
            data = src.read()
        with open(target, "wb") as out:
            out.write(gzip.compress(data, mtime=0))
    elif coding == "br":
        subprocess.run(["brotli", "-f", "-q", "9", "-o", target, file], check=True)
    elif coding == "zstd":
        subprocess.run(["zstd", "-q", "-f", "-19", "-o", target, file], check=True)
    else:
        raise ValueError("unknown coding " + coding)


# (path, content type, ImageMagick arguments before the output name)
PICTURES = [
    ("/pictures/gradient.bmp", "image/bmp", ["-size", "64x48", "gradient:navy-gold", "BMP3:"]),
    ("/pictures/plasma.gif", "image/gif", ["-size", "80x60", "plasma:red-blue", "-colors", "64"]),
    ("/pictures/small.jpg", "image/jpeg", ["-size", "120x90", "gradient:white-teal",
                                           "-quality", "80"]),
    ("/pictures/photo.jpg", "image/jpeg", ["-size", "320x240", "plasma:tan-green",
                                           "-quality", "95"]),
    ("/pictures/large.jpg", "image/jpeg", ["-size", "1280x1024", "xc:gray", "+noise", "Random",
                                           "-quality", "97"]),
    ("/pictures/logo.png", "image/png", ["-size", "96x64", "radial-gradient:yellow-purple"]),
    ("/pictures/scan.tiff", "image/tiff", ["-size", "60x40", "gradient:black-white",
                                           "-compress", "LZW"]),
    ("/pictures/badge.tga", "image/x-tga", ["-size", "40x30", "gradient:red-green"]),
    ("/pictures/paint.pcx", "image/x-pcx", ["-size", "50x40", "gradient:blue-orange"]),
    ("/pictures/phone.wbmp", "image/vnd.wap.wbmp", ["-size", "48x32", "pattern:checkerboard"]),
    ("/pictures/still.jp2", "image/jp2", ["-size", "64x64", "gradient:pink-navy"]),
    ("/pictures/stream.j2k", "image/x-jp2-codestream", ["-size", "48x48", "gradient:lime-black"]),
    ("/pictures/sky.webp", "image/webp", ["-size", "100x60", "gradient:skyblue-white",
                                          "-quality", "80"]),
    ("/pictures/fax.jbg", "image/x-jbig", ["-size", "64x32", "pattern:hs_diagcross"]),
    ("/favicon.ico", "image/x-icon", ["-size", "32x32", "gradient:red-yellow",
                                      "-define", "icon:auto-resize=32,16"]),
]

SMALL_PICTURES = [
    ("/pictures/plasma.gif", "image/gif", ["-size", "24x18", "plasma:red-blue", "-colors", "16"]),
    ("/pictures/logo.png", "image/png", ["-size", "96x64", "radial-gradient:yellow-purple"]),
    ("/favicon.ico", "image/x-icon", ["-size", "16x16", "gradient:red-yellow", "-colors", "16"]),
]

WORDS = ("cache entry header body frame site browser picture stream index block "
         "record key partition origin response request encoding range").split()


def text_body(seed, lines):
    rng = random.Random(seed)
    return "\n".join(" ".join(rng.choice(WORDS) for _ in range(12)) for _ in range(lines)) + "\n"


def make_pictures(writer, pictures):
    def one(item):
        path, content_type, args = item
        file = writer.file_for(path)
        extension = path.rsplit(".", 1)[1]
        # A trailing "FORMAT:" names ImageMagick's coder for the output.
        options, coder = (args[:-1], args[-1]) if args[-1].endswith(":") else (args, "")
        subprocess.run(["convert", *options, coder + file + "." + extension],
                       check=True, stderr=subprocess.DEVNULL)
        os.replace(file + "." + extension, file)
        return path, content_type, file

    with ThreadPoolExecutor(max_workers=2) as pool:
        for path, content_type, file in pool.map(one, pictures):
            writer.add_file(path, content_type, file)


def tone_wav(seconds):
    """A mono 16-bit sine sweep, large enough for several range requests."""
    rate = 16000
    frames = bytearray()
    for i in range(int(rate * seconds)):
        frames += struct.pack("<h", int(9000 * math.sin(i * (0.05 + i / 4e6))))
    out = io.BytesIO()
    with wave.open(out, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(bytes(frames))
    return out.getvalue()


def tiny_avi(width, height, frames):
    """An uncompressed AVI of 24-bit frames fading from blue to red."""
    def chunk(fourcc, data):
        return fourcc + struct.pack("<I", len(data)) + data + b"\0" * (len(data) & 1)

    def listed(kind, data):
        return chunk(b"LIST", kind + data)

    stride = (width * 3 + 3) & ~3
    frame_size = stride * height
    rate = 8
    avih = struct.pack("<14I", 1000000 // rate, frame_size * rate, 0, 0x10, frames, 0, 1,
                       frame_size, width, height, 0, 0, 0, 0)
    strh = b"vids" + b"DIB " + struct.pack("<IHHIIIIIIIIhhhh", 0, 0, 0, 0, 1, rate, 0,
                                              frames, frame_size, 0xFFFFFFFF, 0,
                                              0, 0, width, height)
    strf = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, frame_size, 0, 0, 0, 0)
    hdrl = listed(b"hdrl", chunk(b"avih", avih) +
                  listed(b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))
    movi, index = b"", b""
    for i in range(frames):
        level = i * 255 // max(frames - 1, 1)
        row = bytes([255 - level, 0, level]) * width
        data = (row + b"\0" * (stride - len(row))) * height
        index += b"00db" + struct.pack("<III", 0x10, 4 + len(movi), len(data))
        movi += chunk(b"00db", data)
    body = b"AVI " + hdrl + listed(b"movi", movi) + chunk(b"idx1", index)
    return chunk(b"RIFF", body)


def add_texts(writer, kinds, lines=80):
    """(path, content type, coding) for each kind, its body made from the path."""
    for path, content_type, coding in kinds:
        body = text_body(path, lines)
        if content_type == "application/json":
            body = '{"path": "%s", "lines": [%s]}\n' % (
                path, ", ".join('"%s"' % line for line in body.splitlines()))
        elif content_type == "text/javascript":
            body = "".join("// %s\n" % line for line in body.splitlines()) + \
                "document.title += ' %s';\n" % path
        elif content_type == "text/css":
            body = "".join("/* %s */\n" % line for line in body.splitlines()) + \
                "body { margin: 8px; }\n"
        writer.add_bytes(path, content_type + "; charset=utf-8", body.encode(), coding)


def page(title, head, body):
    return ("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%s</title>\n%s</head>"
            "\n<body>\n%s\n</body></html>\n" % (title, head, body)).encode("utf-8")


def script_fetches(paths):
    calls = "".join("fetch(%r);\n" % p for p in paths)
    return "<script>\n%s</script>" % calls


def full_site(folder, other_origin):
    writer = SiteWriter(folder)
    make_pictures(writer, PICTURES)
    # Past 16 KB a blockfile body leaves the block files; past 1 MB it spans
    # more than four of Firefox's 256 KiB chunks.
    for path, least in (("/pictures/photo.jpg", 16 << 10), ("/pictures/large.jpg", 1 << 20)):
        if os.path.getsize(writer.site.resources[path].file) <= least:
            raise RuntimeError("%s came out smaller than %d bytes" % (path, least))
    kinds = []
    for coding in CODINGS:
        kinds += [
            ("/text/notes-%s.txt" % coding, "text/plain", coding),
            ("/script/app-%s.js" % coding, "text/javascript", coding),
            ("/style/site-%s.css" % coding, "text/css", coding),
            ("/data/list-%s.json" % coding, "application/json", coding),
        ]
    kinds.append(("/script/plain.js", "text/javascript", ""))
    add_texts(writer, kinds)
    writer.add_bytes("/media/sweep.wav", "audio/wav", tone_wav(12.0), ranged=True)
    writer.add_bytes("/media/clip.avi", "video/x-msvideo", tiny_avi(16, 16, 8))
    writer.add_bytes(GATE_PATH, "image/gif", TINY_GIF)

    long_path = "/pictures/long.gif?" + "&".join("part%03d=%s" % (i, "x" * 20)
                                                 for i in range(48))
    writer.add_bytes("/pictures/long.gif", "image/gif", TINY_GIF)
    unicode_path = "/bilder/größe-日本.png"
    writer.add_file(unicode_path, "image/png", writer.site.resources["/pictures/logo.png"].file)
    writer.add_redirect("/pictures/moved.png", "/pictures/redirected.png")
    writer.add_file("/pictures/redirected.png", "image/png",
                    writer.site.resources["/pictures/logo.png"].file)
    writer.add_missing("/pictures/missing.png")

    # The third-party origin: a frame with its own picture and script, and a
    # picture of it shown by the top-level page.
    writer.add_bytes("/frame.html", "text/html; charset=utf-8", page(
        "Frame", '<script src="/script/frame.js"></script>\n',
        '<img src="/pictures/framed.webp">'))
    writer.add_bytes("/script/frame.js", "text/javascript", b"document.body;\n", "br")
    writer.add_file("/pictures/framed.webp", "image/webp",
                    writer.site.resources["/pictures/sky.webp"].file)
    writer.add_file("/pictures/third.png", "image/png",
                    writer.site.resources["/pictures/logo.png"].file)

    # The movie is fetched whole by script: a video element would ask for
    # ranges, which the wave file already does.
    fetched = [p for p, _, _ in kinds if p.startswith("/data/")] + ["/media/clip.avi"]
    writer.site.awaited.update(fetched + ["/media/sweep.wav"])
    head = "".join('<link rel="stylesheet" href="%s">\n' % p for p, _, _ in kinds
                   if p.startswith("/style/"))
    head += "".join('<script src="%s"></script>\n' % p for p, _, _ in kinds
                    if p.startswith("/script/"))
    # Firefox's screenshot run asks for no favicon: the icon is a picture of the page too.
    writer.add_file("/pictures/icon.ico", "image/x-icon",
                    writer.site.resources["/favicon.ico"].file)
    images = [p for p, _, _ in PICTURES if p != "/favicon.ico"] + ["/pictures/icon.ico"]
    images += [long_path, unicode_path, "/pictures/moved.png", "/pictures/missing.png",
               other_origin + "/pictures/third.png"]
    body = "".join('<img src="%s">\n' % p for p in images)
    body += "".join('<iframe src="%s"></iframe>\n' % p for p, _, _ in kinds
                    if p.startswith("/text/"))
    body += '<iframe src="%s/frame.html"></iframe>\n' % other_origin
    body += '<audio src="/media/sweep.wav" preload="auto"></audio>\n'
    body += script_fetches(fetched)
    body += '\n<img src="%s">' % GATE_PATH
    writer.add_bytes("/index.html", "text/html; charset=utf-8", page("Zema test site", head, body))
    return writer.site


def small_site(folder, other_origin):
    writer = SiteWriter(folder)
    # Stored pieces of 1 to 16 KB would grow the committed blockfile's
    # data_2 and data_3 by 1 and 4 MB of empty blocks: small pictures and one
    # large one (a separate f_ file).
    make_pictures(writer, SMALL_PICTURES)
    add_texts(writer, [("/style/site-gzip.css", "text/css", "gzip"),
                       ("/script/app-br.js", "text/javascript", "br"),
                       ("/data/list-zstd.json", "application/json", "zstd")], lines=8)
    writer.add_bytes(GATE_PATH, "image/gif", TINY_GIF)
    writer.add_bytes("/frame.html", "text/html; charset=utf-8",
                     page("Frame", "", '<img src="/pictures/logo.png">'))
    writer.site.awaited.add("/data/list-zstd.json")
    body = '<img src="/pictures/plasma.gif">\n<iframe src="%s/frame.html"></iframe>\n' % (
        other_origin)
    body += script_fetches(["/data/list-zstd.json"])
    body += '\n<img src="%s">' % GATE_PATH
    head = ('<link rel="stylesheet" href="/style/site-gzip.css">\n'
            '<script src="/script/app-br.js"></script>\n')
    writer.add_bytes("/index.html", "text/html; charset=utf-8", page("Small site", head, body))
    return writer.site


# Body sizes of the listing benchmark's entries: quantiles of a log-normal
# spread (median 18 KiB) kept between 1 KiB and 256 KiB, about 33 KiB on
# average, like the pictures, scripts and styles of real pages.
ENTRY_SIZE_CLASSES = 64
ENTRY_SIZE_MEDIAN = 18 * 1024
ENTRY_SIZE_SIGMA = 1.1


def entry_sizes():
    spread = statistics.NormalDist(math.log(ENTRY_SIZE_MEDIAN), ENTRY_SIZE_SIGMA)
    sizes = []
    for k in range(ENTRY_SIZE_CLASSES):
        size = math.exp(spread.inv_cdf((k + 0.5) / ENTRY_SIZE_CLASSES))
        sizes.append(int(min(max(size, 1024), 256 * 1024)))
    return sizes


def entries_site(folder, count):
    """`count` distinct files fetched by the page's script (plus the favicon),
    each one of a few dozen bodies of spread sizes (random bytes: stored as
    sent, like pictures); <img> elements would cost the browsers a layout each."""
    writer = SiteWriter(folder)
    bodies = []
    for k, size in enumerate(entry_sizes()):
        data = random.Random(k).randbytes(size)
        bodies.append(writer.add_bytes("/n/%d.bin" % k, "application/octet-stream", data))
    paths = ["/n/%d.bin" % i for i in range(count)]
    # 37 is prime to the class count: neighbouring entries get unlike sizes.
    for i, path in enumerate(paths[ENTRY_SIZE_CLASSES:], ENTRY_SIZE_CLASSES):
        writer.add_file(path, "application/octet-stream", bodies[i * 37 % ENTRY_SIZE_CLASSES])
    tiny = writer.add_bytes(GATE_PATH, "image/gif", TINY_GIF)
    writer.add_file("/favicon.ico", "image/gif", tiny)
    writer.site.awaited.update(paths)
    writer.site.gate_timeout = 8.0 + count / 100
    script = ("<script>\nlet next = 0;\n"
              "async function worker() {\n"
              "  while (next < %d) {\n"
              "    const response = await fetch('/n/' + next++ + '.bin');\n"
              "    await response.arrayBuffer();\n"
              "  }\n}\n"
              "for (let i = 0; i < 6; i++) worker();\n</script>" % count)
    body = script + '\n<img src="%s">' % GATE_PATH
    writer.add_bytes("/index.html", "text/html; charset=utf-8", page("Entries", "", body))
    return writer.site


# Flat landscapes, drawn: pleasant at thumbnail size, unlike the demo set's
# labelled gradients. (path, content type, ImageMagick arguments)
GALLERY_SKY = "gradient:#ff9a3c-#5b2a86"
GALLERY = {
    "chromium-simple": [
        ("/gallery/sunset.jpg", "image/jpeg", [
            "-size", "320x240", GALLERY_SKY,
            "-fill", "#ffd86b", "-draw", "circle 160,105 160,73",
            "-fill", "#2b1b3a", "-draw",
            "polygon 0,240 0,170 60,120 110,165 170,105 240,170 280,140 320,175 320,240",
            "-fill", "#1a1026",
            "-draw", "polygon 0,240 0,205 80,175 150,210 220,180 320,215 320,240",
            "-quality", "88"]),
        ("/gallery/meadow.webp", "image/webp", [
            "-size", "320x240", "gradient:#8fd3ff-#e8f7ff", "-fill", "#ffe066",
            "-draw", "circle 260,50 260,28",
            "-fill", "#7cc36b", "-draw", "ellipse 80,250 180,90 0,360",
            "-fill", "#5aa84f", "-draw", "ellipse 260,260 170,100 0,360",
            "-fill", "#3f8c3d", "-draw", "ellipse 160,280 220,90 0,360", "-quality", "85"]),
        ("/gallery/beach.png", "image/png", [
            "-size", "320x240", "gradient:#9be7ff-#fff2d6", "-fill", "#1f7fb5",
            "-draw", "rectangle 0,130 320,185",
            "-fill", "#3aa0d0", "-draw", "rectangle 0,150 320,160",
            "-fill", "#f3d9a4", "-draw", "polygon 0,240 0,180 120,170 320,190 320,240",
            "-fill", "#ffffff", "-draw", "ellipse 70,50 40,12 0,360",
            "-draw", "ellipse 100,45 30,14 0,360"]),
        ("/gallery/lighthouse.webp", "image/webp", [
            "-size", "320x240", "gradient:#7fb8e6-#d9eefc", "-fill", "#2a6f97",
            "-draw", "rectangle 0,170 320,240", "-fill", "#6b5b4b",
            "-draw", "polygon 200,240 215,175 320,175 320,240", "-fill", "white",
            "-draw", "polygon 232,175 240,80 256,80 264,175", "-fill", "#d62828",
            "-draw", "rectangle 236,110 260,125 rectangle 234,140 262,155", "-fill", "#333333",
            "-draw", "rectangle 238,68 258,80", "-fill", "#ffe066",
            "-draw", "polygon 238,72 120,50 120,95", "-quality", "85"]),
    ],
    "firefox": [
        ("/gallery/night.png", "image/png", [
            "-size", "320x240", "gradient:#0b1a3f-#24477a", "-seed", "4",
            "(", "-size", "320x240", "xc:black", "+noise", "Random", "-channel", "G",
            "-threshold", "99.6%", "-separate", "+channel", ")",
            "-compose", "screen", "-composite",
            "-fill", "#f4f1d0", "-draw", "circle 240,60 240,38",
            "-fill", "#12264f", "-draw", "circle 252,52 252,32", "-fill", "#0a1226",
            "-draw", "polygon 0,240 0,200 70,185 140,205 200,180 260,200 320,190 320,240"]),
        ("/gallery/peaks.jpg", "image/jpeg", [
            "-size", "320x240", "gradient:#cfe8ff-#f7fbff", "-fill", "#8aa4c8",
            "-draw", "polygon 0,240 0,150 90,60 150,120 200,80 320,170 320,240", "-fill", "white",
            "-draw", "polygon 70,80 90,60 110,80 100,90 90,82 80,92",
            "-draw", "polygon 185,92 200,80 215,94 205,100 198,94 190,102", "-fill", "#e9f1fb",
            "-draw", "polygon 0,240 0,200 100,185 210,205 320,190 320,240", "-fill", "#2f5d3a",
            "-draw", "polygon 30,205 40,170 50,205", "-draw", "polygon 260,200 272,160 284,200",
            "-draw", "polygon 280,205 290,175 300,205", "-quality", "88"]),
        ("/gallery/dunes.png", "image/png", [
            "-size", "320x240", "gradient:#ffcf8a-#ff8a5c", "-fill", "#fff1b8",
            "-draw", "circle 90,70 90,45",
            "-fill", "#e9a05a", "-draw", "ellipse 240,260 240,110 0,360",
            "-fill", "#d38445", "-draw", "ellipse 60,270 200,90 0,360", "-fill", "#2e7d4f",
            "-draw", "roundrectangle 228,110 242,190 7,7",
            "-draw", "roundrectangle 212,130 224,160 6,6",
            "-draw", "rectangle 222,150 232,158", "-draw", "roundrectangle 246,120 258,150 6,6",
            "-draw", "rectangle 238,140 250,148"]),
        ("/gallery/city.gif", "image/gif", [
            "-size", "320x240", "gradient:#2b1055-#d16ba5", "-fill", "#ffd3a5",
            "-draw", "circle 230,150 230,125", "-fill", "#1c1433",
            "-draw", "rectangle 0,140 40,240 rectangle 45,110 80,240 rectangle 85,160 120,240 "
                     "rectangle 125,90 155,240 rectangle 160,130 200,240 rectangle 205,170 240,240 "
                     "rectangle 245,120 280,240 rectangle 285,150 320,240",
            "-fill", "#ffe08a",
            "-draw", "rectangle 52,120 56,124 rectangle 64,140 68,144 "
                     "rectangle 132,100 136,104 rectangle 144,130 148,134 "
                     "rectangle 170,140 174,144 rectangle 252,130 256,134 "
                     "rectangle 264,160 268,164 rectangle 92,170 96,174",
            "-colors", "64"]),
    ],
}


def gallery_site(folder):
    """Chromium's simple cache and Firefox's cache2 only, each sent to a page
    of its own pictures, so that a screenshot tells the two caches apart."""
    writer = SiteWriter(folder)
    make_pictures(writer, [picture for pictures in GALLERY.values() for picture in pictures])
    # No gate: nothing is fetched by script, so the load event already waits
    # for every picture, and a 1x1 GIF would only clutter the screenshots.
    for cache, pictures in GALLERY.items():
        body = "".join('<img src="%s" width="160">\n' % path for path, _, _ in pictures)
        start = "/%s.html" % cache
        writer.add_bytes(start, "text/html; charset=utf-8", page("Gallery", "", body))
        writer.site.start_pages[cache] = start
    return writer.site
