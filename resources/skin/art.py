# The pictures of the "GrayPlastic (internal)" skin, as drawing code.
#
# How the skin is described (all in this folder; tools/skin.py turns it into the program's files):
#   sections.ini  the general data: one block per skin section, colours, gradients, bevels
#   masks.txt     the masks: section, property, which picture below, how many states, mask type
#   art.py        this file: every picture, drawn state by state into RGBA images
#
# A picture function takes the state number and returns an Img. Alpha is coverage: 0 is the
# key colour $FF00FF (not part of the image), 1 is opaque, anything between goes into the alpha
# mask below the image (mask grey = 255 x (1 - alpha)). Silhouettes that a window region is cut
# from (window and button corners) are drawn without anti-aliasing, so the cut is exact; small
# glyphs are anti-aliased by 4 x 4 supersampling.
#
# Colours are (red, green, blue) tuples. The palette below keeps the skin consistent.
import math

FACE = (240, 240, 240)
OUTLINE = (138, 138, 138)
OUTLINE_DARK = (96, 96, 96)
BLUE = (58, 123, 213)  # hot rims
BLUE_LIGHT = (168, 204, 246)
PRESSED_RIM = (84, 96, 112)
INK = (40, 40, 40)  # symbols and check marks
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
SS = 4


class Img:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.p = [[[0.0, 0.0, 0.0, 0.0] for _ in range(w)] for _ in range(h)]
        self.cut = set()  # pixels outside the silhouette: the key colour, cut from window regions

    def cut_outside(self, inside):
        """Marks every pixel whose centre lies outside the shape as cut."""
        for y in range(self.h):
            for x in range(self.w):
                if not inside(x + 0.5, y + 0.5):
                    self.cut.add((x, y))

    def over(self, x, y, rgb, a):
        """Composites rgb with alpha a over the pixel (x, y)."""
        if a <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        d = self.p[y][x]
        out = a + d[3] * (1 - a)
        for c in range(3):
            d[c] = (rgb[c] * a + d[c] * d[3] * (1 - a)) / out
        d[3] = out

    def clear(self, x, y):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.p[y][x] = [0.0, 0.0, 0.0, 0.0]

    def rect(self, x0, y0, x1, y1, rgb, a=1.0):
        """Fills columns x0..x1-1 and rows y0..y1-1."""
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.over(x, y, rgb, a)

    def shape(self, inside, rgb, a=1.0, aa=True, colour_at=None):
        """Paints the points for which inside(px, py) holds; colour_at(y) may vary the colour."""
        n = SS if aa else 1
        for y in range(self.h):
            for x in range(self.w):
                hits = sum(inside(x + (i + 0.5) / n, y + (j + 0.5) / n) for j in range(n) for i in range(n))
                if hits:
                    self.over(x, y, colour_at(y) if colour_at else rgb, a * hits / (n * n))

    def pixels(self, rows, colours, dx=0, dy=0):
        """Pixel text: one string per row, a character per pixel, '.' is left alone."""
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch in colours:
                    rgb, a = colours[ch]
                    self.over(i + dx, j + dy, rgb, a)

    def rotated(self, quarter_turns):
        """The picture turned clockwise by 90 degrees times quarter_turns."""
        out = self
        for _ in range(quarter_turns % 4):
            r = Img(out.h, out.w)
            for y in range(out.h):
                for x in range(out.w):
                    r.p[x][out.h - 1 - y] = list(out.p[y][x])
            r.cut = {(out.h - 1 - y, x) for x, y in out.cut}
            out = r
        return out


def mix(c1, c2, t):
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


def rounded(x0, y0, x1, y1, r):
    """Point test of a rectangle with corners rounded by r (edges x0..x1, y0..y1)."""
    def inside(px, py):
        if not (x0 <= px <= x1 and y0 <= py <= y1):
            return False
        cx = min(max(px, x0 + r), x1 - r)
        cy = min(max(py, y0 + r), y1 - r)
        return (px - cx) ** 2 + (py - cy) ** 2 <= r * r
    return inside


def ring(x0, y0, x1, y1, r, width=1.0):
    outer, inner = rounded(x0, y0, x1, y1, r), rounded(x0 + width, y0 + width, x1 - width, y1 - width,
                                                         max(0.0, r - width))
    return lambda px, py: outer(px, py) and not inner(px, py)


