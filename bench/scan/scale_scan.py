#!/usr/bin/env python3
"""Measures a whole image scan under Wine: a generated cache of N pictures of
web sizes (GIF, JPEG and 8-bit PNG) in hashed subfolders, the Image browser
opened on it with the default options, timed from OK until the last row
appears. Run it on the project's display, from a scratch folder:

    source tools/wine-env.sh; source tools/display.sh
    zema_make_prefix; zema_start_display; wineserver -p
    scale_scan.py --root ROOT --zema ZEMA.exe --probe probe.exe --count N
    wineserver -k; wineserver -w; zema_stop_display

Prints the wall time, when each tenth of the rows had appeared and the
thumbnails per second within it, the viewer's peak memory (resident and
address space), and whether sampled rows of the first, middle and last
tenths show their own picture (their captures go to
build/screenshots/scale-scan-N). It gives up when no row has come for
--stall seconds."""
import argparse
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e"))
import zema_driver as zd  # noqa: E402
import tile_check  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
FORMATS = ["gif", "jpg", "png"]
SOURCE_COUNT = 200


def web_sizes():
    """The web picture sizes the benchmarks share, as (width, height)."""
    with open(os.path.join(HERE, "..", "web-sizes.txt")) as f:
        return [tuple(map(int, line.split("x"))) for line in f if line.strip()]


def make_sources(folder, count):
    """count distinct pictures, GIF, JPEG and PNG in turn; the cache links to
    them over and over. PNGs are written 8-bit as the web serves them (the
    plasma would otherwise come out 16-bit)."""
    os.makedirs(folder, exist_ok=True)
    sizes = web_sizes()
    sources = []
    for index in range(count):
        width, height = sizes[index % len(sizes)]
        fmt = FORMATS[index % len(FORMATS)]
        path = os.path.join(folder, f"s{index}.{fmt}")
        if not os.path.exists(path):
            options = {"gif": ["-colors", "64"], "jpg": [], "png": ["-depth", "8"]}[fmt]
            target = "PNG24:" + path if fmt == "png" else path
            subprocess.run(["convert", "-size", f"{width}x{height}", "-seed", str(index),
                            "plasma:fractal", *options, target], check=True)
        sources.append(path)
    return sources


def make_cache(folder, sources, count):
    shutil.rmtree(folder, ignore_errors=True)
    for index in range(count):
        sub = os.path.join(folder, "Content.IE5", "F%07X" % (index % 97 * 0x1F3D5))
        os.makedirs(sub, exist_ok=True)
        source = sources[index % len(sources)]
        os.link(source, os.path.join(sub, f"img{index}[1]{os.path.splitext(source)[1]}"))


def source_of(row_text, sources):
    """The source picture a row's file links to: its name is img{index}[1]."""
    index = int(row_text[len("img"):row_text.index("[")])
    return sources[index % len(sources)]


def rivals_of(source, sources, count=6):
    """Other sources of the same size as source: laid out alike on the tile,
    they differ only in the picture."""
    sizes = len(web_sizes())
    index = sources.index(source)
    return [sources[j] for j in range(index % sizes, len(sources), sizes) if j != index][:count]


def peak_memory_kb(name=b"ZEMA.exe"):
    """The viewer's peak resident size (VmHWM) and peak address space
    (VmPeak), the largest among its processes. Under 64-bit Wine the address
    space includes the regions Wine itself reserves at start."""
    peaks = {"VmHWM:": 0, "VmPeak:": 0}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                if name not in f.read():
                    continue
            with open(f"/proc/{pid}/status") as f:
                for line in f:
                    field = line.split()
                    if field and field[0] in peaks:
                        peaks[field[0]] = max(peaks[field[0]], int(field[1]))
        except OSError:
            continue
    return peaks["VmHWM:"], peaks["VmPeak:"]


def control(probe, window, control_id):
    return next(c for c in probe.controls(window) if c.id == control_id)


def row_count(wine, probe_exe, rows_view):
    return int(wine.run(probe_exe, "count", str(rows_view.hwnd)).strip() or 0)


