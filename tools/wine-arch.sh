#!/usr/bin/env bash
# Prints the Windows architecture whose programs Wine runs on this machine:
# i686 where the kernel runs Wine's 32-bit loader, x86_64 where it runs no
# 32-bit code at all (ia32 emulation disabled) and only 64-bit Wine works.
# The shipped programs are 32-bit either way; on the latter machines the tests
# run on a 64-bit build of the same sources.
if [ -n "${ZEMA_WIN_ARCH:-}" ]; then
  echo "$ZEMA_WIN_ARCH"
elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo i686
else
  echo x86_64
fi
