#!/usr/bin/env python3
"""Draws the viewer's bitmaps, icons and cursors and writes them as .bmp, .ico
and .cur files next to this script, and the two icons also as the PNG files
the desktop's icon theme takes when the program is installed. The pictures are character grids, one
character a pixel, in the 16-colour palette below; run it again after changing
a picture and commit its output with it.

    python3 make_images.py          # writes the files
    python3 make_images.py --check  # exits 1 when a written file differs
"""
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# The standard 16-colour palette, in its usual order, and the character that
# stands for each colour in the pictures. " " is transparent in icons and
# cursors.
PALETTE = [
    ("k", (0, 0, 0)),        # 0 black
    ("r", (128, 0, 0)),      # 1 dark red
    ("g", (0, 128, 0)),      # 2 dark green
    ("o", (128, 128, 0)),    # 3 olive
    ("n", (0, 0, 128)),      # 4 navy
    ("p", (128, 0, 128)),    # 5 purple
    ("t", (0, 128, 128)),    # 6 teal
    (".", (192, 192, 192)),  # 7 light grey: the button face
    ("d", (128, 128, 128)),  # 8 grey
    ("R", (255, 0, 0)),      # 9 red
    ("G", (0, 255, 0)),      # 10 green
    ("Y", (255, 255, 0)),    # 11 yellow
    ("B", (0, 0, 255)),      # 12 blue
    ("M", (255, 0, 255)),    # 13 magenta
    ("C", (0, 255, 255)),    # 14 cyan
    ("W", (255, 255, 255)),  # 15 white
]
INDEX = {ch: i for i, (ch, _) in enumerate(PALETTE)}


def grid(text, width, height, name):
    rows = [r for r in text.strip("\n").split("\n")]
    rows = [r.rstrip("|") for r in rows]
    if len(rows) != height:
        raise SystemExit("%s: %d rows, want %d" % (name, len(rows), height))
    for n, r in enumerate(rows):
        if len(r) != width:
            raise SystemExit("%s row %d: %d wide, want %d: %r" % (name, n, len(r), width, r))
        for ch in r:
            if ch != " " and ch not in INDEX:
                raise SystemExit("%s row %d: unknown colour %r" % (name, n, ch))
    return rows


def row_bytes(width, bits):
    return (width * bits + 31) // 32 * 4


def pack_rows(rows, bits, value):
    """Bottom-up rows of `bits` per pixel, each padded to 4 bytes."""
    out = bytearray()
    width = len(rows[0])
    for r in reversed(rows):
        line = bytearray(row_bytes(width, bits))
        for x, ch in enumerate(r):
            v = value(ch)
            bit = x * bits
            line[bit // 8] |= v << (8 - bits - bit % 8)
        out += line
    return bytes(out)


def info_header(width, height, bits, colors, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0,
                       colors, 0)


def palette16():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in PALETTE)


def bmp(rows):
    """A 4-bit, uncompressed, bottom-up .bmp with the 16-colour palette."""
    width, height = len(rows[0]), len(rows)
    pixels = pack_rows(rows, 4, lambda ch: INDEX[ch])
    header = info_header(width, height, 4, 16, len(pixels)) + palette16()
    offset = 14 + len(header)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + header + pixels


def icon_image(rows):
    """One 4-bit icon image: header (double height), palette, colours, mask."""
    width, height = len(rows[0]), len(rows)
    colour = pack_rows(rows, 4, lambda ch: 0 if ch == " " else INDEX[ch])
    mask = pack_rows(rows, 1, lambda ch: 1 if ch == " " else 0)
    return info_header(width, height * 2, 4, 16, len(colour) + len(mask)) + palette16() + \
        colour + mask


def cursor_image(rows):
    """One monochrome cursor image: "k" black, "W" white, " " transparent."""
    width, height = len(rows[0]), len(rows)
    for r in rows:
        if set(r) - set("kW "):
            raise SystemExit("a cursor is black, white and transparent only")
    xor = pack_rows(rows, 1, lambda ch: 1 if ch == "W" else 0)
    mask = pack_rows(rows, 1, lambda ch: 1 if ch == " " else 0)
    mono = struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    return info_header(width, height * 2, 1, 2, len(xor) + len(mask)) + mono + xor + mask


