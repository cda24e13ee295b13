#!/usr/bin/env python3
"""Draws the installer's pictures in the look of the skins: its icon (the
mouse of Monitor's icon over a dark square with a red arrow into a tray), the
picture of the welcome and finish pages (164 x 314) and the header picture of
the other pages (150 x 57). Usage: make_art.py OUTPUT_FOLDER"""
import os
import sys

from PIL import Image, ImageDraw, ImageFont

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "skins"))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "monitor"))
from generate import ACCENT, BACKGROUND, PANEL, PANEL_EDGE, TEXT, TEXT_DIM, font  # noqa: E402
from make_icon import mouse  # noqa: E402


def installer_icon(size):
    scale = 4
    s = size * scale
    image = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)
    d.rounded_rectangle((0, 0, s - 1, s - 1), radius=s * 0.18, fill=BACKGROUND + (255,),
                        outline=ACCENT + (255,), width=max(scale, s // 20))
    image = image.resize((size, size), Image.LANCZOS)
    # The mouse on the left half, the arrow into the tray on the right.
    body = mouse(max(8, size * 3 // 4))
    image.alpha_composite(body, (-(size // 10), (size - body.height) // 2))
    big = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    red = ACCENT + (255,)
    d.rectangle((s * 0.66, s * 0.18, s * 0.76, s * 0.52), fill=red)
    d.polygon([(s * 0.55, s * 0.48), (s * 0.87, s * 0.48), (s * 0.71, s * 0.68)], fill=red)
    d.line((s * 0.54, s * 0.82, s * 0.88, s * 0.82), fill=TEXT + (255,), width=max(scale, s // 14))
    image.alpha_composite(big.resize((size, size), Image.LANCZOS))
    return image


def side_picture():
    # Welcome and finish pages: a dark panel, the icon, the name, a red rule.
    w, h = 164, 314
    image = Image.new("RGB", (w, h), BACKGROUND)
    d = ImageDraw.Draw(image)
    d.rectangle((0, 0, w - 1, h - 1), outline=PANEL_EDGE)
    d.rectangle((0, h - 6, w - 1, h - 1), fill=ACCENT)
    icon = mouse(96)
    image.paste(icon, ((w - 96) // 2, 40), icon)
    d.text((w // 2, 168), "KESTRA", font=font(22, bold=True), fill=TEXT, anchor="mm")
    d.text((w // 2, 194), "Gaming Mouse", font=font(13), fill=TEXT_DIM, anchor="mm")
    d.line((30, 214, w - 31, 214), fill=ACCENT, width=2)
    return image


def header_picture():
    w, h = 150, 57
    image = Image.new("RGB", (w, h), PANEL)
    d = ImageDraw.Draw(image)
    d.rectangle((0, h - 3, w - 1, h - 1), fill=ACCENT)
    icon = mouse(40)
    image.paste(icon, (w - 48, 6), icon)
    d.text((10, 26), "KESTRA", font=font(16, bold=True), fill=TEXT, anchor="lm")
    return image


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    sizes = [16, 20, 24, 32, 48, 64]
    icons = [installer_icon(n) for n in sizes]
    icons[-1].save(os.path.join(out, "installer.ico"), sizes=[(n, n) for n in sizes],
                   append_images=icons[:-1])
    side_picture().save(os.path.join(out, "side.bmp"))
    header_picture().save(os.path.join(out, "header.bmp"))


if __name__ == "__main__":
    main()