def vgrad(top, bottom, y0, y1):
    return lambda y: mix(top, bottom, min(1.0, max(0.0, (y - y0) / max(1, y1 - y0))))


def plastic_body(img, inside, top, bottom, aa=False):
    """The glossy face: an upper half that fades a little, a lower half a step darker."""
    h = img.h
    def colour(y):
        t = y / max(1, h - 1)
        if t < 0.5:
            return mix(top, mix(top, bottom, 0.45), t * 2)
        return mix(mix(top, bottom, 0.6), bottom, (t - 0.5) * 2)
    img.shape(inside, None, aa=aa, colour_at=colour)


# ---- window frame ------------------------------------------------------------------------------

def form_border(state):
    """The window's frame, 24 x 24 with cells of 8: a dark outline, a white inner line, rounded
    corners (radius 6) cut by the key colour; the inside is left transparent."""
    img = Img(24, 24)
    img.shape(ring(0, 0, 24, 24, 6), OUTLINE_DARK, aa=False)
    img.shape(ring(1, 1, 23, 23, 5), WHITE, 0.85, aa=False)
    img.shape(ring(2, 2, 22, 22, 4), FACE, 1.0, aa=False)
    img.cut_outside(rounded(0, 0, 24, 24, 6))
    return img


def form_title_border(state):
    """The caption band's frame (state 0 inactive, 1 active): rounded top corners, the outline
    on top and sides, a separator line along the bottom."""
    img = Img(24, 24)
    dark = OUTLINE_DARK if state else (150, 150, 150)
    tall = rounded(0, 0, 24, 40, 6)
    img.shape(lambda x, y: tall(x, y) and not rounded(1, 1, 23, 40, 5)(x, y), dark, aa=False)
    img.shape(lambda x, y: rounded(1, 1, 23, 40, 5)(x, y) and not rounded(2, 2, 22, 40, 4)(x, y),
              WHITE, 0.9, aa=False)
    img.rect(1, 23, 23, 24, (160, 160, 160) if state else (190, 190, 190))
    img.cut_outside(tall)
    return img


def title_bar(state):
    """Behind the title buttons: a groove a few pixels left of them, otherwise transparent. The
    strip spans the caption band from the window's top edge to the line under the caption, and
    its left cells are two frame cells wider than the buttons: cells of 6 put the groove clear of
    the minimise button, and only the left edge cell (tiled down the band) carries it, so it stops
    short of the outline above and of the line below."""
    img = Img(18, 9)
    img.rect(1, 3, 2, 6, BLACK, 0.16 if state else 0.08)
    img.rect(2, 3, 3, 6, WHITE, 0.8)
    return img


