"""The record of every response sent: rows of manifest.tsv and the identity
bodies beside it (bodies/<sha1>, each body written once however often sent)."""
import hashlib
import os
import threading

COLUMNS = ("cache", "url", "top_level_site", "status", "content_type", "content_encoding", "body")


class Manifest:
    def __init__(self, out_folder):
        self.out_folder = out_folder
        self.rows = []
        self.lock = threading.Lock()
        self.written = set()
        os.makedirs(os.path.join(out_folder, "bodies"), exist_ok=True)

    def record(self, cache, url, top_level_site, status, content_type, content_encoding, body):
        """body: the identity bytes sent, or None when the response had none."""
        body_path = self.store_body(body) if body is not None else ""
        row = (cache, url, top_level_site, str(status), content_type, content_encoding, body_path)
        for value in row:
            if any(c in value for c in "\t\r\n"):
                raise ValueError("manifest value with a tab or line break: %r" % value)
        with self.lock:
            self.rows.append(row)

    def store_body(self, body):
        relative = "bodies/" + hashlib.sha1(body).hexdigest()
        with self.lock:
            if relative in self.written:
                return relative
            self.written.add(relative)
        with open(os.path.join(self.out_folder, relative), "wb") as out:
            out.write(body)
        return relative

    def rows_of(self, cache):
        with self.lock:
            return [row for row in self.rows if row[0] == cache]

    def write(self):
        with open(os.path.join(self.out_folder, "manifest.tsv"), "w", encoding="utf-8",
                  newline="\n") as out:
            out.write("\t".join(COLUMNS) + "\n")
            with self.lock:
                for row in self.rows:
                    out.write("\t".join(row) + "\n")
