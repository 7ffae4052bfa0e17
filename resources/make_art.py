#!/usr/bin/env python3
"""Draws all of Wexfold's artwork and writes it to resources/images/.

Everything is procedural: signed-distance shapes with a half-pixel soft edge,
gradients and a tiny built-in 5x7 pixel font.  Only the standard library is
used and PNGs are written by hand (RGBA, 8 bit, filter 0), so two runs give
byte-identical files.
"""
import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "images")

# One palette for everything.
WINDOW = (236, 233, 216)    # window background
PANEL = (244, 243, 238)     # panels and dialogs
RED = (200, 50, 50)         # program red
DARK_RED = (120, 28, 28)
BLUE = (127, 173, 236)      # highlight blue #7fadec
DEEP = (44, 82, 150)        # shaded side of the globe
NAVY = (28, 44, 78)         # monitor screen, globe outline
INK = (70, 72, 80)          # dark metal
GRAY = (160, 156, 140)      # etched lines
GREEN = (72, 164, 86)       # "on" accent
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)

# 5x7 pixel font, only the letters the artwork needs.
FONT = {
    "W": ["1...1", "1...1", "1...1", "1.1.1", "1.1.1", "1.1.1", ".1.1."],
    "E": ["11111", "1....", "1....", "1111.", "1....", "1....", "11111"],
    "X": ["1...1", "1...1", ".1.1.", "..1..", ".1.1.", "1...1", "1...1"],
    "F": ["11111", "1....", "1....", "1111.", "1....", "1....", "1...."],
    "O": [".111.", "1...1", "1...1", "1...1", "1...1", "1...1", ".111."],
    "L": ["1....", "1....", "1....", "1....", "1....", "1....", "11111"],
    "D": ["1111.", "1...1", "1...1", "1...1", "1...1", "1...1", "1111."],
    "N": ["1...1", "11..1", "1.1.1", "1.1.1", "1..11", "1...1", "1...1"],
}


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    t = clamp(t)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


class Canvas:
    """RGBA image with straight alpha, stored as floats until it is saved."""

    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]
        if fill:
            paint(self, lambda x, y: 1.0, fill)

    def blend(self, x, y, color, alpha):
        """Source-over compositing of one pixel."""
        if alpha <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        p = self.px[y * self.w + x]
        a = min(alpha, 1.0)
        out = a + p[3] * (1 - a)
        for i in range(3):
            p[i] = (color[i] * a + p[i] * p[3] * (1 - a)) / out
        p[3] = out

    def wash(self, color, t, fade=1.0):
        """Pulls every colour towards `color` and scales alpha (dimming)."""
        for p in self.px:
            p[:3] = mix(p[:3], color, t)
            p[3] *= fade

    def save(self, name):
        raw = bytearray()
        for y in range(self.h):
            raw.append(0)  # filter type 0 (none) on every row
            for p in self.px[y * self.w:(y + 1) * self.w]:
                a = int(clamp(p[3]) * 255 + 0.5)
                rgb = [int(clamp(v, 0, 255) + 0.5) for v in p[:3]] if a else [0, 0, 0]
                raw.extend(rgb + [a])

        def chunk(tag, data):
            body = tag + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        png = (b"\x89PNG\r\n\x1a\n"
               + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
               + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
               + chunk(b"IEND", b""))
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(png)


# --- shapes: each returns a coverage function (x, y) -> 0..1 ---------------

def edge(d):
    """Coverage from a signed distance, with a one-pixel soft edge."""
    return clamp(0.5 - d)


def disc(cx, cy, r):
    return lambda x, y: edge(math.hypot(x - cx, y - cy) - r)


def ring(cx, cy, r, w):
    return lambda x, y: edge(abs(math.hypot(x - cx, y - cy) - r) - w / 2)


def rrect(x0, y0, x1, y1, r):
    """Rounded rectangle from (x0, y0) to (x1, y1) with corner radius r."""
    cx, cy, hw, hh = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def f(x, y):
        qx, qy = abs(x - cx) - hw, abs(y - cy) - hh
        out = math.hypot(max(qx, 0), max(qy, 0))
        return edge(out + min(max(qx, qy), 0) - r)
    return f


def frame(x0, y0, x1, y1, r, w):
    """Outline of a rounded rectangle, w pixels wide, drawn inside its edge."""
    outer, inner = rrect(x0, y0, x1, y1, r), rrect(x0 + w, y0 + w, x1 - w, y1 - w, max(r - w, 0))
    return lambda x, y: clamp(outer(x, y) - inner(x, y))