def title_button(symbol):
    """Title buttons, 17 x 17: normal, hot (lighter, blue rim; red for close), pressed."""
    def draw(state):
        img = Img(17, 17)
        body = rounded(0, 0, 17, 17, 3)
        if state == 0:
            plastic_body(img, body, (252, 252, 252), (214, 214, 214), aa=True)
            img.shape(ring(0, 0, 17, 17, 3), (128, 128, 128), aa=True)
            ink = INK
        elif state == 1:
            if symbol == "close":
                plastic_body(img, body, (240, 120, 110), (196, 48, 40), aa=True)
                img.shape(ring(0, 0, 17, 17, 3), (150, 30, 24), aa=True)
                ink = WHITE
            else:
                plastic_body(img, body, (255, 255, 255), (222, 234, 248), aa=True)
                img.shape(ring(0, 0, 17, 17, 3), BLUE, aa=True)
                ink = (20, 60, 130)
        else:
            if symbol == "close":
                plastic_body(img, body, (176, 44, 36), (210, 80, 70), aa=True)
                ink = WHITE
            else:
                plastic_body(img, body, (186, 190, 196), (212, 214, 218), aa=True)
                ink = BLACK
            img.shape(ring(0, 0, 17, 17, 3), PRESSED_RIM, aa=True)
            img.rect(2, 1, 15, 2, BLACK, 0.12)
        if state != 2:
            img.shape(lambda x, y: rounded(1, 1, 16, 16, 2)(x, y) and not rounded(1, 2, 16, 16, 2)(x, y),
                      WHITE, 0.8, aa=True)
        d = 1 if state == 2 else 0
        if symbol == "close":
            img.pixels(["##.....##",
                        "###...###",
                        ".###.###.",
                        "..#####..",
                        "...###...",
                        "..#####..",
                        ".###.###.",
                        "###...###",
                        "##.....##"], {"#": (ink, 1.0)}, 4 + d, 4 + d)
        elif symbol == "max":
            img.rect(4 + d, 4 + d, 13 + d, 6 + d, ink)
            img.rect(4 + d, 6 + d, 5 + d, 13 + d, ink)
            img.rect(12 + d, 6 + d, 13 + d, 13 + d, ink)
            img.rect(4 + d, 12 + d, 13 + d, 13 + d, ink)
        elif symbol == "norm":
            img.rect(6 + d, 3 + d, 14 + d, 5 + d, ink)
            img.rect(13 + d, 5 + d, 14 + d, 10 + d, ink)
            img.rect(11 + d, 9 + d, 13 + d, 10 + d, ink)
            img.rect(6 + d, 5 + d, 7 + d, 6 + d, ink)
            img.rect(3 + d, 6 + d, 11 + d, 8 + d, ink)
            img.rect(3 + d, 8 + d, 4 + d, 14 + d, ink)
            img.rect(10 + d, 8 + d, 11 + d, 14 + d, ink)
            img.rect(3 + d, 13 + d, 11 + d, 14 + d, ink)
        elif symbol == "min":
            img.rect(5 + d, 11 + d, 12 + d, 13 + d, ink)
        elif symbol == "help":
            img.pixels(["..###..",
                        ".##.##.",
                        ".....##",
                        "....##.",
                        "...##..",
                        "...##..",
                        ".......",
                        "...##.."], {"#": (ink, 1.0)}, 5 + d, 4 + d)
        return img
    return draw


def grip(state):
    """The window's size grip: six raised dots along the diagonal."""
    img = Img(12, 12)
    for gx, gy in ((9, 3), (6, 6), (9, 6), (3, 9), (6, 9), (9, 9)):
        img.rect(gx + 1, gy + 1, gx + 3, gy + 3, WHITE)
        img.rect(gx, gy, gx + 2, gy + 2, (130, 130, 130))
    return img


# ---- buttons and frames of controls ---------------------------------------------------------

def button_border(state):
    """Push buttons (and scroll buttons, sliders), 18 x 18 with cells of 6: normal, hot (blue
    rim, light glow), pressed (dark rim, inset shadow, the face darkened)."""
    img = Img(18, 18)
    if state == 2:
        img.rect(1, 1, 17, 17, BLACK, 0.14)
        img.rect(2, 2, 16, 3, BLACK, 0.16)
        img.rect(2, 3, 16, 4, BLACK, 0.06)
        img.rect(2, 3, 3, 16, BLACK, 0.06)
    elif state == 1:
        img.shape(ring(1, 1, 17, 17, 2), BLUE_LIGHT, 0.9, aa=False)
    else:
        img.rect(2, 1, 16, 2, WHITE, 0.95)
        img.rect(1, 2, 2, 16, WHITE, 0.55)
        img.rect(16, 2, 17, 16, WHITE, 0.35)
        img.rect(2, 16, 16, 17, BLACK, 0.07)
    rim = (OUTLINE, BLUE, PRESSED_RIM)[state]
    img.shape(ring(0, 0, 18, 18, 3), rim, aa=False)
    img.cut_outside(rounded(0, 0, 18, 18, 3))
    return img


def edit_border(state):
    """Edits, combo and list boxes: 9 x 9 with cells of 3 (their 3-pixel frame): a square
    1-pixel outline, blue while active and a deeper blue while pressed, a faint inner shadow."""
    img = Img(9, 9)
    rim = ((150, 150, 150), (86, 146, 222), BLUE)[state]
    img.rect(0, 0, 9, 9, rim)
    for y in range(1, 8):
        for x in range(1, 8):
            img.clear(x, y)
    img.rect(1, 1, 8, 2, BLACK, 0.07)
    img.rect(1, 2, 2, 8, BLACK, 0.04)
    return img


