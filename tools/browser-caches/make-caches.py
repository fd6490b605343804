#!/usr/bin/env python3
"""Makes real browser caches from a test site of our own on loopback.

    make-caches.py OUT                the full site
    make-caches.py --small OUT        a handful of entries (committed fixtures)
    make-caches.py --entries N OUT    N entries of 1-256 KiB per cache (listing benchmark)
    make-caches.py --pictures N OUT   N distinct pictures, Chromium's simple and blockfile
                                      caches only, and the same bodies as a WinINet
                                      folder, OUT/wininet (scan benchmark)
    make-caches.py --gallery OUT      drawn landscapes, only OUT/chromium-simple and
                                      OUT/firefox (`make run`'s screenshots)

Writes OUT/chromium-simple, OUT/chromium-blockfile, OUT/chromium-sql (each a
Cache_Data folder), OUT/firefox (a cache2 folder), OUT/manifest.tsv (one row
per response sent to each browser) and OUT/bodies/ (the identity bodies the
rows name). Every process started here is ended here, also on error.

manifest.tsv columns: cache, url (as sent by the browser, percent-encoded),
top_level_site (the page's site as both browsers key it: http://127.0.0.1,
no port), status, content_type and content_encoding (the headers sent), body.
Media answers are 206 with at most 128 KiB each, one row per range: the
players ask for the ranges in order from 0, so the bodies of one URL's rows,
joined in row order, are the file from its start.
"""
import argparse
import hashlib
import os
import shutil
import signal
import sys
import time

import backends
import browsers
import picturesite
import testsite
import wininet
from manifest import Manifest
from processes import ProcessGroup
from server import SiteServers

STAMP = "made-by.txt"
OUTPUTS = [run.cache for run in browsers.RUNS] + ["manifest.tsv", "bodies", "work", "wininet",
                                                  STAMP]


def stamp_of(args):
    """What made OUT: this script's sources and the site's shape."""
    digest = hashlib.sha1()
    folder = os.path.dirname(os.path.abspath(__file__))
    for name in sorted(n for n in os.listdir(folder) if n.endswith(".py")):
        with open(os.path.join(folder, name), "rb") as source:
            digest.update(name.encode() + b"\0" + source.read())
    shape = "entries %d" % args.entries if args.entries else \
        "pictures %d" % args.pictures if args.pictures else "small" if args.small else \
        "gallery" if args.gallery else "full"
    return "%s %s\n" % (shape, digest.hexdigest())


def is_current(out, stamp):
    try:
        with open(os.path.join(out, STAMP)) as made:
            return made.read() == stamp and os.path.exists(os.path.join(out, "manifest.tsv"))
    except OSError:
        return False


def prepare_out(out):
    """An empty OUT, or one this script wrote before (emptied); anything else is refused."""
    if os.path.isdir(out):
        foreign = [n for n in os.listdir(out) if n not in OUTPUTS]
        if foreign:
            sys.exit("make-caches: %s holds files of its own (%s); give an empty folder"
                     % (out, ", ".join(sorted(foreign)[:3])))
        for name in os.listdir(out):
            path = os.path.join(out, name)
            shutil.rmtree(path) if os.path.isdir(path) else os.remove(path)
    os.makedirs(out, exist_ok=True)


def build_site(args, work, other_origin):
    folder = os.path.join(work, "site")
    if args.entries:
        return testsite.entries_site(folder, args.entries)
    if args.pictures:
        return picturesite.pictures_site(folder, args.pictures)
    if args.small:
        return testsite.small_site(folder, other_origin)
    if args.gallery:
        return testsite.gallery_site(folder)
    return testsite.full_site(folder, other_origin)


def top_level_site(origin):
    """The page's site as both browsers write it into their keys: Chromium's
    schemeful site and Firefox's partition key, (http,127.0.0.1), drop the port."""
    scheme, _, rest = origin.partition("://")
    return scheme + "://" + rest.rsplit(":", 1)[0]


