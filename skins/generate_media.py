#!/usr/bin/python3
"""Draws and synthesises the double-click test's media into a program folder:

    wave/double_click.bmp   the picture of the test area (24-bit BMP)
    avi/double_click.avi    its clip: an uncompressed 8-bit AVI, the kind the
                            common-controls animation control plays
    wave/double_click.wav   a short click (16-bit mono PCM)

    generate_media.py PROGRAM_FOLDER

Everything is made here from the same colours as the skins; the output is
the same on every run.
"""

import math
import os
import random
import struct
import sys
import wave

from PIL import Image, ImageDraw

from generate import ACCENT, ACCENT_DARK, BACKGROUND, PANEL, PANEL_EDGE, TEXT_DIM, WHITE, font

WIDTH, HEIGHT = 120, 90
FRAMES_PER_SECOND = 12
SAMPLE_RATE = 22050


def mouse_frame(pressed=False, ring=0, label="double-click"):
    """The mouse seen from above; `pressed` lights the left button and `ring`
    (0 none, 1.. growing) draws the click's ripple around it."""
    image = Image.new("RGB", (WIDTH, HEIGHT), BACKGROUND)
    d = ImageDraw.Draw(image)
    cx, top = WIDTH // 2, 12
    body = (cx - 20, top, cx + 20, top + 58)
    if ring:
        r = 8 + ring * 7
        centre = (cx - 10, top + 10)
        d.ellipse((centre[0] - r, centre[1] - r, centre[0] + r, centre[1] + r),
                  outline=ACCENT if ring < 3 else ACCENT_DARK, width=2)
    d.rounded_rectangle(body, radius=18, fill=PANEL, outline=PANEL_EDGE, width=2)
    d.line((cx, top + 2, cx, top + 22), fill=PANEL_EDGE, width=2)
    d.line((body[0] + 2, top + 22, body[2] - 2, top + 22), fill=PANEL_EDGE, width=2)
    # The left button: a quarter of the body's rounded top.
    button = [(body[0] + 3, top + 20), (body[0] + 3, top + 14), (body[0] + 8, top + 5),
              (cx - 2, top + 3), (cx - 2, top + 20)]
    d.polygon(button, fill=ACCENT if pressed else (62, 62, 68))
    d.rounded_rectangle((cx - 3, top + 8, cx + 3, top + 17), radius=3, fill=PANEL_EDGE)
    done = label != "double-click"
    d.text((cx, HEIGHT - 10), label, font=font(10, bold=pressed or done),
           fill=ACCENT if done else WHITE if pressed else TEXT_DIM, anchor="mm")
    return image


def clip_frames():
    # Rest, press, release, press, release with the ripple, rest.
    frames = [mouse_frame()]
    frames += [mouse_frame(pressed=True, ring=1), mouse_frame(pressed=True, ring=2)]
    frames += [mouse_frame(ring=3), mouse_frame()]
    frames += [mouse_frame(pressed=True, ring=1), mouse_frame(pressed=True, ring=2)]
    frames += [mouse_frame(ring=3, label="double!"), mouse_frame(ring=4, label="double!")]
    frames += [mouse_frame(label="double!"), mouse_frame(label="double!"), mouse_frame()]
    return frames


def chunk(fourcc, data):
    pad = b"\0" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def riff_list(kind, fourcc, data):
    return kind + struct.pack("<I", len(data) + 4) + fourcc + data


def write_avi(path, frames):
    """An uncompressed 8-bit AVI: one video stream, one palette, bottom-up
    rows, every frame a key frame, with an index."""
    # One palette for all frames, so the clip never flickers between them.
    strip = Image.new("RGB", (WIDTH, HEIGHT * len(frames)))
    for i, frame in enumerate(frames):
        strip.paste(frame, (0, i * HEIGHT))
    palette_image = strip.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    palette = palette_image.getpalette()[:256 * 3]
    palette += [0] * (256 * 3 - len(palette))
    stride = (WIDTH + 3) & ~3
    frame_size = stride * HEIGHT

    bits = []
    for frame in frames:
        indexed = frame.quantize(palette=palette_image, dither=Image.Dither.NONE)
        pixels = indexed.tobytes()
        rows = [pixels[y * WIDTH:(y + 1) * WIDTH] + b"\0" * (stride - WIDTH) for y in range(HEIGHT)]
        bits.append(b"".join(reversed(rows)))

    count = len(frames)
    micro = 1000000 // FRAMES_PER_SECOND
    avih = struct.pack("<14I", micro, frame_size * FRAMES_PER_SECOND, 0, 0x10, count, 0, 1, frame_size,
                       WIDTH, HEIGHT, 0, 0, 0, 0)
    strh = (b"vids" + b"DIB " + struct.pack("<IHHIIIIIIiI", 0, 0, 0, 0, 1, FRAMES_PER_SECOND, 0, count,
                                            frame_size, -1, frame_size)
            + struct.pack("<4h", 0, 0, WIDTH, HEIGHT))
    rgbquads = b"".join(bytes((palette[i * 3 + 2], palette[i * 3 + 1], palette[i * 3], 0)) for i in range(256))
    strf = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, frame_size, 0, 0, 256, 0) + rgbquads
    hdrl = riff_list(b"LIST", b"hdrl",
                     chunk(b"avih", avih) + riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))

    movi_data = b""
    index = b""
    for data in bits:
        offset = 4 + len(movi_data)  # from the "movi" type field
        index += b"00db" + struct.pack("<III", 0x10, offset, len(data))
        movi_data += chunk(b"00db", data)
    movi = riff_list(b"LIST", b"movi", movi_data)
    body = hdrl + movi + chunk(b"idx1", index)
    with open(path, "wb") as f:
        f.write(riff_list(b"RIFF", b"AVI ", body))


def write_click(path):
    """About 60 ms: a noise burst with a 2.4 kHz tick, falling away fast."""
    rng = random.Random(5082)
    samples = []
    count = SAMPLE_RATE * 60 // 1000
    for n in range(count):
        t = n / SAMPLE_RATE
        envelope = math.exp(-t * 90.0)
        value = 0.55 * math.sin(2 * math.pi * 2400 * t) + 0.45 * (rng.random() * 2 - 1)
        samples.append(int(max(-1.0, min(1.0, value * envelope)) * 26000))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(SAMPLE_RATE)
        w.writeframes(struct.pack("<%dh" % len(samples), *samples))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(os.path.join(folder, "wave"), exist_ok=True)
    os.makedirs(os.path.join(folder, "avi"), exist_ok=True)
    mouse_frame().save(os.path.join(folder, "wave", "double_click.bmp"))
    write_avi(os.path.join(folder, "avi", "double_click.avi"), clip_frames())
    write_click(os.path.join(folder, "wave", "double_click.wav"))


if __name__ == "__main__":
    main()
