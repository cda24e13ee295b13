#!/usr/bin/python3
"""Generates every skin INI file and image from one description per window.

Each window is described once (size, texts, controls with their entry keys and
rectangles); the INI file and the five full-window images ("Mask", "Normal",
"Over", "Down", "Disable") are both drawn from that description, so the
coordinates in the INI files and the drawn controls always agree.

    generate.py OUTPUT_FOLDER [RESOURCE_FOLDER [TEST_SKIN_FOLDER]]

RESOURCE_FOLDER receives the icons that the programs' resource scripts bind
in: the submenu arrow (icon 145), Option's window icon (icon 128) and the
pictures of list items (bitmaps 135, 137, 138, 146). TEST_SKIN_FOLDER
receives skins that only the tests and the screenshots use.
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"

# The look: dark panels, the red accent of the menus.
BACKGROUND = (30, 30, 30)
PANEL = (40, 40, 44)
PANEL_EDGE = (58, 58, 64)
ACCENT = (230, 30, 30)
ACCENT_DARK = (150, 20, 20)
TEXT = (235, 235, 235)
TEXT_DIM = (150, 150, 156)
DISABLED_FACE = (46, 46, 48)
DISABLED_TEXT = (96, 96, 100)
WHITE = (255, 255, 255)

STATES = ("Normal", "Over", "Down", "Disable")


def font(size, bold=False):
    name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
    return ImageFont.truetype(FONT_DIR + name, size)


class Control:
    """One skin entry: key in BUTTONPOS, its rectangle and how it is drawn."""

    def __init__(self, key, name, x, y, w, h, style="button", label="", caption="", origin=(0, 0)):
        self.key, self.name = key, name
        self.x, self.y, self.w, self.h = x, y, w, h
        self.style, self.label, self.caption = style, label, caption
        # The entry is written relative to `origin` (a control inside a
        # child window); a control without a key is drawn but not written.
        self.origin = origin

    def entry(self):
        x, y = self.x - self.origin[0], self.y - self.origin[1]
        if self.style == "area":  # a placement, not a control: left, top, right, bottom
            return "%d,%d,%d,%d" % (x, y, x + self.w, y + self.h)
        return "%s,%d,%d,%d,%d,%s" % (self.name, x, y, self.w, self.h, self.caption)

    def box(self):
        return (self.x, self.y, self.x + self.w - 1, self.y + self.h - 1)


class Window:
    """A skinned window: its size, static artwork and controls."""

    def __init__(self, skin_file, width, height, radius=12):
        self.skin_file = skin_file
        self.width, self.height, self.radius = width, height, radius
        self.controls = []
        self.texts = []  # (x, y, text, size, bold, colour, anchor)
        self.panels = []  # (box, fill, outline)
        self.extra = {}  # further INI entries (section -> key -> value)
        self.frame = True  # the outer outline and accent line of a top-level window

    def add(self, *args, **kwargs):
        control = Control(*args, **kwargs)
        self.controls.append(control)
        return control

    def text(self, x, y, text, size=12, bold=False, colour=TEXT, anchor="la"):
        self.texts.append((x, y, text, size, bold, colour, anchor))

    def panel(self, box, fill=PANEL, outline=PANEL_EDGE):
        self.panels.append((box, fill, outline))


def draw_control(draw, control, state):
    box = control.box()
    style = control.style
    if style == "area":
        return
    if style in PAGE_STYLES:
        draw_page_control(draw, control, state)
        return
    if state == "Disable":
        face, edge, ink = DISABLED_FACE, PANEL_EDGE, DISABLED_TEXT
    elif state == "Down":
        face, edge, ink = ACCENT_DARK if style != "box" else (58, 24, 24), ACCENT, WHITE
    elif state == "Over":
        face, edge, ink = (62, 62, 68), ACCENT, WHITE
    else:
        face, edge, ink = PANEL, PANEL_EDGE, TEXT

    if style == "tab":
        draw.rectangle(box, fill=face if state != "Normal" else BACKGROUND)
        if state in ("Down", "Over"):
            draw.rectangle((box[0], box[3] - 2, box[2], box[3]), fill=ACCENT)
        label_font = font(12, bold=True)
        draw.text(((box[0] + box[2]) / 2, (box[1] + box[3]) / 2), control.label, font=label_font,
                  fill=ink if state != "Normal" else TEXT_DIM, anchor="mm")
        return
    if style == "icon":  # window buttons of the title bar
        if state in ("Over", "Down"):
            draw.rounded_rectangle(box, radius=4, fill=ACCENT if state == "Down" else (70, 70, 76))
        label_font = font(14, bold=True)
        draw.text(((box[0] + box[2]) / 2, (box[1] + box[3]) / 2), control.label, font=label_font,
                  fill=DISABLED_TEXT if state == "Disable" else ink, anchor="mm")
        return
    if style in ("spin", "spinview", "hslider", "vslider", "field"):
        draw_value_control(draw, control, state, face, ink)
        return
    if style == "list":  # a list control covers the box; its edge shows around it
        draw.rectangle((box[0] - 1, box[1] - 1, box[2] + 1, box[3] + 1), fill=PANEL, outline=PANEL_EDGE)
        return
    if style == "frame":  # a place for a picture or clip drawn by the program
        draw.rectangle((box[0] - 1, box[1] - 1, box[2] + 1, box[3] + 1), fill=BACKGROUND, outline=PANEL_EDGE)
        return
    if style == "picture":  # a three-state picture: rest, lit, pressed
        draw_picture(draw, box, state)
        return
    if style == "box":  # a button box: the function name is drawn by the program
        draw.rectangle(box, fill=face, outline=edge)
        draw.rectangle((box[0], box[1], box[0] + 2, box[3]), fill=ACCENT if state != "Disable" else edge)
        return
    radius = 5 if style == "primary" or style == "button" else 3
    fill = face
    if style == "primary" and state == "Normal":
        fill = ACCENT_DARK
    draw.rounded_rectangle(box, radius=radius, fill=fill, outline=edge)
    if style == "toggle" and state == "Down":
        draw.ellipse((box[0] + 8, box[1] + control.h / 2 - 4, box[0] + 16, box[1] + control.h / 2 + 4), fill=WHITE)
    elif style == "toggle":
        draw.ellipse((box[0] + 8, box[1] + control.h / 2 - 4, box[0] + 16, box[1] + control.h / 2 + 4), outline=ink)
    label_font = font(12, bold=style in ("primary", "profile"))
    if style == "toggle":
        draw.text((box[0] + 24, (box[1] + box[3]) / 2), control.label, font=label_font, fill=ink, anchor="lm")
    elif style == "profile":
        draw.text((box[0] + 12, (box[1] + box[3]) / 2), control.label, font=label_font, fill=ink, anchor="lm")
    else:
        draw.text(((box[0] + box[2]) / 2, (box[1] + box[3]) / 2), control.label, font=label_font, fill=ink,
                  anchor="mm")


def draw_picture(draw, box, state):
    """A mouse-button glyph in a round tile; the state shows in its colours."""
    tile = {"Normal": PANEL, "Over": (62, 62, 68), "Down": ACCENT_DARK}.get(state, DISABLED_FACE)
    edge = {"Normal": PANEL_EDGE, "Over": ACCENT, "Down": ACCENT}.get(state, PANEL_EDGE)
    ink = {"Normal": TEXT_DIM, "Over": WHITE, "Down": WHITE}.get(state, DISABLED_TEXT)
    draw.rounded_rectangle(box, radius=8, fill=tile, outline=edge)
    w, h = box[2] - box[0], box[3] - box[1]
    body = (box[0] + w * 0.3, box[1] + h * 0.18, box[2] - w * 0.3, box[3] - h * 0.18)
    draw.rounded_rectangle(body, radius=int(w * 0.2), outline=ink, width=2)
    cx = (body[0] + body[2]) / 2
    draw.line((cx, body[1] + 2, cx, body[1] + h * 0.25), fill=ink, width=2)
    if state == "Down":  # the left button pressed
        draw.rectangle((body[0] + 3, body[1] + 3, cx - 2, body[1] + h * 0.25), fill=ACCENT)


def draw_value_control(draw, control, state, face, ink):
    """Spin fields, slider grooves and entry fields. A spin field's arrows sit
    where the program places its arrow buttons; an entry field and the number
    of a spin field are drawn by the program over the white part."""
    x, y, w, h = control.x, control.y, control.w, control.h
    disabled = state == "Disable"
    if control.style in ("hslider", "vslider"):
        groove = (18, 18, 20) if not disabled else (34, 34, 36)
        fill = ACCENT_DARK if not disabled else PANEL_EDGE
        if control.style == "hslider":
            cy = y + h // 2
            draw.rounded_rectangle((x + 1, cy - 2, x + w - 2, cy + 2), radius=2, fill=groove,
                                   outline=PANEL_EDGE)
            draw.line((x + 3, cy, x + w - 4, cy), fill=fill)
        else:
            cx = x + w // 2
            draw.rounded_rectangle((cx - 2, y + 1, cx + 2, y + h - 2), radius=2, fill=groove,
                                   outline=PANEL_EDGE)
            draw.line((cx, y + 3, cx, y + h - 4), fill=fill)
        return
    edge = PANEL_EDGE if state in ("Normal", "Disable") else ACCENT
    draw.rectangle((x, y, x + w - 1, y + h - 1), fill=PANEL, outline=edge)
    white = WHITE if not disabled else (200, 200, 204)
    if control.style == "field":
        draw.rectangle((x + 2, y + 2, x + w - 3, y + h - 3), fill=white)
        return
    if control.style == "spin":
        field = (x + 2, y + 2, x + w - 23, y + 19)
        arrows = ((x + w - 20, y + 2, x + w - 3, y + 8), (x + w - 20, y + 11, x + w - 3, y + 17))
    else:
        field = (x + 2, y + 2, x + 21, y + 14)
        arrows = ((x + 23, y + 2, x + w - 2, y + 7), (x + 23, y + 9, x + w - 2, y + 14))
    draw.rectangle(field, fill=white)
    arrow_face = {"Normal": (58, 58, 64), "Over": (70, 70, 76), "Down": ACCENT_DARK}.get(state, DISABLED_FACE)
    glyph = {"Normal": TEXT, "Over": ACCENT, "Down": WHITE}.get(state, DISABLED_TEXT)
    for i, (l, t, r, b) in enumerate(arrows):
        draw.rectangle((l, t, r, b), fill=arrow_face)
        cx, cy = (l + r) / 2, (t + b) / 2
        if i == 0:
            draw.polygon([(cx - 3, cy + 1.5), (cx + 3, cy + 1.5), (cx, cy - 1.5)], fill=glyph)
        else:
            draw.polygon([(cx - 3, cy - 1.5), (cx + 3, cy - 1.5), (cx, cy + 1.5)], fill=glyph)


def render(window, state):
    image = Image.new("RGB", (window.width, window.height), BACKGROUND)
    draw = ImageDraw.Draw(image)
    if window.frame:
        draw.rounded_rectangle((0, 0, window.width - 1, window.height - 1), radius=window.radius,
                               fill=BACKGROUND, outline=PANEL_EDGE)
        draw.rectangle((window.radius, 0, window.width - 1 - window.radius, 1), fill=ACCENT)
    else:
        draw.rectangle((0, 0, window.width - 1, window.height - 1), fill=BACKGROUND, outline=PANEL_EDGE)
    for box, fill, outline in window.panels:
        draw.rectangle(box, fill=fill, outline=outline)
    for x, y, text, size, bold, colour, anchor in window.texts:
        draw.text((x, y), text, font=font(size, bold), fill=colour, anchor=anchor)
    for control in window.controls:
        draw_control(draw, control, state)
    return image


def render_mask(window):
    # White is outside the window; everything else is inside.
    mask = Image.new("RGB", (window.width, window.height), WHITE)
    ImageDraw.Draw(mask).rounded_rectangle((0, 0, window.width - 1, window.height - 1),
                                           radius=window.radius, fill=(0, 0, 0))
    return mask


def write_window(window, out):
    base = os.path.splitext(window.skin_file)[0]
    names = {"Mask": base + "_mask.bmp"}
    if not window.controls:
        # Nothing changes with the state: one image serves all four, and its
        # few colours fit an 8-bit file.
        render_mask(window).convert("P").save(os.path.join(out, names["Mask"]))
        image = render(window, "Normal").convert("P", palette=Image.ADAPTIVE, colors=16)
        image.save(os.path.join(out, base + "_normal.bmp"))
        names.update((state, base + "_normal.bmp") for state in STATES)
    else:
        render_mask(window).save(os.path.join(out, names["Mask"]))
        for state in STATES:
            names[state] = "%s_%s.bmp" % (base, state.lower())
            render(window, state).save(os.path.join(out, names[state]))
    lines = ["[SCREEN]"]
    for key in ("Mask",) + STATES:
        lines.append("%s=%s" % (key, names[key]))
    lines.append("[BUTTONPOS]")
    for control in sorted((c for c in window.controls if c.key is not None), key=lambda c: int(c.key)):
        lines.append("%s=%s" % (control.key, control.entry()))
    for section, values in window.extra.items():
        lines.append("[%s]" % section)
        lines.extend("%s=%s" % kv for kv in values.items())
    with open(os.path.join(out, window.skin_file), "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


# ---------------------------------------------------------------- main window

PAGE_AREA = (232, 96, 752, 508)  # left, top, right, bottom


def main_window():
    w = Window("skin_main.ini", 980, 600, radius=14)
    w.text(20, 16, "KESTRA", 18, True, ACCENT)
    w.text(112, 19, "Gaming Mouse Settings", 12, False, TEXT_DIM)
    w.add("10", "minimise", 906, 10, 30, 26, "icon", label="\u2013")
    w.add("11", "close", 940, 10, 30, 26, "icon", label="\u00d7")

    # Profiles
    w.panel((16, 56, 216, 508))
    w.text(28, 66, "PROFILES", 11, True, TEXT_DIM)
    for i in range(5):
        w.add(str(5 + i), "profile%d" % (i + 1), 26, 88 + i * 40, 180, 34, "profile", label="Profile %d" % (i + 1))
    w.add("1", "new_profile", 26, 298, 88, 28, label="New")
    w.add("4", "edit_profile", 118, 298, 88, 28, label="Edit")
    w.add("2", "import", 26, 332, 88, 28, label="Import")
    w.add("3", "export", 118, 332, 88, 28, label="Export")
    w.text(28, 376, "HAND", 11, True, TEXT_DIM)
    w.add("35", "right_handed", 26, 396, 180, 28, "toggle", label="Right-handed")
    w.add("36", "left_handed", 26, 428, 180, 28, "toggle", label="Left-handed")
    w.add("44", "reset_current", 26, 470, 88, 28, label="Reset")
    w.add("45", "reset_all", 118, 470, 88, 28, label="Reset all")

    # Pages
    tabs = [("47", "Buttons"), ("39", "Performance"), ("40", "DPI"), ("38", "Lighting"), ("37", "Macros")]
    for i, (key, label) in enumerate(tabs):
        w.add(key, "tab_" + label.lower(), 232 + i * 104, 56, 104, 36, "tab", label=label.upper())
    w.panel((PAGE_AREA[0], PAGE_AREA[1], PAGE_AREA[2] - 1, PAGE_AREA[3] - 1), fill=BACKGROUND)
    w.add("42", "page_area", PAGE_AREA[0], PAGE_AREA[1], PAGE_AREA[2] - PAGE_AREA[0], PAGE_AREA[3] - PAGE_AREA[1],
          "area")

    # Button boxes 0..14: the program writes the function name into each.
    w.panel((768, 56, 964, 508))
    w.text(780, 66, "BUTTONS", 11, True, TEXT_DIM)
    for i in range(15):
        y = 86 + i * 28
        w.text(782, y + 12, "%d" % (i + 1), 11, True, TEXT_DIM, "lm")
        w.add(str(20 + i), "box%d" % i, 804, y, 152, 24, "box")

    # Bottom bar
    w.add("43", "manual", 16, 540, 100, 32, label="Manual")
    w.add("46", "web", 124, 540, 100, 32, label="Website")
    # Where Option shows how far a running apply is: a line of text over a
    # thin bar along the bottom, between the link buttons and OK.
    w.add("48", "apply_progress", 244, 540, 392, 32, "area")
    w.add("12", "ok", 652, 540, 100, 32, "primary", label="OK")
    w.add("13", "cancel", 760, 540, 100, 32, label="Cancel")
    w.add("14", "apply", 868, 540, 100, 32, "primary", label="Apply")
    return w


def pages():
    """The five pages of the main window, each the size of the page area; a
    page's controls are added to its description as the page is built."""
    result = []
    for skin_file in ("skin_button_page.ini", "skin_performance.ini", "skin_DPI.ini",
                      "skin_light_setting.ini", "skin_macro_page.ini"):
        w = Window(skin_file, PAGE_AREA[2] - PAGE_AREA[0], PAGE_AREA[3] - PAGE_AREA[1], radius=0)
        w.frame = False
        if skin_file == "skin_light_setting.ini":
            light_page(w)
        if skin_file == "skin_button_page.ini":
            button_page(w)
        elif skin_file == "skin_performance.ini":
            performance_page(w)
        elif skin_file == "skin_DPI.ini":
            dpi_page(w)
        elif skin_file == "skin_macro_page.ini":
            macro_page(w)
        result.append(w)
    return result


