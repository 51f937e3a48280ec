#!/usr/bin/env python3
"""Draws the default skin "general" and the programs' own bitmaps and icons.

Run from anywhere: python3 skin/make_skin.py. It rewrites skin/general/ (skin.xml and its
bitmaps), the channel list's bitmaps in channellist/ui/res/, the control's toolbox bitmap and
about-box icon in channellist/control/res/ and the player's icon in player/shell/res/. The
output depends on nothing but this code, so rerunning it gives the same bytes.

Pieces that must fit together (frame, search field) are cut from one drawing of the whole
thing, so their edges always meet.
"""
import os
import sys

sys.dont_write_bytecode = True  # keep the source tree free of caches
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from raster import (Canvas, clamp, mix, radial, sd_circle, sd_polygon, sd_ring, sd_round_rect,  # noqa: E402
                    sd_segment, sd_subtract, sd_top_round_rect, sd_union, vertical, write_ico)

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SKIN_DIR = os.path.join(ROOT, 'skin', 'general')

# Theme colours, matched to the channel list (dark grey rows, blue highlight, white text).
BLUE = (24, 100, 188)
BLUE_LIGHT = (62, 146, 236)
WHITE = (255, 255, 255)
OUTLINE = (14, 14, 16)
CAPTION_TOP = (66, 68, 75)
CAPTION_BOTTOM = (42, 43, 48)
BORDER = (42, 43, 48)
BORDER_LIGHT = (68, 70, 77)
BORDER_INNER = (24, 24, 27)
CLIENT = (30, 30, 33)
GLYPH = (196, 198, 204)
CLOSE_RED = (200, 46, 36)
MAGENTA = (255, 0, 255)

# Frame geometry shared by the drawing and skin.xml.
BORDER_W = 5          # left, right and bottom border
CAPTION_H = 26        # "Top" height: caption band
CORNER = 5            # TopLeft / TopRight / BottomLeft / BottomRight are CORNER x CORNER
BUTTON_W, BUTTON_H, BUTTON_TOP = 26, 16, 5
BUTTON_LEFTS = {'Minimize': -84, 'Maximize': -58, 'Close': -32}
RIGHT_TOP_W = 88      # caption end with the resting buttons
MOCK_W, MOCK_H = 200, 60

NAVI_H = 30
NAVI_GAP = 2
NAVI_CAPTION = (14, 8)
TAB_CAP, TAB_MID = 6, 2

PLAYER_H = 40
PLAYER_ANCHORS = {  # name: (left, top, size)
    'backward': (10, 8, 24), 'play': (40, 3, 34), 'forward': (80, 8, 24),
    'stop': (112, 8, 24), 'volume': (150, 8, 24)}
LAMP_H = 12
TRACK_H = 14
HEADER_H = 20
SEARCH_H = 27


def canvas(w, h, colour=(0, 0, 0)):
    return Canvas(w, h, colour)


# ----------------------------------------------------------------------------- main frame

def draw_frame_mock():
    """A small window, drawn whole; the twelve frame pieces are cut from it."""
    w, h = MOCK_W, MOCK_H
    c = canvas(w, h, OUTLINE)
    outer = sd_round_rect(0, 0, w, h, 4.5)
    c.fill(outer, BORDER)
    # Caption band across the full width, with a lit top edge.
    c.fill(lambda x, y: max(outer(x, y), y - CAPTION_H),
           vertical([(0, CAPTION_TOP), (CAPTION_H, CAPTION_BOTTOM)]))
    c.fill(lambda x, y: max(outer(x, y) + 1, abs(y - 1.5) - 0.5), (108, 111, 120), 0.55)
    # Side and bottom borders: light line inside the outline, dark line next to the client.
    c.rect(1, CAPTION_H, 2, h - 1, BORDER_LIGHT, 0.6)
    c.rect(w - 2, CAPTION_H, w - 1, h - 1, BORDER_LIGHT, 0.35)
    c.rect(2, h - 2, w - 2, h - 1, BORDER_LIGHT, 0.35)
    c.rect(BORDER_W - 1, CAPTION_H - 1, w - BORDER_W + 1, h - BORDER_W + 1, BORDER_INNER)
    c.rect(BORDER_W, CAPTION_H, w - BORDER_W, h - BORDER_W, CLIENT)
    # Outline last, so the rounded corners stay crisp.
    c.fill(sd_ring(outer, 1.0), OUTLINE)
    return c


