#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Draws the viewer's icon set.

Writes one SVG per icon state under tools/icons/svg/ and renders it to PNG under
src/resources/icons/ with rsvg-convert (Debian package librsvg2-bin), then rewrites
src/resources/nuvviewer.qrc so that every PNG and SVG resolves as ":/Resource/icons/<folder>/<file>".

The generated PNGs are committed; the build never runs this script.

Usage: tools/icons/make_icons.py [--svg-only]
"""

import os
import shutil
import subprocess
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SVG_DIR = os.path.join(ROOT, "tools", "icons", "svg")
PNG_DIR = os.path.join(ROOT, "src", "resources", "icons")
QRC_PATH = os.path.join(ROOT, "src", "resources", "nuvviewer.qrc")
# The application's icon, installed as share/icons/hicolor/scalable/apps/nuvviewer.svg.
APP_ICON_PATH = os.path.join(ROOT, "demo", "nuvviewer.svg")

ACCENT = "#2EA8FF"
RECORD_RED = "#FF4D4F"

# Every button folder carries these six images so that any style sheet state resolves.
STATES = ("normal", "hover", "click", "clicked", "disable", "selected")

# Stroke colour and backdrop of each state. "dark" icons sit on the tool strips
# (rgba(55,56,58,0.8)); "light" icons sit on white or light-grey panels.
THEMES = {
    "dark": {
        "normal": ("#C9CCD1", None, None),
        "hover": ("#8FD0FF", "rgba(255,255,255,0.10)", None),
        "click": (ACCENT, "rgba(46,168,255,0.30)", None),
        "clicked": (ACCENT, "rgba(46,168,255,0.18)", None),
        "selected": (ACCENT, "rgba(46,168,255,0.18)", ACCENT),
        "disable": ("#66696E", None, None),
    },
    "light": {
        "normal": ("#4A4F55", None, None),
        "hover": (ACCENT, "rgba(46,168,255,0.10)", None),
        "click": ("#1A86D6", "rgba(46,168,255,0.25)", None),
        "clicked": (ACCENT, "rgba(46,168,255,0.15)", None),
        "selected": (ACCENT, "rgba(46,168,255,0.15)", ACCENT),
        "disable": ("#B5B9BE", None, None),
    },
}


def rgba_attr(value):
    """SVG 1.1 renderers want colour and opacity apart; splits "rgba(r,g,b,a)"."""
    if value.startswith("rgba("):
        r, g, b, a = [v.strip() for v in value[5:-1].split(",")]
        return 'fill="rgb({},{},{})" fill-opacity="{}"'.format(r, g, b, a)
    return 'fill="{}"'.format(value)


# --- glyphs: each returns SVG elements drawn in colour c on a square grid of 32 -------------


def g_start(c, s):
    return '<path d="M12 9.5v13l10.5-6.5z"/>'


def g_stop(c, s):
    return '<rect x="10" y="10" width="12" height="12" rx="2"/>'


def g_single_grab(c, s):
    return ('<path d="M7 12a2 2 0 0 1 2-2h3l1.6-2.5h4.8L20 10h3a2 2 0 0 1 2 2v10a2 2 0 0 1-2 2H9'
            'a2 2 0 0 1-2-2z"/><circle cx="16" cy="16.8" r="4"/>')


def g_single_save(c, s):
    return ('<path d="M9 8h11.5L24 11.5V23a1 1 0 0 1-1 1H9a1 1 0 0 1-1-1V9a1 1 0 0 1 1-1z"/>'
            '<path d="M12 8v5h7V8"/><path d="M11.5 24v-6h9v6"/>')


def g_multi_save(c, s):
    return ('<path d="M11 9V7a1 1 0 0 1 1-1h9.5L25 9.5V20a1 1 0 0 1-1 1h-1"/>'
            '<path d="M8 10h9.5L21 13.5V25a1 1 0 0 1-1 1H8a1 1 0 0 1-1-1V11a1 1 0 0 1 1-1z"/>'
            '<path d="M10.5 10v4h6v-4"/><path d="M10 26v-5h8v5"/>')


def g_recording(c, s):
    dot = "#66696E" if s == "disable" else RECORD_RED
    return ('<circle cx="16" cy="16" r="9"/>'
            '<circle cx="16" cy="16" r="4.5" fill="{}" stroke="none"/>'.format(dot))


def g_histogram(c, s):
    return '<path d="M6.5 24.5h19"/><path d="M9 24v-8h3.5v8M14.3 24V9h3.5v15M19.6 24V13h3.5v11"/>'


def g_display_range(c, s):
    # A grey ramp between two level handles: where black and white sit on a deep picture.
    return ('<rect x="6" y="8.5" width="20" height="8" rx="1"/>'
            '<path d="M11 8.5v8M16 8.5v8M21 8.5v8" stroke-width="1"/>'
            '<path d="M9.5 20.5l-3 4.5h6zM22.5 20.5l-3 4.5h6z" fill="{}" stroke="none"/>'.format(c))


def g_cross(c, s):
    return ('<circle cx="16" cy="16" r="6.5"/><path d="M16 5.5v6M16 20.5v6M5.5 16h6M20.5 16h6"/>'
            '<circle cx="16" cy="16" r="1.3" fill="{}" stroke="none"/>'.format(c))


def g_grid(c, s):
    return ('<rect x="7" y="7" width="18" height="18" rx="1.5"/>'
            '<path d="M13 7v18M19 7v18M7 13h18M7 19h18" stroke-width="1.5"/>')


def g_measure(c, s):
    return ('<g transform="rotate(-45 16 16)"><rect x="4.5" y="12" width="23" height="8" rx="1.5"/>'
            '<path d="M9 12v3M13 12v4.5M17 12v3M21 12v4.5M25 12v3" stroke-width="1.5"/></g>')


def g_zoom(plus):
    def draw(c, s):
        body = ('<circle cx="14" cy="14" r="7.5"/><path d="M19.6 19.6L25.5 25.5" stroke-width="2.6"/>'
                '<path d="M10.5 14h7"/>')
        if plus:
            body += '<path d="M14 10.5v7"/>'
        return body
    return draw


def g_restore(c, s):
    return ('<rect x="5.5" y="8" width="21" height="16" rx="2"/>'
            '<path d="M10.5 13.5l2-1.5v8M19.5 13.5l2-1.5v8"/>'
            '<circle cx="16" cy="14" r="1.2" fill="{0}" stroke="none"/>'
            '<circle cx="16" cy="18.5" r="1.2" fill="{0}" stroke="none"/>'.format(c))


def g_zoom_reset(c, s):
    return ('<path d="M7 12.5V7h5.5M19.5 7H25v5.5M25 19.5V25h-5.5M12.5 25H7v-5.5"/>'
            '<rect x="11.5" y="11.5" width="9" height="9" rx="1"/>')


def g_contour(c, s):
    return ('<path d="M6.5 6.5v19h19" stroke-width="1.5"/>'
            '<path d="M9 20.5h3.5l2.5-8.5h4.5l2.5 6H26"/>')


def g_2d(c, s):
    return ('<rect x="5.5" y="7.5" width="21" height="17" rx="2"/>'
            '<path d="M6.5 22.5l6-6 4 4 3-3 6 6"/><circle cx="20" cy="12.8" r="1.9"/>')


CUBE = 'M16 6l9 5v10l-9 5-9-5V11z'


def g_3d(c, s):
    return '<path d="{}"/><path d="M7 11l9 5 9-5M16 16v10"/>'.format(CUBE)


def g_3d_show(c, s):
    return ('<path d="M11 21V7M11 21h15M11 21l-5 5"/>'
            '<path d="M8.5 9.5L11 7l2.5 2.5M23.5 18.5L26 21l-2.5 2.5" stroke-width="1.6"/>'
            '<g fill="{0}" stroke="none"><circle cx="16.5" cy="14" r="1.4"/>'
            '<circle cx="20.5" cy="11" r="1.4"/><circle cx="21" cy="16" r="1.4"/>'
            '<circle cx="16" cy="18" r="1.4"/></g>'.format(c))


def g_range_image(c, s):
    return ('<rect x="5.5" y="7.5" width="21" height="17" rx="2"/>'
            '<path d="M6 13c3-2.5 6 1.5 10 0s7-2.5 10 0M6 18c3-2.5 6 1.5 10 0s7-2.5 10 0" '
            'stroke-width="1.6"/>')


def g_grey(c, s):
    strips = "".join(
        '<rect x="{:.2f}" y="8.5" width="4.75" height="15" fill="{}" fill-opacity="{}" stroke="none"/>'
        .format(6.5 + i * 4.75, c, op) for i, op in enumerate((0.12, 0.35, 0.6, 0.9)))
    return strips + '<rect x="5.5" y="7.5" width="21" height="17" rx="2"/>'


def g_render(c, s):
    return ('<path d="M16 6l9 5-9 5-9-5z" fill="{0}" fill-opacity="0.35"/>'
            '<path d="M25 11v10l-9 5V16z" fill="{0}" fill-opacity="0.75"/>'
            '<path d="{1}"/><path d="M7 11l9 5 9-5M16 16v10"/>'.format(c, CUBE))


def g_triangle(c, s):
    return '<path d="M8 1.5V8H1.5z" fill="{}" stroke="none"/>'.format(c)


def g_ext_button(c, s):
    return '<path d="M3 10.5l4 4.5-4 4.5M8 10.5l4 4.5-4 4.5" stroke-width="1.8"/>'


def g_multi_tip(c, s):
    return '<path d="M8 9h12"/><path d="M9 19l5-5 5 5"/>'


def g_enlarge(c, s):
    return ('<path d="M14 5h5v5M19 5l-5.5 5.5M10 19H5v-5M5 19l5.5-5.5" stroke-width="1.8"/>')


def g_local_roi(c, s):
    return ('<rect x="5.5" y="7.5" width="21" height="17" rx="1.5" stroke-width="1.5"/>'
            '<rect x="10" y="11.5" width="10" height="8" stroke-dasharray="2 1.6" stroke-width="1.6"/>'
            '<g fill="{0}" stroke="none"><rect x="8.8" y="10.3" width="2.4" height="2.4"/>'
            '<rect x="18.8" y="18.3" width="2.4" height="2.4"/></g>'.format(c))


def g_global_roi(c, s):
    return ('<rect x="5.5" y="7.5" width="21" height="17" rx="1.5" stroke-dasharray="2.2 1.8" '
            'stroke-width="1.6"/>'
            '<g fill="{0}" stroke="none"><rect x="4.3" y="6.3" width="2.6" height="2.6"/>'
            '<rect x="25.1" y="6.3" width="2.6" height="2.6"/><rect x="4.3" y="23.1" width="2.6" height="2.6"/>'
            '<rect x="25.1" y="23.1" width="2.6" height="2.6"/></g>'
            '<path d="M12 16h8M16 12v8" stroke-width="1.6"/>'.format(c))


def g_up(c, s):
    return '<path d="M6.5 9.5l3.5-4 3.5 4" stroke-width="1.6"/>'


def g_down(c, s):
    return '<path d="M6.5 5.5l3.5 4 3.5-4" stroke-width="1.6"/>'


def g_wnd_zoom_in(c, s):
    return '<path d="M16.5 5.5h6v6M22.5 5.5l-7 7M11.5 22.5h-6v-6M5.5 22.5l7-7" stroke-width="1.8"/>'


def g_wnd_zoom_out(c, s):
    return ('<path d="M22 12.5h-6.5V6M15.5 12.5l7-7M6 15.5h6.5V22M12.5 15.5l-7 7" '
            'stroke-width="1.8"/>')


# folder -> (glyph, theme, canvas width, canvas height)
BUTTONS = {
    "start": (g_start, "dark", 32, 32),
    "stop": (g_stop, "dark", 32, 32),
    "singleGrab": (g_single_grab, "dark", 32, 32),
    "singleSave": (g_single_save, "dark", 32, 32),
    "multiSave": (g_multi_save, "dark", 32, 32),
    "recording": (g_recording, "dark", 32, 32),
    "greyHistogram": (g_histogram, "dark", 32, 32),
    "displayRange": (g_display_range, "dark", 32, 32),
    "cross": (g_cross, "dark", 32, 32),
    "grid": (g_grid, "dark", 32, 32),
    "measure": (g_measure, "dark", 32, 32),
    "zoomIn": (g_zoom(True), "dark", 32, 32),
    "zoomOut": (g_zoom(False), "dark", 32, 32),
    "restore": (g_restore, "dark", 32, 32),
    "zoomReset": (g_zoom_reset, "dark", 32, 32),
    "ContourMode": (g_contour, "dark", 32, 32),
    "2DMode": (g_2d, "dark", 32, 32),
    "3DMode": (g_3d, "dark", 32, 32),
    "3DShow": (g_3d_show, "dark", 32, 32),
    "2DRangeImageShow": (g_range_image, "dark", 32, 32),
    "greyShow": (g_grey, "dark", 32, 32),
    "3dRender": (g_render, "dark", 32, 32),
    "triangle": (g_triangle, "dark", 8, 8),
    "toolBarHorizontalExtButton": (g_ext_button, "dark", 15, 30),
    "multiTip": (g_multi_tip, "dark", 28, 28),
    "enlarge": (g_enlarge, "light", 24, 24),
    "localROI": (g_local_roi, "light", 32, 32),
    "globalROI": (g_global_roi, "light", 32, 32),
    "up": (g_up, "light", 20, 15),
    "down": (g_down, "light", 20, 15),
}

# Glyphs drawn on a grid other than 32 (their coordinates are already in canvas units).
NATIVE_GRID = {"triangle", "toolBarHorizontalExtButton", "multiTip", "enlarge", "up", "down"}

# The pane's title-bar buttons (light title bar #E1E1E1) keep their own file naming.
FULLSCREEN = {
    "wndZoomIn": g_wnd_zoom_in,
    "wndZoomOut": g_wnd_zoom_out,
}
FULLSCREEN_STATES = {"Normal": "normal", "Hover": "hover", "Clicked": "click", "Disable": "disable"}


def button_svg(glyph, theme, state, width, height, native):
    stroke, backdrop, border = THEMES[theme][state]
    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="{0}" height="{1}" '
             'viewBox="0 0 {0} {1}">'.format(width, height)]
    if backdrop and min(width, height) >= 20:
        parts.append('<rect x="1" y="1" width="{}" height="{}" rx="4" {}{}/>'.format(
            width - 2, height - 2, rgba_attr(backdrop),
            ' stroke="{}" stroke-width="1"'.format(border) if border else ""))
    scale = "" if native else ' transform="scale({:.5f})"'.format(min(width, height) / 32.0)
    parts.append('<g fill="none" stroke="{}" stroke-width="2" stroke-linecap="round" '
                 'stroke-linejoin="round"{}>'.format(stroke, scale))
    parts.append(glyph(stroke, state))
    parts.append("</g></svg>\n")
    return "".join(parts)


def tip_svg(kind):
    colour = "#22B573" if kind == "right" else "#F2484B"
    mark = ('<path d="M10 16.5l4 4 8-9"/>' if kind == "right" else '<path d="M11.5 11.5l9 9M20.5 11.5l-9 9"/>')
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">'
            '<circle cx="16" cy="16" r="14" fill="{}"/>'
            '<g fill="none" stroke="#FFFFFF" stroke-width="3" stroke-linecap="round" '
            'stroke-linejoin="round">{}</g></svg>\n'.format(colour, mark))


def logo_svg():
    # An abstract laser-profile camera: a lens ring whose beam fans down onto a measured profile.
    return """<svg xmlns="http://www.w3.org/2000/svg" width="512" height="512" viewBox="0 0 512 512">