# ------------------------------------------------- performance and DPI pages

# Controls of the value pages, drawn by draw_page_control.
PAGE_STYLES = ("row", "groove", "check", "choice", "select", "swatch", "value", "readout")


def draw_page_control(draw, control, state):
    """The controls of the performance and DPI pages and the level colour
    dialog. "Down" is also the look of a selected choice or a checked box."""
    x0, y0, x1, y1 = control.box()
    style = control.style
    cy = (y0 + y1) / 2
    if style == "row":  # a child window with controls of its own
        return
    if style == "groove":  # a slider's track; the thumb is a window of its own
        draw.rounded_rectangle((x0 + 2, cy - 2, x1 - 2, cy + 2), radius=2, fill=(18, 18, 20),
                               outline=PANEL_EDGE)
        return
    if style == "value":  # the program writes a number here, white on dark
        draw.rectangle((x0, y0, x1, y1), fill=(22, 22, 24), outline=PANEL_EDGE)
        return
    if style == "readout":  # the program writes black text here
        draw.rectangle((x0, y0, x1, y1), fill=(228, 228, 232), outline=PANEL_EDGE)
        return
    if style == "swatch":  # the program fills all but the corners with the colour
        draw.rectangle((x0, y0, x1, y1), fill=PANEL, outline=ACCENT if state in ("Over", "Down") else PANEL_EDGE)
        return
    if style == "check":  # a box with a tick; the label names what it switches
        disabled = state == "Disable"
        ink = DISABLED_TEXT if disabled else (WHITE if state in ("Over", "Down") else TEXT)
        box = (x0 + 2, cy - 6, x0 + 14, cy + 6)
        if state == "Down" or (disabled and control.caption == "locked"):
            draw.rectangle(box, fill=ACCENT if not disabled else PANEL_EDGE, outline=ACCENT if not disabled else PANEL_EDGE)
            draw.line((box[0] + 3, cy, box[0] + 5, cy + 3, box[0] + 9, cy - 3), fill=WHITE, width=2)
        else:
            draw.rectangle(box, fill=(22, 22, 24), outline=ACCENT if state == "Over" else (110, 110, 116))
        label = control.label
        if disabled and control.caption == "locked":
            label = "In use"
        draw.text((x0 + 20, cy), label, font=font(11), fill=ink, anchor="lm")
        return
    # "choice", "select": buttons of which one shows selected ("Down").
    if state == "Down":
        face, edge, ink = ACCENT_DARK, ACCENT, WHITE
    elif state == "Over":
        face, edge, ink = (62, 62, 68), ACCENT, WHITE
    elif state == "Disable":
        face, edge, ink = DISABLED_FACE, PANEL_EDGE, DISABLED_TEXT
    else:
        face, edge, ink = PANEL if style == "choice" else (50, 50, 56), PANEL_EDGE, TEXT
    draw.rounded_rectangle((x0, y0, x1, y1), radius=3, fill=face, outline=edge)
    size = 10 if control.h < 20 else 11
    label = control.label
    if style == "select" and state == "Down":
        label = "\u25cf " + label  # the level in use
    draw.text(((x0 + x1 + 1) / 2, cy + 0.5), label, font=font(size, bold=style == "select"), fill=ink,
              anchor="mm")


