"""The site's two loopback origins: the top-level one on 127.0.0.1 and a
third-party one on localhost, both answering from the same Site and
recording every response in the Manifest under the browser run now served."""
import email.utils
import hashlib
import http.server
import threading
import time
import urllib.parse

from testsite import GATE_PATH

CACHE_CONTROL = "public, max-age=86400"
# Media answers carry at most this much, so a player asks again for the rest
# and the caches hold the file as ranges.
RANGE_CHUNK = 128 * 1024
LAST_MODIFIED = email.utils.formatdate(time.time() - 30 * 86400, usegmt=True)


class RunState:
    """Which browser run the servers answer, and which awaited fetches it has yet to make."""

    def __init__(self):
        self.cache = ""
        self.top_level_site = ""
        self.missing = set()
        self.changed = threading.Condition()

    def begin(self, cache, top_level_site, awaited):
        with self.changed:
            self.cache, self.top_level_site = cache, top_level_site
            self.missing = set(awaited)

    def mark_done(self, path):
        with self.changed:
            if path in self.missing:
                self.missing.discard(path)
                if not self.missing:
                    self.changed.notify_all()

    def wait_for_awaited(self, timeout):
        with self.changed:
            return self.changed.wait_for(lambda: not self.missing, timeout)


def accepted_codings(header):
    codings = set()
    for part in (header or "").split(","):
        name, _, params = part.strip().partition(";")
        if params.strip().replace(" ", "") not in ("q=0", "q=0.0", "q=0.00", "q=0.000"):
            codings.add(name.strip().lower())
    return codings


def parse_range(header, total):
    """(first, last) of a single `bytes=` range, or None when it is unsatisfiable."""
    unit, _, spec = header.partition("=")
    if unit.strip() != "bytes" or "," in spec:
        return None
    first, _, last = spec.strip().partition("-")
    try:
        if first == "":
            length = int(last)
            return (max(0, total - length), total - 1) if length > 0 and total else None
        first = int(first)
        last = int(last) if last else total - 1
    except ValueError:
        return None
    if first >= total or last < first:
        return None
    return first, min(last, total - 1)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body go out in separate writes: with Nagle's algorithm each
    # answer on a kept-alive connection would wait out the peer's delayed ACK.
    disable_nagle_algorithm = True

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        self.answer(send_body=True)

    def do_HEAD(self):
        self.answer(send_body=False)

    def answer(self, send_body):
        servers = self.server.owner
        path = urllib.parse.unquote(self.path.partition("?")[0])
        resource = servers.site.resources.get(path)
        if path == GATE_PATH:
            if not servers.state.wait_for_awaited(servers.site.gate_timeout):
                servers.warnings.append("%s: gave the page's load up waiting for %s" % (
                    servers.state.cache, ", ".join(sorted(servers.state.missing)[:5])))
        complete = True
        if resource is None:
            self.send(404, {"Content-Type": "text/plain"}, b"No such file.\n", None, send_body)
        elif resource.location:
            self.send(resource.status, {"Location": resource.location}, None, None, send_body)
        elif resource.ranged and self.headers.get("Range"):
            complete = self.send_range(resource, send_body)
        else:
            self.send_whole(resource, send_body)
        if send_body and complete:
            servers.state.mark_done(path)

    def send_whole(self, resource, send_body):
        identity = self.server.owner.read(resource.file)
        headers = {"Content-Type": resource.content_type}
        sent = identity
        if resource.coding and resource.coding in accepted_codings(
                self.headers.get("Accept-Encoding")):
            headers["Content-Encoding"] = resource.coding
            sent = self.server.owner.read(resource.file + "." + resource.coding)
        if resource.ranged:
            headers["Accept-Ranges"] = "bytes"
        self.send(resource.status, headers, identity, sent, send_body)

    def send_range(self, resource, send_body):
        """True when the answer reached the file's last byte."""
        whole = self.server.owner.read(resource.file)
        span = parse_range(self.headers["Range"], len(whole))
        if span is None:
            self.send(416, {"Content-Range": "bytes */%d" % len(whole)}, None, None, send_body)
            return False
        first, last = span[0], min(span[1], span[0] + RANGE_CHUNK - 1)
        part = whole[first:last + 1]
        headers = {"Content-Type": resource.content_type, "Accept-Ranges": "bytes",
                   "Content-Range": "bytes %d-%d/%d" % (first, last, len(whole))}
        self.send(206, headers, part, part, send_body)
        return last == len(whole) - 1

    def send(self, status, headers, identity, sent, send_body):
        """identity: the decoded body, for the record; sent: the bytes on the wire."""
        if sent is None:
            sent = identity if identity is not None else b""
        self.send_response(status)
        headers = dict(headers)
        headers["Cache-Control"] = CACHE_CONTROL
        headers["Content-Length"] = str(len(sent))
        if identity is not None and status < 300:
            headers["Last-Modified"] = LAST_MODIFIED
            headers["ETag"] = '"%s"' % hashlib.sha1(sent).hexdigest()[:20]
        for name, value in headers.items():
            self.send_header(name, value)
        self.end_headers()
        if send_body:
            self.wfile.write(sent)
        self.server.owner.record(self, status, headers, identity if send_body else None)


class LoopbackServer(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, owner, host):
        super().__init__(("127.0.0.1", 0), Handler)
        self.owner = owner
        self.origin = "http://%s:%d" % (host, self.server_address[1])


class SiteServers:
    """Both origins, serving on threads of their own until close()."""

    def __init__(self, manifest):
        self.manifest = manifest
        self.site = None
        self.state = RunState()
        self.warnings = []
        self.files = {}
        self.files_lock = threading.Lock()
        self.main = LoopbackServer(self, "127.0.0.1")
        self.other = LoopbackServer(self, "localhost")
        self.threads = [threading.Thread(target=s.serve_forever, daemon=True)
                        for s in (self.main, self.other)]
        for thread in self.threads:
            thread.start()

    def read(self, file):
        with self.files_lock:
            if file not in self.files:
                with open(file, "rb") as f:
                    self.files[file] = f.read()
            return self.files[file]

    def record(self, handler, status, headers, identity):
        self.manifest.record(self.state.cache, handler.server.origin + handler.path,
                             self.state.top_level_site, status,
                             headers.get("Content-Type", ""),
                             headers.get("Content-Encoding", ""), identity)

    def close(self):
        for server in (self.main, self.other):
            server.shutdown()
            server.server_close()
