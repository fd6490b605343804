#!/usr/bin/env python3
"""Seeds of the cache fuzz targets, cut from the committed browser caches.

    make-cache-seeds.py CACHES_FIXTURES BY_TARGET

Writes BY_TARGET/simpleentry (entry files), pickle (their stream 0), cachekey
(their keys), blockentry (data_1's first blocks), blockindex (a small index
naming the fixture's entries, then those blocks) and entryname (the
manifests' URLs, each behind a byte choosing code page and content type).
"""
import os
import struct
import sys


def simple_entries(root):
    for dirpath, _, names in os.walk(root):
        if os.path.basename(dirpath) != 'chromium-simple':
            continue
        for name in sorted(names):
            if len(name) == 18 and name.endswith('_0'):
                with open(os.path.join(dirpath, name), 'rb') as f:
                    yield name, f.read()


def stream0_and_key(data):
    key_len = struct.unpack_from('<I', data, 12)[0]
    key = data[24:24 + key_len]
    flags, _, size0 = struct.unpack_from('<III', data, len(data) - 16)
    sha = 32 if flags & 2 else 0
    start = len(data) - 24 - sha - size0
    return data[start:start + size0], key


def blockfile_parts(root):
    for dirpath, _, names in os.walk(root):
        if os.path.basename(dirpath) != 'chromium-blockfile':
            continue
        with open(os.path.join(dirpath, 'index'), 'rb') as f:
            header = f.read(0x170)
            table_len = struct.unpack_from('<I', header, 28)[0]
            table = struct.unpack('<%dI' % table_len, f.read(4 * table_len))
        with open(os.path.join(dirpath, 'data_1'), 'rb') as f:
            f.seek(8192)
            blocks = f.read(64 * 256)
        yield header, [a for a in table if a], blocks


def manifest_urls(root):
    for dirpath, _, names in os.walk(root):
        if 'manifest.tsv' in names:
            with open(os.path.join(dirpath, 'manifest.tsv'), encoding='utf-8') as f:
                for line in f.read().splitlines()[1:]:
                    fields = line.split('\t')
                    if len(fields) > 1:
                        yield fields[1]


def sparse_file_seed():
    """A simple-backend `_s` file: ranges out of order, one overlapping another."""
    key = b'1/0/_dk_http://a.example http://a.example http://a.example/v.mp4'
    out = struct.pack('<QIIII', 0xfcfb6d1ba7725c30, 9, len(key), 0, 0) + key
    for offset, length in ((4096, 600), (0, 1024), (512, 1024), (9000, 10)):
        out += struct.pack('<QQQII', 0xeb97bf016553676b, offset, length, 0, 0)
        out += bytes((offset + i) & 0xFF for i in range(length))
    return out


def sparse_child_seed():
    """A blockfile child's control data: the parent's signature, the index magic,
    the block written in part, then the bitmap of 1 KB blocks; its data size last."""
    header = struct.pack('<qIiii40x', 0x0123456789ABCDEF, 0xC103CAC3, 60, 7, 300)
    bitmap = bytes([0x7F, 0x00, 0xF0]) + bytes(125)
    return header + bitmap + struct.pack('<Q', 9000)


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


def main():
    root, out = sys.argv[1], sys.argv[2]
    for n, (name, data) in enumerate(simple_entries(root)):
        write(os.path.join(out, 'simpleentry'), 'simple_%d' % n, data)
        write(os.path.join(out, 'simpleentry'), 'half_simple_%d' % n, data[:len(data) // 2])
        stream0, key = stream0_and_key(data)
        write(os.path.join(out, 'pickle'), 'pickle_%d' % n, stream0)
        write(os.path.join(out, 'cachekey'), 'key_%d' % n, key)
    for n, (header, addrs, blocks) in enumerate(blockfile_parts(root)):
        slots = 16
        index = bytearray(header)
        struct.pack_into('<I', index, 28, slots)
        table = [0] * slots
        for i, addr in enumerate(addrs[:slots]):
            table[i] = addr
        index += struct.pack('<%dI' % slots, *table)
        write(os.path.join(out, 'blockindex'), 'blockfile_%d' % n,
              struct.pack('<H', len(index)) + bytes(index) + blocks)
        write(os.path.join(out, 'blockentry'), 'blocks_%d' % n, blocks)
    write(os.path.join(out, 'cachekey'), 'key_sparse', b'Range_1/0/http://a.example/v.mp4:1a2b:3')
    write(os.path.join(out, 'simpleentry'), 'sparse_ranges', sparse_file_seed())
    write(os.path.join(out, 'blockentry'), 'sparse_child_control', sparse_child_seed())
    urls = sorted(set(manifest_urls(root))) + [
        'https://h.example/caf%C3%A9%20cr%C3%A8me.png?w=1#top', 'https://h.example/',
        'https://h.example/a/..%2F..%2Fcon', 'https://h.example/%E9t%E9.jpg']
    for n, url in enumerate(urls):
        write(os.path.join(out, 'entryname'), 'url_%d' % n, bytes([n % 16]) + url.encode())


if __name__ == '__main__':
    main()
