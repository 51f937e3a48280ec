"""Small anti-aliased rasteriser and BMP/ICO writers for the skin generator (stdlib only).

Shapes are signed distance functions; a pixel's coverage is 0.5 - distance from its centre,
clamped to 0..1, which gives one pixel of smooth edge. Colours are (r, g, b) tuples of ints.
"""
import math
import struct


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    """Colour between a and b; t = 0 gives a."""
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def vertical(stops):
    """Paint function of a vertical gradient: stops are (y, colour) with y in pixels."""
    def paint(x, y):
        if y <= stops[0][0]:
            return stops[0][1]
        for (y0, c0), (y1, c1) in zip(stops, stops[1:]):
            if y <= y1:
                return mix(c0, c1, (y - y0) / float(y1 - y0) if y1 != y0 else 1.0)
        return stops[-1][1]
    return paint


def radial(cx, cy, radius, inner, outer):
    def paint(x, y):
        return mix(inner, outer, clamp(math.hypot(x - cx, y - cy) / radius))
    return paint


# Signed distance functions: negative inside.

def sd_round_rect(x0, y0, x1, y1, r):
    """Rectangle [x0, x1] x [y0, y1] in continuous coordinates with corner radius r."""
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def sd(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return sd


def sd_top_round_rect(x0, y0, x1, y1, r):
    """Rounded only at the top corners (tabs)."""
    rounded = sd_round_rect(x0, y0, x1, y1 + r + 1, r)
    square = sd_round_rect(x0, y0, x1, y1, 0)

    def sd(x, y):
        return max(rounded(x, y), square(x, y))
    return sd


def sd_circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def sd_segment(ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-9

    def sd(x, y):
        t = clamp(((x - ax) * dx + (y - ay) * dy) / length2)
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - half_width
    return sd


def sd_polygon(points):
    n = len(points)

    def sd(x, y):
        d = float('inf')
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            dx, dy = bx - ax, by - ay
            t = clamp(((x - ax) * dx + (y - ay) * dy) / float(dx * dx + dy * dy or 1e-9))
            d = min(d, math.hypot(x - ax - t * dx, y - ay - t * dy))
            if (ay > y) != (by > y) and x < ax + (y - ay) * dx / float(by - ay):
                inside = not inside
        return -d if inside else d
    return sd


def sd_union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def sd_subtract(shape, hole):
    return lambda x, y: max(shape(x, y), -hole(x, y))


def sd_ring(shape, width):
    """Outline of shape, width pixels wide, inside its edge."""
    return lambda x, y: max(shape(x, y), -(shape(x, y) + width))


class Canvas:
    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width = width
        self.height = height
        self.px = [[tuple(float(c) for c in colour) for _ in range(width)] for _ in range(height)]
        self.alpha = [[1.0] * width for _ in range(height)]

    def clear_alpha(self):
        self.alpha = [[0.0] * self.width for _ in range(self.height)]

    def fill(self, shape, paint, opacity=1.0, box=None):
        """Blend paint (a colour or a function of x, y) over the pixels covered by shape."""
        colour_at = paint if callable(paint) else (lambda x, y, c=paint: c)
        x0, y0, x1, y1 = box if box else (0, 0, self.width, self.height)
        for y in range(max(0, y0), min(self.height, y1)):
            row = self.px[y]
            arow = self.alpha[y]
            for x in range(max(0, x0), min(self.width, x1)):
                cover = clamp(0.5 - shape(x + 0.5, y + 0.5)) * opacity
                if cover <= 0.0:
                    continue
                # Straight-alpha "over": on opaque pixels this is a plain blend.
                below = arow[x]
                out = cover + below * (1.0 - cover)
                row[x] = mix(row[x], colour_at(x + 0.5, y + 0.5), cover / out)
                arow[x] = out

    def rect(self, x0, y0, x1, y1, paint, opacity=1.0):
        self.fill(sd_round_rect(x0, y0, x1, y1, 0), paint, opacity,
                  (int(x0) - 1, int(y0) - 1, int(x1) + 2, int(y1) + 2))

    def get(self, x, y):
        return tuple(int(round(clamp(c, 0, 255))) for c in self.px[y][x])

    def crop(self, x, y, w, h):
        out = Canvas(w, h)
        for j in range(h):
            out.px[j] = list(self.px[y + j][x:x + w])
            out.alpha[j] = list(self.alpha[y + j][x:x + w])
        return out

    def paste(self, other, x, y):
        for j in range(other.height):
            self.px[y + j][x:x + other.width] = list(other.px[j])
            self.alpha[y + j][x:x + other.width] = list(other.alpha[j])

    def copy(self):
        return self.crop(0, 0, self.width, self.height)

    # Files.

    def bmp_bytes(self):
        """24-bit bottom-up Windows bitmap."""
        stride = (self.width * 3 + 3) & ~3
        pixels = bytearray()
        for y in range(self.height - 1, -1, -1):
            line = bytearray()
            for x in range(self.width):
                r, g, b = self.get(x, y)
                line += bytes((b, g, r))
            line += b'\0' * (stride - len(line))
            pixels += line
        header = struct.pack('<IiiHHIIiiII', 40, self.width, self.height, 1, 24, 0, len(pixels),
                             2835, 2835, 0, 0)
        file_header = struct.pack('<2sIHHI', b'BM', 14 + len(header) + len(pixels), 0, 0, 14 + len(header))
        return file_header + header + pixels

    def write_bmp(self, path):
        with open(path, 'wb') as f:
            f.write(self.bmp_bytes())

    def icon_image(self):
        """32-bit BGRA image with AND mask, as stored inside an .ico file."""
        w, h = self.width, self.height
        xor = bytearray()
        mask = bytearray()
        mask_stride = ((w + 31) // 32) * 4
        for y in range(h - 1, -1, -1):
            bits = 0
            line = bytearray()
            for x in range(w):
                r, g, b = self.get(x, y)
                a = int(round(clamp(self.alpha[y][x]) * 255))
                xor += bytes((b, g, r, a))
                if a == 0:
                    bits |= 1 << (w - 1 - x)
            mask_bytes = bits.to_bytes((w + 7) // 8, 'big')
            line += mask_bytes + b'\0' * (mask_stride - len(mask_bytes))
            mask += line
        header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        return header + xor + mask


def write_ico(path, images):
    """Icon file with one entry per canvas (16x16, 32x32, ...)."""
    blobs = [image.icon_image() for image in images]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for image, blob in zip(images, blobs):
        out += struct.pack('<BBBBHHII', image.width % 256, image.height % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, 'wb') as f:
        f.write(out)