def combo_button(state):
    """The combo box's drop-down button, 17 x 15: normal, hot, dropped."""
    img = Img(17, 15)
    faces = (((250, 250, 250), (212, 212, 212)), ((255, 255, 255), (214, 228, 246)),
             ((190, 194, 200), (214, 216, 220)))
    plastic_body(img, lambda x, y: True, *faces[state])
    img.rect(0, 0, 1, 15, ((190, 190, 190), BLUE_LIGHT, (150, 160, 175))[state])
    img.rect(1, 0, 2, 15, WHITE, 0.0 if state == 2 else 0.8)
    d = 1 if state == 2 else 0
    ink = ((60, 60, 60), (20, 60, 130), BLACK)[state]
    img.pixels(["#######", ".#####.", "..###..", "...#..."], {"#": (ink, 1.0)}, 6 + d, 6 + d)
    return img


def panel_border(state):
    """Panels: a soft raised edge, light top-left and grey bottom-right, 9 x 9."""
    img = Img(9, 9)
    img.rect(0, 0, 9, 1, WHITE)
    img.rect(0, 0, 1, 9, WHITE)
    img.rect(0, 8, 9, 9, (176, 176, 176))
    img.rect(8, 0, 9, 9, (176, 176, 176))
    return img


def groupbox_border(state):
    """Group boxes: a rounded groove (grey line and white line), 18 x 18."""
    img = Img(18, 18)
    img.shape(ring(1, 1, 18, 18, 3), WHITE, aa=False)
    img.shape(ring(0, 0, 17, 17, 3), (172, 172, 172), aa=False)
    return img


def divider(state):
    """A vertical groove between tool buttons, 6 x 6."""
    img = Img(6, 6)
    img.rect(2, 0, 3, 6, (160, 160, 160))
    img.rect(3, 0, 4, 6, WHITE)
    return img


def menu_item(state):
    """The selected menu item: nothing in state 0, a blue rounded rim when hot or pressed."""
    img = Img(18, 18)
    if state == 0:
        return img
    img.shape(ring(0, 0, 18, 18, 3), (112, 160, 224) if state == 1 else BLUE, aa=False)
    img.rect(2, 1, 16, 2, WHITE, 0.7)
    img.cut_outside(rounded(0, 0, 18, 18, 3))
    return img


def col_header(state):
    """A list view's column header section: white top line, separator on the right, a grey line
    along the bottom; hot adds a blue bottom bar, pressed darkens and insets."""
    img = Img(18, 18)
    if state == 2:
        img.rect(0, 0, 18, 18, BLACK, 0.10)
        img.rect(0, 0, 18, 1, BLACK, 0.12)
    else:
        img.rect(0, 0, 18, 1, WHITE, 0.9)
    img.rect(16, 3, 17, 15, (188, 188, 188))
    img.rect(17, 3, 18, 15, WHITE)
    img.rect(0, 17, 18, 18, (160, 160, 160))
    if state == 1:
        img.rect(0, 15, 18, 17, BLUE, 0.85)
    return img


def page_border(state):
    """The page of a page or tab control, 9 x 9: a square outline in the tabs' colour with a
    white line inside along the top and left, so the page stands a little raised."""
    img = Img(9, 9)
    img.rect(0, 0, 9, 9, OUTLINE)
    img.rect(1, 1, 8, 8, WHITE, 0.85)
    for y in range(2, 8):
        for x in range(2, 8):
            img.clear(x, y)
    img.rect(7, 1, 8, 8, (226, 226, 226))
    img.rect(1, 7, 8, 8, (226, 226, 226))
    return img


def status_border(state):
    """The status bar, 9 x 9: a grey line and a white one along its top edge, nothing else."""
    img = Img(9, 9)
    img.rect(0, 0, 9, 1, (176, 176, 176))
    img.rect(0, 1, 9, 2, WHITE)
    return img


def splitter_grip(state):
    """The grip in the middle of a splitter, 5 x 15: three raised dots one above the other;
    hot and dragged in the hot rims' blue."""
    img = Img(5, 15)
    dark = ((130, 130, 130), BLUE, PRESSED_RIM)[state]
    for y in (2, 7, 12):
        img.rect(2, y, 4, y + 2, WHITE)
        img.rect(1, y - 1, 3, y + 1, dark)
    return img


