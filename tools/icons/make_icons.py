#!/usr/bin/env python3
"""Writes the program's SVG pictures into src/res/icons/ (and the busy animation's frames).

One style for all: flat, viewBox 0 0 16 16 (small) or 0 0 32 32 (large), outlines #37474f one unit
wide on half-pixel coordinates, fills from the palette below, status as a filled badge at the
bottom right with a one-unit white ring. Run it again after changing a picture here.
"""
import os
import subprocess
import sys

OUTLINE = "#37474f"
BODY = "#eceff1"
BLUE = "#1e88e5"
GREEN = "#43a047"
AMBER = "#fb8c00"
RED = "#e53935"
VIOLET = "#8e24aa"
FOLDER = "#fdd835"
FOLDER_EDGE = "#f9a825"
WHITE = "#ffffff"

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "res", "icons")


def svg(size, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
            f'viewBox="0 0 {size} {size}">\n{body}</svg>\n')


def write(path, size, body):
    full = os.path.join(ROOT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w") as f:
        f.write(svg(size, body))


def box(x, y, w, h, fill, stroke=OUTLINE, rx=0):
    r = f' rx="{rx}"' if rx else ""
    return f'<rect x="{x}" y="{y}" width="{w}" height="{h}"{r} fill="{fill}" stroke="{stroke}"/>\n'


def circle(cx, cy, r, fill, stroke="none", width=1):
    s = f' stroke="{stroke}" stroke-width="{width}"' if stroke != "none" else ""
    return f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="{fill}"{s}/>\n'


def path(d, fill="none", stroke=OUTLINE, width=1, extra=""):
    return (f'<path d="{d}" fill="{fill}" stroke="{stroke}" stroke-width="{width}"'
            f' stroke-linejoin="round"{extra}/>\n')


# --- status badges -------------------------------------------------------------------------------

def glyph(kind, cx, cy, s):
    """A white mark inside a badge of radius s*... drawn with strokes of width w."""
    w = 1.0 if s < 1.5 else 1.6
    if kind == "good":
        return path(f"M{cx - 2 * s} {cy} l{1.5 * s} {1.5 * s} l{2.5 * s} {-3 * s}", stroke=WHITE,
                    width=w, extra=' stroke-linecap="round"')
    if kind == "warning":
        return (path(f"M{cx} {cy - 2.2 * s} v{2.6 * s}", stroke=WHITE, width=w,
                     extra=' stroke-linecap="round"') +
                circle(cx, cy + 2.0 * s, 0.55 * w, WHITE))
    if kind == "error":
        d = 1.7 * s
        return path(f"M{cx - d} {cy - d} L{cx + d} {cy + d} M{cx + d} {cy - d} L{cx - d} {cy + d}",
                    stroke=WHITE, width=w, extra=' stroke-linecap="round"')
    if kind == "update":
        return path(f"M{cx} {cy + 2.2 * s} v{-4.2 * s} M{cx - 2 * s} {cy} l{2 * s} {-2.2 * s} "
                    f"l{2 * s} {2.2 * s}", stroke=WHITE, width=w,
                    extra=' stroke-linecap="round"')
    return ""


COLOURS = {"good": GREEN, "warning": AMBER, "error": RED, "update": VIOLET}


def badge(kind, size):
    if size == 32:
        cx, cy, r = 25, 25, 6.5
        return circle(cx, cy, r + 1, WHITE) + circle(cx, cy, r, COLOURS[kind]) + glyph(kind, cx, cy, 1.3)
    cx, cy, r = 12, 12, 3.5
    return circle(cx, cy, r + 1, WHITE) + circle(cx, cy, r, COLOURS[kind]) + glyph(kind, cx, cy, 0.75)


# --- the application ---------------------------------------------------------------------------

def app_large(status=None):
    # A device server under a compass star: the program finds servers and charts them.
    b = box(3.5, 13.5, 25, 13, BODY, rx=2.5)
    for x in (8.5, 12.5, 16.5, 20.5):
        b += box(x - 1, 20.5, 2, 2, BLUE, stroke="none")
    b += box(23.5, 17.5, 2, 1, GREEN, stroke="none")
    b += path("M16 1.5 L18 6 L22.5 8 L18 10 L16 14.5 L14 10 L9.5 8 L14 6 Z", fill=BLUE)
    b += circle(16, 8, 1.2, WHITE)
    if status:
        b += badge(status, 32)
    return b


def app_small(status=None):
    b = box(1.5, 7.5, 13, 6, BODY, rx=1)
    for x in (3.5, 5.5, 7.5, 9.5):
        b += box(x, 10.5, 1, 1, BLUE, stroke="none")
    b += path("M8 0.5 L9 3 L11.5 4 L9 5 L8 7.5 L7 5 L4.5 4 L7 3 Z", fill=BLUE)
    if status:
        b += badge(status, 16)
    return b


# --- tree images (16 pixels): groups in closed/open pairs 0..15, views from 16 -------------------

def folder_closed():
    return path("M1.5 3.5 h4.5 l1.5 1.5 h7 v8.5 h-13 Z", fill=FOLDER, stroke=FOLDER_EDGE)


def folder_open():
    return (path("M1.5 3.5 h4.5 l1.5 1.5 h5.5 v2 h-11.5 v6.5 Z", fill=FOLDER, stroke=FOLDER_EDGE) +
            path("M1.5 13.5 l2 -6.5 h12 l-2 6.5 Z", fill=FOLDER, stroke=FOLDER_EDGE))


def emblem(kind):
    """Small marks that tell folders apart, at the bottom right."""
    if kind is None:
        return ""
    if kind in COLOURS:
        return circle(12, 12, 3.5, WHITE) + circle(12, 12, 2.5, COLOURS[kind])
    if kind == "blue":
        return circle(12, 12, 3.5, WHITE) + circle(12, 12, 2.5, BLUE)
    if kind == "server":
        return (box(8.5, 10.5, 7, 4, WHITE, stroke=WHITE) + box(9.5, 10.5, 6, 4, BODY) +
                box(11, 12, 1, 1, BLUE, stroke="none") + box(13, 12, 1, 1, BLUE, stroke="none"))
    if kind == "globe":
        return (circle(12, 12, 3.5, WHITE) + circle(12, 12, 2.5, BLUE, OUTLINE) +
                path("M9.5 12 h5 M12 9.5 c-1.5 1.5 -1.5 3.5 0 5 M12 9.5 c1.5 1.5 1.5 3.5 0 5",
                     stroke=WHITE, width=0.8))
    return ""


GROUP_EMBLEMS = [None, "blue", "good", "warning", "error", "update", "server", "globe"]


def device(x=0, y=0, dots=BLUE):
    """The device server of the views: a rounded box with a row of port dots."""
    b = box(1.5 + x, 5.5 + y, 13, 6, BODY, rx=1)
    for dx in (3.5, 5.5, 7.5, 9.5):
        b += box(dx + x, 8 + y, 1, 1, dots, stroke="none")
    b += box(11.5 + x, 7.5 + y, 1.5, 1, GREEN, stroke="none")
    return b


def view_images():
    views = []
    views.append(device())  # 16 device servers
    # 17 print servers: a printer on a server
    views.append(box(1.5, 8.5, 13, 5, BODY, rx=1) + box(4.5, 2.5, 7, 6, WHITE) +
                 path("M6 4.5 h4 M6 6.5 h4", width=1) + box(3.5, 10.5, 2, 1, BLUE, stroke="none") +
                 box(11.5, 10, 1.5, 1, GREEN, stroke="none"))
    # 18 serial ports: a server with a serial connector
    views.append(device(y=2) + path("M3.5 0.5 h9 l-1.5 4 h-6 Z", fill=BLUE) +
                 "".join(circle(x, 2.2, 0.6, WHITE) for x in (6, 8, 10)) +
                 path("M8 4.5 v3", width=1))
    # 19 wireless servers
    views.append(device(y=2) +
                 path("M5 4 a4 4 0 0 1 6 0 M6.5 5.5 a2 2 0 0 1 3 0", stroke=BLUE, width=1,
                      extra=' stroke-linecap="round"'))
    # 20 filtered view: a server and a funnel
    views.append(device(y=-3) + path("M5.5 10.5 h8 l-3 3 v2 l-2 -1 v-1 Z", fill=AMBER))
    # 21 servers that are not configured yet
    views.append(device(y=-2) + badge("warning", 16))
    # 22 servers with faults
    views.append(device(y=-2) + badge("error", 16))
    # 23 servers to update
    views.append(device(y=-2) + badge("update", 16))
    return views


# --- buttons of the bars (16 pixels) -------------------------------------------------------------

def buttons():
    b = {}
    b["exit"] = (box(2.5, 1.5, 8, 13, BODY) + path("M10.5 1.5 l-4 2 v12 l4 -1", fill="#b0bec5") +
                 path("M8.5 8 h6 M12.5 6 l2 2 l-2 2", stroke=RED, width=1.5,
                      extra=' stroke-linecap="round"'))
    b["virtual-port"] = (path("M1.5 4.5 h13 l-2 7 h-9 Z", fill=BLUE) +
                         "".join(circle(x, 7, 0.8, WHITE) for x in (5, 8, 11)) +
                         "".join(circle(x, 9.5, 0.8, WHITE) for x in (6.5, 9.5)))
    b["connection-status"] = (path("M1.5 4.5 h9 l-1.5 6 h-6 Z", fill=BLUE) +
                              path("M6 10.5 v3", width=1) + badge("good", 16))
    b["search"] = (circle(6.5, 6.5, 4, "#bbdefb", OUTLINE) +
                   path("M9.5 9.5 l4.5 4.5", stroke=OUTLINE, width=2,
                        extra=' stroke-linecap="round"'))
    b["help"] = (circle(8, 8, 6.5, BLUE, OUTLINE) +
                 path("M6 6.2 a2 2 0 1 1 2.8 1.8 c-0.6 0.3 -0.8 0.7 -0.8 1.5", stroke=WHITE,
                      width=1.5, extra=' stroke-linecap="round"') + circle(8, 11.6, 0.9, WHITE))
    b["large-icons"] = "".join(box(x, y, 5, 5, BODY) for x in (1.5, 9.5) for y in (1.5, 9.5)) + \
        "".join(box(x + 1.5, y + 1.5, 2, 2, BLUE, stroke="none") for x in (1.5, 9.5) for y in (1.5, 9.5))
    b["small-icons"] = "".join(box(x, y, 3, 3, BLUE, stroke="none")
                               for x in (1, 6.5, 12) for y in (2, 6.5, 11))
    b["list"] = "".join(box(1, y, 2, 2, BLUE, stroke="none") + path(f"M5 {y + 1} h9.5")
                        for y in (2, 7, 12))
    b["details"] = (box(1.5, 1.5, 13, 13, WHITE) + box(2, 2, 12, 2.5, BODY, stroke="none") +
                    path("M1.5 4.5 h13 M6.5 1.5 v13") +
                    "".join(path(f"M2.5 {y} h3 M7.5 {y} h6", stroke="#90a4ae")
                            for y in (7, 9.5, 12)))
    b["stop"] = (path("M5.5 1.5 h5 l4 4 v5 l-4 4 h-5 l-4 -4 v-5 Z", fill=RED) +
                 box(5, 7, 6, 2, WHITE, stroke="none"))
    b["refresh"] = (path("M13 8 a5 5 0 1 1 -1.5 -3.6", stroke=GREEN, width=2,
                         extra=' stroke-linecap="round"') +
                    path("M9 2.5 L14 1 L13.5 6 Z", fill=GREEN, stroke=GREEN))
    b["modify-view"] = (device(y=-3) +
                        path("M6.5 14.5 l1 -3 l6 -6 l2 2 l-6 6 Z", fill=AMBER))
    b["view-tree"] = (box(1.5, 1.5, 5, 3, FOLDER, stroke=FOLDER_EDGE) +
                      path("M4 4.5 v8 h3.5 M4 8.5 h3.5") +
                      box(7.5, 6.5, 7, 4, BODY) + box(7.5, 11, 7, 3.5, BODY))
    b["multi-configure"] = (box(3.5, 1.5, 11, 5, BODY, rx=1) + box(1.5, 5.5, 11, 5, BODY, rx=1) +
                            "".join(box(x, 7.5, 1, 1, BLUE, stroke="none") for x in (3.5, 5.5, 7.5)) +
                            badge("good", 16))
    return b


# --- the busy animation: twelve frames of a turning ring of dots, 20 x 20 -------------------------

def busy_frames():
    import math
    frames = []
    for step in range(12):
        body = ""
        for i in range(12):
            age = (step - i) % 12
            angle = 2 * math.pi * i / 12
            x = 10 + 7 * math.sin(angle)
            y = 10 - 7 * math.cos(angle)
            colour = BLUE if age == 0 else ("#64b5f6" if age == 1 else
                                            ("#bbdefb" if age == 2 else "#cfd8dc"))
            r = 1.8 if age == 0 else 1.5
            body += circle(round(x, 2), round(y, 2), r, colour)
        frames.append(svg(20, body))
    return frames


def main():
    write("app/portolan.svg", 32, app_large())
    write("app/portolan-16.svg", 16, app_small())
    for status in ("good", "warning", "error"):
        write(f"app/portolan-{status}.svg", 32, app_large(status))
        write(f"app/portolan-{status}-16.svg", 16, app_small(status))
    for n, kind in enumerate(GROUP_EMBLEMS):
        write(f"tree/{2 * n:02d}.svg", 16, folder_closed() + emblem(kind))
        write(f"tree/{2 * n + 1:02d}.svg", 16, folder_open() + emblem(kind))
    for n, body in enumerate(view_images()):
        write(f"tree/{16 + n:02d}.svg", 16, body)
    for name, body in buttons().items():
        write(f"bar/{name}.svg", 16, body)
    if "--busy" in sys.argv:
        # The animation is a GIF that QMovie plays; ImageMagick makes it from the frames.
        tmp = os.path.join(ROOT, "..", "busy-frames")
        os.makedirs(tmp, exist_ok=True)
        names = []
        for n, frame in enumerate(busy_frames()):
            name = os.path.join(tmp, f"{n:02d}.svg")
            with open(name, "w") as f:
                f.write(frame)
            png = name[:-4] + ".png"
            subprocess.run(["rsvg-convert", "-w", "20", "-h", "20", "-o", png, name], check=True)
            names.append(png)
        subprocess.run(["convert", "-delay", "8", "-loop", "0", "-dispose", "background",
                        *names, os.path.join(ROOT, "busy.gif")], check=True)
        for n in names:
            os.remove(n)
            os.remove(n[:-4] + ".svg")
        os.rmdir(tmp)


if __name__ == "__main__":
    main()
