"""How each browser run is started and where it leaves its cache."""
import dataclasses
import os

FIREFOX_PREFS = {
    # Nothing but the test site: no update, telemetry, safe-browsing or
    # connectivity traffic, and a disk cache that keeps what it gets.
    "app.update.enabled": False,
    "browser.shell.checkDefaultBrowser": False,
    "browser.startup.homepage_override.mstone": "ignore",
    "browser.safebrowsing.malware.enabled": False,
    "browser.safebrowsing.phishing.enabled": False,
    "browser.safebrowsing.downloads.enabled": False,
    "browser.safebrowsing.update.enabled": False,
    "datareporting.policy.dataSubmissionEnabled": False,
    "datareporting.healthreport.uploadEnabled": False,
    "toolkit.telemetry.enabled": False,
    "network.captive-portal-service.enabled": False,
    "network.connectivity-service.enabled": False,
    "extensions.update.enabled": False,
    "extensions.getAddons.cache.enabled": False,
    "services.settings.server": "http://127.0.0.1:9/",
    "browser.cache.disk.enable": True,
    # A fixed 1 GiB instead of a share of the free disk space: the listing
    # benchmark's caches hold some 350 MB and must keep every entry.
    "browser.cache.disk.smart_size.enabled": False,
    "browser.cache.disk.capacity": 1024 * 1024,
    "media.autoplay.default": 0,
}


@dataclasses.dataclass
class BrowserRun:
    cache: str        # the folder's name under OUT and the manifest's cache column
    backend: str      # backends.CHECKS key
    feature: str = ""  # Chromium's backend experiment arm

    @property
    def is_firefox(self):
        return self.backend == "cache2"

    def command(self, profile, url, screenshot, disk_size=0):
        if self.is_firefox:
            return ["firefox-esr", "--headless", "--no-remote", "--profile", profile,
                    "--screenshot", screenshot, url]
        command = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                   "--no-default-browser-check", "--disable-background-networking",
                   "--disable-component-update", "--disable-sync", "--mute-audio",
                   "--user-data-dir=" + profile, "--virtual-time-budget=8000", "--dump-dom"]
        if disk_size:
            command.append("--disk-cache-size=%d" % disk_size)
        if self.feature:
            command.append("--enable-features=DiskCacheBackendExperiment:backend/" + self.feature)
        return command + [url]

    def prepare_profile(self, profile):
        os.makedirs(profile, exist_ok=True)
        if self.is_firefox:
            with open(os.path.join(profile, "user.js"), "w") as prefs:
                for name, value in FIREFOX_PREFS.items():
                    literal = ("true" if value else "false") if isinstance(value, bool) else \
                        '"%s"' % value if isinstance(value, str) else str(value)
                    prefs.write('user_pref("%s", %s);\n' % (name, literal))

    def cache_folder(self, profile):
        if self.is_firefox:
            return os.path.join(profile, "cache2")
        return os.path.join(profile, "Default", "Cache", "Cache_Data")


# A cache this small gets the blockfile index's smallest table (256 KB
# instead of 2 MB): the small caches are committed.
SMALL_DISK = 8 * 1024 * 1024
# Chromium's own size follows the free disk space and would evict part of
# the listing benchmark's caches.
LARGE_DISK = 1024 * 1024 * 1024

RUNS = [
    BrowserRun("chromium-simple", "simple"),
    BrowserRun("chromium-blockfile", "blockfile", "blockfile"),
    BrowserRun("chromium-sql", "sql", "sql"),
    BrowserRun("firefox", "cache2"),
]


def environment(home):
    """The browsers' environment: every per-user folder inside `home`, no display."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS")}
    env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"),
               XDG_DATA_HOME=os.path.join(home, ".local", "share"), MOZ_HEADLESS="1")
    return env