def slider_thumb(state):
    """The thumb of a track bar, 11 x 18: a small plastic body that points down onto the
    channel; hot with a blue rim, pressed darker."""
    img = Img(11, 18)

    def body(inset):
        box = rounded(inset, inset, 11 - inset, 13, 2 - inset * 0.5)
        return lambda x, y: box(x, y) or (12 <= y <= 17 - inset and abs(x - 5.5) <= (17 - inset - y) + 0.5 - inset)

    faces = (((252, 252, 252), (214, 214, 214)), ((255, 255, 255), (214, 228, 246)),
             ((188, 192, 198), (214, 216, 220)))
    img.shape(body(0), (OUTLINE, BLUE, PRESSED_RIM)[state], aa=False)
    outer = img.p
    inner = Img(11, 18)
    plastic_body(inner, body(1), *faces[state])
    for y in range(18):
        for x in range(11):
            if inner.p[y][x][3] > 0:
                outer[y][x] = list(inner.p[y][x])
    if state != 2:
        img.rect(2, 1, 9, 2, WHITE, 0.8)
    return img


def slider_channel(state):
    """The channel a track bar's thumb runs in, 9 x 9: a sunken groove, dark above and left,
    white below and right, a light grey inside."""
    img = Img(9, 9)
    img.rect(0, 0, 9, 9, WHITE)
    img.rect(0, 0, 8, 8, (150, 150, 150))
    img.rect(1, 1, 8, 8, (232, 232, 232))
    return img


def progress(quarter_turns):
    """The frame of a progress bar's filled part, 9 x 9 (turned for the vertical bar): a darker
    blue outline with corners rounded by 2 and a light line inside along the top; the inside
    is left open for the section's blue gradient."""
    def draw(state):
        img = Img(9, 9)
        img.shape(ring(0, 0, 9, 9, 2), (44, 98, 178), aa=False)
        img.rect(2, 1, 7, 2, WHITE, 0.45)
        return img.rotated(quarter_turns)
    return draw


def hint_border(state):
    """A hint window's frame, 9 x 9: a grey outline with corners rounded by 2, cut by the key
    colour so the window's region follows them; the inside is left open."""
    img = Img(9, 9)
    img.shape(ring(0, 0, 9, 9, 2), (118, 118, 118), aa=False)
    img.cut_outside(rounded(0, 0, 9, 9, 2))
    return img


def selection(state):
    """The selected item of a list, 9 x 9: a blue rim with corners rounded by 2 and a faint
    light line inside it; the inside is left open for the section's colours."""
    img = Img(9, 9)
    img.shape(ring(0, 0, 9, 9, 2), (112, 160, 224), aa=False)
    img.shape(ring(1, 1, 8, 8, 1), WHITE, 0.5, aa=False)
    return img


def tab(state):
    """A tab on the top edge (turned for the other edges): normal, hot, selected. Rounded top,
    open bottom; an unselected tab keeps the line of the page's edge along its bottom."""
    img = Img(18, 18)
    rim = (OUTLINE, BLUE, OUTLINE)[state]
    img.shape(lambda x, y: ring(0, 0, 18, 24, 3)(x, y) and y < 18, OUTLINE, aa=False)
    img.shape(lambda x, y: ring(1, 1, 17, 24, 2)(x, y) and y < 18, WHITE, 0.85, aa=False)
    if state == 1:
        img.rect(2, 0, 16, 2, rim)
    if state == 2:
        img.rect(2, 1, 16, 2, (255, 200, 80))
        img.rect(1, 0, 17, 1, (230, 150, 40))
    else:
        img.rect(0, 17, 18, 18, OUTLINE)
        img.rect(1, 1, 17, 17, BLACK, 0.05)
    img.cut_outside(rounded(0, 0, 18, 24, 3))
    return img


def tab_turned(quarter_turns):
    return lambda state: tab(state).rotated(quarter_turns)


# ---- scroll bars -------------------------------------------------------------------------------

ARROW = ["...#...", "..###..", ".#####.", "#######"]


