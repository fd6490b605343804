#!/usr/bin/env python3
"""Clicks a control of a visible window, found through the test probe:
    click.py PROBE TITLE CONTROL_ID"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e"))
import zema_driver as zd  # noqa: E402

probe_exe, title, control_id = sys.argv[1], sys.argv[2], int(sys.argv[3])
root = os.path.join(os.path.dirname(__file__), "..", "..")
probe = zd.Probe(zd.Wine(root), probe_exe)
window = probe.wait_window(title, timeout=30)
control = next(c for c in probe.controls(window) if c.id == control_id)
zd.Mouse().click(*control.centre)
time.sleep(0.5)
