"""The bodies one browser was sent, laid out as WinINet keeps its cache: a
Content.IE5 folder of subfolders with eight-character names, each file named
after the URL's last segment with "[1]" before its extension, and the
container's index.dat (its header and empty tables: nothing reads further)."""
import os
import shutil
import urllib.parse
import zlib

# WinINet spreads its files over subfolders of eight random letters and digits.
INDEX_SIGNATURE = b"Client UrlCache MMF Ver 5.2\0"
INDEX_SIZE = 32 * 1024
SUBFOLDERS = ["0DTF3K7Q", "8ZB1XW2N", "HQ4M6R0C", "P2VJ9YLA", "5KNE8U3S", "XC7GT1BD",
              "M9F0QWZ4", "R3LH6PJE"]


def cached_name(url):
    """name[1].ext, as WinINet names the first copy of a URL's file."""
    segment = urllib.parse.unquote(urllib.parse.urlsplit(url).path.rsplit("/", 1)[-1])
    stem, dot, extension = segment.rpartition(".")
    return "%s[1].%s" % (stem, extension) if dot else segment + "[1]"


def write_wininet_folder(out, rows, folder_name="wininet"):
    """Writes OUT/<folder_name>/Content.IE5/... from the manifest rows of one
    cache (whole answers with a body), each in the subfolder its name's hash
    picks; returns the count of files written."""
    root = os.path.join(out, folder_name, "Content.IE5")
    for sub in SUBFOLDERS:
        os.makedirs(os.path.join(root, sub), exist_ok=True)
    with open(os.path.join(root, "index.dat"), "wb") as index:
        index.write(INDEX_SIGNATURE.ljust(INDEX_SIZE, b"\0"))
    written = 0
    for row in rows:
        url, status, body = row[1], row[3], row[6]
        if status != "200" or not body:
            continue
        name = cached_name(url)
        sub = SUBFOLDERS[zlib.crc32(name.encode("utf-8")) % len(SUBFOLDERS)]
        target = os.path.join(root, sub, name)
        if os.path.exists(target):
            continue
        shutil.copyfile(os.path.join(out, body), target)
        written += 1
    return written