def arrow(quarter_turns):
    """Scroll arrows, 9 x 9: a solid triangle pointing up, turned for the other directions."""
    def draw(state):
        img = Img(9, 9)
        ink = ((70, 70, 70), (20, 70, 150), BLACK)[state]
        d = 1 if state == 2 else 0
        img.pixels(ARROW, {"#": (ink, 1.0)}, 1 + d, 2 + d)
        return img.rotated(quarter_turns)
    return draw


def slider_grip(vertical):
    """Three ridges across the slider, 9 x 9."""
    def draw(state):
        img = Img(9, 9)
        dark = ((136, 136, 136), (80, 120, 190), (96, 96, 96))[state]
        for i in (2, 4, 6):
            img.rect(1, i, 8, i + 1, dark)
            img.rect(2, i + 1, 8, i + 2, WHITE, 0.9)
        return img if vertical else img.rotated(1)
    return draw


def track(vertical):
    """The scroll track, 9 x 9: faint lines along its long sides; pressed darkens it."""
    def draw(state):
        img = Img(9, 9)
        line = (206, 206, 206)
        if vertical:
            img.rect(0, 0, 1, 9, line)
            img.rect(8, 0, 9, 9, line)
        else:
            img.rect(0, 0, 9, 1, line)
            img.rect(0, 8, 9, 9, line)
        if state == 2:
            img.rect(0, 0, 9, 9, BLACK, 0.12)
        return img
    return draw


def tile(hot):
    """A texture tile for the scroll parts' IMAGEFILE and HOTIMAGEFILE (used at ImagePercent > 0):
    fine light stripes."""
    def draw(state):
        img = Img(8, 8)
        base = (236, 236, 236) if not hot else (244, 246, 250)
        img.rect(0, 0, 8, 8, base)
        for y in range(0, 8, 2):
            img.rect(0, y, 8, y + 1, WHITE, 0.5)
        return img
    return draw


# ---- check boxes and radio buttons (13 x 13) --------------------------------------------------

CHECK = ["......#",
         ".....##",
         "#...##.",
         "##.##..",
         ".###...",
         "..#...."]


def box(mark):
    """Check boxes: normal, hot (blue rim, lighter), pressed (darker face)."""
    def draw(state):
        img = Img(13, 13)
        faces = (((255, 255, 255), (226, 226, 226)), ((255, 255, 255), (214, 230, 250)),
                 ((200, 204, 210), (232, 232, 232)))
        img.shape(lambda x, y: 1 <= x <= 12 and 1 <= y <= 12, None, aa=False,
                  colour_at=vgrad(faces[state][0], faces[state][1], 1, 11))
        rim = ((112, 112, 112), BLUE, PRESSED_RIM)[state]
        img.shape(ring(0, 0, 13, 13, 1.6), rim, aa=True)
        ink = INK if state != 1 else (16, 52, 120)
        if mark == "checked":
            img.pixels(CHECK, {"#": (ink, 1.0)}, 3, 3)
            img.pixels([".....#.", "....#..", "...#...", "#.#....", ".#....."], {"#": (ink, 0.35)}, 3, 4)
        elif mark == "grayed":
            img.rect(4, 4, 9, 9, (128, 128, 128))
            img.rect(4, 4, 9, 5, (160, 160, 160))
        return img
    return draw


def radio(mark):
    def draw(state):
        img = Img(13, 13)
        faces = (((255, 255, 255), (222, 222, 222)), ((255, 255, 255), (210, 228, 250)),
                 ((196, 200, 206), (232, 232, 232)))
        c = 6.5
        img.shape(lambda x, y: (x - c) ** 2 + (y - c) ** 2 <= 6.0 ** 2, None,
                  colour_at=vgrad(faces[state][0], faces[state][1], 1, 11))
        rim = ((112, 112, 112), BLUE, PRESSED_RIM)[state]
        img.shape(lambda x, y: 5.4 ** 2 <= (x - c) ** 2 + (y - c) ** 2 <= 6.45 ** 2, rim)
        if mark == "checked":
            ink = INK if state != 1 else (16, 52, 120)
            img.shape(lambda x, y: (x - c) ** 2 + (y - c) ** 2 <= 2.7 ** 2, ink)
            img.shape(lambda x, y: (x - c + 0.8) ** 2 + (y - c + 0.9) ** 2 <= 0.9 ** 2, WHITE, 0.5)
        elif mark == "grayed":
            img.shape(lambda x, y: (x - c) ** 2 + (y - c) ** 2 <= 2.7 ** 2, (136, 136, 136))
        return img
    return draw


