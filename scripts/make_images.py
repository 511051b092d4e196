#!/usr/bin/env python3
"""Draws the pictures that ship in the images/ folder beside the Tessivo executable.

    python3 scripts/make_images.py [output-folder]

The output folder defaults to images/ at the top of the source tree. The
generated files are committed, so building Tessivo never needs this script.

Needs Pillow (Debian: python3-pil) and, for the Chinese engine names, a CJK
font (Debian: fonts-wqy-microhei or fonts-noto-cjk). Without a CJK font the
script falls back to any TrueType font it finds, or Pillow's built-in bitmap
font, and draws Latin text only.

Pictures:
  google_pr_0.gif .. google_pr_10.gif   PageRank badges, 125 x 33
  baidu.gif, google.gif, ...            survey header logos, 80 x 28
  icon_baidu.gif, icon_google.gif, ...  16 x 16 engine icons
  tessivo.png                           window and tray icon, 64 x 64
  head_pagerank.jpg, head_alexa.jpg,
  head_sogou.jpg, head_chinarank.jpg    badge-column heads of the PR/Alexa page
  separator.jpg                         8 x 97 separator bar
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUT = os.path.join(os.path.dirname(HERE), "images")

CJK_FONTS = [
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
    "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
]
LATIN_FONTS = [
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
]

# Engine key, name shown, box colour, letter or character for the small icon.
ENGINES = [
    ("baidu", "百度", (36, 84, 196), "百"),
    ("google", "Google", (66, 133, 244), "G"),
    ("yahoo", "Yahoo", (112, 48, 160), "Y"),
    ("sogou", "搜狗", (230, 110, 20), "搜"),
    ("soso", "搜搜", (0, 150, 136), "S"),
    ("yodao", "有道", (200, 30, 45), "有"),
    ("zhongsou", "中搜", (30, 130, 60), "中"),
    ("live", "Live", (0, 110, 200), "L"),
]


def find_font(candidates):
    for path in candidates:
        if os.path.exists(path):
            return path
    return None


CJK_FONT = find_font(CJK_FONTS)
LATIN_FONT = find_font(LATIN_FONTS) or CJK_FONT
if CJK_FONT is None:
    sys.stderr.write("make_images: no CJK font found, Chinese names are replaced by Latin ones\n")


def font(size, cjk=False):
    path = CJK_FONT if cjk else LATIN_FONT
    if path:
        return ImageFont.truetype(path, size)
    return ImageFont.load_default()


def has_cjk(text):
    return any(ord(c) > 0x2E7F for c in text)


def fallback_text(text, key):
    """Text to draw when no CJK font is available."""
    if has_cjk(text) and CJK_FONT is None:
        return key.capitalize() if len(text) > 1 else key[0].upper()
    return text


def text_font(text, size):
    return font(size, cjk=has_cjk(text))


def fit_font(draw, text, max_w, max_h, start):
    size = start
    while size > 6:
        f = text_font(text, size)
        l, t, r, b = draw.textbbox((0, 0), text, font=f)
        if r - l <= max_w and b - t <= max_h:
            return f
        size -= 1
    return text_font(text, 6)


def draw_centered(draw, box, text, f, fill):
    x0, y0, x1, y1 = box
    l, t, r, b = draw.textbbox((0, 0), text, font=f)
    x = x0 + (x1 - x0 - (r - l)) / 2 - l
    y = y0 + (y1 - y0 - (b - t)) / 2 - t
    draw.text((x, y), text, font=f, fill=fill)


def lighter(rgb, k):
    return tuple(int(c + (255 - c) * k) for c in rgb)


def darker(rgb, k):
    return tuple(int(c * (1 - k)) for c in rgb)


MATTE = (238, 238, 238)   # half-covered edge pixels are blended onto the survey table's grey


def save_gif(img, path):
    """Saves a picture as a GIF with an adaptive palette, without dithering.

    An RGBA picture keeps its fully transparent pixels transparent; the other
    pixels are blended onto MATTE first."""
    if img.mode == "RGBA":
        flat = Image.new("RGBA", img.size, MATTE + (255,))
        flat.alpha_composite(img)
        pal = flat.convert("RGB").quantize(colors=63, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        clear = 63
        palette = pal.getpalette()[: 63 * 3]
        palette += [255, 255, 255] * (256 - len(palette) // 3)
        pal.putpalette(palette)
        alpha = img.getchannel("A").load()
        px = pal.load()
        for y in range(img.height):
            for x in range(img.width):
                if alpha[x, y] < 64:
                    px[x, y] = clear
        pal.save(path, format="GIF", transparency=clear)
        return
    pal = img.convert("RGB").quantize(colors=64, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    pal.save(path, format="GIF")


def vertical_gradient(w, h, top, bottom):
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        k = y / max(1, h - 1)
        c = tuple(int(top[i] + (bottom[i] - top[i]) * k) for i in range(3))
        for x in range(w):
            px[x, y] = c
    return img


# ---------------------------------------------------------------- PageRank badges

def pagerank_badge(rank):
    w, h = 125, 33
    img = Image.new("RGB", (w, h), (255, 255, 255))
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, w - 1, h - 1), outline=(150, 160, 175))

    label = "PR %d" % rank
    f = font(13)
    d.text((6, 8), label, font=f, fill=(40, 40, 40))

    # ten cells, filled up to the rank
    cells, cell_w, gap = 10, 5, 1
    bar_w = cells * cell_w + (cells - 1) * gap
    x0, y0, y1 = w - bar_w - 7, 10, 22
    d.rectangle((x0 - 2, y0 - 2, x0 + bar_w + 1, y1 + 2), outline=(120, 130, 145), fill=(235, 238, 242))
    for i in range(cells):
        cx = x0 + i * (cell_w + gap)
        if i < rank:
            fill = (40, 160, 60)
            d.rectangle((cx, y0, cx + cell_w - 1, y1), fill=fill)
            d.line((cx, y0, cx + cell_w - 1, y0), fill=lighter(fill, 0.45))
        else:
            d.rectangle((cx, y0, cx + cell_w - 1, y1), fill=(255, 255, 255), outline=(205, 210, 218))
    return img


# ---------------------------------------------------------------- engine logos and icons

def engine_logo(name, key, colour):
    w, h = 80, 28
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle((1, 1, w - 2, h - 2), radius=7, fill=colour, outline=darker(colour, 0.3))
    d.rounded_rectangle((3, 3, w - 4, h // 2), radius=5, fill=lighter(colour, 0.15))
    text = fallback_text(name, key)
    f = fit_font(d, text, w - 14, h - 8, 17)
    draw_centered(d, (1, 0, w - 1, h - 1), text, f, (255, 255, 255))
    return img


def engine_icon(ch, key, colour):
    s = 16
    img = Image.new("RGB", (s, s), (255, 255, 255))
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, s - 1, s - 1), fill=colour, outline=darker(colour, 0.35))
    text = fallback_text(ch, key)
    f = fit_font(d, text, 14, 14, 14 if has_cjk(text) else 13)
    draw_centered(d, (0, 0, s, s), text, f, (255, 255, 255))
    return img


# ---------------------------------------------------------------- window icon

def app_icon():
    s = 64
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle((2, 2, s - 3, s - 3), radius=12, fill=(31, 78, 140, 255), outline=(18, 48, 90, 255), width=2)
    # a small rising bar chart
    for i, bh in enumerate((10, 17, 24)):
        x = 36 + i * 7
        d.rectangle((x, 52 - bh, x + 4, 52), fill=(120, 200, 120, 255))
    f = font(36)
    d.text((10, 8), "T", font=f, fill=(255, 255, 255, 255))
    d.line((10, 54, 54, 54), fill=(200, 215, 235, 255), width=2)
    return img


# ---------------------------------------------------------------- PR/Alexa column heads

def banner(w, h, title, colour, subtitle=None):
    img = vertical_gradient(w, h, lighter(colour, 0.85), (255, 255, 255))
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, w - 1, h - 1), outline=lighter(colour, 0.4))
    d.rectangle((0, 0, 4, h - 1), fill=colour)
    if subtitle:
        f = fit_font(d, title, w - 16, h // 2, 18)
        fs = fit_font(d, subtitle, w - 16, h // 3, 11)
        draw_centered(d, (5, 2, w, h * 0.6), title, f, darker(colour, 0.2))
        draw_centered(d, (5, h * 0.58, w, h - 3), subtitle, fs, (110, 110, 110))
    else:
        f = fit_font(d, title, w - 16, h - 10, 18)
        draw_centered(d, (5, 0, w, h), title, f, darker(colour, 0.2))
    return img


def separator():
    w, h = 8, 97
    img = vertical_gradient(w, h, (250, 251, 253), (214, 222, 232))
    d = ImageDraw.Draw(img)
    d.line((3, 4, 3, h - 5), fill=(190, 200, 214))
    d.line((4, 4, 4, h - 5), fill=(255, 255, 255))
    return img


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_OUT
    os.makedirs(out, exist_ok=True)

    def path(name):
        return os.path.join(out, name)

    for rank in range(11):
        save_gif(pagerank_badge(rank), path("google_pr_%d.gif" % rank))

    for key, name, colour, ch in ENGINES:
        save_gif(engine_logo(name, key, colour), path(key + ".gif"))
        save_gif(engine_icon(ch, key, colour), path("icon_" + key + ".gif"))

    app_icon().save(path("tessivo.png"), format="PNG", optimize=True)

    heads = [
        ("head_pagerank.jpg", 136, 36, "Google PageRank", (40, 140, 60), None),
        ("head_alexa.jpg", 117, 49, "Alexa", (30, 90, 170), "流量排名"),
        ("head_sogou.jpg", 111, 59, "Sogou Rank", (220, 100, 20), "搜狗评级"),
        ("head_chinarank.jpg", 141, 55, "ChinaRank", (190, 30, 40), "中国网站排名"),
    ]
    for name, w, h, title, colour, sub in heads:
        if sub and CJK_FONT is None:
            sub = None
        banner(w, h, title, colour, sub).save(path(name), format="JPEG", quality=92)

    separator().save(path("separator.jpg"), format="JPEG", quality=92)

    print("make_images: pictures written to", out)


if __name__ == "__main__":
    main()
