"""Drives Windows programs under Wine as a user would: input goes through X
(xdotool), what is on screen comes back through the probe (window texts,
rectangles, states), X itself (the cursor image) and screenshots."""
import argparse
import ctypes
import ctypes.util
import json
import os
import subprocess
import tempfile
import time


def options():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--zema", required=True)
    parser.add_argument("--setup")
    parser.add_argument("--probe", required=True)
    parser.add_argument("--screenshots", required=True)
    parser.add_argument("--cachefill")
    args, rest = parser.parse_known_args()
    return args, rest


def wait_for(condition, timeout=15.0, step=0.1, what="condition"):
    """The first true value of condition() within timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(step)


class Wine:
    """Runs programs in the project's prefix through tools/wine-run.sh."""

    def __init__(self, root):
        self.runner = os.path.join(root, "tools", "wine-run.sh")
        # tools/wine-env.sh, sourced by the test runner, names the prefix.
        self.prefix = os.environ.get("ZEMA_WINEPREFIX") or os.path.join(root, "build",
                                                                         "wineprefix")

    def start(self, exe, *args, cwd=None):
        return subprocess.Popen([self.runner, exe, *args], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, cwd=cwd)

    def outcome(self, exe, *args, cwd=None):
        """Runs a program to its end: its exit code and what it printed on its
        two outputs. The output goes through files, not pipes: Wine's own
        processes, started by the first program of a session, inherit a pipe
        and would hold it open long after the program has ended."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            done = subprocess.run([self.runner, exe, *args], stdout=out, stderr=err,
                                  stdin=subprocess.DEVNULL, timeout=60, cwd=cwd)
            out.seek(0)
            err.seek(0)
            return done.returncode, out.read().decode("latin-1"), err.read().decode("latin-1")

    def run(self, exe, *args, check=True, cwd=None):
        """What a program printed; with check, its failure raises."""
        code, stdout, stderr = self.outcome(exe, *args, cwd=cwd)
        if check and code != 0:
            raise RuntimeError(f"{exe} {args} failed: {code} {stdout} {stderr}")
        return stdout

    def run_settled(self, exe, *args, ok=(0,)):
        """What a program printed, for the programs Wine now and then fails
        without a word (its reg tool on a write, a program it fails to
        start): a run whose exit code is not in ok is tried once more after
        a second; a second failure raises with what it printed."""
        for attempt in range(2):
            code, stdout, stderr = self.outcome(exe, *args)
            if code in ok:
                return stdout
            time.sleep(1.0)
        raise RuntimeError(f"{exe} {args} failed: {code} {stdout} {stderr}")

    def reg(self, *args, check=True):
        if check:
            return self.run_settled("reg", *args)
        return self.run("reg", *args, check=False)

    def reg_value(self, key, name):
        """The data of a REG_SZ value, or None when it can't be read."""
        out = self.reg("query", key, "/v", name, check=False)
        for line in out.splitlines():
            parts = line.strip().split("    ")
            if len(parts) >= 2 and parts[0] == name and parts[1] == "REG_SZ":
                return parts[2] if len(parts) > 2 else ""
        return None

    def key_exists(self, key):
        done = subprocess.run([self.runner, "reg", "query", key], capture_output=True,
                              timeout=60)
        return done.returncode == 0

    @staticmethod
    def path(unix_path):
        """The Windows name of a host path (Wine maps / as drive Z:)."""
        return "Z:" + os.path.abspath(unix_path).replace("/", "\\")

    def drive_link(self, letter):
        return os.path.join(self.prefix, "dosdevices", letter.lower() + ":")

    def host_path(self, windows_path):
        """The host path of a drive-letter path, through the prefix's drives."""
        base = os.path.realpath(self.drive_link(windows_path[0]))
        rest = windows_path[3:].replace("\\", "/")
        return os.path.join(base, rest) if rest else base


class MappedDrive:
    """Maps a drive letter of the prefix to a host folder for a test and puts
    back whatever the letter meant before."""

    def __init__(self, wine, letter, folder):
        self.link = wine.drive_link(letter)
        self.saved = self.link + ".zema-saved"
        if os.path.lexists(self.link):
            os.rename(self.link, self.saved)
        os.symlink(folder, self.link)

    def restore(self):
        if os.path.lexists(self.link):
            os.remove(self.link)
        if os.path.lexists(self.saved):
            os.rename(self.saved, self.link)


