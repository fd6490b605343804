"""The picture site of the scan benchmark: N distinct pictures of web sizes in
JPEG, PNG, GIF and WebP, fetched by the page's script.

One ImageMagick run per (format, size) group draws a plasma once and writes
every picture of the group from it, each shifted and turned to its own hue:
a run per picture would take the machine several minutes for 10,000.
"""
import os
import subprocess
from concurrent.futures import ThreadPoolExecutor

from testsite import GATE_PATH, TINY_GIF, SiteWriter, page

# The scan benchmark compares Chromium's on-disk formats with WinINet files
# holding the bodies the blockfile run was sent.
RUNS = ("chromium-simple", "chromium-blockfile")
WININET_SOURCE = "chromium-blockfile"
# Banners, buttons, squares, skyscrapers, icons and photos of the sizes pages show.
SIZES = [(468, 60), (120, 600), (300, 250), (640, 480), (88, 31), (160, 160), (250, 250),
         (728, 90), (32, 32), (400, 300)]
# JPEG most, then PNG and GIF, then WebP, as pages carry them.
FORMATS = ["jpg", "png", "jpg", "gif", "webp", "jpg", "png", "gif"]
CONTENT_TYPES = {"jpg": "image/jpeg", "png": "image/png", "gif": "image/gif",
                 "webp": "image/webp"}
# What follows the variants in the command: the encoder's settings and coder.
ENCODING = {"jpg": (["-quality", "80"], ""), "png": ([], "PNG8:"), "gif": ([], ""),
            "webp": (["-quality", "75"], "")}
# Palette formats start from a quantised plasma: every hue turn keeps the count.
BASE_COLOURS = {"png": "200", "gif": "64"}


def picture_path(index):
    return "/img/pic-%05d.%s" % (index, FORMATS[index % len(FORMATS)])


def group_of(index):
    """The place in FORMATS and the size: pictures that share both share a plasma."""
    return index % len(FORMATS), SIZES[index // len(FORMATS) % len(SIZES)]


def write_group(folder, slot, size, indices, seed):
    """Writes folder/pic-NNNNN.fmt for each index; returns (index, file) pairs."""
    fmt = FORMATS[slot]
    width, height = size
    command = ["convert", "-size", "%dx%d" % size, "-seed", str(seed), "plasma:fractal"]
    if fmt in BASE_COLOURS:
        command += ["+dither", "-colors", BASE_COLOURS[fmt]]
    command += ["-write", "mpr:base", "+delete"]
    for k in range(len(indices)):
        # Hues 0-199 step 7: distinct within a group of up to 200 pictures.
        command += ["(", "mpr:base", "-roll", "+%d+%d" % (k * 37 % width, k * 53 % height),
                    "-modulate", "100,100,%d" % (k * 7 % 200), ")"]
    options, coder = ENCODING[fmt]
    pattern = os.path.join(folder, "group-%d-%dx%d-%%d.%s" % (slot, width, height, fmt))
    subprocess.run(command + options + ["+adjoin", coder + pattern], check=True,
                   stderr=subprocess.DEVNULL)
    files = []
    for k, index in enumerate(indices):
        file = os.path.join(folder, "pic-%05d.%s" % (index, fmt))
        os.replace(pattern % k, file)
        files.append((index, file))
    return files


def pictures_site(folder, count):
    writer = SiteWriter(folder)
    groups = {}
    for index in range(count):
        groups.setdefault(group_of(index), []).append(index)
    if max(len(indices) for indices in groups.values()) > 200:
        raise ValueError("more than 200 pictures of one group would share a hue")
    jobs = [(slot, size, indices, seed) for seed, ((slot, size), indices)
            in enumerate(sorted(groups.items()), 1)]
    with ThreadPoolExecutor(max_workers=2) as pool:
        written = pool.map(lambda job: write_group(writer.site.folder, *job), jobs)
        for files in written:
            for index, file in files:
                path = picture_path(index)
                writer.add_file(path, CONTENT_TYPES[path.rsplit(".", 1)[1]], file)
    paths = [picture_path(i) for i in range(count)]
    tiny = writer.add_bytes(GATE_PATH, "image/gif", TINY_GIF)
    writer.add_file("/favicon.ico", "image/gif", tiny)
    writer.site.awaited.update(paths)
    writer.site.gate_timeout = 8.0 + count / 100
    writer.site.start_pages = {cache: "/index.html" for cache in RUNS}
    # Fetched by script, six at a time: <img> elements would cost the
    # browser a layout and a decode each and store the same responses.
    script = ("<script>\nconst paths = [%s];\nlet next = 0;\n"
              "async function worker() {\n"
              "  while (next < paths.length) {\n"
              "    const response = await fetch(paths[next++]);\n"
              "    await response.arrayBuffer();\n"
              "  }\n}\n"
              "for (let i = 0; i < 6; i++) worker();\n</script>"
              % ",".join('"%s"' % p for p in paths))
    body = script + '\n<img src="%s">' % GATE_PATH
    writer.add_bytes("/index.html", "text/html; charset=utf-8", page("Pictures", "", body))
    return writer.site
