#!/usr/bin/env python3
"""Watches and drives the program's windows on an X display, for the
benchmark scripts (no window manager needed; Xlib and XTest through ctypes):

  x11_probe.py wait-title SUBSTRING [TIMEOUT_S]
      waits until a shown top-level window's title holds SUBSTRING; prints
      its id and the seconds waited, or exits 1 at the timeout
  x11_probe.py await-title SUBSTRING [TIMEOUT_S]
      prints "ready" once it watches the display, then sleeps until a
      window whose title holds SUBSTRING is shown and prints its id: for
      timing a program's start, which a polling watcher would slow down
  x11_probe.py title-changes SUBSTRING COUNT [TIMEOUT_S]
      prints "ready", then "SECONDS TITLE" each time the title of a shown
      window holding SUBSTRING changes, until COUNT titles or the window goes
  x11_probe.py wait-no-title SUBSTRING [TIMEOUT_S]
      waits until no shown window's title holds SUBSTRING
  x11_probe.py repaints TITLE [PROBES]
      covers the shown window titled exactly TITLE with a magenta window for
      50 ms, takes the cover away and 150 ms later counts what of the cover
      is left on screen: a window that handles its events has painted itself
      again meanwhile. Prints "repainted=R/PROBES"
  x11_probe.py click-until TITLE X Y SUBSTRING PNG [TIMEOUT_S]
      clicks at X,Y inside the shown window titled exactly TITLE, then
      waits until a shown window whose title holds SUBSTRING has painted
      itself and saves the screen as PNG; prints "seconds=S" from the click
"""
import ctypes
import ctypes.util
import select
import struct
import sys
import time
import zlib

xlib = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
xtst = ctypes.cdll.LoadLibrary(ctypes.util.find_library("Xtst"))

xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XDefaultRootWindow.restype = ctypes.c_ulong
xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
xlib.XInternAtom.restype = ctypes.c_ulong
xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
xlib.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                            ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                            ctypes.POINTER(ctypes.c_uint)]
xlib.XGetWindowProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long,
                                    ctypes.c_int, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                    ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
                                    ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
xlib.XFree.argtypes = [ctypes.c_void_p]
xlib.XFlush.argtypes = [ctypes.c_void_p]
xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
xlib.XCreateSimpleWindow.restype = ctypes.c_ulong
xlib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
xlib.XMapRaised.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
xlib.XUnmapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
xlib.XDestroyWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
xlib.XGetImage.restype = ctypes.c_void_p
xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                           ctypes.c_ulong, ctypes.c_int]
xlib.XTranslateCoordinates.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                       ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int),
                                       ctypes.POINTER(ctypes.c_ulong)]
xlib.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
xlib.XPending.argtypes = [ctypes.c_void_p]
xlib.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
xlib.XConnectionNumber.argtypes = [ctypes.c_void_p]
xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("class", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
                ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
                ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int),
                ("all_event_masks", ctypes.c_long), ("your_event_mask", ctypes.c_long),
                ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
                ("screen", ctypes.c_void_p)]


class XSetWindowAttributes(ctypes.Structure):
    _fields_ = [("background_pixmap", ctypes.c_ulong), ("background_pixel", ctypes.c_ulong),
                ("border_pixmap", ctypes.c_ulong), ("border_pixel", ctypes.c_ulong),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
                ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
                ("save_under", ctypes.c_int), ("event_mask", ctypes.c_long),
                ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("cursor", ctypes.c_ulong)]


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


xlib.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(XWindowAttributes)]
xlib.XChangeWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                         ctypes.POINTER(XSetWindowAttributes)]

MAGENTA = 0xFF00FF
IS_VIEWABLE = 2
Z_PIXMAP = 2
ALL_PLANES = 0xFFFFFFFF