# ---- every picture by the name masks.txt uses ----------------------------------------------------

PICTURES = {
    "form_border": form_border,
    "form_title_border": form_title_border,
    "title_bar": title_bar,
    "bicon_close": title_button("close"),
    "bicon_max": title_button("max"),
    "bicon_norm": title_button("norm"),
    "bicon_min": title_button("min"),
    "bicon_help": title_button("help"),
    "title_button": title_button("none"),
    "grip": grip,
    "button_border": button_border,
    "edit_border": edit_border,
    "combo_button": combo_button,
    "panel_border": panel_border,
    "groupbox_border": groupbox_border,
    "divider": divider,
    "menu_item": menu_item,
    "col_header": col_header,
    "page_border": page_border,
    "status_border": status_border,
    "splitter_grip": splitter_grip,
    "slider_thumb": slider_thumb,
    "slider_channel": slider_channel,
    "progress_h": progress(0),
    "progress_v": progress(3),
    "hint_border": hint_border,
    "selection": selection,
    "tab_top": tab,
    "tab_right": tab_turned(1),
    "tab_bottom": tab_turned(2),
    "tab_left": tab_turned(3),
    "arrow_up": arrow(0),
    "arrow_right": arrow(1),
    "arrow_down": arrow(2),
    "arrow_left": arrow(3),
    "grip_v": slider_grip(True),
    "grip_h": slider_grip(False),
    "track_v": track(True),
    "track_h": track(False),
    "tile": tile(False),
    "tile_hot": tile(True),
    "box_checked": box("checked"),
    "box_unchecked": box("unchecked"),
    "box_grayed": box("grayed"),
    "radio_checked": radio("checked"),
    "radio_unchecked": radio("unchecked"),
    "radio_grayed": radio("grayed"),
}


# ---- pictures the program stores apart from the skin ------------------------------------------

def stored_border(kind):
    """The six border bitmaps for buttons without a skin: 15 x 15 frames (cells of 5), states
    normal, hot, pressed; the inside transparent."""
    def draw(state):
        img = Img(15, 15)
        rim = ((120, 120, 120), BLUE, PRESSED_RIM)[state]
        if kind == "rounded":
            img.shape(ring(0, 0, 15, 15, 4), rim, aa=False)
            img.shape(ring(1, 1, 14, 14, 3), WHITE if state != 2 else BLACK, 0.7 if state != 2 else 0.12, aa=False)
            img.cut_outside(rounded(0, 0, 15, 15, 4))
        elif kind == "square":
            img.rect(0, 0, 15, 15, rim)
            img.rect(1, 1, 14, 14, WHITE if state != 2 else BLACK, 0.8 if state != 2 else 0.12)
        elif kind == "thin":
            img.rect(0, 0, 15, 15, rim)
        elif kind == "thick":
            img.rect(0, 0, 15, 15, rim)
            img.rect(1, 1, 14, 14, mix(rim, WHITE, 0.45))
            img.rect(2, 2, 13, 13, mix(rim, WHITE, 0.75))
        elif kind == "shadow":
            for d, a in ((3, 0.08), (2, 0.14)):
                img.shape(rounded(d, d, 15, 15, 3), BLACK, a, aa=False)
            img.shape(rounded(0, 0, 13, 13, 3), FACE, 1.0, aa=False)
            img.shape(ring(0, 0, 13, 13, 3), rim, aa=False)
            img.cut_outside(lambda x, y: rounded(0, 0, 13, 13, 3)(x, y) or rounded(2, 2, 15, 15, 3)(x, y))
        elif kind == "bevel":
            light, dark = (WHITE, (128, 128, 128)) if state != 2 else ((128, 128, 128), WHITE)
            img.rect(0, 0, 15, 15, rim)
            img.rect(1, 1, 14, 2, light)
            img.rect(1, 1, 2, 14, light)
            img.rect(1, 13, 14, 14, dark)
            img.rect(13, 1, 14, 14, dark)
            img.rect(2, 2, 13, 3, mix(light, FACE, 0.5))
            img.rect(2, 2, 3, 13, mix(light, FACE, 0.5))
            img.rect(2, 12, 13, 13, mix(dark, FACE, 0.5))
            img.rect(12, 2, 13, 13, mix(dark, FACE, 0.5))
        # The inside stays transparent: clear what the shapes filled.
        inset = {"rounded": 2, "square": 2, "thin": 1, "thick": 3, "shadow": 1, "bevel": 3}[kind]
        for y in range(inset, 15 - inset - (2 if kind == "shadow" else 0)):
            for x in range(inset, 15 - inset - (2 if kind == "shadow" else 0)):
                img.clear(x, y)
        return img
    return draw


