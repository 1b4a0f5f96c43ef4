#!/usr/bin/env python3
"""Starts a program and watches the X display for its window.

  visible_watch.py show TITLE WIDTH HEIGHT -- COMMAND...
      Prints "map MS visible MS rss KB": the time from launch until the
      top-level window named TITLE is mapped, until it first shows the picture
      it settles on (no change for a second afterwards), and the process's
      resident memory once settled. The window must be WIDTH x HEIGHT.
  visible_watch.py idle TITLE SECONDS -- COMMAND...
      Waits until a window named TITLE exists (shown or not), lets the program
      settle for a second, and prints "ticks N rss KB": the CPU clock ticks the
      process used in the next SECONDS seconds.

Either way the program is then left running; its pid is printed as "pid N".
Only libX11 through ctypes: nothing to install.
"""
import ctypes
import ctypes.util
import os
import select
import subprocess
import sys
import time

SETTLE = 1.0     # seconds without change that count as settled
POLL = 0.003     # seconds between two looks at the window
TIMEOUT = 30.0

MAP_NOTIFY = 19
CREATE_NOTIFY = 16
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
Z_PIXMAP = 2

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
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                          ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XDestroyImage.argtypes = [ctypes.c_void_p]

# A window can go away between an event and a look at it: ignore X errors.
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
x11.XSetErrorHandler(ERROR_HANDLER)


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int)]


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


def grab(dpy, window, width, height):
    image = x11.XGetImage(dpy, window, 0, 0, width, height, 0xFFFFFFFF, Z_PIXMAP)
    if not image:
        return None
    info = XImage.from_address(image)
    data = ctypes.string_at(info.data, info.bytes_per_line * info.height)
    x11.XDestroyImage(image)
    return data


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

    start = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wanted_type = MAP_NOTIFY if mode == "show" else CREATE_NOTIFY
    seen = {}  # window -> when its event came
    found = None
    while found is None:
        if time.monotonic() - start > TIMEOUT:
            fail("no window named " + title, process)
        if process.poll() is not None:
            fail(f"the program ended with {process.returncode}", None)
        if not x11.XPending(dpy):
            select.select([fd], [], [], 0.05)
        while x11.XPending(dpy):
            x11.XNextEvent(dpy, event)
            if ctypes.c_int.from_buffer(event).value == wanted_type:
                # XMapEvent and XCreateWindowEvent both hold the window in their sixth word.
                seen[event[5]] = time.monotonic() - start
        for window, when in seen.items():
            if window_name(dpy, window) == title:
                found = (window, when)
                break

    window, when = found
    if mode == "show":
        width, height = int(options[2]), int(options[3])
        if window_size(dpy, window) != (width, height):
            fail(f"window is {window_size(dpy, window)}, not {width} x {height}", process)
        last, changed_at = None, None
        while True:
            now = time.monotonic()
            frame = grab(dpy, window, width, height)
            if frame is not None and frame != last:
                last, changed_at = frame, now - start
            if changed_at is not None and now - start - changed_at >= SETTLE:
                break
            if now - start > TIMEOUT:
                fail("the window never settled", process)
            time.sleep(POLL)
        print(f"map {when * 1000:.1f} visible {changed_at * 1000:.1f} "
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