class Display:
    def __init__(self):
        self.d = xlib.XOpenDisplay(None)
        if not self.d:
            sys.exit("cannot open display")
        self.root = xlib.XDefaultRootWindow(self.d)
        self.net_wm_name = xlib.XInternAtom(self.d, b"_NET_WM_NAME", 0)
        self.utf8 = xlib.XInternAtom(self.d, b"UTF8_STRING", 0)

    def title(self, window):
        actual_type, actual_format = ctypes.c_ulong(), ctypes.c_int()
        count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        if xlib.XGetWindowProperty(self.d, window, self.net_wm_name, 0, 1024, 0, self.utf8, ctypes.byref(actual_type),
                                   ctypes.byref(actual_format), ctypes.byref(count), ctypes.byref(after),
                                   ctypes.byref(data)) != 0 or not data.value:
            return ""
        text = ctypes.string_at(data.value, count.value).decode("utf-8", "replace")
        xlib.XFree(data)
        return text

    def shown(self):
        """The shown top-level windows with their titles and rectangles."""
        root_return, parent_return = ctypes.c_ulong(), ctypes.c_ulong()
        children, n = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        xlib.XQueryTree(self.d, self.root, ctypes.byref(root_return), ctypes.byref(parent_return),
                        ctypes.byref(children), ctypes.byref(n))
        out = []
        for i in range(n.value):
            window = children[i]
            attributes = XWindowAttributes()
            if not xlib.XGetWindowAttributes(self.d, window, ctypes.byref(attributes)):
                continue
            if attributes.map_state == IS_VIEWABLE:
                out.append((window, self.title(window), attributes.x, attributes.y, attributes.width,
                            attributes.height))
        if children:
            xlib.XFree(children)
        return out

    def find(self, exact=None, holding=None):
        for window, title, x, y, w, h in self.shown():
            if (exact is not None and title == exact) or (holding is not None and holding in title):
                return window, x, y, w, h
        return None

    def raw(self, x, y, w, h):
        """The screen's bytes in a rectangle, 4 a pixel, and a row's length."""
        image = ctypes.cast(xlib.XGetImage(self.d, self.root, x, y, w, h, ALL_PLANES, Z_PIXMAP),
                            ctypes.POINTER(XImage)).contents
        return ctypes.string_at(image.data, image.bytes_per_line * h), image.bytes_per_line

    def pixels(self, x, y, w, h):
        """The screen's pixels as rows of 0xRRGGBB values."""
        raw, bytes_per_line = self.raw(x, y, w, h)
        image = XImage(bytes_per_line=bytes_per_line)
        rows = []
        for row in range(h):
            line = raw[row * image.bytes_per_line:row * image.bytes_per_line + 4 * w]
            rows.append([struct.unpack_from("<I", line, 4 * i)[0] & 0xFFFFFF for i in range(w)])
        return rows

    def save_png(self, path):
        attributes = XWindowAttributes()
        xlib.XGetWindowAttributes(self.d, self.root, ctypes.byref(attributes))
        rows = self.pixels(0, 0, attributes.width, attributes.height)
        body = b"".join(b"\0" + b"".join(struct.pack(">I", p)[1:] for p in row) for row in rows)

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

        header = struct.pack(">IIBBBBB", attributes.width, attributes.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(body, 6)) +
                      chunk(b"IEND", b""))

    def click(self, x, y):
        xtst.XTestFakeMotionEvent(self.d, -1, x, y, 0)
        xtst.XTestFakeButtonEvent(self.d, 1, 1, 0)
        xtst.XTestFakeButtonEvent(self.d, 1, 0, 0)
        xlib.XFlush(self.d)


def wait_title(display, holding, timeout):
    start = time.monotonic()
    while time.monotonic() - start < timeout:
        found = display.find(holding=holding)
        if found:
            print(found[0], "%.3f" % (time.monotonic() - start))
            return 0
        time.sleep(0.002)
    return 1


PROPERTY_CHANGE_MASK = 1 << 22
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
CREATE_NOTIFY = 16
EVENT_WINDOW_OFFSET = 40  # XCreateWindowEvent.window on a 64-bit Xlib


def watch_titles(display):
    """Asks the display to tell of every window created and of every change
    to a shown window's properties, its title among them."""
    xlib.XSelectInput(display.d, display.root, SUBSTRUCTURE_NOTIFY_MASK)
    for window, *_ in display.shown():
        xlib.XSelectInput(display.d, window, PROPERTY_CHANGE_MASK)
    xlib.XSync(display.d, 0)


def sleep_until_events(display, deadline):
    """Asleep until the display has events, then takes them; False when the
    deadline passes first."""
    event = ctypes.create_string_buffer(192)
    while not xlib.XPending(display.d):
        left = deadline - time.monotonic()
        if left <= 0:
            return False
        select.select([xlib.XConnectionNumber(display.d)], [], [], left)
    while xlib.XPending(display.d):
        xlib.XNextEvent(display.d, event)
        # A title set after the window was created is a property change on
        # that window, which the root does not hear of.
        if struct.unpack_from("i", event, 0)[0] == CREATE_NOTIFY:
            window = struct.unpack_from("L", event, EVENT_WINDOW_OFFSET)[0]
            xlib.XSelectInput(display.d, window, PROPERTY_CHANGE_MASK)
    return True