def button_page(w):
    """A box per mouse button, in two columns of eight, numbered as the main
    window numbers its boxes; the program writes the function name into each."""
    w.text(14, 10, "BUTTON ASSIGNMENT", 11, True, TEXT_DIM)
    for i in range(16):
        column, row = divmod(i, 8)
        x = 14 + column * 256
        y = 40 + row * 44
        w.text(x, y + 12, "Button %d" % (i + 1), 12, False, TEXT, "lm")
        w.add(str(20 + i), "box%d" % i, x + 76, y, 160, 24, "box")


def performance_page(w):
    """Sliders for the continuous values, one row of buttons for each choice
    without a slider. The double-click, pointer-speed and wheel-line button
    rows repeat what the sliders do and are left out."""
    w.text(14, 10, "POINTER AND WHEEL", 11, True, TEXT_DIM)
    # Entry "0": the four sliders share the area in four equal rows, in the
    # order the page creates them; the values are written at the right.
    area = (150, 30, 250, 136)
    w.add("0", "sliders", area[0], area[1], area[2], area[3], "area")
    for i, label in enumerate(("Double-click time", "Pointer speed", "Tilt speed", "Wheel lines")):
        row = area[1] + i * area[3] // 4
        w.text(14, row + area[3] // 8, label, 12, False, TEXT, "lm")
        w.add(None, "groove", area[0], row, area[2], area[3] // 4, "groove")
        w.add(None, "value", area[0] + area[2] + 10, row + 6, 86, 22, "value")
    w.add("52", "acceleration", 14, 176, 220, 22, "check", label="Pointer acceleration")
    w.text(14, 219, "Wheel scrolls", 12, False, TEXT, "lm")
    w.add("14", "wheel_lines", 150, 208, 120, 22, "choice", label="Lines")
    w.add("15", "wheel_screen", 276, 208, 120, 22, "choice", label="One screen")
    w.text(14, 252, "REPORT RATE", 11, True, TEXT_DIM)
    for i, hz in enumerate((125, 250, 500, 1000)):
        w.add(str(10 + i), "rate%d" % hz, 14 + i * 96, 268, 90, 26, "choice", label="%d Hz" % hz)
    w.text(14, 312, "QUICK RESOLUTION OF LEVEL 5", 11, True, TEXT_DIM)
    for j, dpi in enumerate((400, 800, 1200, 1600, 2000, 2400, 3200, 4000)):
        w.add(str(2 + j), "resolution%d" % (j + 1), 14 + j * 56, 328, 52, 26, "choice", label=str(dpi))
    w.text(14, 382, "Quick choice", 12, False, TEXT, "lm")
    w.add("1", "resolution_text", 110, 370, 80, 24, "readout")
    w.text(198, 382, "DPI", 12, True, TEXT_DIM, "lm")


# A level row of the DPI page: a child window at each row's place, its
# outline from "DPI_Window_Mask.bmp"; its controls are the entries "60".."71"
# of skin_DPI.ini, relative to the row, and it cuts its images out of the
# page's images at its place.
DPI_ROW = (8, 28, 440, 54, 58)  # left, first top, width, height, pitch
DPI_ROW_RADIUS = 6


def dpi_row_mask():
    _, _, width, height, _ = DPI_ROW
    mask = Image.new("RGB", (width, height), WHITE)
    ImageDraw.Draw(mask).rounded_rectangle((0, 0, width - 1, height - 1), radius=DPI_ROW_RADIUS,
                                           fill=(0, 0, 0))
    return mask


def dpi_page(w):
    left, top, width, height, pitch = DPI_ROW
    w.text(14, 10, "RESOLUTION LEVELS", 11, True, TEXT_DIM)
    w.text(left + width, 10, "Click a level's name to use it", 10, False, TEXT_DIM, "ra")
    w.text(482, 10, "COLOUR", 11, True, TEXT_DIM, "ma")
    for i in range(5):
        x, y = left, top + i * pitch
        w.panel((x, y, x + width - 1, y + height - 1))
        w.add(str(5 + i), "level%d" % (i + 1), x, y, width, height, "row")
        key = (lambda k: str(k)) if i == 0 else (lambda k: None)
        origin = (x, y)
        w.add(key(71), "select", x + 8, y + 6, 80, 20, "select", label="LEVEL %d" % (i + 1),
              origin=origin)
        w.add(key(70), "enable", x + 8, y + 30, 80, 18, "check", label="Enabled", caption="locked",
              origin=origin)
        w.add(key(69), "value", x + 96, y + 6, 60, 20, "value", origin=origin)
        w.text(x + 161, y + 16, "DPI", 11, True, TEXT_DIM, "lm")
        w.add(key(68), "slider", x + 192, y + 5, 240, 22, "groove", origin=origin)
        for k in range(8):
            w.add(key(60 + k), "preset%d" % (k + 1), x + 96 + k * 42, y + 30, 39, 18, "choice",
                  label=str((k + 1) * 100), origin=origin)
        w.add(str(10 + i), "colour%d" % (i + 1), 456, y + 13, 52, 28, "swatch")
    w.text(14, 330, "SENSITIVITY", 11, True, TEXT_DIM)
    for i, (axis, key) in enumerate((("X", "3"), ("Y", "4"))):
        y = 344 + i * 30
        w.text(22, y + 11, axis, 12, True, TEXT, "mm")
        w.add(key, "sensitivity_" + axis.lower(), 40, y, 300, 22, "groove")
        w.add(None, "value", 348, y, 44, 22, "value")
    w.add("2", "xy_separate", 408, 344, 104, 22, "check", label="Separate X/Y")


def dpi_colour_dialog():
    """The colour of one level: red, green and blue sliders with their
    numbers, a preview, OK and Cancel."""
    w = Window("skin_dpi_color.ini", 300, 236, radius=10)
    # The program writes the title ("Level 3 colour") into area "8".
    w.add("8", "title", 16, 8, 230, 24, "area")
    w.add("3", "close", 266, 8, 26, 22, "icon", label="\u00d7")
    w.add("4", "preview", 20, 44, 260, 36, "frame")
    for i, (name, colour) in enumerate((("R", (230, 60, 60)), ("G", (60, 200, 90)), ("B", (80, 130, 240)))):
        y = 96 + i * 30
        w.text(26, y + 11, name, 12, True, colour, "mm")
        w.add(str(5 + i), name.lower(), 40, y, 190, 22, "groove")
        w.add(None, "value", 238, y, 42, 22, "value")
    w.add("2", "cancel", 80, 192, 96, 28, label="Cancel")
    w.add("1", "ok", 184, 192, 96, 28, "primary", label="OK")
    return w


# ------------------------------------------------------------ warning dialogs

def player_dialog():
    """The media player that media buttons drive: a box naming it (a click
    opens the choice), OK, Cancel and the corner cross."""
    w = Window("skin_select_player.ini", 300, 150, radius=10)
    w.text(16, 20, "Media player", 14, True, TEXT, "lm")
    w.add("4", "close", 266, 8, 26, 22, "icon", label="\u00d7")
    w.text(16, 56, "Media buttons drive", 12, False, TEXT_DIM, "lm")
    w.add("1", "player", 16, 68, 268, 24, "box")
    w.add("3", "cancel", 80, 108, 96, 28, label="Cancel")
    w.add("2", "ok", 184, 108, 96, 28, "primary", label="OK")
    return w


def launch_program_dialog():
    """The program a button starts: its path (the program's own edit lies on
    the light box), browse, OK, Cancel and the corner cross."""
    w = Window("skin_lanuch_program.ini", 420, 150, radius=10)
    w.text(16, 20, "Launch program", 14, True, TEXT, "lm")
    w.add("5", "close", 386, 8, 26, 22, "icon", label="\u00d7")
    w.text(16, 56, "Program", 12, False, TEXT_DIM, "lm")
    w.add("1", "path", 16, 68, 296, 24, "readout")
    w.add("2", "browse", 320, 66, 84, 28, label="Browse...")
    w.add("4", "cancel", 200, 108, 96, 28, label="Cancel")
    w.add("3", "ok", 308, 108, 96, 28, "primary", label="OK")
    return w


def select_macro_dialog():
    """The macro a button plays: a box naming it (a click opens the list),
    the three play options, OK, Cancel and the corner cross."""
    w = Window("skin_select_macro.ini", 320, 196, radius=10)
    w.text(16, 20, "Choose macro", 14, True, TEXT, "lm")
    w.add("3", "close", 286, 8, 26, 22, "icon", label="\u00d7")
    w.text(16, 56, "Macro", 12, False, TEXT_DIM, "lm")
    w.add("4", "macro", 16, 68, 288, 24, "box")
    w.text(16, 112, "Play option", 12, False, TEXT_DIM, "lm")
    for i in range(3):
        w.add(str(5 + i), "option%d" % (i + 1), 16 + i * 98, 124, 92, 24, "choice", label="Option %d" % (i + 1))
    w.add("2", "cancel", 100, 158, 96, 28, label="Cancel")
    w.add("1", "ok", 208, 158, 96, 28, "primary", label="OK")
    return w


def shortcut_dialog():
    """The key of a key combination: its name (the program's own edit lies
    on the white box), the five flags, OK, Cancel and the corner cross."""
    w = Window("skin_shortcut.ini", 360, 196, radius=10)
    w.text(16, 20, "Key combination", 14, True, TEXT, "lm")
    w.add("4", "close", 326, 8, 26, 22, "icon", label="\u00d7")
    w.text(16, 56, "Press a key", 12, False, TEXT_DIM, "lm")
    w.add("10", "key", 16, 68, 328, 24, "readout")
    for i, label in enumerate(("Key alone", "Shift", "Ctrl", "Alt", "Win")):
        x, width = (16, 92) if i == 0 else (50 + i * 60, 56)
        w.add(str(5 + i), "flag%d" % i, x, 112, width, 24, "check", label=label)
    w.add("3", "cancel", 140, 158, 96, 28, label="Cancel")
    w.add("2", "ok", 248, 158, 96, 28, "primary", label="OK")
    return w


def warning(skin_file, title, lines, buttons):
    """A small confirmation: the wording is part of the images."""
    w = Window(skin_file, 260, 130, radius=10)
    w.text(16, 14, title, 13, True, WHITE)
    for i, line in enumerate(lines):
        w.text(16, 42 + i * 17, line, 11, False, TEXT)
    for key, name, label, style in buttons:
        if style == "icon":
            w.add(key, name, 226, 8, 26, 22, "icon", label="\u00d7")
        else:
            x = 150 if key == "1" else 52  # confirm on the right
            w.add(key, name, x, 94, 94, 26, style, label=label)
    return w


def warnings():
    confirm = lambda label: ("1", "confirm", label, "primary")
    cancel = ("2", "cancel", "Cancel", "button")
    close = ("3", "close", "", "icon")
    return [
        warning("skin_click_warn.ini", "Left click needed",
                ["One button must keep the left click,", "so this change was not made."],
                [confirm("OK"), ("2", "close", "Close", "button"), close]),
        warning("skin_reset_current_warn.ini", "Reset this profile?",
                ["Every setting of the current profile", "goes back to its default."],
                [confirm("Reset"), cancel, close]),
        warning("skin_reset_all_warn.ini", "Reset all profiles?",
                ["All five profiles go back to their", "defaults; profile 1 becomes active."],
                [confirm("Reset all"), cancel, close]),
        warning("skin_macro_set_warn.ini", "Select a macro first",
                ["Choose a macro in the list before", "you edit its steps."],
                [confirm("OK"), ("2", "close", "", "icon")]),
        warning("skin_delete_macro_warn.ini", "Delete this macro?",
                ["Buttons that play it will do", "nothing until you assign them again."],
                [confirm("Delete"), cancel, close]),
    ]


# ------------------------------------------------------------ macro manager

def macro_manager_dialog():
    """The macro library: the macros with New, Delete, Import and Export
    under them, the selected macro's steps (the list is the program's), and
    at the right the record button (its images are "start_record_*.jpg" and
    "stop_record_*.jpg"), the record-delays and repeat switches and the
    repeat count."""
    w = Window("skin_macro_manager.ini", 580, 468, radius=10)
    w.text(16, 20, "Macro manager", 14, True, TEXT, "lm")
    w.add("3", "close", 546, 8, 26, 22, "icon", label="\u00d7")
    w.text(16, 48, "MACROS", 11, True, TEXT_DIM)
    w.add("10", "macros", 16, 66, 200, 264, "list")
    w.add("11", "new", 16, 340, 96, 28, label="New")
    w.add("12", "delete", 120, 340, 96, 28, label="Delete")
    w.add("13", "import", 16, 374, 96, 28, label="Import")
    w.add("14", "export", 120, 374, 96, 28, label="Export")
    w.text(236, 48, "STEPS", 11, True, TEXT_DIM)
    w.text(420, 48, "right-click to edit", 10, False, TEXT_DIM, "ra")
    w.add("20", "steps", 236, 66, 184, 336, "list")
    w.text(440, 48, "RECORD", 11, True, TEXT_DIM)
    w.add("21", "record", 440, 66, 124, 32, label="Record")
    w.add("22", "record_delays", 440, 110, 124, 24, "check", label="Record delays")
    w.text(440, 160, "PLAYBACK", 11, True, TEXT_DIM)
    w.add("23", "repeat", 440, 178, 124, 24, "check", label="Repeat")
    w.add("24", "repeat_count", 440, 210, 56, 22, "field")
    w.text(504, 221, "times (1-255)", 10, False, TEXT_DIM, "lm")
    w.add("2", "cancel", 360, 424, 96, 28, label="Cancel")
    w.add("1", "ok", 468, 424, 96, 28, "primary", label="OK")
    return w


def record_images(out):
    """The record button's two faces, each in three states: a red dot and
    "Record" to start, a square and "Stop" while recording."""
    for kind, label in (("start", "Record"), ("stop", "Stop")):
        for state in ("normal", "over", "down"):
            image = Image.new("RGB", (124, 32), BACKGROUND)
            d = ImageDraw.Draw(image)
            face = {"normal": PANEL, "over": (62, 62, 68), "down": ACCENT_DARK}[state]
            if kind == "stop" and state == "normal":
                face = ACCENT_DARK  # recording shows at a glance
            edge = PANEL_EDGE if state == "normal" and kind == "start" else ACCENT
            d.rounded_rectangle((0, 0, 123, 31), radius=5, fill=face, outline=edge)
            if kind == "start":
                d.ellipse((14, 10, 26, 22), fill=ACCENT if state != "down" else WHITE)
            else:
                d.rectangle((15, 11, 25, 21), fill=WHITE)
            d.text((72, 16), label, font=font(12, bold=True), fill=WHITE, anchor="mm")
            image.save(os.path.join(out, "%s_record_%s.jpg" % (kind, state)), quality=95)


def macro_page(w):
    """The MACROS tab: the library and the selected macro's steps, read
    only, with the way into the macro manager where they are edited."""
    w.text(14, 10, "MACRO LIBRARY", 11, True, TEXT_DIM)
    w.add("10", "macros", 14, 32, 220, 330, "list")
    w.text(254, 10, "STEPS", 11, True, TEXT_DIM)
    w.add("20", "steps", 254, 32, 250, 330, "list")
    w.add("11", "manage", 14, 374, 220, 30, "primary", label="Open macro manager")
    w.text(254, 389, "Record, edit, import and export there.", 10, False, TEXT_DIM, "lm")


# ------------------------------------------------------- double-click test

def cartoon_dialog():
    """The double-click test: the program writes its message at 20,50-220,94
    and plays the clip over the area of entry "4"."""
    w = Window("skin_cartoon.ini", 240, 244, radius=10)
    w.text(16, 14, "Double-click test", 13, True, WHITE)
    w.add("4", "clip", 60, 100, 120, 90, "frame")
    w.add("2", "replay", 20, 206, 96, 26, label="Replay")
    w.add("1", "ok", 124, 206, 96, 26, "primary", label="OK")
    w.add("3", "close", 206, 8, 26, 22, "icon", label="\u00d7")
    return w


# ----------------------------------------------------- test and demo skins

def text_controls_skin():
    """Not shipped: the dialog on which the tests and the screenshots show
    the list, the pictures and their states."""
    w = Window("skin_text_controls.ini", 420, 280, radius=12)
    w.text(16, 14, "Lists and pictures", 13, True, WHITE)
    w.text(20, 40, "MACROS", 11, True, TEXT_DIM)
    w.add("1", "list", 20, 58, 180, 162, "list")
    w.text(232, 40, "PICTURES", 11, True, TEXT_DIM)
    w.add("2", "picture", 232, 58, 48, 48, "picture")
    w.add("3", "single", 296, 58, 48, 48, "frame")
    w.add("4", "new", 20, 236, 86, 28, label="New")
    w.add("5", "rename", 114, 236, 86, 28, label="Rename")
    w.add("6", "close", 386, 8, 26, 22, "icon", label="\u00d7")
    return w


def value_controls_skin():
    """Not shipped: the dialog on which the screenshots show the entry field,
    sliders, spin fields and a scrolled list in their states."""
    w = Window("skin_value_controls.ini", 460, 300, radius=12)
    w.text(16, 14, "Values and scrolling", 13, True, WHITE)
    w.text(20, 44, "NAME", 11, True, TEXT_DIM)
    w.add("1", "edit", 20, 62, 140, 22, "field")
    w.text(20, 100, "LEVEL", 11, True, TEXT_DIM)
    w.add("2", "level", 20, 116, 200, 24, "hslider")
    w.text(20, 156, "RATE", 11, True, TEXT_DIM)
    w.add("6", "rate", 20, 174, 90, 22, "spin")
    w.text(130, 156, "STEP", 11, True, TEXT_DIM)
    w.add("7", "step", 130, 176, 44, 17, "spinview")
    w.text(244, 44, "R", 11, True, TEXT_DIM, "ma")
    w.add("3", "red", 232, 62, 24, 140, "vslider")
    w.text(284, 44, "G", 11, True, TEXT_DIM, "ma")
    w.add("4", "green", 272, 62, 24, 140, "vslider")
    w.text(334, 44, "LIST", 11, True, TEXT_DIM)
    w.add("8", "list", 334, 62, 110, 180, "list")
    w.add("5", "close", 426, 8, 26, 22, "icon", label="\u00d7")
    w.add("9", "ok", 20, 256, 96, 28, "primary", label="OK")
    return w


def scrollbar_images(out):
    """The skinned scroll bar's pictures, 14 x 14: arrows at rest and lit
    (a pressed arrow shows the one at rest), the thumb at rest and lit, the
    track. Thumb and track are stretched, so they are plain colours."""
    unit = 14
    for name, direction in (("up", "up"), ("down", "down"), ("left", "left"), ("right", "right")):
        for hot in (False, True):
            image = Image.new("RGB", (unit, unit), (40, 40, 44))
            d = ImageDraw.Draw(image)
            d.rectangle((0, 0, unit - 1, unit - 1), fill=(66, 66, 72) if hot else (50, 50, 56),
                        outline=(36, 36, 40))
            c = (unit - 1) / 2
            tri = {"up": [(c - 3.5, c + 2), (c + 3.5, c + 2), (c, c - 2)],
                   "down": [(c - 3.5, c - 2), (c + 3.5, c - 2), (c, c + 2)],
                   "left": [(c + 2, c - 3.5), (c + 2, c + 3.5), (c - 2, c)],
                   "right": [(c - 2, c - 3.5), (c - 2, c + 3.5), (c + 2, c)]}[direction]
            d.polygon(tri, fill=ACCENT if hot else TEXT_DIM)
            image.save(os.path.join(out, "scrollbar_%s%s.bmp" % (name, "_hot" if hot else "")))
    Image.new("RGB", (unit, unit), (86, 86, 92)).save(os.path.join(out, "scrollbar_thumb.bmp"))
    Image.new("RGB", (unit, unit), ACCENT).save(os.path.join(out, "scrollbar_thumb_hot.bmp"))
    Image.new("RGB", (unit, unit), (36, 36, 40)).save(os.path.join(out, "scrollbar_track.bmp"))


def test_images(out):
    # The single-image picture of the test skin: a red badge.
    badge = Image.new("RGB", (48, 48), BACKGROUND)
    d = ImageDraw.Draw(badge)
    d.ellipse((4, 4, 43, 43), fill=ACCENT, outline=ACCENT_DARK, width=2)
    d.text((24, 24), "2x", font=font(16, bold=True), fill=WHITE, anchor="mm")
    badge.save(os.path.join(out, "text_controls_badge.bmp"))


# ------------------------------------------------------------- shared images

def shared_images(out):
    # Slider thumbs: white around the shape is outside it.
    for name, flip in (("scroll_arrow_down.bmp", False), ("scroll_arrow_up.bmp", True)):
        thumb = Image.new("RGB", (12, 18), WHITE)
        d = ImageDraw.Draw(thumb)
        # The top-left pixel stays white: the program takes its colour as
        # the one outside the shape.
        points = [(1, 0), (10, 0), (11, 1), (11, 11), (6, 17), (5, 17), (0, 11), (0, 1)]
        if flip:
            points = [(x, 17 - y) for x, y in points]
        d.polygon(points, fill=ACCENT, outline=ACCENT_DARK)
        thumb.save(os.path.join(out, name))
    submenu_arrow().save(os.path.join(out, "submenu_arrow.ico"), sizes=[(16, 16)])
    scrollbar_images(out)


def submenu_arrow():
    # The submenu arrow of the owner-drawn menus (an icon, 16 x 16).
    icon = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    ImageDraw.Draw(icon).polygon([(6, 4), (11, 8), (6, 12)], fill=(240, 240, 240, 255))
    return icon


def program_icon():
    # A red mouse outline on a dark rounded square; drawn large, scaled down.
    size = 256
    icon = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(icon)
    d.rounded_rectangle((8, 8, size - 9, size - 9), radius=48, fill=BACKGROUND + (255,),
                        outline=ACCENT + (255,), width=10)
    d.rounded_rectangle((76, 40, 180, 216), radius=52, outline=ACCENT + (255,), width=14)
    d.line((128, 44, 128, 110), fill=ACCENT + (255,), width=12)
    d.line((80, 110, 176, 110), fill=ACCENT + (255,), width=12)
    return icon


def list_icons():
    """The pictures of list items (16 x 16, black is transparent), by the
    resource number their item data carry: 135 a delay, 137 a key released,
    138 a key pressed, 146 a mouse button."""
    icons = {}
    for name, arrow in (("list_key_down.bmp", "down"), ("list_key_up.bmp", "up")):
        icon = Image.new("RGB", (16, 16), (0, 0, 0))
        d = ImageDraw.Draw(icon)
        d.rounded_rectangle((1, 1, 14, 14), radius=3, fill=(70, 70, 76), outline=(120, 120, 128))
        colour = ACCENT if arrow == "down" else (200, 200, 206)
        points = [(4, 6), (11, 6), (7.5, 11)] if arrow == "down" else [(4, 10), (11, 10), (7.5, 5)]
        d.polygon(points, fill=colour)
        icons[name] = icon
    mouse = Image.new("RGB", (16, 16), (0, 0, 0))
    d = ImageDraw.Draw(mouse)
    d.rounded_rectangle((3, 1, 12, 14), radius=4, fill=(70, 70, 76), outline=(200, 200, 206))
    d.line((7.5, 2, 7.5, 6), fill=(200, 200, 206))
    d.rectangle((4, 2, 6, 6), fill=ACCENT)
    icons["list_mouse.bmp"] = mouse
    clock = Image.new("RGB", (16, 16), (0, 0, 0))
    d = ImageDraw.Draw(clock)
    d.ellipse((1, 1, 14, 14), fill=(70, 70, 76), outline=(200, 200, 206))
    d.line((7.5, 7.5, 7.5, 3), fill=WHITE)
    d.line((7.5, 7.5, 11, 7.5), fill=ACCENT)
    icons["list_delay.bmp"] = clock
    return icons


def resources(out):
    os.makedirs(out, exist_ok=True)
    for name, icon in list_icons().items():
        icon.save(os.path.join(out, name))
    submenu_arrow().save(os.path.join(out, "submenu_arrow.ico"), sizes=[(16, 16)])
    program_icon().save(os.path.join(out, "option.ico"), sizes=[(16, 16), (32, 32), (48, 48)])


# ------------------------------------- lighting page, its dialogs, profiles

def light_page(w):
    """The effect, its intensity or speed and its direction (the program
    writes each label into its box, a button beside it opens the menu), the
    effect dialogs, and the colour of the active level: sliders with their
    numbers, the preview (a click opens the swatches) and seven presets."""
    w.text(14, 10, "LIGHT EFFECT", 11, True, TEXT_DIM)
    for i, label in enumerate(("Effect", "Intensity / speed", "Direction")):
        y = 32 + i * 32
        w.text(14, y + 12, label, 12, False, TEXT, "lm")
        w.add(None, "label", 150, y, 200, 24, "value")
        w.add(str(4 + i), "label%d" % (i + 1), 150, y, 200, 24, "area")
        w.add(str(1 + i), "menu%d" % (i + 1), 358, y, 110, 24, label="Choose \u25be")
    w.text(14, 136, "EFFECT SETTINGS", 11, True, TEXT_DIM)
    for i, label in enumerate(("Neon...", "Single colour...", "Seven colours...", "Dazzle...")):
        w.add(str(20 + i), "effect%d" % (i + 1), 14 + i * 124, 154, 116, 28, label=label)
    # The program names the level whose colour is edited in area "24".
    w.add("24", "colour_title", 14, 198, 380, 16, "area")
    for i, (name, colour) in enumerate((("R", (230, 60, 60)), ("G", (60, 200, 90)), ("B", (80, 130, 240)))):
        y = 222 + i * 30
        w.text(24, y + 11, name, 12, True, colour, "mm")
        w.add(str(7 + i), name.lower(), 40, y, 290, 22, "groove")
        w.add(None, "value", 338, y, 44, 22, "value")
    w.add("10", "preview", 400, 222, 106, 82, "swatch")
    w.text(453, 312, "Click for swatches", 10, False, TEXT_DIM, "ma")
    w.text(14, 334, "PRESETS", 11, True, TEXT_DIM)
    for i in range(7):
        w.add(str(11 + i), "preset%d" % (i + 1), 14 + i * 52, 352, 44, 28, "swatch")


def light_effect_dialog(skin_file, single_colour=False):
    """The speed of one effect (slider), its custom speed (a spin field the
    program enables at speed "Custom"), and for the single colour its
    intensity and colour; OK, Cancel and the corner cross."""
    height = 250 if single_colour else 170
    w = Window(skin_file, 320, height, radius=10)
    # The program writes the effect's name into area "6".
    w.add("6", "title", 16, 8, 260, 24, "area")
    w.add("3", "close", 286, 8, 26, 22, "icon", label="\u00d7")
    w.text(16, 57, "Speed", 12, False, TEXT, "lm")
    w.add("4", "speed", 90, 46, 150, 22, "groove")
    w.add(None, "value", 248, 46, 64, 22, "value")
    w.text(16, 91, "Custom speed", 12, False, TEXT, "lm")
    w.add("5", "custom_speed", 120, 80, 70, 22, "spin")
    w.text(198, 91, "1..20, at Custom", 10, False, TEXT_DIM, "lm")
    if single_colour:
        w.text(16, 125, "Intensity", 12, False, TEXT, "lm")
        w.add("14", "intensity", 90, 114, 150, 22, "groove")
        w.add(None, "value", 248, 114, 64, 22, "value")
        w.text(16, 150, "COLOUR", 11, True, TEXT_DIM)
        for i in range(7):
            w.add(str(7 + i), "colour%d" % (i + 1), 16 + i * 42, 166, 34, 24, "swatch")
    w.add("2", "cancel", 112, height - 44, 96, 28, label="Cancel")
    w.add("1", "ok", 216, height - 44, 96, 28, "primary", label="OK")
    return w


def swatch_popup():
    """Seven swatches in a row; the program fills them and rings the one
    under the pointer."""
    w = Window("skin_cpi_color.ini", 260, 44, radius=6)
    for i in range(7):
        w.add(str(1 + i), "swatch%d" % (i + 1), 8 + i * 36, 8, 28, 28, "frame")
    return w


def profile_dialog():
    """The name of the current profile and the program that selects it (the
    program's own edits lie on the light boxes), browse, OK, Cancel and the
    corner cross."""
    w = Window("skin_profile.ini", 420, 200, radius=10)
    w.text(16, 20, "Profile", 14, True, TEXT, "lm")
    w.add("6", "close", 386, 8, 26, 22, "icon", label="\u00d7")
    w.text(16, 52, "Name (up to 20 characters)", 12, False, TEXT_DIM, "lm")
    w.add("1", "name", 16, 64, 388, 24, "readout")
    w.text(16, 102, "Game: the program that selects this profile", 12, False, TEXT_DIM, "lm")
    w.add("2", "game", 16, 114, 296, 24, "readout")
    w.add("3", "browse", 320, 112, 84, 28, label="Browse...")
    w.add("5", "cancel", 200, 156, 96, 28, label="Cancel")
    w.add("4", "ok", 308, 156, 96, 28, "primary", label="OK")
    return w


def light_windows():
    return [light_effect_dialog("skin_dandian_light.ini"),
            light_effect_dialog("skin_danse_light.ini", single_colour=True),
            light_effect_dialog("skin_qise_light.ini"),
            light_effect_dialog("skin_xuancai_light.ini"),
            swatch_popup(), profile_dialog()]


def main():
    if len(sys.argv) not in (2, 3, 4):
        sys.exit(__doc__)
    out = sys.argv[1]
    if len(sys.argv) >= 3:
        resources(sys.argv[2])
    os.makedirs(out, exist_ok=True)
    for window in [main_window()] + pages() + warnings() + [cartoon_dialog(), dpi_colour_dialog(),
                                                                player_dialog(), launch_program_dialog(),
                                                                select_macro_dialog(), shortcut_dialog()]:
        write_window(window, out)
    dpi_row_mask().save(os.path.join(out, "DPI_Window_Mask.bmp"))
    write_window(macro_manager_dialog(), out)
    record_images(out)
    for window in light_windows():
        write_window(window, out)
    shared_images(out)
    if len(sys.argv) == 4:
        test_out = sys.argv[3]
        os.makedirs(test_out, exist_ok=True)
        write_window(text_controls_skin(), test_out)
        write_window(value_controls_skin(), test_out)
        shared_images(test_out)  # the value controls' thumbs and scroll bar
        test_images(test_out)


if __name__ == "__main__":
    main()