def draw_caption_glyph(c, kind, x, y, colour):
    """Glyph of a caption button whose rectangle starts at (x, y)."""
    cx, cy = x + BUTTON_W / 2.0, y + BUTTON_H / 2.0
    if kind == 'Minimize':
        c.fill(sd_round_rect(cx - 5, cy + 2, cx + 5, cy + 4, 0.6), colour)
    elif kind == 'Maximize':
        box = sd_round_rect(cx - 5, cy - 5, cx + 5, cy + 4, 1.0)
        c.fill(sd_union(sd_ring(box, 1.2), sd_round_rect(cx - 5, cy - 5, cx + 5, cy - 3, 1.0)), colour)
    else:
        c.fill(sd_union(sd_segment(cx - 4, cy - 4, cx + 4, cy + 4, 0.85),
                        sd_segment(cx - 4, cy + 4, cx + 4, cy - 4, 0.85)), colour)


def draw_caption_button(mock, kind, state):
    """The button in one state, drawn over the caption where it sits in the window."""
    c = mock.copy()
    x = MOCK_W + BUTTON_LEFTS[kind]
    y = BUTTON_TOP
    plate = sd_round_rect(x + 1, y, x + BUTTON_W - 1, y + BUTTON_H, 3)
    glyph = GLYPH
    if state == 'hover':
        if kind == 'Close':
            c.fill(plate, vertical([(y, (226, 72, 60)), (y + BUTTON_H, CLOSE_RED)]))
        else:
            c.fill(plate, vertical([(y, (96, 99, 108)), (y + BUTTON_H, (74, 76, 84))]))
            c.fill(sd_ring(plate, 1), (120, 124, 134), 0.6)
        glyph = WHITE
    elif state == 'down':
        if kind == 'Close':
            c.fill(plate, vertical([(y, (150, 30, 22)), (y + BUTTON_H, (176, 40, 30))]))
        else:
            c.fill(plate, vertical([(y, (22, 22, 25)), (y + BUTTON_H, (36, 37, 41))]))
            c.fill(sd_ring(plate, 1), (16, 16, 18), 0.7)
        glyph = (226, 228, 232)
    draw_caption_glyph(c, kind, x, y + (1 if state == 'down' else 0), glyph)
    return c