def icon_file(kind, images):
    """kind 1 (.ico): images are grids; kind 2 (.cur): (grid, hot x, hot y)."""
    entries, data = b"", b""
    offset = 6 + 16 * len(images)
    for image in images:
        if kind == 1:
            rows, colors, a, b = image, 16, 1, 4
            blob = icon_image(rows)
        else:
            rows, a, b = image
            colors = 2
            blob = cursor_image(rows)
        w, h = len(rows[0]), len(rows)
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, colors, 0, a, b, len(blob), offset)
        data += blob
        offset += len(blob)
    return struct.pack("<HHH", 0, kind, len(images)) + entries + data


# ---------------------------------------------------------------------------
# The tool bar: eight 16x15 buttons side by side, in the order of the tool
# bar's buttons: new, open, save, cut, copy, paste, print, about.

TOOLBAR = [
    # new: a blank white page with a folded corner
    """
................
...kkkkkkkk.....
...kWWWWWWkk....
...kWWWWWWkWk...
...kWWWWWWkkkk..
...kWWWWWWWWWk..
...kWWWWWWWWWk..
...kWWWWWWWWWk..
...kWWWWWWWWWk..
...kWWWWWWWWWk..
...kWWWWWWWWWk..
...kWWWWWWWWWk..
...kWWWWWWWWWk..
...kkkkkkkkkkk..
................
""",
    # open: an opening yellow folder, an arrow bending into it
    """
................
..........kkk...
.........k...k.k
..............kk
.kkk.........kkk
kYYYkkkkkkk.....
kYYYYYYYYYk.....
kYYYYYYYYYk.....
kYYYYYkkkkkkkkkk
kYYYYkoooooooook
kYYYkoooooooook.
kYYkoooooooook..
kYkoooooooook...
kkkkkkkkkkkk....
................
""",
    # save: a floppy disk, label on top, shutter below
    """
................
.kkkkkkkkkkkkkk.
.kokWWWWWWWWkok.
.kokWWWWWWWWkkk.
.kokWWWWWWWWkok.
.kokWWWWWWWWkok.
.kooWkkkkkkWook.
.kooooooooooook.
.koookkkkkkkook.
.kookkkk..kkook.
.kookkkk..kkook.
.kookkkk..kkook.
.kokkkkkkkkkkok.
..kkkkkkkkkkkkk.
................
""",
    # cut: open scissors, blades up, handles down
    """
................
...k.......k....
...k.......k....
...kk.....kk....
....k.....k.....
....kk...kk.....
.....k...k......
.....kk.kk......
......kdk.......
.....nn.nn......
..nnnn...nnnn...
.n...n...n...n..
.n...n...n...n..
.n...n...n...n..
..nnn.....nnn...
""",
    # copy: two overlapping pages
    """
kkkkkkk.........
kWWWWWkk........
kWkkkWkWk.......
kWWWWWkkkk......
kWkkkkkkWk......
kWWWWkkkkkkkk...
kWkkkkWWWWWkkk..
kWWWWkWnnnWkWkk.
kWkkkkWWWWWkkkkk
kWWWWkWnnnnnnWWk
kkkkkkWWWWWWWWWk
......WnnnnnnnWk
......WWWWWWWWWk
......WnnnnnnnWk
......kkkkkkkkkk
""",
    # paste: a clipboard with a page on it
    """
.....kkkk.......
.kkkkdWWdkkkk...
kookdddddddkook.
kookkkkkkkkkook.
kooooooooooooook
kooooooooooooook
koooookkkkkkkk.k
koooookWWWWWkWk.
koooookWnnnWkWWk
koooookWWWWWkkkk
koooookWnnnnnnWk
koooookWWWWWWWWk
koooookWnnnnnnWk
.kkkkkkWWWWWWWWk
.......kkkkkkkkk
""",
    # print: a printer with a page coming out on top
    """
................
....kkkkkkkk....
....kWWWWWWk....
....kWkkkkWk....
....kWWWWWWk....
..kkkkkkkkkkkk..
.kWWWWWWWWWWWdk.
.kW.........dk..
.kW.......GG.dk.
.kW..........dk.
.kdddddddddddk..
..kWkkkkkkWkdk..
..kWWWWWWWWkk...
...kkkkkkkkk....
................
""",
    # about: a yellow question mark
    """
................
.....kkkkkk.....
....kYYYYYYk....
...kYYkkkkYYk...
...kYYk..kYYk...
....kk..kYYk....
.......kYYk.....
......kYYk......
......kYYk......
.......kk.......
......kkkk......
......kYYk......
......kYYk......
.......kk.......
................
""",
]


