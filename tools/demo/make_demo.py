#!/usr/bin/env python3
"""Writes the demo cache's source files and their manifest for cachefill:
pictures of every format the image library reads, in several sizes and
dates, plus text, script, page, PDF, sound and video files, each with a
plausible source URL.

    make_demo.py FOLDER      writes FOLDER/files/... and FOLDER/manifest.txt
"""
import datetime
import os
import random
import struct
import subprocess
import sys
import wave

SITES = ["www.example-news.com", "static.shop.example", "img.photos.example.org",
         "cdn.video.example.net", "media.radio.example.com", "docs.example.edu"]


def day(days_ago):
    return (datetime.date.today() - datetime.timedelta(days=days_ago)).isoformat()


def convert(path, *args):
    subprocess.run(["convert", *args, path], check=True, stderr=subprocess.DEVNULL)


def pictures(folder, rng):
    """(name, convert arguments) for every format and several sizes."""
    made = []
    scenes = ["gradient:skyblue-navy", "plasma:fractal", "gradient:orange-red",
              "pattern:checkerboard", "xc:seagreen", "gradient:white-black"]
    sizes = [(468, 60), (120, 600), (300, 250), (640, 480), (88, 31), (160, 160), (32, 32)]
    formats = ["gif", "jpg", "png", "bmp", "tga", "pcx", "tif", "ico", "wbmp", "pgm", "ppm",
               "ras", "jp2", "j2k"]
    for index, fmt in enumerate(formats * 2):
        width, height = sizes[index % len(sizes)]
        if fmt == "ico":
            width = height = 32 if index < len(formats) else 48
        name = f"picture{index:02d}.{fmt}"
        scene = scenes[index % len(scenes)]
        path = os.path.join(folder, name)
        # ImageMagick 6 stores a TGA's top row first but marks the file as
        # bottom-up unless told the origin: readers that honour the mark
        # show it upside down.
        orient = ["-orient", "TopLeft"] if fmt == "tga" else []
        try:
            convert(path, "-size", f"{width}x{height}", scene,
                    "-gravity", "center", "-pointsize", str(max(8, height // 5)),
                    "-fill", "white", "-annotate", "0", fmt.upper(), *orient)
        except subprocess.CalledProcessError:
            continue  # a format this ImageMagick cannot write
        made.append(name)
    # An animated banner and an interlaced, transparent GIF.
    banner = os.path.join(folder, "banner.gif")
    frames = []
    for colour in ["red", "gold", "limegreen", "royalblue"]:
        frames += ["-size", "468x60", f"xc:{colour}"]
    convert(banner, "-delay", "50", *frames, "-loop", "0")
    made.append("banner.gif")
    convert(os.path.join(folder, "logo.gif"), "-size", "120x90", "xc:none", "-fill", "purple",
            "-draw", "circle 60,45 60,5", "-interlace", "GIF")
    made.append("logo.gif")
    return made


def text_files(folder):
    files = {
        "readme.txt": "Thank you for visiting.\r\nThe shop opens at nine.\r\n",
        "menu.js": "function showMenu() {\r\n  document.getElementById('menu').style.display = 'block';\r\n}\r\n",
        "index.htm": "<html><head><title>Example news</title></head>"
                     "<body><h1>Today</h1><p>Sunny, later rain.</p></body></html>\r\n",
        "article.html": "<html><body><p>The long read about caches.</p></body></html>\r\n",
        "tracker.vbs": "MsgBox \"Hello from the cache\"\r\n",
    }
    for name, text in files.items():
        with open(os.path.join(folder, name), "w", newline="") as f:
            f.write(text)
    pdf(os.path.join(folder, "brochure.pdf"), "Brochure")
    return list(files) + ["brochure.pdf"]


def pdf(path, title):
    """A one-page PDF with one line of text."""
    stream = f"BT /F1 36 Tf 60 700 Td ({title}) Tj ET".encode()
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>",
               b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
               b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R "
               b"/Resources << /Font << /F1 5 0 R >> >> >>",
               b"<< /Length %d >>\nstream\n" % len(stream) + stream + b"\nendstream",
               b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"]
    out = b"%PDF-1.4\n"
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    out += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (
        len(objects) + 1, xref)
    with open(path, "wb") as f:
        f.write(out)


def sound(path, seconds=1.0, pitch=440.0):
    import math
    rate = 22050
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        samples = (int(12000 * math.sin(2 * math.pi * pitch * i / rate))
                   for i in range(int(rate * seconds)))
        out.writeframes(b"".join(struct.pack("<h", s) for s in samples))


def video(path, width=64, height=48, frames=10):
    """An uncompressed AVI: a colour ramp that moves."""
    frame_size = width * height * 3
    movie = b""
    index = b""
    for n in range(frames):
        pixels = bytes((x * 4 + n * 20) & 255 for y in range(height) for x in range(width)
                       for _ in range(3))
        index += b"00db" + struct.pack("<III", 0x10, 4 + len(movie), frame_size)
        movie += b"00db" + struct.pack("<I", frame_size) + pixels

    def chunk(tag, data):
        return tag + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")

    def listing(tag, data):
        return b"LIST" + struct.pack("<I", len(data) + 4) + tag + data

    avih = struct.pack("<IIIIIIIIIIIIII", 100000, frame_size * 10, 0, 0x10, frames, 0, 1,
                       frame_size, width, height, 0, 0, 0, 0)
    strh = b"vids" + b"DIB " + struct.pack("<IHHIIIIIIIIhhhh", 0, 0, 0, 0, 1, 10, 0, frames,
                                            frame_size, 0xFFFFFFFF, 0, 0, 0, width, height)
    strf = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, frame_size, 0, 0, 0, 0)
    header = listing(b"hdrl", chunk(b"avih", avih) +
                     listing(b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))
    body = header + listing(b"movi", movie) + chunk(b"idx1", index)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body) + 4) + b"AVI " + body)


def flash(path):
    """A minimal uncompressed SWF: header, one ShowFrame, End."""
    rect = bytes([0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00])
    body = rect + struct.pack("<HH", 12 << 8, 1) + struct.pack("<H", 1 << 6) + b"\0\0"
    with open(path, "wb") as f:
        f.write(b"FWS" + bytes([6]) + struct.pack("<I", 8 + len(body)) + body)


def main(out):
    rng = random.Random(7)
    files = os.path.join(out, "files")
    os.makedirs(files, exist_ok=True)
    names = pictures(files, rng) + text_files(files)
    sound(os.path.join(files, "jingle.wav"))
    sound(os.path.join(files, "beep.wav"), 0.3, 880.0)
    video(os.path.join(files, "clip.avi"))
    flash(os.path.join(files, "intro.swf"))
    names += ["jingle.wav", "beep.wav", "clip.avi", "intro.swf"]
    with open(os.path.join(out, "manifest.txt"), "w") as manifest:
        for index, name in enumerate(names):
            site = SITES[index % len(SITES)]
            url = f"http://{site}/assets/{index % 5}/{name}"
            path = "Z:" + os.path.abspath(os.path.join(files, name)).replace("/", "\\")
            manifest.write(f"{url}\t{path}\t{day(rng.choice([0, 0, 1, 3, 10, 40, 400]))}\n")
    print(f"{len(names)} demo files in {files}")


if __name__ == "__main__":
    main(sys.argv[1])