<defs>
<linearGradient id="lens" x1="0" y1="0" x2="1" y2="1">
<stop offset="0" stop-color="#5CC2FF"/><stop offset="1" stop-color="#1466C8"/>
</linearGradient>
<linearGradient id="fan" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#2EA8FF" stop-opacity="0.45"/>
<stop offset="1" stop-color="#2EA8FF" stop-opacity="0.05"/>
</linearGradient>
<linearGradient id="body" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#3A4452"/><stop offset="1" stop-color="#1F2630"/>
</linearGradient>
</defs>
<path d="M256 250L84 430h344z" fill="url(#fan)"/>
<rect x="96" y="70" width="320" height="210" rx="44" fill="url(#body)"/>
<rect x="136" y="44" width="96" height="40" rx="14" fill="#1F2630"/>
<circle cx="256" cy="175" r="86" fill="#151B22"/>
<circle cx="256" cy="175" r="70" fill="none" stroke="#8A96A6" stroke-width="10"/>
<circle cx="256" cy="175" r="50" fill="url(#lens)"/>
<circle cx="236" cy="155" r="14" fill="#FFFFFF" fill-opacity="0.75"/>
<circle cx="372" cy="112" r="12" fill="#2EA8FF"/>
<path d="M64 430H176L206 376H306L336 430H448" fill="none" stroke="#2EA8FF" stroke-width="18"
 stroke-linecap="round" stroke-linejoin="round"/>