def run_browser(run, servers, work, timeout, disk_size):
    profile = os.path.join(work, "profile-" + run.cache)
    home = os.path.join(work, "home-" + run.cache)
    os.makedirs(home)
    run.prepare_profile(profile)
    url = servers.main.origin + servers.site.start_page(run.cache)
    servers.state.begin(run.cache, top_level_site(servers.main.origin), servers.site.awaited)
    command = run.command(profile, url, os.path.join(work, run.cache + ".png"), disk_size)
    log = os.path.join(work, run.cache + ".log")
    started = time.monotonic()
    with ProcessGroup(command, browsers.environment(home), log, marker=work + os.sep) as group:
        status = group.wait(timeout)
    if status != 0:
        raise RuntimeError("%s exited with %d (see %s)" % (command[0], status, log))
    return profile, time.monotonic() - started


def place_cache(run, profile, out):
    source = run.cache_folder(profile)
    target = os.path.join(out, run.cache)
    if not os.path.isdir(source):
        raise backends.WrongBackend("%s left no cache at %s" % (run.cache, source))
    shutil.copytree(source, target)
    backends.CHECKS[run.backend](target)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("out")
    shape = parser.add_mutually_exclusive_group()
    shape.add_argument("--small", action="store_true", help="a handful of entries per cache")
    shape.add_argument("--entries", type=int, metavar="N", help="N entries of 1-256 KiB per cache")
    shape.add_argument("--pictures", type=int, metavar="N",
                       help="N distinct pictures, two Chromium caches and a WinINet folder")
    shape.add_argument("--gallery", action="store_true",
                       help="drawn landscapes in a Chromium simple cache and a Firefox cache")
    parser.add_argument("--keep-profiles", action="store_true",
                        help="leave the browsers' profiles and logs in OUT/work")
    parser.add_argument("--if-changed", action="store_true",
                        help="do nothing when OUT was made by these scripts in this shape")
    args = parser.parse_args()
    if args.entries is not None and not 1 <= args.entries <= 100000:
        parser.error("--entries takes 1 to 100000")
    if args.pictures is not None and not 1 <= args.pictures <= 16000:
        parser.error("--pictures takes 1 to 16000")

    # A TERM (ctest's timeout, a kill) unwinds like an error: browsers and servers end.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("make-caches: terminated"))
    out = os.path.abspath(args.out)
    stamp = stamp_of(args)
    if args.if_changed and is_current(out, stamp):
        print("make-caches: %s is current" % out)
        os.utime(os.path.join(out, "manifest.tsv"))
        return
    prepare_out(out)
    work = os.path.join(out, "work")
    os.makedirs(work)
    timeout = 60 + (args.entries or args.pictures or 0) / 50
    disk_size = browsers.SMALL_DISK if args.small else \
        browsers.LARGE_DISK if args.entries or args.pictures else 0
    manifest = Manifest(out)
    servers = SiteServers(manifest)
    try:
        started = time.monotonic()
        servers.site = build_site(args, work, servers.other.origin)
        print("make-caches: site ready in %.1f s" % (time.monotonic() - started))
        for run in (r for r in browsers.RUNS if servers.site.runs_browser(r.cache)):
            profile, seconds = run_browser(run, servers, work, timeout, disk_size)
            place_cache(run, profile, out)
            print("make-caches: %s, %d responses, %.1f s" % (
                run.cache, len(manifest.rows_of(run.cache)), seconds))
    finally:
        servers.close()
    manifest.write()
    if args.pictures:
        files = wininet.write_wininet_folder(out, manifest.rows_of(picturesite.WININET_SOURCE))
        print("make-caches: wininet, %d files" % files)
    with open(os.path.join(out, STAMP), "w") as made:
        made.write(stamp)
    for warning in servers.warnings:
        print("make-caches: warning: " + warning)
    if not args.keep_profiles:
        shutil.rmtree(work)
    print("make-caches: %s in %.1f s" % (out, time.monotonic() - started))


if __name__ == "__main__":
    main()
