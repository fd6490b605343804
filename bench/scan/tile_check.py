"""Whether rows of the Image browser show their own picture, judged by what a
user sees: each sampled row is scrolled into view through the probe, its
picture's rectangle is read from the X screen, and the capture must not be
blank and must be nearer to its own source picture, shrunk onto a white tile
by ImageMagick, than to rival sources laid out alike (other pictures of the
same size). Nothing here knows how the viewer keeps its tiles."""
import json
import os
import subprocess
import time

import zema_driver as zd

# Root-mean-square difference, 0 to 1, below which a capture matches its
# reference: our bilinear shrink and ImageMagick's filter differ by at most
# 0.05 on these plasmas (paletted GIFs the most, JPEGs under 0.01).
MATCH = 0.12
# How much nearer the own source must be than the nearest rival: small
# pictures are mostly white tile, so two different ones can be as near as
# 0.05 while the own one is 0.02; a wrong tile is about as far from its row's
# source as from the rivals.
MARGIN = 2.0
# Standard deviation of a capture below which it is one flat colour: an empty
# tile. The smallest source (32 by 32 on a 120 tile) stays far above it.
FLAT = 0.02


def sample_rows(rows):
    """Row numbers to check: three of the first tenth, three of the middle,
    six of the last, evenly spread."""
    def spread(first, last, count):
        if last <= first:
            return []
        step = max(1, (last - first) // count)
        return list(range(first, last, step))[:count]
    tenth = max(1, rows // 10)
    middle = rows // 2 - tenth // 2
    picked = spread(0, tenth, 3) + spread(middle, middle + tenth, 3) + spread(rows - tenth, rows, 6)
    return sorted(set(i for i in picked if 0 <= i < rows))


def rmse(path_a, path_b, search=False):
    """ImageMagick's normalised RMSE of b against a, and with search the
    offset in a where b fits best."""
    command = ["compare", "-metric", "RMSE"] + (["-subimage-search"] if search else [])
    done = subprocess.run(command + [path_a, path_b, "null:"], capture_output=True, text=True)
    # "12.3 (0.0019) @ 4,2": the normalised value in brackets, then the offset.
    words = done.stderr.split()
    if len(words) < 2 or not words[1].startswith("("):
        raise RuntimeError(f"compare failed: {done.stderr.strip()}")
    value = float(words[1].strip("()"))
    offset = tuple(map(int, words[3].split(","))) if search and len(words) > 3 else (0, 0)
    return value, offset


def deviation(path):
    out = subprocess.run(["convert", path, "-format", "%[fx:standard_deviation]", "info:"],
                         capture_output=True, text=True, check=True).stdout
    return float(out)


class TileCheck:
    def __init__(self, probe, rows_view, edge, folder, source_of, rivals_of):
        """source_of(row text) names a row's source picture, rivals_of(source)
        the others it must be told apart from."""
        self.probe, self.rows_view, self.edge = probe, rows_view, edge
        self.folder, self.source_of, self.rivals_of = folder, source_of, rivals_of
        self.references = {}

    def reference(self, source):
        """The source shrunk (never enlarged) to fit the tile, centred on white."""
        if source not in self.references:
            path = os.path.join(self.folder, f"reference{len(self.references)}.png")
            subprocess.run(["convert", source, "-resize", f"{self.edge}x{self.edge}>",
                            "-background", "white", "-gravity", "center",
                            "-extent", f"{self.edge}x{self.edge}", path], check=True)
            self.references[source] = path
        return self.references[source]

    def capture(self, index):
        """Scrolls the row into view and saves what the screen shows of its
        picture (at least a tile's size around it); returns (row, path)."""
        out = self.probe.wine.run(self.probe.exe, "show", str(self.rows_view.hwnd), str(index))
        row = zd.Window(json.loads(out))
        time.sleep(0.7)  # the list repaints in the viewer's own time
        left, top, right, bottom = row.rect
        grow_x = max(0, self.edge - (right - left) + 1) // 2 + 1
        grow_y = max(0, self.edge - (bottom - top) + 1) // 2 + 1
        rect = (left - grow_x, top - grow_y, right + grow_x, bottom + grow_y)
        return row, zd.screenshot(self.folder, f"row{index}", rect)

    def judge(self, index):
        row, shot = self.capture(index)
        own = self.source_of(row.text)
        rivals = self.rivals_of(own)
        flatness = deviation(shot)
        own_error, (x, y) = rmse(shot, self.reference(own), search=True)
        tile = os.path.join(self.folder, f"tile{index}.png")
        subprocess.run(["convert", shot, "-crop", f"{self.edge}x{self.edge}+{x}+{y}", "+repage", tile],
                       check=True)
        rival_error = min((rmse(tile, self.reference(r))[0] for r in rivals), default=1.0)
        right = flatness > FLAT and own_error < MATCH and own_error * MARGIN < rival_error
        print(f"  row {index:6} {row.text:24} spread {flatness:.3f}, own source {own_error:.3f}, "
              f"nearest of {len(rivals)} others {rival_error:.3f}: {'right' if right else 'WRONG'}")
        return right

    def run(self, indices):
        """Checks the rows; true when every one shows its own picture."""
        print(f"tile check of {len(indices)} rows (first, middle and last tenths):")
        wrong = 0
        for index in indices:
            wrong += not self.judge(index)
        print(f"  {len(indices) - wrong} right, {wrong} wrong")
        return wrong == 0
