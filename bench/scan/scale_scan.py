#!/usr/bin/env python3
"""Measures a whole image scan under Wine: a generated cache of N pictures of
web sizes (GIF, JPEG and PNG) in hashed subfolders, the Image browser opened on it with the
default options, timed from OK until the last row appears.

    scale_scan.py --root ROOT --zema ZEMA.exe --probe probe.exe --count N

Prints the wall time, thumbnails per second, when each tenth of the rows
had appeared, and the viewer's peak memory."""
import argparse
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e"))
import zema_driver as zd  # noqa: E402

SIZES = [(468, 60), (120, 600), (300, 250), (640, 480), (88, 31), (160, 160), (250, 250),
         (728, 90), (32, 32), (400, 300)]


FORMATS = ["gif", "jpg", "png"]


def make_sources(folder, count):
    """count distinct pictures, GIF, JPEG and PNG in turn; the cache links to
    them over and over."""
    os.makedirs(folder, exist_ok=True)
    sources = []
    for index in range(count):
        width, height = SIZES[index % len(SIZES)]
        fmt = FORMATS[index % len(FORMATS)]
        path = os.path.join(folder, f"s{index}.{fmt}")
        if not os.path.exists(path):
            colours = ["-colors", "64"] if fmt == "gif" else []
            subprocess.run(["convert", "-size", f"{width}x{height}", "-seed", str(index),
                            "plasma:fractal", *colours, path], check=True)
        sources.append(path)
    return sources


def make_cache(folder, sources, count):
    shutil.rmtree(folder, ignore_errors=True)
    for index in range(count):
        sub = os.path.join(folder, "Content.IE5", "F%07X" % (index % 97 * 0x1F3D5))
        os.makedirs(sub, exist_ok=True)
        source = sources[index % len(sources)]
        os.link(source, os.path.join(sub, f"img{index}[1]{os.path.splitext(source)[1]}"))


def peak_memory_kb(name=b"ZEMA.exe"):
    """The largest peak resident size among the viewer's processes."""
    peak = 0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                if name not in f.read():
                    continue
            with open(f"/proc/{pid}/status") as f:
                for line in f:
                    if line.startswith("VmHWM:"):
                        peak = max(peak, int(line.split()[1]))
        except OSError:
            continue
    return peak


def control(probe, window, control_id):
    return next(c for c in probe.controls(window) if c.id == control_id)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--zema", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--count", type=int, default=1000)
    args = parser.parse_args()
    wine = zd.Wine(args.root)
    probe = zd.Probe(wine, args.probe)
    work = os.path.join(args.root, "build", "scale")
    cache = os.path.join(work, f"cache{args.count}")
    make_cache(cache, make_sources(os.path.join(work, "sources"), 200), args.count)
    wine.reg("add", zd.SHELL_FOLDERS, "/v", "Cache", "/t", "REG_EXPAND_SZ", "/d",
             zd.Wine.path(cache), "/f")
    zd.set_content_types(wine, {".gif": "image/gif", ".jpg": "image/jpeg", ".png": "image/png"})
    program = zd.Program(wine, args.zema)
    mouse = zd.Mouse()
    try:
        mouse.click(*control(probe, probe.wait_window("Zema"), 1000).centre)
        mouse.click(*control(probe, probe.wait_window("Options"), 1).centre)
        start = time.monotonic()
        rows_view = control(probe, probe.wait_window("Images"), 1007)
        tenths = {}
        while True:
            rows = int(wine.run(args.probe, "count", str(rows_view.hwnd)).strip() or 0)
            now = time.monotonic() - start
            for tenth in range(1, 11):
                if rows >= args.count * tenth // 10 and tenth not in tenths:
                    tenths[tenth] = (rows, now)
            if rows >= args.count or now > 3600:
                break
            time.sleep(0.5)
        elapsed = time.monotonic() - start
        print(f"{args.count} thumbnails: {elapsed:.1f} s, {args.count / elapsed:.1f} per second, "
              f"peak memory {peak_memory_kb() / 1024:.0f} MB")
        previous = 0.0
        for tenth, (rows, at) in sorted(tenths.items()):
            print(f"  {rows} rows after {at:.1f} s (this tenth: {at - previous:.1f} s)")
            previous = at
    finally:
        program.kill()
        shutil.rmtree(cache, ignore_errors=True)


if __name__ == "__main__":
    main()
