#!/usr/bin/env python3
"""Clicks a control of a visible window, found through the test probe:
    click.py PROBE TITLE CONTROL_ID
or a row of the window's list (control 1007):
    click.py PROBE TITLE row:INDEX"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e"))
import zema_driver as zd  # noqa: E402

probe_exe, title, target = sys.argv[1], sys.argv[2], sys.argv[3]
root = os.path.join(os.path.dirname(__file__), "..", "..")
probe = zd.Probe(zd.Wine(root), probe_exe)
window = probe.wait_window(title, timeout=30)
if target.startswith("row:"):
    rows = probe.rows(next(c for c in probe.controls(window) if c.id == zd.BROWSER_LIST))
    # The row's name: a file list's one column reaches past the list's edge.
    row = rows[int(target[4:])]
    point = (row.rect[0] + 12, row.centre[1])
else:
    point = next(c for c in probe.controls(window) if c.id == int(target)).centre
zd.Mouse().click(*point)
time.sleep(0.5)
