#!/usr/bin/env python3
"""Draws Kvx's icon (a speaker with sound waves and a turning arrow) and writes kvx.ico:
two images, 32 x 32 and 16 x 16, 16 colours each."""
import struct
import sys

# The standard 16-colour palette (RGB).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
T = None  # transparent
K, TEAL, GREY, LGREY, RED, YEL, WHITE, NAVY = 0, 6, 8, 7, 9, 11, 15, 4


def draw(size):
    s = size / 32.0
    px = [[T] * size for _ in range(size)]

    def put(x, y, c):
        if 0 <= x < size and 0 <= y < size:
            px[y][x] = c

    def inside_speaker(x, y):
        # Box of the speaker and its cone, in 32-unit space.
        if 4 <= x < 10 and 12 <= y < 20:
            return True
        if 10 <= x < 17:
            half = 4 + (x - 10) * 6 / 7.0
            return abs(y + 0.5 - 16) <= half
        return False

    for y in range(size):
        for x in range(size):
            ux, uy = (x + 0.5) / s, (y + 0.5) / s
            if inside_speaker(ux, uy):
                edge = not (inside_speaker(ux - 1.2, uy) and inside_speaker(ux + 1.2, uy) and
                            inside_speaker(ux, uy - 1.2) and inside_speaker(ux, uy + 1.2))
                put(x, y, K if edge else (TEAL if ux < 10 else LGREY))
                continue
            # Three sound waves: rings around (14, 16), right side only.
            dx, dy = ux - 14, uy - 16
            r = (dx * dx + dy * dy) ** 0.5
            if dx > 3 and abs(dy) < dx * 1.1:
                for radius, colour in ((8, RED), (12.5, YEL), (17, RED)):
                    if abs(r - radius) < 1.25 and radius < 17.5:
                        put(x, y, colour)
    # A small two-headed arrow underneath: the sound keeps changing.
    for ux in range(6, 27):
        for uy in (27, 28):
            put(int(ux * s), int(uy * s), NAVY)
    for k in range(4):
        put(int((6 + k) * s), int((27 - k) * s), NAVY)
        put(int((6 + k) * s), int((28 + k) * s), NAVY)
        put(int((26 - k) * s), int((27 - k) * s), NAVY)
        put(int((26 - k) * s), int((28 + k) * s), NAVY)
    return px


def image(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor_rows, and_rows = [], []
    for y in reversed(range(size)):  # bottom-up
        row = bytearray()
        for x in range(0, size, 2):
            a = px[y][x] or 0
            b = px[y][x + 1] or 0
            row.append((a << 4) | b)
        while len(row) % 4:
            row.append(0)
        xor_rows.append(bytes(row))
        mask = bytearray()
        for x in range(0, size, 8):
            byte = 0
            for bit in range(8):
                if px[y][x + bit] is None:
                    byte |= 0x80 >> bit
            mask.append(byte)
        while len(mask) % 4:
            mask.append(0)
        and_rows.append(bytes(mask))
    return header + palette + b''.join(xor_rows) + b''.join(and_rows)


def main(path):
    images = [image(32), image(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'kvx.ico')