def line(points, w):
    """Polyline through points, w pixels wide, round joins."""
    segs = list(zip(points, points[1:]))

    def f(x, y):
        best = 1e9
        for (ax, ay), (bx, by) in segs:
            dx, dy = bx - ax, by - ay
            t = clamp(((x - ax) * dx + (y - ay) * dy) / ((dx * dx + dy * dy) or 1))
            best = min(best, math.hypot(x - ax - t * dx, y - ay - t * dy))
        return edge(best - w / 2)
    return f


def ellipse_ring(cx, cy, a, b, w):
    def f(x, y):
        nx, ny = (x - cx) / a, (y - cy) / b
        k = math.hypot(nx, ny)
        if k == 0:
            return 0.0
        grad = math.hypot(nx / a, ny / b) / k
        return edge(abs(k - 1) / grad - w / 2)
    return f


def clip(shape, mask):
    return lambda x, y: shape(x, y) * mask(x, y)


def paint(c, shape, color, alpha=1.0, box=None):
    """Fills `shape` with a colour or a colour function (x, y) -> rgb."""
    x0, y0, x1, y1 = box or (0, 0, c.w, c.h)
    for y in range(max(int(y0), 0), min(int(math.ceil(y1)), c.h)):
        for x in range(max(int(x0), 0), min(int(math.ceil(x1)), c.w)):
            cov = shape(x + 0.5, y + 0.5)
            if cov > 0:
                col = color(x + 0.5, y + 0.5) if callable(color) else color
                c.blend(x, y, col, cov * alpha)


def vgrad(y0, y1, top, bottom):
    return lambda x, y: mix(top, bottom, (y - y0) / max(y1 - y0, 1))


def hgrad(x0, x1, left, right):
    return lambda x, y: mix(left, right, (x - x0) / max(x1 - x0, 1))