def watch_rows(count_rows, expected, stall_seconds, start):
    """Polls the row count until it reaches expected or stops growing for
    stall_seconds. Returns the rows, the time of the last new row (seconds
    since start, a time.monotonic() value), and
    {tenth: (rows, seconds)} for each tenth of expected reached. A poll (a
    probe run, a few tenths of a second) often passes several tenths at once:
    their times are interpolated between the two polls around them."""
    tenths = {}
    rows, last_growth = 0, 0.0
    while True:
        now_rows = count_rows()
        now = time.monotonic() - start
        if now_rows > rows:
            for tenth in range(1, 11):
                boundary = expected * tenth // 10
                if rows < boundary <= now_rows:
                    share = (boundary - rows) / (now_rows - rows)
                    tenths[tenth] = (boundary, last_growth + share * (now - last_growth))
            rows, last_growth = now_rows, now
        if rows >= expected or now - last_growth > stall_seconds:
            return rows, last_growth, tenths
        time.sleep(1.0)  # each poll starts a Windows program: keep them few


def print_timing(expected, rows, wall, tenths, memory):
    resident, address_space = memory
    ending = "" if rows >= expected else f" (gave up: stalled at {rows} rows)"
    print(f"{expected} thumbnails: {wall:.1f} s, {rows / wall:.1f} per second, peak resident "
          f"{resident / 1024:.0f} MB, peak address space {address_space / 1024:.0f} MB{ending}")
    previous_rows, previous_at = 0, 0.0
    for tenth, (at_rows, at) in sorted(tenths.items()):
        span = at - previous_at
        rate = (at_rows - previous_rows) / span if span > 0 else float("inf")
        print(f"  tenth {tenth:2}: {at_rows} rows after {at:.1f} s "
              f"(this tenth: {span:.1f} s, {rate:.0f} per second)")
        previous_rows, previous_at = at_rows, at


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--zema", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--count", type=int, default=1000)
    parser.add_argument("--stall", type=float, default=60.0,
                        help="seconds without a new row before giving up")
    parser.add_argument("--edge", type=int, default=120, help="the Options' thumbnail edge")
    args = parser.parse_args()
    wine = zd.Wine(args.root)
    probe = zd.Probe(wine, args.probe)
    work = os.path.join(args.root, "build", "scale")
    cache = os.path.join(work, f"cache{args.count}")
    # A folder of their own: earlier runs left 16-bit PNGs in "sources".
    sources = make_sources(os.path.join(work, "sources8"), SOURCE_COUNT)
    make_cache(cache, sources, args.count)
    wine.reg("add", zd.SHELL_FOLDERS, "/v", "Cache", "/t", "REG_EXPAND_SZ", "/d",
             zd.Wine.path(cache), "/f")
    zd.set_content_types(wine, {".gif": "image/gif", ".jpg": "image/jpeg", ".png": "image/png"})
    program = zd.Program(wine, args.zema)
    mouse = zd.Mouse()
    passed = False
    try:
        mouse.click(*control(probe, probe.wait_window("Zema"), 1000).centre)
        mouse.click(*control(probe, probe.wait_window("Options"), 1).centre)
        start = time.monotonic()
        rows_view = control(probe, probe.wait_window("Images"), 1007)
        rows, wall, tenths = watch_rows(lambda: row_count(wine, args.probe, rows_view),
                                        args.count, args.stall, start)
        print_timing(args.count, rows, wall, tenths, peak_memory_kb())
        # The captures stay for a look afterwards.
        shots = os.path.join(args.root, "build", "screenshots", f"scale-scan-{args.count}")
        shutil.rmtree(shots, ignore_errors=True)
        os.makedirs(shots)
        checker = tile_check.TileCheck(probe, rows_view, args.edge, shots,
                                       lambda text: source_of(text, sources),
                                       lambda source: rivals_of(source, sources))
        passed = checker.run(tile_check.sample_rows(rows)) and rows >= args.count
        resident, address_space = peak_memory_kb()
        print(f"after the tile check: peak resident {resident / 1024:.0f} MB, "
              f"peak address space {address_space / 1024:.0f} MB")
    finally:
        program.kill()
        shutil.rmtree(cache, ignore_errors=True)
    sys.exit(0 if passed else 1)


if __name__ == "__main__":
    main()