class Window:
    def __init__(self, fields):
        self.__dict__.update(fields)

    @property
    def centre(self):
        left, top, right, bottom = self.rect
        return (left + right) // 2, (top + bottom) // 2

    def __repr__(self):
        return f"<{self.cls} {self.id} {self.text!r} {self.rect}>"


class Probe:
    def __init__(self, wine, exe):
        self.wine, self.exe = wine, exe

    WINDOW_GONE = 2  # the probe's exit code when asked about a window no longer there

    def _windows(self, *args):
        """The windows the probe lists. A probe that fails to run prints
        nothing, which must not read as "no windows" (a fresh prefix's first
        run once listed no controls of a window on the screen)."""
        out = self.wine.run_settled(self.exe, *args, ok=(0, self.WINDOW_GONE))
        windows = []
        for line in out.splitlines():
            fields = json.loads(line)
            fields["cls"] = fields.pop("class")
            windows.append(Window(fields))
        return windows

    def top_level(self):
        return self._windows("windows")

    def find(self, title, cls="#32770"):
        for window in self.top_level():
            if window.text == title and window.cls == cls:
                return window
        return None

    def wait_window(self, title, cls="#32770", timeout=20.0):
        return wait_for(lambda: self.find(title, cls), timeout, what=f"window {title!r}")

    def wait_gone(self, title, cls="#32770", timeout=10.0):
        wait_for(lambda: self.find(title, cls) is None, timeout, what=f"{title!r} to close")

    def controls(self, window):
        return self._windows("controls", str(window.hwnd))

    def cursor(self):
        return json.loads(self.wine.run_settled(self.exe, "cursor"))

    def link(self, windows_path):
        """Target, description and arguments of a shell link, or None."""
        out = self.wine.run(self.exe, "link", windows_path, check=False)
        return json.loads(out) if out.strip() else None

    def folder(self, csidl):
        return json.loads(self.wine.run(self.exe, "folder", str(csidl)))["path"]

    def current_directory(self, cwd):
        """The current directory a program started in the host folder gets."""
        return json.loads(self.wine.run(self.exe, "cwd", cwd=cwd))["path"]

    def owned_by(self, owner, cls="#32770"):
        """The visible top-level windows of a class that the window owns."""
        return [w for w in self.top_level() if w.owner == owner.hwnd and w.cls == cls]

    def rows(self, list_window):
        """The rows of a list view: index, text, image, selected, rect; none
        once the list is gone. As with _windows, a probe Wine failed to run
        is run again rather than read as an empty list."""
        out = self.wine.run_settled(self.exe, "items", str(list_window.hwnd),
                                    ok=(0, self.WINDOW_GONE))
        return [Window(json.loads(line)) for line in out.splitlines()]

    def row_count(self, list_window):
        return int(self.wine.run_settled(self.exe, "count", str(list_window.hwnd)).strip())

    def again(self, window):
        """The window as it is now, or None once it is gone."""
        return next((w for w in self.top_level() if w.hwnd == window.hwnd), None)

    def maximise(self, window):
        """Maximises the window as its maximise box would (openbox offers none
        for a window without a sizing border) and returns it grown."""
        self.wine.run(self.exe, "syscommand", str(window.hwnd), "0xF030")

        def grown():
            now = self.again(window)
            return now if now and _width(now) > _width(window) + 50 else None
        return wait_for(grown, what="the maximised window")

    def restore(self, window):
        """Restores the maximised window and returns it once it has the size
        it had when window was read."""
        self.wine.run(self.exe, "syscommand", str(window.hwnd), "0xF120")

        def back():
            now = self.again(window)
            return now if now and _size(now) == _size(window) else None
        return wait_for(back, what="the restored window")


def _width(window):
    return window.rect[2] - window.rect[0]


def _size(window):
    return _width(window), window.rect[3] - window.rect[1]


