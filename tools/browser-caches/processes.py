"""A program run in a process group of its own, so that it and every child
it starts can be ended together, whatever happens to the caller. Children
that leave the group (a daemon's double fork and setsid) are found by a
marker in their command line, a folder only this run uses, and ended by PID."""
import os
import signal
import subprocess
import time


class ProcessGroup:
    def __init__(self, command, env, log_path, marker):
        self.marker = marker.encode()
        self.log = open(log_path, "wb")
        self.process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL,
                                        stdout=self.log, stderr=subprocess.STDOUT,
                                        start_new_session=True)
        self.group = self.process.pid

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.end()
        return False

    def wait(self, timeout):
        """The leader's exit status; raises TimeoutError (the group ended) past timeout."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.end()
            raise TimeoutError("%s did not finish within %.0f s" % (self.process.args[0], timeout))

    def alive(self):
        try:
            os.killpg(self.group, 0)
            return True
        except ProcessLookupError:
            return False
        except PermissionError:
            return True

    def end(self, grace=3.0):
        """Ends whatever is left of the group: TERM, then KILL after `grace` seconds."""
        for sig, wait in ((signal.SIGTERM, grace), (signal.SIGKILL, grace)):
            if not self.alive():
                break
            try:
                os.killpg(self.group, sig)
            except ProcessLookupError:
                break
            deadline = time.monotonic() + wait
            while time.monotonic() < deadline:
                self.process.poll()
                if not self.alive():
                    break
                time.sleep(0.05)
        self.process.poll()
        for pid in self.strays():
            end_pid(pid, grace)
        self.log.close()

    def strays(self):
        """PIDs outside the group whose command line names the marker."""
        found = []
        for name in os.listdir("/proc"):
            if not name.isdigit() or int(name) == os.getpid():
                continue
            try:
                with open("/proc/%s/cmdline" % name, "rb") as cmdline:
                    if self.marker in cmdline.read():
                        found.append(int(name))
            except OSError:
                continue
        return found


def end_pid(pid, grace):
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.kill(pid, sig)
        except ProcessLookupError:
            return
        deadline = time.monotonic() + grace
        while time.monotonic() < deadline:
            if not os.path.exists("/proc/%d" % pid):
                return
            time.sleep(0.05)
