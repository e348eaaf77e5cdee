#!/usr/bin/env python3
"""Writes the reference GIF file for the byte-exact test of the GIF writer.

An encoder of its own, written from the file layout and LZW rules alone
(a plain dict for the string table, codes packed bit by bit), so that it
shares no code with exchange/gif_writer.cpp. The picture is the test's
noise(80, 60, 256, 1): 4800 pixels of 256 colours need about 4300 codes,
so the string table fills once and is cleared at 12 bits, and the data
spans many sub-blocks.

    /usr/bin/python3 tests/exchange/make_gif_reference.py tests/exchange/noise_80x60.gif
"""
import sys

WIDTH, HEIGHT, COLOURS, SEED = 80, 60, 256, 1


def noise():
    """The colours of tests/exchange/test_pictures.cpp's noise(), top-down."""
    state = SEED
    for _ in range(WIDTH * HEIGHT):
        state = (state * 1664525 + 1013904223) & 0xFFFFFFFF
        i = (state >> 24) % COLOURS
        yield ((i * 37) & 255, (i * 91) & 255, i)


def palette_and_indices(pixels):
    palette, index_of, indices = [], {}, []
    for colour in pixels:
        if colour not in index_of:
            index_of[colour] = len(palette)
            palette.append(colour)
        indices.append(index_of[colour])
    assert len(palette) <= 256
    return palette, indices


class Blocks:
    """Codes packed least-significant bit first into sub-blocks: before each
    code, when 2032 or more bits wait, the complete bytes go out."""

    def __init__(self):
        self.bits = []  # waiting bits, oldest first
        self.out = bytearray()

    def add(self, code, width):
        if len(self.bits) >= 2032:
            whole = len(self.bits) // 8 * 8
            self._emit(self.bits[:whole])
            self.bits = self.bits[whole:]
        self.bits.extend((code >> k) & 1 for k in range(width))

    def _emit(self, bits):
        data = bytes(sum(bits[8 * n + k] << k for k in range(8) if 8 * n + k < len(bits))
                     for n in range((len(bits) + 7) // 8))
        for start in range(0, len(data), 255):
            chunk = data[start:start + 255]
            self.out += bytes([len(chunk)]) + chunk

    def finish(self):
        self._emit(self.bits)
        self.out += b"\x00"
        return bytes(self.out)


def lzw(indices):
    blocks = Blocks()
    table, width, next_code = {}, 9, 258
    blocks.add(256, width)
    prefix = indices[0]
    for pixel in indices[1:]:
        if (prefix, pixel) in table:
            prefix = table[(prefix, pixel)]
            continue
        blocks.add(prefix, width)
        assigned = 4096
        if next_code <= 4095:
            assigned = next_code
            table[(prefix, pixel)] = next_code
            next_code += 1
        if assigned == 1 << width:
            if width < 12:
                width += 1
            else:
                blocks.add(256, width)
                table, width, next_code = {}, 9, 258
        prefix = pixel
    blocks.add(prefix, width)
    blocks.add(257, width)
    return blocks.finish()


def gif():
    palette, indices = palette_and_indices(noise())
    table = b"".join(bytes(c) for c in palette) + bytes(3 * (256 - len(palette)))
    le16 = lambda v: v.to_bytes(2, "little")
    return (b"GIF87a" + le16(WIDTH) + le16(HEIGHT) + b"\xF7\x00\x00" + table +
            b"\x2C" + le16(0) + le16(0) + le16(WIDTH) + le16(HEIGHT) + b"\x07" +
            b"\x08" + lzw(indices) + b"\x3B")


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as f:
        f.write(gif())