def toolbar():
    images = [grid(t, 16, 15, "toolbar %d" % (i + 1)) for i, t in enumerate(TOOLBAR)]
    return ["".join(img[y] for img in images) for y in range(15)]


# ---------------------------------------------------------------------------
# The icons. 128: an opened spiral-bound notepad with a red cover. 129: a
# document sheet with a ragged lower edge, red capitals, green ruled lines.

class Canvas:
    """A grid of colour characters to draw on; " " is transparent."""

    def __init__(self, width, height, fill=" "):
        self.width, self.height = width, height
        self.rows = [[fill] * width for _ in range(height)]

    def put(self, x, y, ch):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = ch

    def box(self, x0, y0, x1, y1, outline, fill):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                self.put(x, y, outline if edge else fill)

    def disc(self, cx, cy, r, outline, fill):
        for y in range(self.height):
            for x in range(self.width):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if d <= r - 1:
                    self.put(x, y, fill)
                elif d <= r + 0.2:
                    self.put(x, y, outline)

    def grid(self):
        return ["".join(r) for r in self.rows]


def notepad(size):
    """The notepad, opened: its red cover folded back above the spiral, the
    ruled page below it with a red margin line."""
    c = Canvas(size, size)
    if size == 32:
        left, right, cover_top, cover_bottom, page_top, bottom = 3, 27, 2, 10, 11, 28
        wire_step, line_step, shadow, lean = 3, 3, 2, 3
    else:
        left, right, cover_top, cover_bottom, page_top, bottom = 1, 13, 1, 5, 6, 14
        wire_step, line_step, shadow, lean = 2, 2, 1, 4
    # The page with its shadow.
    c.box(left + shadow, page_top + shadow, right + shadow, bottom + shadow, "d", "d")
    c.box(left, page_top, right, bottom, "k", "W")
    for y in range(page_top + 2 + line_step, bottom - 1, line_step):
        for x in range(left + 1, right):
            c.put(x, y, "B")
    for y in range(page_top + 1, bottom):
        c.put(left + 2 + shadow, y, "R")
    # The cover, a little narrower at its far end: it leans back.
    for y in range(cover_top, cover_bottom + 1):
        inset = (cover_bottom - y) // lean
        x0, x1 = left + inset, right - inset
        for x in range(x0, x1 + 1):
            edge = x in (x0, x1) or y in (cover_top, cover_bottom)
            shade = "r" if y == cover_bottom - 1 or x == x1 - 1 else "R"
            c.put(x, y, "k" if edge else shade)
    # The spiral: a wire loop through each hole, from the cover to the page.
    for x in range(left + 2, right - 1, wire_step):
        for y in range(cover_bottom - 1, page_top + 2):
            c.put(x, y, "k")
        if size == 32:
            for y in range(cover_bottom, page_top + 2):
                c.put(x + 1, y, "d")
    return c.grid()


DOCUMENT_32 = """
                                
    kkkkkkkkkkkkkkkkkkkk        
    kWWWWWWWWWWWWWWWWWWkk       
    kWWWWWWWWWWWWWWWWWWkWk      
    kWWRRRWWRRRRWWWRRRWkWWk     
    kWRWWWRWRWWWRWRWWWWkWWWk    
    kWRWWWRWRWWWRWRWWWWkkkkkk   
    kWRRRRRWRRRRWWRWWWWWWWWWk   
    kWRWWWRWRWWWRWRWWWWWWWWWk   
    kWRWWWRWRRRRWWWRRRWWWWWWk   
    kWWWWWWWWWWWWWWWWWWWWWWWk   
    kGGGGGGGGGGGGGGGGGGGGGGGk   
    kWWWWWWWWWWWWWWWWWWWWWWWk   
    kWWWWWWWWWWWWWWWWWWWWWWWk   
    kgggggggggggggggggggggggk   
    kWWWWWWWWWWWWWWWWWWWWWWWk   
    kWWWWWWWWWWWWWWWWWWWWWWWk   
    kgggggggggggggggggggggggk   
    kWWWWWWWWWWWWWWWWWWWWWWWk   
    kWWWWWWWWWWWWWWWWWWWWWWWk   
    kgggggggggggggggggggggggk   
    kWWWWWWWWWWWWWWWWWWWWWWWk   
    kWWWWWWWWWWWWWWWWWWWWWWWk   
    kgggggggggggggggggggggggk   
    kWWWWWWWWWWWWWWWWWWWWWWWk   
    kWWWWWkWWWWWWkWWWWWWkWWWk   
    kWWWWk kWWWWk kWWWWk kWWk   
    kWWWk   kWWk   kWWk   kWk   
    kWWk     kk     kk     kk   
    kWk                         
    kk                          
                                
"""