class Mouse:
    """Real X input, as a user's hand would give it."""

    @staticmethod
    def xdotool(*args):
        subprocess.run(["xdotool", *map(str, args)], check=True)

    def move(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)
        time.sleep(0.2)

    def click(self, x, y):
        self.move(x, y)
        self.xdotool("click", 1)

    @classmethod
    def double_click(cls):
        """Two clicks where the pointer is, as close as a hand makes them."""
        cls.xdotool("click", "--repeat", 2, "--delay", 80, 1)

    def down(self):
        self.xdotool("mousedown", 1)

    def up(self):
        self.xdotool("mouseup", 1)


class Keyboard:
    @staticmethod
    def press(*keys):
        subprocess.run(["xdotool", "key", *keys], check=True)
        time.sleep(0.3)

    @staticmethod
    def type(text):
        subprocess.run(["xdotool", "type", "--delay", "30", text], check=True)
        time.sleep(0.3)


# The list of every browser window.
BROWSER_LIST = 1007
# How long a browser's rows must stay the same to count as the end of its scan:
# a damaged or slow file can hold the next row back for more than a second
# and a half on a loaded machine.
SETTLE = 2.0
SCAN_TIMEOUT = 60.0


class UserActions:
    """What a test case does as the user, for cases that keep the Wine in
    self.wine, a probe in self.probe and a mouse in self.mouse; the viewer
    they start keeps its run in self.program and its launcher in
    self.launcher."""

    launcher = None

    @classmethod
    def start_driving(cls, args):
        """The project's Wine, the probe that reads its windows, the mouse."""
        cls.wine = Wine(args.root)
        cls.probe = Probe(cls.wine, args.probe)
        cls.mouse = Mouse()

    def start_viewer(self, exe):
        self.program = Program(self.wine, exe)
        self.launcher = self.probe.wait_window("Zema")
        return self.launcher

    def control(self, window, control_id):
        """A control of the window, waited for: a fresh prefix's first run
        once listed none of a window's controls."""
        def find():
            return next((c for c in self.probe.controls(window) if c.id == control_id), None)
        return wait_for(find, timeout=5.0, what=f"control {control_id}")

    def controls(self, window):
        return {c.id: c for c in self.probe.controls(window)}

    def click(self, window, control_id):
        self.mouse.click(*self.control(window, control_id).centre)

    def type_into(self, window, control_id, text):
        self.click(window, control_id)
        Keyboard.press("End", "shift+Home", "BackSpace")
        Keyboard.type(text)

    def answer(self, box, label):
        """Clicks the button of a box by its label, its accelerator mark aside."""
        button = next(c for c in self.probe.controls(box) if c.cls == "Button" and
                      c.text.replace("&", "") == label)
        self.mouse.click(*button.centre)

    def texts(self, box):
        return [c.text for c in self.probe.controls(box) if c.cls == "Static" and c.text]

    def wait_owned(self, owner, besides=(), what="a window it owns"):
        """The first dialog the window owns whose caption is none of besides."""
        return wait_for(lambda: next((w for w in self.probe.owned_by(owner)
                                      if w.text not in besides), None), what=what)

    def wait_owned_gone(self, owner, what="the owned window to close"):
        wait_for(lambda: not self.probe.owned_by(owner), what=what)

    def message_box(self, caption="Zema", owner=None):
        """A message box and its text: the one the owner owns, or else the one
        of the caption that is not the launcher."""
        if owner is not None:
            box = self.wait_owned(owner, what="a message box")
        else:
            launcher = self.launcher.hwnd if self.launcher else None
            box = wait_for(lambda: next((w for w in self.probe.top_level()
                                         if w.cls == "#32770" and w.text == caption
                                         and w.hwnd != launcher), None), what="a message box")
        return box, self.texts(box)

    def dismiss_message_box(self):
        """The text of the viewer's message box, which Return then closes."""
        _, texts = self.message_box()
        Keyboard.press("Return")
        return texts

    # --- the browsers ---

    def show_options(self, button, title):
        """Presses a launcher button: the browser, its Options dialog and how
        long after the browser the dialog came."""
        self.click(self.launcher, button)
        browser = self.probe.wait_window(title)
        shown = time.monotonic()
        options = self.probe.wait_window("Options")
        return browser, options, time.monotonic() - shown

    def open_browser(self, button, title, choose=None):
        """Opens a browser from the launcher, lets choose() fill its Options
        dialog and presses OK; the scan has started."""
        browser, options, _ = self.show_options(button, title)
        if choose:
            choose(options)
        self.click(options, 1)
        self.probe.wait_gone("Options")
        return browser

    def rows(self, browser):
        return self.probe.rows(self.control(browser, BROWSER_LIST))

    def settled_rows(self, browser, expected=None):
        """The texts of the browser's rows once they have stayed the same for
        SETTLE seconds, or as soon as there are expected of them."""
        list_window = self.control(browser, BROWSER_LIST)
        deadline = time.monotonic() + SCAN_TIMEOUT
        last, stable_since = None, time.monotonic()
        while time.monotonic() < deadline:
            rows = [r.text for r in self.probe.rows(list_window)]
            if rows != last:
                last, stable_since = rows, time.monotonic()
            if expected is not None and len(rows) >= expected:
                return rows
            if time.monotonic() - stable_since > SETTLE:
                return rows
            time.sleep(0.2)
        raise AssertionError(f"the rows never settled: {last}")

    def select_row(self, browser, text, x_offset=None):
        """Clicks the row of that text: its centre, or x_offset into it where
        the centre lies outside the list."""
        rows = self.rows(browser)
        row = next((r for r in rows if r.text == text), None)
        if row is None:
            raise AssertionError(f"no row {text!r} among {[r.text for r in rows]}")
        x = row.centre[0] if x_offset is None else row.rect[0] + x_offset
        self.mouse.click(x, row.centre[1])
        return row

    def close_timed(self, window, control_id, timeout=10.0):
        """Clicks a control that closes the window: the seconds from the click
        until the window was gone."""
        self.mouse.move(*self.control(window, control_id).centre)
        started = time.monotonic()
        Mouse.xdotool("click", 1)
        self.probe.wait_gone(window.text, window.cls, timeout=timeout)
        return time.monotonic() - started


