#!/usr/bin/env python3
"""Draws Monitor's program icon (also its tray icon): a mouse outline with a
lit wheel, each size drawn for itself: 16 and 32 pixels (the tray at 100 %
and the large icon), 20, 24 and 40 (the tray at 125 %, 150 % and 250 %,
since Monitor scales per monitor) and 48. Usage: make_icon.py OUTPUT.ico"""
import sys

from PIL import Image, ImageDraw


def mouse(size):
    scale = 4  # drawn large and scaled down for smooth edges
    s = size * scale
    image = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)
    body = (s * 0.22, s * 0.06, s * 0.78, s * 0.94)
    d.rounded_rectangle(body, radius=s * 0.26, fill=(32, 36, 44, 255),
                        outline=(210, 40, 40, 255), width=max(scale, s // 16))
    d.line((s * 0.5, s * 0.08, s * 0.5, s * 0.42), fill=(210, 40, 40, 255),
           width=max(scale, s // 24))
    d.rounded_rectangle((s * 0.44, s * 0.18, s * 0.56, s * 0.36), radius=s * 0.05,
                        fill=(255, 90, 60, 255))
    return image.resize((size, size), Image.LANCZOS)


def main():
    sizes = [16, 20, 24, 32, 40, 48]
    big = mouse(48)
    big.save(sys.argv[1], sizes=[(n, n) for n in sizes],
             append_images=[mouse(n) for n in sizes[:-1]])


if __name__ == "__main__":
    main()
