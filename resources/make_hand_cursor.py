#!/usr/bin/env python3
"""Writes HAND-M.CUR, the hand pointer Tallymere shows over push buttons.

The file is a Windows cursor file with the same hand in three sizes, each with 32-bit colour
and alpha plus the 1-bit mask and its own hotspot at the tip of the pointing finger: 32 x 32
drawn pixel by pixel for screens at 100%, and 48 x 48 and 64 x 64 drawn from an outline of the
hand for screens at 150% and 200%, so the pointer is as large and as sharp there. Only the
standard library is used, so the file can be remade anywhere:

    python3 resources/make_hand_cursor.py [OUTPUT]

OUTPUT defaults to HAND-M.CUR next to this script.
"""

import os
import struct
import sys

SIZE = 32

# The hand, drawn from the top-left corner of the image: X outline, o fill, blank transparent.
HAND = [
    "     XX          ",
    "    XooX         ",
    "    XooX         ",
    "    XooX         ",
    "    XooX         ",
    "    XooXXX       ",
    "    XooXooXXX    ",
    "    XooXooXooXXX ",
    "    XooXooXooXooX",
    " XX XooXooXooXooX",
    "XooXXooXooXooXooX",
    "XoooXoooooooooooX",
    " XooXoooooooooooX",
    " XooooooooooooooX",
    "  XoooooooooooooX",
    "  XoooooooooooooX",
    "   XooooooooooooX",
    "   XoooooooooooX ",
    "    XoooooooooX  ",
    "    XoooooooooX  ",
    "    XXXXXXXXXXX  ",
]

# The fingertip: the top of the index finger.
HOTSPOT = (5, 0)

OUTLINE = (0x00, 0x00, 0x00, 0xFF)  # blue, green, red, alpha
FILL = (0xFF, 0xFF, 0xFF, 0xFF)
CLEAR = (0x00, 0x00, 0x00, 0x00)


def pixel(x, y):
    """The colour of one pixel of the 32 x 32 hand, in the file's blue, green, red, alpha order."""
    if y >= len(HAND) or x >= len(HAND[y]):
        return CLEAR
    return {"X": OUTLINE, "o": FILL}.get(HAND[y][x], CLEAR)


# The larger sizes: the inside of the hand as fingers, thumb and palm in the units of the 32 x 32
# picture, with an outline of one unit around it. Fingers and thumb are capsules (a segment and
# a radius); the palm is a polygon.
CAPSULES = [
    ((6, 2), (6, 12), 1.0),      # index finger, pointing up
    ((9, 7), (9, 12), 1.0),      # middle finger
    ((12, 8), (12, 12), 1.0),    # ring finger
    ((15, 9), (15, 12), 1.0),    # little finger
    ((1.6, 11), (3.2, 14), 1.0), # thumb
]
PALM = [(5, 11), (16, 11), (16, 17), (14, 20), (5, 20), (3.2, 16), (3.2, 14.5), (5, 13)]
OUTLINE_WIDTH = 1.0
# The tip of the index finger, where the pointer points.
TIP = (6.0, 0.0)
SUPERSAMPLING = 4


def segment_distance(px, py, a, b):
    """The distance from point p to the segment from a to b."""
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    length = dx * dx + dy * dy
    t = 0.0 if length == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length))
    cx, cy = ax + t * dx, ay + t * dy
    return ((px - cx) ** 2 + (py - cy) ** 2) ** 0.5


def polygon_distance(px, py, points):
    """The signed distance from point p to the polygon: negative inside."""
    nearest = min(segment_distance(px, py, points[i], points[(i + 1) % len(points)])
                  for i in range(len(points)))
    inside = False
    for i in range(len(points)):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % len(points)]
        if (ay > py) != (by > py) and px < ax + (py - ay) * (bx - ax) / (by - ay):
            inside = not inside
    return -nearest if inside else nearest


def hand_distance(x, y):
    """The signed distance from a point (in units of the 32 x 32 picture) to the inside of the hand."""
    distance = polygon_distance(x, y, PALM)
    for a, b, radius in CAPSULES:
        distance = min(distance, segment_distance(x, y, a, b) - radius)
    return distance


def drawn_pixels(size):
    """The hand drawn at `size` pixels: rows from the top of (blue, green, red, alpha)."""
    unit = size / SIZE
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            fill = outline = 0
            for sy in range(SUPERSAMPLING):
                for sx in range(SUPERSAMPLING):
                    distance = hand_distance((x + (sx + 0.5) / SUPERSAMPLING) / unit,
                                             (y + (sy + 0.5) / SUPERSAMPLING) / unit)
                    if distance <= 0:
                        fill += 1
                    elif distance <= OUTLINE_WIDTH:
                        outline += 1
            covered = fill + outline
            if covered == 0:
                row.append(CLEAR)
            else:
                grey = round(255 * fill / covered)
                row.append((grey, grey, grey, round(255 * covered / SUPERSAMPLING ** 2)))
        rows.append(row)
    return rows


def drawn_pixel_rows():
    """The 32 x 32 hand as rows of pixels."""
    return [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]


def cursor_image(rows):
    """One image of the file: its bitmap header, colour image and mask."""
    size = len(rows)
    mask_row_bytes = (size + 31) // 32 * 4
    # Rows are stored bottom-up in both the colour image and the mask.
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_row_bytes)
        for x, (blue, green, red, alpha) in enumerate(row):
            colour += bytes((blue, green, red, alpha))
            if alpha == 0:
                bits[x // 8] |= 0x80 >> (x % 8)  # a set mask bit lets the screen show through
        mask += bits
    # The bitmap header counts the colour image and the mask together, hence twice the height.
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def cursor_file():
    """The bytes of the whole cursor file."""
    images = [(SIZE, HOTSPOT, cursor_image(drawn_pixel_rows()))]
    for size in (48, 64):
        unit = size / SIZE
        # The pixel under the tip of the finger.
        hotspot = (int(TIP[0] * unit - 0.5), int(TIP[1] * unit))
        images.append((size, hotspot, cursor_image(drawn_pixels(size))))

    directory = struct.pack("<HHH", 0, 2, len(images))  # reserved, type 2 = cursor, image count
    offset = len(directory) + 16 * len(images)
    entries = bytearray()
    data = bytearray()
    for size, (hot_x, hot_y), image in images:
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, hot_x, hot_y, len(image), offset + len(data))
        data += image
    return directory + bytes(entries) + bytes(data)


def main(argv):
    output = argv[1] if len(argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "HAND-M.CUR")
    with open(output, "wb") as file:
        file.write(cursor_file())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