def text(c, x, y, s, color, scale=1, shadow=None):
    """Draws s with the pixel font; each font pixel becomes scale x scale."""
    for layer, dx, col in ((shadow, max(scale // 2, 1), shadow), (True, 0, color)):
        if not layer:
            continue
        for n, ch in enumerate(s):
            for row, bits in enumerate(FONT[ch]):
                for k, bit in enumerate(bits):
                    if bit == "1":
                        px, py = x + (n * 6 + k) * scale + dx, y + row * scale + dx
                        for j in range(scale * scale):
                            c.blend(px + j % scale, py + j // scale, col, 1.0)


def text_width(s, scale):
    return len(s) * 6 * scale - scale


# --- motifs -----------------------------------------------------------------

def globe(c, cx, cy, r, grid=True, alpha=1.0):
    """The program's globe: lit from the top left, with a light grid."""
    box = (cx - r - 2, cy - r - 2, cx + r + 2, cy + r + 2)
    body = disc(cx, cy, r)
    lit = lambda x, y: mix(BLUE, DEEP, math.hypot(x - cx + r * .4, y - cy + r * .45) / (r * 1.6))
    paint(c, body, lit, alpha, box)
    if grid and r >= 6:
        w = max(0.8, r / 14)
        half = r * math.sqrt(0.75)
        for shape in (ellipse_ring(cx, cy, r * .45, r, w), line([(cx, cy - r), (cx, cy + r)], w),
                      line([(cx - r, cy), (cx + r, cy)], w),
                      line([(cx - half, cy - r / 2), (cx + half, cy - r / 2)], w),
                      line([(cx - half, cy + r / 2), (cx + half, cy + r / 2)], w)):
            paint(c, clip(shape, body), WHITE, 0.4 * alpha, box)
    paint(c, ring(cx, cy, r, max(1.0, r / 10)), NAVY, 0.9 * alpha, box)


def radar(c, cx, cy, r, angle, blip_angle=-30):
    """A sweep line at `angle` degrees (clockwise from +x) with a fading trail,
    and a red blip that glows brightest just after the sweep passed it."""
    a = math.radians(angle)
    trail = math.radians(110)

    def wake(x, y):
        behind = (a - math.atan2(y - cy, x - cx)) % (2 * math.pi)
        return 0.0 if behind > trail else (1 - behind / trail) ** 1.6 * edge(math.hypot(x - cx, y - cy) - r)
    box = (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1)
    paint(c, wake, (230, 250, 255), 0.65, box)
    tip = (cx + math.cos(a) * r, cy + math.sin(a) * r)
    paint(c, line([(cx, cy), tip], max(1.1, r / 9)), WHITE, 0.95, box)
    b = math.radians(blip_angle)
    bx, by = cx + math.cos(b) * r * .55, cy + math.sin(b) * r * .55
    glow = 1 - ((a - b) % (2 * math.pi)) / (2 * math.pi)
    paint(c, disc(bx, by, r * .3), RED, 0.5 * glow ** 2, box)
    paint(c, disc(bx, by, max(1.4, r * .14)), RED, 1.0, box)
    paint(c, disc(cx, cy, max(0.9, r / 12)), WHITE, 1.0, box)


def pulse(x0, x1, y, amp, step):
    """Points of a heartbeat trace with a spike every `step` pixels."""
    pts, x = [(x0, y)], x0 + step / 2
    while x + step / 4 < x1:
        pts += [(x - 4, y), (x - 2, y - amp), (x + 1, y + amp * .6), (x + 3, y)]
        x += step
    return pts + [(x1, y)]


def monitor(c, ox, oy, s, grid=True):
    """The program icon: a monitor whose screen shows the globe and a pulse."""
    at = lambda fx, fy: (ox + fx * s, oy + fy * s)
    x0, y0 = at(.05, .06)
    x1, y1 = at(.95, .74)
    rim = max(1.0, s * .07)
    paint(c, rrect(x0 + s * .4, y1 - 1, x1 - s * .4, y1 + s * .14, 0), vgrad(y1, y1 + s * .14, INK, GRAY))
    bx0, by0 = at(.22, .86)
    bx1, by1 = at(.78, .97)
    paint(c, rrect(bx0, by0, bx1, by1, s * .04), vgrad(by0, by1, (190, 186, 170), INK))
    paint(c, rrect(x0, y0, x1, y1, s * .09), vgrad(y0, y1, (112, 116, 128), (46, 48, 56)))
    sx0, sy0, sx1, sy1 = x0 + rim, y0 + rim, x1 - rim, y1 - rim
    screen = rrect(sx0, sy0, sx1, sy1, s * .03)
    paint(c, screen, vgrad(sy0, sy1, (40, 64, 112), NAVY))
    gy = (sy0 + sy1) / 2
    globe(c, ox + s / 2, gy, (sy1 - sy0) * .4, grid)
    if s >= 24:
        trace = pulse(sx0 + 1, sx1 - 1, gy, (sy1 - sy0) * .3, (sx1 - sx0) * .5)
    else:
        trace = [(sx0, gy), (ox + s * .38, gy), (ox + s * .46, gy - s * .16),
                 (ox + s * .56, gy + s * .12), (ox + s * .62, gy), (sx1, gy)]
    paint(c, clip(line(trace, max(1.0, s / 26)), screen), RED)
    paint(c, clip(line([(sx0, sy0 + .6), (sx1, sy0 + .6)], 1), screen), WHITE, 0.2)


# --- pictures ---------------------------------------------------------------

def site_frames():
    """Five frames of a radar sweep over the globe; frame 1 (sweep straight up)
    doubles as the still picture of a stopped site."""
    frames = []
    for i in range(5):
        c = Canvas(32, 32)
        paint(c, ring(16, 16, 14.6, 1.4), INK, 0.75)
        globe(c, 16, 16, 12.5)
        radar(c, 16, 16, 12, -90 + (i - 1) * 72)
        frames.append(c)
    return frames


def alert():
    """Connection lost: the site's globe, a pulled-out plug with a red spark,
    and this computer's monitor, all in the top 28 rows above the texts."""
    c = Canvas(190, 136, PANEL)
    paint(c, lambda x, y: 1.0, vgrad(0, 27, (214, 222, 236), PANEL), box=(0, 0, 190, 28))
    paint(c, lambda x, y: 1.0, GRAY, 0.5, box=(4, 27, 186, 28))
    globe(c, 16, 14, 10)
    paint(c, line([(27, 14), (70, 14)], 2.4), INK)
    paint(c, rrect(68, 8, 81, 20, 2), vgrad(8, 20, (120, 124, 134), INK))
    for py in (11, 17):
        paint(c, line([(81, py), (88, py)], 1.8), (190, 186, 170))
    paint(c, line([(94, 4), (97, 11), (93, 15), (98, 23)], 1.6), RED)
    paint(c, line([(90, 9), (91.5, 12)], 1.2), RED)
    paint(c, line([(101, 16), (99.5, 19)], 1.2), RED)
    paint(c, rrect(103, 8, 116, 20, 2), vgrad(8, 20, (120, 124, 134), INK))
    for py in (11, 17):
        paint(c, disc(106, py, 1.3), BLACK, 0.8)
    paint(c, line([(116, 14), (150, 14), (156, 19)], 2.4), INK)
    monitor(c, 157, 1, 27)
    paint(c, frame(0, 0, 190, 136, 3, 1), (128, 124, 108))
    paint(c, frame(1, 1, 189, 135, 2, 1), WHITE, 0.8)
    return c


def app_icon(s):
    c = Canvas(s, s)
    monitor(c, 0, 0, s, grid=s >= 32)
    return c


def title_tile():
    c = Canvas(6, 21)
    paint(c, lambda x, y: 1.0, vgrad(1, 19, (170, 182, 204), (228, 232, 240)))
    paint(c, lambda x, y: 1.0, (206, 214, 228), box=(0, 0, 6, 1))
    paint(c, lambda x, y: 1.0, (132, 140, 158), box=(0, 20, 6, 21))
    return c


def body_tile():
    """Plain window gray with a faint diagonal grain."""
    c = Canvas(4, 4, WINDOW)
    for x, y in ((0, 0), (2, 2)):
        c.blend(x, y, (222, 218, 198), 0.6)
    for x, y in ((1, 3), (3, 1)):
        c.blend(x, y, WHITE, 0.25)
    return c


def bottom_tile():
    c = Canvas(6, 13)
    paint(c, lambda x, y: 1.0, vgrad(2, 12, (242, 240, 230), (222, 218, 198)))
    paint(c, lambda x, y: 1.0, (190, 186, 168), box=(0, 0, 6, 1))
    paint(c, lambda x, y: 1.0, (252, 251, 247), box=(0, 1, 6, 2))
    return c


def banner():
    c = Canvas(390, 26)
    paint(c, lambda x, y: 1.0, vgrad(0, 26, (250, 249, 245), WINDOW))
    paint(c, lambda x, y: 1.0, (200, 196, 178), box=(0, 0, 390, 1))
    globe(c, 14, 13, 10)
    radar(c, 14, 13, 9.5, -40, blip_angle=40)
    text(c, 32, 6, "WEXFOLD", RED, 2, shadow=(230, 190, 180))
    paint(c, line(pulse(124, 376, 13, 6, 63), 1.3), BLUE)
    paint(c, line([(124, 20), (376, 20)], 1), GRAY, 0.5)
    paint(c, disc(381, 13, 2.6), RED)
    paint(c, ring(381, 13, 5, 1), RED, 0.4)
    return c


def about_strip():
    """Blue strip: the globe at the top, signal rings spreading down and the
    program name spelled vertically in the upper part; a red edge on the right."""
    c = Canvas(47, 260)
    paint(c, lambda x, y: 1.0, vgrad(0, 260, (46, 84, 150), BLUE))
    for r in range(26, 250, 10):
        paint(c, ring(23, 26, r, 1.2), WHITE, 0.3 * (1 - r / 260))
    paint(c, disc(23, 26, 19), NAVY, 0.3)
    globe(c, 23, 26, 17)
    radar(c, 23, 26, 16, -60)
    # The About box shows the strip's top 205 pixels, so the name ends above them.
    for n, ch in enumerate("WEXFOLD"):
        text(c, 18, 70 + n * 17, ch, WHITE, 2, shadow=(40, 70, 126))
    paint(c, lambda x, y: 1.0, RED, box=(44, 0, 47, 260))
    paint(c, lambda x, y: 1.0, WHITE, 0.35, box=(43, 0, 44, 260))
    return c


def about_banner():
    c = Canvas(299, 54)
    paint(c, lambda x, y: 1.0, hgrad(0, 299, PANEL, (222, 230, 244)))
    globe(c, 28, 26, 21)
    radar(c, 28, 26, 20, -50)
    text(c, 64, 8, "WEXFOLD", RED, 4, shadow=DARK_RED)
    paint(c, line(pulse(64, 292, 45, 4, 76), 1.2), BLUE)
    paint(c, lambda x, y: 1.0, BLUE, box=(0, 51, 299, 53))
    paint(c, lambda x, y: 1.0, RED, box=(0, 53, 299, 54))
    return c


def settings_strip():
    c = Canvas(459, 12)
    paint(c, lambda x, y: 1.0, vgrad(0, 12, PANEL, WINDOW))
    paint(c, lambda x, y: 1.0, (200, 196, 178), box=(0, 0, 459, 1))
    paint(c, lambda x, y: 1.0, WHITE, box=(0, 1, 459, 2))
    fade = lambda x, y: 1.0 - x / 459
    paint(c, lambda x, y: fade(x, y) * (4.5 < y < 7.5), BLUE, box=(18, 0, 459, 12))
    for i in range(3):
        paint(c, disc(5 + i * 5, 6, 1.6), RED)
    return c


def add_background():
    """Light, calm dialog background with a faint globe in the lower right."""
    c = Canvas(423, 260)
    paint(c, lambda x, y: 1.0, vgrad(0, 260, (250, 249, 246), (236, 234, 222)))
    for r in range(100, 200, 14):
        paint(c, ring(392, 232, r, 1.5), BLUE, 0.10 * (1 - (r - 100) / 110), box=(180, 20, 423, 260))
    globe(c, 392, 232, 88, alpha=0.16)
    return c


def switch(on, state="normal"):
    """Auto-update switch: a pill track with a knob, room left for the word.
    state is normal, pressed, hover or inactive."""
    c = Canvas(120, 81)
    down = 1 if state == "pressed" else 0
    paint(c, rrect(1, 1, 119, 80, 12), vgrad(1, 80, PANEL, WINDOW))
    paint(c, frame(1, 1, 119, 80, 12, 1), GRAY)
    paint(c, frame(2, 2, 118, 79, 11, 1), WHITE, 0.8)
    x0, y0, x1, y1 = 12, 17 + down, 108, 63 + down
    if state == "hover":
        paint(c, frame(x0 - 4, y0 - 4, x1 + 4, y1 + 4, 27, 3), BLUE)
    if on:
        top, bottom = ((52, 128, 64), (86, 170, 98)) if down else ((110, 196, 120), (58, 146, 72))
    else:
        top, bottom = (196, 193, 182), (160, 157, 144)
        if state == "hover":
            top, bottom = mix(top, BLUE, .35), mix(bottom, BLUE, .35)
    track = rrect(x0, y0, x1, y1, 23)
    paint(c, track, vgrad(y0, y1, top, bottom))
    paint(c, clip(frame(x0, y0, x1, y1, 23, 2), track), BLACK, 0.35 if down else 0.2)
    if down:  # pushed in: a shadow along the top inside edge
        paint(c, clip(rrect(x0, y0 - 10, x1, y0 + 5, 10), track), BLACK, 0.15)
    kx, ky = (x1 - 23 if on else x0 + 23), (y0 + y1) / 2
    paint(c, disc(kx, ky + 2, 19), BLACK, 0.2)
    paint(c, disc(kx, ky, 19), vgrad(ky - 19, ky + 19, WHITE, (214, 211, 198) if not down else (196, 193, 180)))
    paint(c, ring(kx, ky, 18.5, 1), BLUE if state == "hover" else INK, 0.8 if state == "hover" else 0.45)
    paint(c, ring(kx, ky, 7, 1.5), GREEN if on else GRAY, 0.8)
    # The word ON or OFF is drawn by the program over the free half of the track, in the
    # user's language.
    if state == "inactive":
        c.wash(PANEL, 0.55, 0.8)
    return c


def main():
    os.makedirs(OUT, exist_ok=True)
    pictures = {f"site-frame-{i}.png": f for i, f in enumerate(site_frames())}
    pictures.update({f"app-{s}.png": app_icon(s) for s in (16, 32, 48, 128)})
    pictures.update({
        "alert.png": alert(),
        "title-tile.png": title_tile(),
        "body-tile.png": body_tile(),
        "bottom-tile.png": bottom_tile(),
        "banner.png": banner(),
        "about-strip.png": about_strip(),
        "about-banner.png": about_banner(),
        "settings-strip.png": settings_strip(),
        "add-background.png": add_background(),
        "switch-on.png": switch(True),
        "switch-on-pressed.png": switch(True, "pressed"),
        "switch-off.png": switch(False),
        "switch-off-hover.png": switch(False, "hover"),
        "switch-off-inactive.png": switch(False, "inactive"),
    })
    for name, canvas in sorted(pictures.items()):
        canvas.save(name)
        print(f"{name:26} {canvas.w}x{canvas.h}")


if __name__ == "__main__":
    main()