DOCUMENT_16 = """
                
  kkkkkkkkkk    
  kWWWWWWWWkk   
  kRWRWRRWWkWk  
  kRRRWRWRWkkkk 
  kRWRWRRWWWWWk 
  kWWWWWWWWWWWk 
  kGGGGGGGGGGGk 
  kWWWWWWWWWWWk 
  kgggggggggggk 
  kWWWWWWWWWWWk 
  kgggggggggggk 
  kWWWWWWWWWWWk 
  kWWkWWWkWWWkk 
  kWk kWk kWk k 
  kk   k   k    
"""

# ---------------------------------------------------------------------------
# The cursors: 30977, a plain pointer whose tip is the hot spot; 30978, the
# print preview's magnifier with the hot spot in the middle of its lens.

POINTER_32 = """
                                
                                
  k                             
  kk                            
  kWk                           
  kWWk                          
  kWWWk                         
  kWWWWk                        
  kWWWWWk                       
  kWWWWWWk                      
  kWWWWWWWk                     
  kWWWWWWWWk                    
  kWWWWWWWWWk                   
  kWWWWWWkkkkk                  
  kWWWkWWk                      
  kWWkkWWk                      
  kWk  kWWk                     
  kk   kWWk                     
  k     kWWk                    
        kWWk                    
         kWWk                   
         kWWk                   
          kk                    
                                
                                
                                
                                
                                
                                
                                
                                
                                
"""

POINTER_16 = """
                
 k              
 kk             
 kWk            
 kWWk           
 kWWWk          
 kWWWWk         
 kWWWWWk        
 kWWWkkkk       
 kWkWWk         
 kk kWWk        
 k   kWk        
      kk        
                
                
                
"""

def magnifier(size, hot_x, hot_y):
    """A lens centred on the hot spot, its handle down to the right."""
    c = Canvas(size, size)
    r = 6 if size == 32 else 4.6
    c.disc(hot_x, hot_y, r + 1, "k", "W")
    c.disc(hot_x, hot_y, r, "k", "W")
    c.disc(hot_x, hot_y, r - 1, "W", "W")
    length = 8 if size == 32 else 4
    width = 3 if size == 32 else 2
    start = int(hot_x + r * 0.7) + 1
    for i in range(length):
        for t in range(width):
            c.put(start + i + t, int(hot_y + r * 0.7) + 1 + i, "k")
            c.put(start + i, int(hot_y + r * 0.7) + 1 + i + t, "k")
    return c.grid()


# ---------------------------------------------------------------------------
# The framework's bitmaps.

# 12x10: the close button of a floating tool bar's small caption.
CAPTION_CLOSE = """
............
............
...kk...kk..
....kk.kk...
.....kkk....
.....kkk....
....kk.kk...
...kk...kk..
............
............
"""


TICK = """
......k
.....kk
k...kkk
kk.kkk.
kkkkk..
.kkk...
..k....
"""


def check_box(size, state, face="W", mark="k"):
    """A sunken check box: state 0 empty, 1 checked, 2 checked and greyed."""
    n = size
    c = Canvas(n, n, face)
    for i in range(n):
        c.put(i, 0, "d")        # outer edge: shadow above and left,
        c.put(0, i, "d")
        c.put(i, n - 1, "W")    # highlight below and right
        c.put(n - 1, i, "W")
    for i in range(1, n - 1):
        c.put(i, 1, "k")        # inner edge: dark above and left,
        c.put(1, i, "k")
        c.put(i, n - 2, ".")    # face colour below and right
        c.put(n - 2, i, ".")
    c.put(1, n - 2, "k")
    c.put(n - 2, 1, "k")
    if state == 2:
        face, mark = ".", "d"
        for y in range(2, n - 2):
            for x in range(2, n - 2):
                c.put(x, y, face)
    if state:
        tick = grid(TICK, 7, 7, "tick")
        at = (n - 7) // 2
        for y, row in enumerate(tick):
            for x, ch in enumerate(row):
                if ch == "k":
                    c.put(at + x, at + y, mark)
    return c.grid()