def x_window_of(title):
    """The X window of a top-level window, for activation."""
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                         capture_output=True, text=True).stdout.split()
    return out[-1] if out else None


def activate(title):
    xid = wait_for(lambda: x_window_of(title), what=f"X window {title!r}")
    subprocess.run(["xdotool", "windowactivate", "--sync", xid], check=False)
    time.sleep(0.3)
    return xid


def close_box(window):
    """The centre of the close button in the window manager's title bar. The
    window rectangle spans the whole frame; openbox's default theme puts the
    close button rightmost, 13 pixels in from the frame's right edge."""
    left, top, right, bottom = window.rect
    title_height = window.client[1] - top
    return right - 13, top + title_height // 2 + 1


def screenshot(folder, name, rect=None):
    """Saves the screen (or a rectangle of it) as folder/name.png and returns
    the path."""
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name + ".png")
    command = ["import", "-window", "root"]
    if rect:
        left, top, right, bottom = rect
        command += ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]
    subprocess.run(command + [path], check=True)
    return path


def pixels(rect):
    """The RGB pixels of a rectangle of the screen, read from X."""
    left, top, right, bottom = rect
    out = subprocess.run(["import", "-window", "root", "-crop",
                          f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                          "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
    return [tuple(out[i:i + 3]) for i in range(0, len(out), 3)]


class _CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def x_cursor():
    """The cursor X shows now: (width, height, xhot, yhot, ARGB pixels)."""
    xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
    xfixes = ctypes.CDLL(ctypes.util.find_library("Xfixes"))
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xlib.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(None)
    try:
        image = xfixes.XFixesGetCursorImage(display).contents
        count = image.width * image.height
        argb = [image.pixels[i] & 0xFFFFFFFF for i in range(count)]
        result = (image.width, image.height, image.xhot, image.yhot, argb)
        xlib.XFree(ctypes.addressof(image))
        return result
    finally:
        xlib.XCloseDisplay(display)


class Program:
    """One run of a program under test; ends it if the test did not."""

    def __init__(self, wine, exe, cwd=None):
        self.process = wine.start(exe, cwd=cwd)

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=15.0):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end")

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait()


SHELL_FOLDERS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders"


class TestCache:
    """An Internet cache of the test's own: the prefix's cache folder points
    at a fresh folder for the test's lifetime, and entries are committed to
    it through WinINet as a browser would."""

    def __init__(self, wine, cachefill, root):
        import shutil
        import tempfile
        self.wine, self.cachefill = wine, cachefill
        self.folder = tempfile.mkdtemp(prefix="zema-cache-", dir=os.path.join(root, "build"))
        self.files = tempfile.mkdtemp(prefix="zema-sources-", dir=os.path.join(root, "build"))
        self._rmtree = shutil.rmtree
        self.saved = self._query()
        wine.reg("add", SHELL_FOLDERS, "/v", "Cache", "/t", "REG_EXPAND_SZ", "/d",
                 Wine.path(self.folder), "/f")
        self.entries = {}

    def _query(self):
        out = self.wine.reg("query", SHELL_FOLDERS, "/v", "Cache", check=False)
        for line in out.splitlines():
            parts = line.split(None, 2)
            if len(parts) == 3 and parts[0] == "Cache":
                return parts[1], parts[2]
        return None

    def source(self, name):
        """A path for a source file the test writes before committing it."""
        return os.path.join(self.files, name)

    def commit(self, entries):
        """entries: (url, source path, 'YYYY-MM-DD'); returns {url: cache path}."""
        manifest = os.path.join(self.files, "manifest.txt")
        with open(manifest, "w") as f:
            for url, path, day in entries:
                f.write(f"{url}\t{Wine.path(path)}\t{day}\n")
        out = self.wine.run(self.cachefill, Wine.path(manifest))
        for line in out.splitlines():
            url, local = line.split("\t")
            self.entries[url] = local
        return self.entries

    def restore(self):
        self.wine.run(self.cachefill, "--clear", check=False)
        if self.saved:
            self.wine.reg("add", SHELL_FOLDERS, "/v", "Cache", "/t", self.saved[0], "/d",
                          self.saved[1], "/f")
        else:
            self.wine.reg("delete", SHELL_FOLDERS, "/v", "Cache", "/f", check=False)
        self._rmtree(self.folder, ignore_errors=True)
        self._rmtree(self.files, ignore_errors=True)


def set_content_types(wine, types):
    """Gives extensions a "Content Type" under HKEY_CLASSES_ROOT; returns
    what to pass to restore_content_types: the value each had (not the type
    column of reg's listing), or None where there was none."""
    saved = {}
    for extension, content_type in types.items():
        key = rf"HKCR\{extension}"
        saved[extension] = wine.reg_value(key, "Content Type")
        wine.reg("add", key, "/v", "Content Type", "/d", content_type, "/f")
    return saved


def restore_content_types(wine, saved):
    for extension, content_type in saved.items():
        key = rf"HKCR\{extension}"
        if content_type is None:
            wine.reg("delete", key, "/v", "Content Type", "/f", check=False)
        else:
            wine.reg("add", key, "/v", "Content Type", "/d", content_type, "/f")


class ShellOpener:
    """Points an open command (the https: scheme's unless another is named)
    at the probe, which records what it was asked to open, and puts the
    prefix's own command back."""

    KEY = r"HKLM\Software\Classes\https\shell\open\command"

    def __init__(self, wine, probe_exe, key=KEY):
        self.wine, self.KEY = wine, key
        self.folder = tempfile.mkdtemp(prefix="zema-opener-")
        self.record = os.path.join(self.folder, "opened.txt")
        self.saved = os.path.join(self.folder, "saved.reg")
        self.wine.reg("export", self.KEY, Wine.path(self.saved), "/y", check=False)
        command = f'"{Wine.path(probe_exe)}" record "{Wine.path(self.record)}" "%1"'
        self.wine.reg("add", self.KEY, "/ve", "/d", command, "/f")

    def opened(self):
        if not os.path.exists(self.record):
            return []
        with open(self.record) as f:
            return f.read().split()

    def restore(self):
        self.wine.reg("delete", self.KEY, "/f", check=False)
        if os.path.exists(self.saved):
            self.wine.reg("import", Wine.path(self.saved), check=False)