def combo_glyph(symbol):
    """The combo box's built-in button pictures, 19 x 17 per state (normal, hot, pressed): a small
    button with a pictogram."""
    def draw(state):
        img = Img(19, 17)
        faces = (((252, 252, 252), (214, 214, 214)), ((255, 255, 255), (214, 228, 246)),
                 ((188, 192, 198), (214, 216, 220)))
        plastic_body(img, rounded(0, 0, 19, 17, 2), *faces[state])
        img.shape(ring(0, 0, 19, 17, 2), (OUTLINE, BLUE, PRESSED_RIM)[state], aa=False)
        d = 1 if state == 2 else 0
        ink = ((50, 50, 50), (20, 60, 130), BLACK)[state]
        x0, y0 = 5 + d, 4 + d
        if symbol == "file":  # a sheet with a folded corner
            img.rect(x0, y0, x0 + 7, y0 + 9, WHITE)
            img.pixels(["#####..", "#...##.", "#...#.#", "#...###", "#.....#", "#.###.#", "#.....#",
                        "#.###.#", "#######"], {"#": (ink, 1.0)}, x0, y0)
        elif symbol == "folder":
            img.rect(x0 + 1, y0 + 3, x0 + 9, y0 + 8, (246, 206, 96))
            img.pixels(["###......", "#..#####.", "#.......#", "#########", "#.......#", "#.......#",
                        "#.......#", "#########"], {"#": (ink, 1.0)}, x0 - 1, y0)
        elif symbol == "date":
            img.rect(x0, y0 + 2, x0 + 9, y0 + 4, (200, 60, 50))
            img.pixels([".#...#...", "#########", "#.......#", "#.......#", "#.#.#.#.#", "#.......#",
                        "#.#.#.#.#", "#.......#", "#########"], {"#": (ink, 1.0)}, x0 - 1, y0 - 1)
        elif symbol == "ellipsis":
            for k in range(3):
                img.rect(x0 - 1 + 3 * k, y0 + 6, x0 + 1 + 3 * k, y0 + 8, ink)
        elif symbol == "calc":
            img.rect(x0 + 1, y0 + 1, x0 + 6, y0 + 3, (200, 230, 200))
            img.pixels(["#######", "#.....#", "#.....#", "#######", "#.#.#.#", "#######", "#.#.#.#",
                        "#######", "#.#.#.#", "#######"], {"#": (ink, 1.0)}, x0, y0 - 1)
        return img
    return draw


STORED_BITMAPS = {
    "BORD1": stored_border("rounded"),
    "BORD2": stored_border("square"),
    "BORD3": stored_border("thin"),
    "BORD4": stored_border("thick"),
    "BORD5": stored_border("shadow"),
    "BORD6": stored_border("bevel"),
    "SF": combo_glyph("file"),
    "SR": combo_glyph("folder"),
    "SD": combo_glyph("date"),
    "SE": combo_glyph("ellipsis"),
    "SC": combo_glyph("calc"),
}


def pattern_rows():
    """The skin folder's JPEG pattern (32 x 32): a soft grey-blue weave for the MDI area."""
    rows = []
    for y in range(32):
        row = []
        for x in range(32):
            v = 185 + 8 * math.sin(x / 32 * 2 * math.pi * 2) * math.sin(y / 32 * 2 * math.pi * 2)
            row.append((int(v), int(v + 4), int(v + 10)))
        rows.append(row)
    return rows
