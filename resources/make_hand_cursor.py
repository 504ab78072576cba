#!/usr/bin/env python3
"""Writes HAND-M.CUR, the hand pointer Tallymere shows over push buttons.

The file is a Windows cursor file: one 32 x 32 image with 32-bit colour and alpha plus the
1-bit mask, and the hotspot at the tip of the pointing finger. Only the standard library is
used, so the file can be remade anywhere:

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
    """The colour of one pixel, in the file's blue, green, red, alpha order."""
    if y >= len(HAND) or x >= len(HAND[y]):
        return CLEAR
    return {"X": OUTLINE, "o": FILL}.get(HAND[y][x], CLEAR)


def cursor_file():
    """The bytes of the whole cursor file."""
    # Rows are stored bottom-up in both the colour image and the mask.
    colour = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            blue, green, red, alpha = pixel(x, y)
            colour += bytes((blue, green, red, alpha))
            if alpha == 0:
                bits |= 1 << (SIZE - 1 - x)  # a set mask bit lets the screen show through
        mask += struct.pack(">I", bits)

    # The bitmap header counts the colour image and the mask together, hence twice the height.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    image = header + bytes(colour) + bytes(mask)

    directory = struct.pack("<HHH", 0, 2, 1)  # reserved, type 2 = cursor, one image
    entry_offset = len(directory) + 16
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, HOTSPOT[0], HOTSPOT[1],
                        len(image), entry_offset)
    return directory + entry + image


def main(argv):
    output = argv[1] if len(argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "HAND-M.CUR")
    with open(output, "wb") as file:
        file.write(cursor_file())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