def await_title(display, holding, timeout):
    """Like wait_title, but asleep between the display's events rather than
    asking it every few milliseconds: the program timed gets the processor
    to itself."""
    watch_titles(display)
    print("ready", flush=True)
    deadline = time.monotonic() + timeout
    while True:
        found = display.find(holding=holding)
        if found:
            print(found[0], flush=True)
            return 0
        if not sleep_until_events(display, deadline):
            return 1


def title_changes(display, holding, count, timeout):
    """Prints "ready", then the seconds since and the title each time the
    title of a shown window holding HOLDING changes (a viewer that names the
    picture it shows in its title), asleep between the display's events;
    ends after COUNT titles, when the window goes, or at the timeout."""
    watch_titles(display)
    start = time.monotonic()
    print("ready", flush=True)
    last = None
    seen = 0
    while seen < count:
        titles = [title for _, title, *_ in display.shown() if holding in title]
        if last is not None and not titles:
            return 0
        if titles and titles[0] != last:
            last = titles[0]
            seen += 1
            print("%.3f %s" % (time.monotonic() - start, last), flush=True)
        elif not sleep_until_events(display, start + timeout):
            return 1
    return 0


def wait_no_title(display, holding, timeout):
    start = time.monotonic()
    while time.monotonic() - start < timeout:
        if not display.find(holding=holding):
            return 0
        time.sleep(0.001)
    return 1


def repaints(display, title, probes):
    repainted = 0
    for _ in range(probes):
        found = display.find(exact=title)
        if not found:
            break
        _, x, y, w, h = found
        cover = xlib.XCreateSimpleWindow(display.d, display.root, x, y, w, h, 0, 0, MAGENTA)
        attributes = XSetWindowAttributes()
        attributes.override_redirect = 1
        xlib.XChangeWindowAttributes(display.d, cover, 1 << 9, ctypes.byref(attributes))  # CWOverrideRedirect
        xlib.XMapRaised(display.d, cover)
        xlib.XSync(display.d, 0)
        time.sleep(0.05)
        xlib.XUnmapWindow(display.d, cover)
        xlib.XDestroyWindow(display.d, cover)
        xlib.XSync(display.d, 0)
        time.sleep(0.15)
        if not display.find(exact=title):
            break
        left = sum(row.count(MAGENTA) for row in display.pixels(x, y, w, h))
        if left < w * h // 100:
            repainted += 1
        time.sleep(0.2)
    print("repainted=%d/%d" % (repainted, probes))
    return 0


def click_until(display, title, x, y, holding, png, timeout):
    found = display.find(exact=title)
    if not found:
        sys.exit("no shown window titled %r" % title)
    _, wx, wy, _, _ = found
    display.click(wx + x, wy + y)
    start = time.monotonic()
    while time.monotonic() - start < timeout:
        shown = display.find(holding=holding)
        # Shown means mapped and painted: a freshly mapped window is black
        # until the program paints it.
        if shown and painted(display, *shown[1:]):
            seconds = time.monotonic() - start
            display.save_png(png)
            print("seconds=%.3f" % seconds)
            return 0
        time.sleep(0.002)
    print("seconds=timeout")
    return 1


def painted(display, x, y, w, h):
    raw, _ = display.raw(x, y, w, h)
    return raw.count(0) < len(raw) // 2


def main():
    display = Display()
    command = sys.argv[1]
    if command == "wait-title":
        return wait_title(display, sys.argv[2], float(sys.argv[3]) if len(sys.argv) > 3 else 10)
    if command == "await-title":
        return await_title(display, sys.argv[2], float(sys.argv[3]) if len(sys.argv) > 3 else 10)
    if command == "title-changes":
        return title_changes(display, sys.argv[2], int(sys.argv[3]), float(sys.argv[4]) if len(sys.argv) > 4 else 120)
    if command == "wait-no-title":
        return wait_no_title(display, sys.argv[2], float(sys.argv[3]) if len(sys.argv) > 3 else 10)
    if command == "repaints":
        return repaints(display, sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 5)
    if command == "click-until":
        return click_until(display, sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5], sys.argv[6],
                           float(sys.argv[7]) if len(sys.argv) > 7 else 30)
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main())
