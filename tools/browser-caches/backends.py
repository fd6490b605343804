"""Checks that a cache folder really holds the backend a run asked for: a
browser that ignored the flag would otherwise hand the tests the wrong one."""
import glob
import os
import struct

BLOCKFILE_INDEX_MAGIC = 0xC103CAC3
SIMPLE_INDEX_MAGIC = 0x656E74657220796F


class WrongBackend(Exception):
    pass


def read_head(path, size):
    try:
        with open(path, "rb") as f:
            return f.read(size)
    except OSError:
        return b""


def check_blockfile(folder):
    head = read_head(os.path.join(folder, "index"), 4)
    if len(head) < 4 or struct.unpack("<I", head)[0] != BLOCKFILE_INDEX_MAGIC:
        raise WrongBackend("%s: no blockfile index (magic 0xC103CAC3)" % folder)
    if not os.path.exists(os.path.join(folder, "data_1")):
        raise WrongBackend("%s: blockfile index without data_1" % folder)


def check_simple(folder):
    real_index = os.path.join(folder, "index-dir", "the-real-index")
    head = read_head(real_index, 16)
    if len(head) < 16 or struct.unpack("<Q", head[8:16])[0] != SIMPLE_INDEX_MAGIC:
        raise WrongBackend("%s: no simple index-dir/the-real-index" % folder)
    if not glob.glob(os.path.join(folder, "[0-9a-f]" * 16 + "_0")):
        raise WrongBackend("%s: simple cache without entry files" % folder)


def check_sql(folder):
    if b"SQLCache" not in read_head(os.path.join(folder, "index"), 64):
        raise WrongBackend("%s: index does not name SQLCache" % folder)
    databases = glob.glob(os.path.join(folder, "sqldb*"))
    if not any(read_head(db, 16) == b"SQLite format 3\0" for db in databases):
        raise WrongBackend("%s: no sqldb* SQLite database" % folder)


def check_cache2(folder):
    entries = os.path.join(folder, "entries")
    if not os.path.isdir(entries) or not os.listdir(entries):
        raise WrongBackend("%s: no cache2 entries" % folder)


CHECKS = {"simple": check_simple, "blockfile": check_blockfile, "sql": check_sql,
          "cache2": check_cache2}