def make_main():
    mock = draw_frame_mock()
    # Resting buttons belong to the caption end ("RightTop"), as the frame paints no buttons.
    rest = mock.copy()
    for kind in BUTTON_LEFTS:
        draw_caption_glyph(rest, kind, MOCK_W + BUTTON_LEFTS[kind], BUTTON_TOP, GLYPH)

    sheet_w = MOCK_W + 4 + 3 * BUTTON_W + 4 + 8
    sheet = canvas(sheet_w, MOCK_H, MAGENTA)
    sheet.paste(rest, 0, 0)
    w, h = MOCK_W, MOCK_H
    parts = [
        ('TopLeft', (0, 0, CORNER, CORNER)),
        ('Top', (w // 2, 0, 1, CAPTION_H)),
        ('TopRight', (w - CORNER, 0, CORNER, CORNER)),
        ('LeftTop', (0, CORNER, BORDER_W, CAPTION_H - CORNER)),
        ('Left', (0, CAPTION_H + 10, BORDER_W, 1)),
        ('LeftBottom', (0, h - CORNER - 5, BORDER_W, 5)),
        ('RightTop', (w - RIGHT_TOP_W, CORNER, RIGHT_TOP_W, CAPTION_H - CORNER)),
        ('Right', (w - BORDER_W, CAPTION_H + 10, BORDER_W, 1)),
        ('RightBottom', (w - BORDER_W, h - CORNER - 5, BORDER_W, 5)),
        ('BottomLeft', (0, h - CORNER, CORNER, CORNER)),
        ('Bottom', (w // 2, h - BORDER_W, 1, BORDER_W)),
        ('BottomRight', (w - CORNER, h - CORNER, CORNER, CORNER)),
    ]
    # Button states side by side: columns rest, hover, down; rows minimise, maximise, close.
    names = {'Minimize': 'Minimise', 'Maximize': 'Maximise', 'Close': 'Close'}
    suffix = {'rest': 'Btn', 'hover': 'Hover', 'down': 'Down'}
    for row, kind in enumerate(BUTTON_LEFTS):
        for col, state in enumerate(('rest', 'hover', 'down')):
            drawn = rest if state == 'rest' else draw_caption_button(mock, kind, state)
            piece = drawn.crop(MOCK_W + BUTTON_LEFTS[kind], BUTTON_TOP, BUTTON_W, BUTTON_H)
            x, y = MOCK_W + 4 + col * BUTTON_W, row * (BUTTON_H + 2)
            sheet.paste(piece, x, y)
            parts.append((names[kind] + suffix[state], (x, y, BUTTON_W, BUTTON_H)))
    # Splitter between the content and the channel list; stretched by the view.
    split = canvas(8, 8, (38, 39, 43))
    split.rect(0, 0, 1, 8, (18, 18, 20))
    split.rect(1, 0, 2, 8, (58, 60, 66))
    split.rect(6, 0, 7, 8, (33, 34, 37))
    split.rect(7, 0, 8, 8, (18, 18, 20))
    sx, sy = MOCK_W + 4 + 3 * BUTTON_W + 4, 0
    sheet.paste(split, sx, sy)
    parts.append(('VSplitBack', (sx, sy, 8, 8)))
    sheet.write_bmp(os.path.join(SKIN_DIR, 'main.bmp'))

    anchors = [(k, (BUTTON_LEFTS[k], BUTTON_TOP, BUTTON_W, BUTTON_H)) for k in BUTTON_LEFTS]
    return section('main', 'main.bmp', parts, anchors=anchors)


# ----------------------------------------------------------------------------- navigation

def tab_strip(look):
    """One look of the tab strip, drawn as a 40-pixel tab and cut into ends and middle."""
    w, h = 40, NAVI_H
    c = canvas(w, h)
    c.fill(lambda x, y: -1, vertical([(0, (50, 51, 57)), (h - 3, (36, 37, 41))]))
    c.rect(0, 0, w, 1, (28, 28, 31))
    c.rect(0, h - 2, w, h, (20, 58, 104))
    if look != 'back':
        tab = sd_top_round_rect(0.5, 4, w - 0.5, h - 2, 4)
        fills = {
            'hover': ((78, 81, 90), (56, 58, 64), (110, 114, 124)),
            'down': ((26, 27, 30), (36, 37, 41), (20, 20, 22)),
            'active': ((52, 132, 222), BLUE, (116, 176, 244)),
            'acthover': ((78, 156, 240), (36, 116, 204), (150, 200, 252)),
        }
        top, bottom, edge = fills[look]
        c.fill(tab, vertical([(4, top), (h - 2, bottom)]))
        c.fill(lambda x, y: max(sd_ring(tab, 1)(x, y), y - (h - 3)), edge, 0.45)
        if look in ('active', 'acthover'):
            c.rect(0, h - 2, w, h, BLUE)
    return (c.crop(0, 0, TAB_CAP, h), c.crop(w // 2, 0, TAB_MID, h), c.crop(w - TAB_CAP, 0, TAB_CAP, h))


def make_navipanel():
    looks = [('back', 'back'), ('hover', 'hover'), ('down', 'down'), ('active', 'active'),
             ('acthover', 'acthover')]
    step = 2 * TAB_CAP + TAB_MID
    sheet = canvas(step * len(looks), NAVI_H)
    parts = []
    for i, (look, name) in enumerate(looks):
        left, mid, right = tab_strip(look)
        x = i * step
        sheet.paste(left, x, 0)
        sheet.paste(mid, x + TAB_CAP, 0)
        sheet.paste(right, x + TAB_CAP + TAB_MID, 0)
        parts += [(name + 'L', (x, 0, TAB_CAP, NAVI_H)), (name, (x + TAB_CAP, 0, TAB_MID, NAVI_H)),
                  (name + 'R', (x + TAB_CAP + TAB_MID, 0, TAB_CAP, NAVI_H))]
    sheet.write_bmp(os.path.join(SKIN_DIR, 'navipanel.bmp'))
    attrs = 'height="%d" gap="%d"' % (NAVI_H, NAVI_GAP)
    caption = '<caption left="%d" top="%d"/>' % NAVI_CAPTION
    return section('navipanel', 'navipanel.bmp', parts, attrs=attrs, extra=caption)


# ----------------------------------------------------------------------------- player bar

def bar_background(w, h):
    c = canvas(w, h)
    c.fill(lambda x, y: -1, vertical([(0, (54, 56, 62)), (h, (26, 27, 30))]))
    c.rect(0, 0, w, 1, (14, 14, 16))
    c.rect(0, 1, w, 2, (84, 87, 95), 0.6)
    return c


def draw_player_glyph(c, name, cx, cy, s, colour):
    """Glyph for a button of size s centred at (cx, cy)."""
    u = s / 24.0
    if name == 'play':
        c.fill(sd_polygon([(cx - 4 * u, cy - 6 * u), (cx + 6.5 * u, cy), (cx - 4 * u, cy + 6 * u)]), colour)
    elif name == 'pause':
        c.fill(sd_union(sd_round_rect(cx - 5 * u, cy - 6 * u, cx - 1.5 * u, cy + 6 * u, 0.8),
                        sd_round_rect(cx + 1.5 * u, cy - 6 * u, cx + 5 * u, cy + 6 * u, 0.8)), colour)
    elif name == 'stop':
        c.fill(sd_round_rect(cx - 4.5 * u, cy - 4.5 * u, cx + 4.5 * u, cy + 4.5 * u, 1.2), colour)
    elif name in ('forward', 'backward'):
        d = 1 if name == 'forward' else -1
        tri = []
        for off in (-4.5, 0.5):
            x0 = cx + d * off * u
            tri.append(sd_polygon([(x0, cy - 5 * u), (x0 + d * 5.5 * u, cy), (x0, cy + 5 * u)]))
        c.fill(sd_union(*tri), colour)
    elif name == 'volume':
        speaker = sd_polygon([(cx - 7 * u, cy - 2.5 * u), (cx - 4 * u, cy - 2.5 * u), (cx, cy - 6 * u),
                              (cx, cy + 6 * u), (cx - 4 * u, cy + 2.5 * u), (cx - 7 * u, cy + 2.5 * u)])
        waves = [sd_subtract(sd_ring(sd_circle(cx, cy, r * u), 1.3 * u),
                             lambda x, y: x - (cx + 1.5 * u)) for r in (4.5, 8)]
        c.fill(sd_union(speaker, *waves), colour)


def player_button(name, pressed):
    left, top, size = PLAYER_ANCHORS['play' if name == 'pause' else name]
    c = bar_background(size + 4, PLAYER_H)
    cx, cy = (size + 4) / 2.0, top + size / 2.0
    r = size / 2.0 - 0.5
    disc = sd_circle(cx, cy, r)
    if name in ('play', 'pause'):
        top_c, bottom_c = ((40, 120, 210), (16, 78, 150)) if pressed else ((76, 156, 240), BLUE)
        c.fill(disc, vertical([(cy - r, top_c), (cy + r, bottom_c)]))
        c.fill(sd_ring(disc, 1.2), (12, 50, 100))
        if not pressed:
            c.fill(sd_ring(sd_circle(cx, cy, r - 1.2), 1.0), (130, 190, 250), 0.5)
        glyph = WHITE
    else:
        top_c, bottom_c = ((26, 27, 30), (44, 45, 50)) if pressed else ((86, 89, 98), (52, 54, 60))
        c.fill(disc, vertical([(cy - r, top_c), (cy + r, bottom_c)]))
        c.fill(sd_ring(disc, 1.0), (16, 16, 18))
        glyph = (150, 200, 250) if pressed else (226, 228, 232)
    draw_player_glyph(c, name, cx, cy + (0.5 if pressed else 0), size, glyph)
    return c.crop(2, top, size, size)


def make_player():
    banner_w = 160
    names = ['forward', 'play', 'backward', 'stop', 'pause', 'volume']
    cell = max(s for _, _, s in PLAYER_ANCHORS.values()) + 2
    sheet = canvas(4 + banner_w + len(names) * 2 * cell, PLAYER_H, MAGENTA)
    sheet.paste(bar_background(4, PLAYER_H), 0, 0)
    parts = [('background', (0, 0, 4, PLAYER_H))]

    banner = bar_background(banner_w, PLAYER_H)
    banner.fill(lambda x, y: -1, radial(30, 20, 90, (40, 92, 150), (44, 45, 50)), 0.35)
    logo = sd_round_rect(12, 8, 36, 32, 6)
    banner.fill(logo, vertical([(8, (76, 156, 240)), (32, BLUE)]))
    banner.fill(sd_polygon([(20, 13), (31, 20), (20, 27)]), WHITE)
    for i, level in enumerate((0.9, 0.6, 0.35)):
        x = 44 + i * 6
        banner.fill(sd_round_rect(x, 26 - (i + 1) * 4, x + 3, 30, 1.2), (120, 180, 240), level)
    for i in range(4):
        banner.fill(sd_round_rect(70, 12 + i * 5, 70 + (70 - i * 14), 14 + i * 5, 1), (120, 124, 134),
                    0.5 - i * 0.1)
    sheet.paste(banner, 4, 0)
    parts.append(('backgroundBanner', (4, 0, banner_w, PLAYER_H)))

    x = 4 + banner_w
    down_names = {'pause': 'pausedown', 'volume': 'volumedown'}
    for name in names:
        size = PLAYER_ANCHORS['play' if name == 'pause' else name][2]
        for pressed in (False, True):
            sheet.paste(player_button(name, pressed), x, 0)
            part = down_names.get(name, name + 'Down') if pressed else name
            parts.append((part, (x, 0, size, size)))
            x += cell
    sheet.write_bmp(os.path.join(SKIN_DIR, 'player.bmp'))
    anchors = [(n, (l, t, s, s)) for n, (l, t, s) in PLAYER_ANCHORS.items()]
    return section('player', 'player.bmp', parts, attrs='height="%d"' % PLAYER_H, anchors=anchors)


def make_lamp():
    colours = [('dark', (70, 72, 78), (34, 35, 38)), ('red', (255, 110, 96), (176, 30, 22)),
               ('green', (130, 240, 120), (30, 150, 40)), ('blue', (120, 190, 255), BLUE)]
    sheet = canvas(LAMP_H * len(colours), LAMP_H)
    parts = []
    for i, (name, light, deep) in enumerate(colours):
        c = canvas(LAMP_H, LAMP_H, (34, 35, 38))
        cx = cy = LAMP_H / 2.0
        disc = sd_circle(cx, cy, 4.6)
        if name != 'dark':
            c.fill(sd_circle(cx, cy, 6), radial(cx, cy, 6, deep, (34, 35, 38)), 0.55)
        c.fill(disc, radial(cx - 1.2, cy - 1.5, 5.5, light, deep))
        c.fill(sd_ring(disc, 0.8), (12, 12, 14), 0.8)
        c.fill(sd_circle(cx - 1.4, cy - 1.6, 1.3), WHITE, 0.55 if name != 'dark' else 0.2)
        sheet.paste(c, i * LAMP_H, 0)
        parts.append((name, (i * LAMP_H, 0, LAMP_H, LAMP_H)))
    sheet.write_bmp(os.path.join(SKIN_DIR, 'lamp.bmp'))
    return section('lamp', 'lamp.bmp', parts, attrs='height="%d"' % LAMP_H)


def make_trackbar():
    h = TRACK_H
    groove_w = 40
    # Groove drawn whole, then cut: played part on the left, the rest on the right.
    g = canvas(groove_w, h, (34, 35, 38))
    groove = sd_round_rect(0.5, 5, groove_w - 0.5, 9, 2)
    g.fill(groove, (18, 18, 20))
    g.fill(sd_ring(groove, 1), (64, 66, 72), 0.5)
    p = canvas(groove_w, h, (34, 35, 38))
    p.fill(groove, vertical([(5, BLUE_LIGHT), (9, BLUE)]))
    knobs = []
    for pressed in (False, True):
        k = canvas(h, h, (34, 35, 38))
        k.paste(g.crop(groove_w // 2, 0, h, h), 0, 0)
        disc = sd_circle(h / 2.0, h / 2.0, 6.2)
        if pressed:
            k.fill(disc, vertical([(1, BLUE_LIGHT), (13, BLUE)]))
            k.fill(sd_circle(h / 2.0, h / 2.0, 2.2), WHITE)
        else:
            k.fill(disc, vertical([(1, (246, 247, 250)), (13, (176, 180, 190))]))
            k.fill(sd_circle(h / 2.0, h / 2.0, 2.2), BLUE)
        k.fill(sd_ring(disc, 1), (12, 12, 14), 0.8)
        knobs.append(k)
    pieces = [('slider', knobs[0]), ('sliderDown', knobs[1]),
              ('backLeft', p.crop(0, 0, 4, h)), ('backRight', g.crop(groove_w - 4, 0, 4, h)),
              ('back', g.crop(groove_w // 2, 0, 1, h)), ('past', p.crop(groove_w // 2, 0, 1, h)),
              ('pastHead', p.crop(groove_w - 4, 0, 4, h))]
    sheet = canvas(sum(c.width for _, c in pieces) + len(pieces), h, MAGENTA)
    parts = []
    x = 0
    for name, c in pieces:
        sheet.paste(c, x, 0)
        parts.append((name, (x, 0, c.width, h)))
        x += c.width + 1
    sheet.write_bmp(os.path.join(SKIN_DIR, 'trackbar.bmp'))
    return section('trackbar', 'trackbar.bmp', parts, attrs='height="%d"' % TRACK_H)


def make_channel_list():
    c = canvas(4, HEADER_H)
    c.fill(lambda x, y: -1, vertical([(0, (82, 84, 90)), (HEADER_H, (54, 55, 60))]))
    c.rect(0, 0, 4, 1, (110, 113, 122))
    c.rect(0, HEADER_H - 1, 4, HEADER_H, (20, 20, 22))
    c.write_bmp(os.path.join(SKIN_DIR, 'channellist.bmp'))
    return section('channelList', 'channellist.bmp', [('headerBG', (0, 0, 4, HEADER_H))])


# ----------------------------------------------------------------------------- skin.xml

def section(target, image, parts, attrs='', anchors=None, extra=''):
    lines = ['    <windowSkin target="%s"%s>' % (target, ' ' + attrs if attrs else '')]
    if extra:
        lines.append('      ' + extra)
    lines.append('      <image path="%s"/>' % image)
    if anchors:
        lines.append('      <anchors>')
        lines += ['        <anchor name="%s" rect="%d,%d,%d,%d"/>' % ((n,) + r) for n, r in anchors]
        lines.append('      </anchors>')
    lines.append('      <parts>')
    lines += ['        <part name="%s" rect="%d,%d,%d,%d"/>' % ((n,) + r) for n, r in parts]
    lines.append('      </parts>')
    lines.append('    </windowSkin>')
    return '\n'.join(lines)


def make_skin():
    os.makedirs(SKIN_DIR, exist_ok=True)
    sections = [make_main(), make_navipanel(), make_player(), make_lamp(), make_trackbar(), make_channel_list()]
    text = ('<?xml version="1.0" encoding="utf-8"?>\n'
            '<!-- Default skin "general". Generated by skin/make_skin.py: edit that, not this. -->\n'
            '<skin name="general">\n  <windowSkins>\n' + '\n'.join(sections) + '\n  </windowSkins>\n</skin>\n')
    with open(os.path.join(SKIN_DIR, 'skin.xml'), 'w', newline='\r\n') as f:
        f.write(text)


# ----------------------------------------------------------------------------- channel list bitmaps

def expand_box(minus, hover):
    bg = (0, 0, 0) if hover else (64, 64, 64)
    c = canvas(12, 12, bg)
    box = sd_round_rect(0.5, 0.5, 11.5, 11.5, 2)
    if hover:
        c.fill(box, vertical([(0, (52, 54, 60)), (12, (30, 31, 35))]))
        c.fill(sd_ring(box, 1), (96, 100, 110))
        sign = BLUE_LIGHT
    else:
        c.fill(box, vertical([(0, (104, 106, 112)), (12, (78, 80, 86))]))
        c.fill(sd_ring(box, 1), (140, 142, 148))
        sign = (226, 226, 226)
    c.rect(3, 5, 9, 7, sign)
    if not minus:
        c.rect(5, 3, 7, 9, sign)
    return c


def playing_mark():
    """Green round play mark; magenta is see-through, edges are blended toward a dark row."""
    w, h = 12, 11
    c = canvas(w, h, (52, 52, 52))
    disc = sd_circle(5.5, 5.5, 5.3)
    c.fill(disc, vertical([(0, (120, 226, 110)), (11, (26, 150, 52))]))
    c.fill(sd_polygon([(4.0, 2.8), (8.6, 5.5), (4.0, 8.2)]), WHITE)
    for y in range(h):
        for x in range(w):
            if clamp(0.5 - disc(x + 0.5, y + 0.5)) < 0.3:
                c.px[y][x] = MAGENTA
    return c


def search_field(focused, clear):
    """The search box drawn whole at 100 pixels; the pieces are its two ends and one column."""
    w, h = 100, SEARCH_H
    c = canvas(w, h)
    field = sd_round_rect(0.5, 0.5, w - 0.5, h - 0.5, 12.5)
    if focused:
        c.fill(sd_round_rect(0, 0, w, h, 13), (20, 70, 130), 0.7)
    c.fill(field, WHITE)
    c.fill(sd_ring(field, 1.4 if focused else 1.0), BLUE_LIGHT if focused else (128, 130, 136))
    # Magnifier.
    glass = sd_circle(11.5, 12, 4.4)
    handle = sd_segment(14.8, 15.3, 18.3, 18.8, 1.2)
    ink = (64, 110, 170) if focused else (120, 122, 128)
    c.fill(sd_union(sd_ring(glass, 1.6), handle), ink)
    if clear:
        cx, cy = w - 11.5, h / 2.0
        c.fill(sd_circle(cx, cy, 6.5), vertical([(cy - 6.5, (196, 198, 204)), (cy + 6.5, (160, 162, 168))]))
        c.fill(sd_union(sd_segment(cx - 2.6, cy - 2.6, cx + 2.6, cy + 2.6, 0.8),
                        sd_segment(cx - 2.6, cy + 2.6, cx + 2.6, cy - 2.6, 0.8)), WHITE)
    return c


def make_channellist_res():
    folder = os.path.join(ROOT, 'channellist', 'ui', 'res')
    os.makedirs(folder, exist_ok=True)
    files = []

    def save(resource, name, image):
        image.write_bmp(os.path.join(folder, name))
        files.append((resource, name))

    save(202, 'expand_plus.bmp', expand_box(minus=False, hover=False))
    save(203, 'expand_plus_hover.bmp', expand_box(minus=False, hover=True))
    save(204, 'expand_minus.bmp', expand_box(minus=True, hover=False))
    save(206, 'expand_minus_hover.bmp', expand_box(minus=True, hover=True))
    save(207, 'playing.bmp', playing_mark())
    for focused in (True, False):
        plain = search_field(focused, clear=False)
        clear = search_field(focused, clear=True)
        tag = 'focus' if focused else 'plain'
        left_id, mid_id, right_id, clear_id = (208, 209, 212, 210) if focused else (215, 213, 211, 214)
        save(left_id, 'search_left_%s.bmp' % tag, plain.crop(0, 0, 25, SEARCH_H))
        save(mid_id, 'search_middle_%s.bmp' % tag, plain.crop(50, 0, 1, SEARCH_H))
        save(right_id, 'search_right_%s.bmp' % tag, plain.crop(100 - 23, 0, 23, SEARCH_H))
        save(clear_id, 'search_clear_%s.bmp' % tag, clear.crop(100 - 23, 0, 23, SEARCH_H))
    lines = ['Bitmap resources of the channel list (resource id, file). Generated by skin/make_skin.py.']
    lines += ['%d %s' % entry for entry in sorted(files)]
    with open(os.path.join(folder, 'README'), 'w') as f:
        f.write('\n'.join(lines) + '\n')


# ----------------------------------------------------------------------------- icons

def app_icon(size):
    """The player: a blue rounded tile with a play triangle and a signal arc."""
    c = canvas(size, size)
    c.clear_alpha()
    s = size / 32.0
    tile = sd_round_rect(1 * s, 1 * s, 31 * s, 31 * s, 7 * s)
    c.fill(tile, vertical([(1 * s, (84, 166, 246)), (31 * s, (18, 78, 152))]))
    c.fill(sd_ring(tile, max(1.0, 1.0 * s)), (10, 48, 96), 0.8)
    c.fill(sd_polygon([(11 * s, 9 * s), (24 * s, 16 * s), (11 * s, 23 * s)]), WHITE)
    if size >= 32:
        c.fill(sd_ring(sd_round_rect(3 * s, 3 * s, 29 * s, 29 * s, 5.5 * s), 1), (160, 210, 255), 0.35)
    return c


def list_icon(size):
    """The channel list: a dark panel with rows, one highlighted in blue."""
    c = canvas(size, size)
    c.clear_alpha()
    s = size / 32.0
    panel = sd_round_rect(2 * s, 2 * s, 30 * s, 30 * s, 5 * s)
    c.fill(panel, vertical([(2 * s, (84, 86, 94)), (30 * s, (44, 45, 50))]))
    c.fill(sd_ring(panel, max(1.0, s)), (16, 16, 18))
    rows = [(7, False), (13, True), (19, False), (25, False)] if size >= 32 else [(8, False), (14, True), (21, False)]
    for y, lit in rows:
        top = y * s - 2.2 * s
        if lit:
            c.fill(sd_round_rect(5 * s, top - 0.5, 27 * s, top + 4.4 * s + 0.5, 1.5 * s), BLUE)
        c.fill(sd_circle(8.5 * s, y * s, 1.6 * s), (120, 226, 110) if lit else (170, 172, 178))
        c.fill(sd_round_rect(12 * s, y * s - 1.1 * s, 25 * s, y * s + 1.1 * s, 1 * s), WHITE if lit else (200, 202, 208))
    return c


def toolbox_bitmap():
    """16 x 15 toolbox picture of the control on the usual grey."""
    c = canvas(16, 15, (192, 192, 192))
    panel = sd_round_rect(1, 1, 15, 14, 2)
    c.fill(panel, (52, 53, 58))
    c.fill(sd_ring(panel, 1), (16, 16, 18))
    c.rect(2.5, 5, 13.5, 8, BLUE)
    for y in (3, 6, 10, 12):
        c.rect(6, y - 0.5, 12.5, y + 0.5, WHITE if y == 6 else (190, 192, 198))
        c.rect(3.5, y - 0.5, 4.5, y + 0.5, (120, 226, 110) if y == 6 else (160, 162, 168))
    return c


def make_icons():
    control = os.path.join(ROOT, 'channellist', 'control', 'res')
    shell = os.path.join(ROOT, 'player', 'shell', 'res')
    os.makedirs(control, exist_ok=True)
    os.makedirs(shell, exist_ok=True)
    toolbox_bitmap().write_bmp(os.path.join(control, 'toolbox.bmp'))
    write_ico(os.path.join(control, 'about.ico'), [list_icon(16), list_icon(32)])
    write_ico(os.path.join(shell, 'TrovaPlayer6.ico'), [app_icon(16), app_icon(32)])


if __name__ == '__main__':
    make_skin()
    make_channellist_res()
    make_icons()