def option_button(size, checked, face="W", mark="k"):
    """A sunken round option button, with its dot when checked."""
    n = size
    c = Canvas(n, n, ".")
    m = (n - 1) / 2.0
    for y in range(n):
        for x in range(n):
            d = ((x - m) ** 2 + (y - m) ** 2) ** 0.5
            upper_left = x + y < 2 * m
            if d <= m - 1.6:
                c.put(x, y, face)
            elif d <= m - 0.6:
                c.put(x, y, "k" if upper_left else ".")
            elif d <= m + 0.4:
                c.put(x, y, "d" if upper_left else "W")
            if checked and d <= 1.6:
                c.put(x, y, mark)
    return c.grid()


def side_by_side(images, gap_width=0, cell=None):
    height = len(images[0])
    out = []
    for y in range(height):
        line = ""
        for img in images:
            part = img[y]
            if cell is not None:
                part = part + "." * (cell - len(part))
            line += part
        out.append(line)
    return out


def check_list(size):
    return side_by_side([check_box(size, s) for s in (0, 1, 2)])


def controls_3d():
    """70x39: five 14x13 cells a row; rows: check boxes, option buttons,
    three-state check boxes. Each row: normal, checked, pressed, pressed and
    checked, disabled and checked (pressed and disabled on the button face)."""
    def row(make, states):
        cells = [make(s, f, m) for s, f, m in states]
        return side_by_side(cells, cell=14)
    two = [(0, "W", "k"), (1, "W", "k"), (0, ".", "k"), (1, ".", "k"), (1, ".", "d")]
    three = [(0, "W", "k"), (1, "W", "k"), (2, "W", "k"), (2, ".", "k"), (2, ".", "d")]
    return (row(lambda s, f, m: check_box(13, s, f, m), two) +
            row(lambda s, f, m: option_button(13, s, f, m), two) +
            row(lambda s, f, m: check_box(13, s, f, m), three))


def png(rows):
    """An RGBA PNG of the grid, " " transparent."""
    width, height = len(rows[0]), len(rows)
    raw = bytearray()
    for r in rows:
        raw.append(0)  # no filter
        for ch in r:
            raw += bytes((0, 0, 0, 0)) if ch == " " else bytes(PALETTE[INDEX[ch]][1]) + b"\xff"

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + \
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + \
        chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


# ---------------------------------------------------------------------------

def outputs():
    return {
        "toolbar.bmp": bmp(toolbar()),
        "ruvok.ico": icon_file(1, [notepad(32), notepad(16)]),
        "document.ico": icon_file(1, [grid(DOCUMENT_32, 32, 32, "document 32"),
                                      grid(DOCUMENT_16, 16, 16, "document 16")]),
        "pointer.cur": icon_file(2, [(grid(POINTER_32, 32, 32, "pointer 32"), 2, 2),
                                     (grid(POINTER_16, 16, 16, "pointer 16"), 1, 1)]),
        "magnify.cur": icon_file(2, [(magnifier(32, 9, 8), 9, 8),
                                     (magnifier(16, 7, 7), 7, 7)]),
        "caption_close.bmp": bmp(grid(CAPTION_CLOSE, 12, 10, "caption close")),
        "checklist13.bmp": bmp(check_list(13)),
        "checklist11.bmp": bmp(check_list(11)),
        "controls3d.bmp": bmp(controls_3d()),
        # for the icon theme of an installed program
        "ruvok-32.png": png(notepad(32)),
        "ruvok-16.png": png(notepad(16)),
        "ruvok-document-32.png": png(grid(DOCUMENT_32, 32, 32, "document 32")),
        "ruvok-document-16.png": png(grid(DOCUMENT_16, 16, 16, "document 16")),
    }


def main():
    check = "--check" in sys.argv[1:]
    differ = []
    for name, data in outputs().items():
        path = os.path.join(HERE, name)
        if check:
            with open(path, "rb") as f:
                if f.read() != data:
                    differ.append(name)
        else:
            with open(path, "wb") as f:
                f.write(data)
    if differ:
        print("out of date: %s; run %s and commit its output"
              % (", ".join(differ), os.path.relpath(__file__)))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
