#!/usr/bin/env python3
"""Starts a program and watches the X display for its window.

  visible_watch.py show TITLE WIDTH HEIGHT -- COMMAND...
      Prints "map MS visible MS rss KB": the time from launch until the
      top-level window named TITLE is mapped, until the last change of its
      picture (the X Damage extension reports every drawing into it; none
      for a second means settled), and the process's resident memory then.
      The window must be WIDTH x HEIGHT. Nothing is polled, so the watch
      takes no time from the programs it measures.
  visible_watch.py idle TITLE SECONDS -- COMMAND...
      Waits until a window named TITLE exists (shown or not), lets the program
      settle for a second, and prints "ticks N rss KB": the CPU clock ticks the
      process used in the next SECONDS seconds.

Either way the program is then left running; its pid is printed as "pid N".
Only libX11 and libXdamage through ctypes.
"""
import ctypes
import ctypes.util
import os
import select
import subprocess
import sys
import time

SETTLE = 1.0     # seconds without change that count as settled
TIMEOUT = 30.0

MAP_NOTIFY = 19
CREATE_NOTIFY = 16
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
DAMAGE_REPORT_RAW_RECTANGLES = 0

x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XPending.argtypes = [ctypes.c_void_p]
x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
x11.XFree.argtypes = [ctypes.c_void_p]
x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p]

xdamage = ctypes.cdll.LoadLibrary(ctypes.util.find_library("Xdamage") or "libXdamage.so.1")
xdamage.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                          ctypes.POINTER(ctypes.c_int)]
xdamage.XDamageCreate.restype = ctypes.c_ulong
xdamage.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]

# A window can go away between an event and a look at it: ignore X errors.
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
x11.XSetErrorHandler(ERROR_HANDLER)


def window_name(dpy, window):
    name = ctypes.c_char_p()
    if not x11.XFetchName(dpy, window, ctypes.byref(name)) or not name.value:
        return None
    value = name.value.decode("utf-8", "replace")
    x11.XFree(name)
    return value


def window_size(dpy, window):
    attributes = (ctypes.c_int * 64)()  # XWindowAttributes starts x, y, width, height
    if not x11.XGetWindowAttributes(dpy, window, attributes):
        return None
    return attributes[2], attributes[3]


def proc_rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return -1


def proc_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def fail(text, process):
    print(f"error {text}", flush=True)
    if process:
        print(f"pid {process.pid}", flush=True)
    sys.exit(1)


def main():
    args = sys.argv[1:]
    if "--" not in args:
        sys.exit(__doc__)
    split = args.index("--")
    options, command = args[:split], args[split + 1:]
    mode, title = options[0], options[1]

    dpy = x11.XOpenDisplay(None)
    if not dpy:
        sys.exit("visible_watch: no display")
    x11.XSelectInput(dpy, x11.XDefaultRootWindow(dpy), SUBSTRUCTURE_NOTIFY_MASK)
    x11.XSync(dpy, 0)
    fd = x11.XConnectionNumber(dpy)
    event = (ctypes.c_ulong * 24)()

    damage_base, damage_error = ctypes.c_int(), ctypes.c_int()
    if not xdamage.XDamageQueryExtension(dpy, ctypes.byref(damage_base), ctypes.byref(damage_error)):
        sys.exit("visible_watch: the display has no Damage extension")
    damage_notify = damage_base.value  # XDamageNotify is the extension's first event

    start = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    created, mapped, changed = [], {}, {}  # windows; when mapped; when last drawn into
    found = None
    while True:
        now = time.monotonic() - start
        if now > TIMEOUT:
            fail("no window named " + title if found is None else "the window never settled",
                 process)
        if process.poll() is not None:
            fail(f"the program ended with {process.returncode}", None)
        if not x11.XPending(dpy):
            select.select([fd], [], [], 0.05)
        while x11.XPending(dpy):
            x11.XNextEvent(dpy, event)
            kind, when = ctypes.c_int.from_buffer(event).value, time.monotonic() - start
            # XCreateWindowEvent and XMapEvent hold the window in their sixth word,
            # XDamageNotifyEvent the drawable in its fifth.
            if kind == CREATE_NOTIFY:
                created.append(event[5])
                if mode == "show":
                    xdamage.XDamageCreate(dpy, event[5], DAMAGE_REPORT_RAW_RECTANGLES)
            elif kind == MAP_NOTIFY:
                mapped.setdefault(event[5], when)
            elif kind == damage_notify:
                changed[event[4]] = when
        if found is None:
            candidates = created if mode == "idle" else list(mapped)
            found = next((w for w in candidates if window_name(dpy, w) == title), None)
            if found is None:
                continue
            if mode == "idle":
                break
            width, height = int(options[2]), int(options[3])
            if window_size(dpy, found) != (width, height):
                fail(f"window is {window_size(dpy, found)}, not {width} x {height}", process)
        last = max(mapped[found], changed.get(found, 0))
        if time.monotonic() - start - last >= SETTLE:
            break

    if mode == "show":
        print(f"map {mapped[found] * 1000:.1f} visible {last * 1000:.1f} "
              f"rss {proc_rss_kb(process.pid)} pid {process.pid}", flush=True)
    else:
        seconds = float(options[2])
        time.sleep(SETTLE)
        before = proc_ticks(process.pid)
        time.sleep(seconds)
        ticks = proc_ticks(process.pid) - before
        print(f"ticks {ticks} rss {proc_rss_kb(process.pid)} pid {process.pid}", flush=True)


if __name__ == "__main__":
    main()