<path d="M64 466H448" stroke="#1F2630" stroke-width="10" stroke-linecap="round" stroke-opacity="0.35"/>
</svg>
"""


def app_icon_svg():
    # The logo's camera and laser fan on a rounded tile, above the grid of four panes the viewer
    # shows: readable from 16 px (tile, lens, fan) to 512 px.
    return """<svg xmlns="http://www.w3.org/2000/svg" width="512" height="512" viewBox="0 0 512 512">
<defs>
<linearGradient id="tile" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#2B3440"/><stop offset="1" stop-color="#161C24"/>
</linearGradient>
<linearGradient id="lens" x1="0" y1="0" x2="1" y2="1">
<stop offset="0" stop-color="#5CC2FF"/><stop offset="1" stop-color="#1466C8"/>
</linearGradient>
<linearGradient id="fan" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#2EA8FF" stop-opacity="0.55"/>
<stop offset="1" stop-color="#2EA8FF" stop-opacity="0.08"/>
</linearGradient>
</defs>
<rect x="24" y="24" width="464" height="464" rx="96" fill="url(#tile)"/>
<g fill="none" stroke="#C9CCD1" stroke-opacity="0.35" stroke-width="8">
<rect x="64" y="300" width="184" height="148" rx="16"/>
<rect x="264" y="300" width="184" height="148" rx="16"/>
</g>
<path d="M256 200L96 430h320z" fill="url(#fan)"/>
<rect x="136" y="76" width="240" height="150" rx="36" fill="#3A4452"/>
<circle cx="256" cy="151" r="62" fill="#151B22"/>
<circle cx="256" cy="151" r="50" fill="none" stroke="#8A96A6" stroke-width="8"/>
<circle cx="256" cy="151" r="36" fill="url(#lens)"/>
<circle cx="242" cy="137" r="10" fill="#FFFFFF" fill-opacity="0.75"/>
<path d="M84 412H184L210 368H302L328 412H428" fill="none" stroke="#2EA8FF" stroke-width="18"
 stroke-linecap="round" stroke-linejoin="round"/>
</svg>
"""


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def render(svg_path, png_path, renderer):
    os.makedirs(os.path.dirname(png_path), exist_ok=True)
    subprocess.run([renderer, "-f", "png", "-o", png_path, svg_path], check=True)


def collect():
    """Yields (relative path without extension, svg text)."""
    for folder, (glyph, theme, width, height) in sorted(BUTTONS.items()):
        for state in STATES:
            yield "{}/{}".format(folder, state), button_svg(glyph, theme, state, width, height,
                                                            folder in NATIVE_GRID)
    for name, glyph in sorted(FULLSCREEN.items()):
        for suffix, state in FULLSCREEN_STATES.items():
            yield "fullScreen/{}{}".format(name, suffix), button_svg(glyph, "light", state, 28, 28, True)
    for kind in ("right", "error"):
        yield "tipStatus/{}".format(kind), tip_svg(kind)
    yield "HLXLogo", logo_svg()


def write_qrc(rel_pngs):
    lines = ["<RCC>", '  <qresource prefix="/Resource">']
    lines += ["    <file>icons/{}</file>".format(p) for p in sorted(rel_pngs)]
    # The widgets draw the SVGs themselves (Qt's SVG icon engine: sharp at any device pixel ratio);
    # the PNGs stay for the names the resource tree has always had.
    for p in sorted(rel_pngs):
        rel = p[:-len(".png")]
        lines.append('    <file alias="icons/{0}.svg">../../tools/icons/svg/{0}.svg</file>'.format(rel))
    lines += ["  </qresource>", "</RCC>", ""]
    write(QRC_PATH, "\n".join(lines))


def main(argv):
    svg_only = "--svg-only" in argv
    renderer = shutil.which("rsvg-convert")
    if not svg_only and renderer is None:
        sys.exit("rsvg-convert not found: install the Debian package librsvg2-bin")
    if os.path.isdir(SVG_DIR):
        shutil.rmtree(SVG_DIR)
    rel_pngs = []
    for rel, text in collect():
        svg_path = os.path.join(SVG_DIR, rel + ".svg")
        write(svg_path, text)
        if not svg_only:
            render(svg_path, os.path.join(PNG_DIR, rel + ".png"), renderer)
        rel_pngs.append(rel + ".png")
    write_qrc(rel_pngs)
    write(APP_ICON_PATH, app_icon_svg())
    print("{} icons written".format(len(rel_pngs)))


if __name__ == "__main__":
    main(sys.argv[1:])
