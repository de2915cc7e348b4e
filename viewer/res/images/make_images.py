#!/usr/bin/env python3
"""Draws the viewer's bitmaps, icons and cursors and writes them as .bmp, .ico
and .cur files next to this script. The pictures are character grids, one
character a pixel, in the 16-colour palette below; run it again after changing
a picture and commit its output with it.

    python3 make_images.py          # writes the files
    python3 make_images.py --check  # exits 1 when a written file differs
"""
import os
import struct
import sys

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
kYWYkkkkkkk.....
kWYWYWYWYWk.....
kYWYWYWYWYk.....
kWYWYWkkkkkkkkkk
kYWYWkoooooooook
kWYWkoooooooook.
kYWkoooooooook..
kWkoooooooook...
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
......nkn.......
....nnn.nnn.....
...n..n.n..n....
...n..n.n..n....
...n..n.n..n....
....nn...nn.....
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

NOTEPAD_32 = """
                                
     kkkkkkkkkkkkkkkkkkkkkk     
    krRRRRRRRRRRRRRRRRRRRRRk    
    krRRRRRRRRRRRRRRRRRRRRRk    
    krRRRRRRRRRRRRRRRRRRRRRk    
    krRRRRRRRRRRRRRRRRRRRRRk    
    krRRRRRRRRRRRRRRRRRRRRRk    
    krrrrrrrrrrrrrrrrrrrrrrk    
     kkkkkkkkkkkkkkkkkkkkkk     
     kdWkdWkdWkdWkdWkdWkdWk     
    kkWkkWkkWkkWkkWkkWkkWkkk    
    kWdWWdWWdWWdWWdWWdWWdWWk    
    kWWWWWWWWWWWWWWWWWWWWWWdk   
    kWWWWWWWWWWWWWWWWWWWWWWdk   
    kWWBBBBBBBBBBBBBBBBBBWWdk   
    kWWWWWWWWWWWWWWWWWWWWWWdk   
    kWWWWWWWWWWWWWWWWWWWWWWdk   
    kWWBBBBBBBBBBBBBBBBBBWWdk   
    kWWWWWWWWWWWWWWWWWWWWWWdk   
    kWWWWWWWWWWWWWWWWWWWWWWdk   
    kWWBBBBBBBBBBBBBBBBBBWWdk   
    kWWWWWWWWWWWWWWWWWWWWWWdk   
    kWWWWWWWWWWWWWWWWWWWWWWdk   
    kWWBBBBBBBBBBBBBBBBBBWWdk   
    kWWWWWWWWWWWWWWWWWWWWWWdk   
    kWWWWWWWWWWWWWWWWWWWWWWdk   
    kWWWWWWWWWWWWWWWWWWWWWWdk   
    kkkkkkkkkkkkkkkkkkkkkkkdk   
     kdddddddddddddddddddddk    
      kkkkkkkkkkkkkkkkkkkkk     
                                
                                
"""

NOTEPAD_16 = """
                
 kkkkkkkkkkkkk  
 kRRRRRRRRRRRk  
 kRRRRRRRRRRRk  
 krrrrrrrrrrrk  
 kWkWkWkWkWkWk  
 kdkdkdkdkdkdk  
 kWWWWWWWWWWWkk 
 kWBBBBBBBBBWdk 
 kWWWWWWWWWWWdk 
 kWBBBBBBBBBWdk 
 kWWWWWWWWWWWdk 
 kWBBBBBBBBBWdk 
 kWWWWWWWWWWWdk 
 kkkkkkkkkkkkdk 
  kkkkkkkkkkkkk 
"""

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

MAGNIFY_32 = """
                                
                                
                                
       kkkkk                    
     kkWWWWWkk                  
    kWWWWWWWWWk                 
   kWWWWWWWWWWWk                
   kWWWWWWWWWWWk                
  kWWWWWWWWWWWWWk               
  kWWWWWWWWWWWWWk               
  kWWWWWWWWWWWWWk               
  kWWWWWWWWWWWWWk               
  kWWWWWWWWWWWWWk               
   kWWWWWWWWWWWk                
   kWWWWWWWWWWWkk               
    kWWWWWWWWWkkkk              
     kkWWWWWkkkkkkk             
       kkkkk  kkkkkk            
               kkkkkk           
                kkkkkk          
                 kkkkkk         
                  kkkkk         
                   kkk          
                                
                                
                                
                                
                                
                                
                                
                                
                                
"""

MAGNIFY_16 = """
                
    kkkkk       
   kWWWWWk      
  kWWWWWWWk     
 kWWWWWWWWWk    
 kWWWWWWWWWk    
 kWWWWWWWWWk    
 kWWWWWWWWWk    
 kWWWWWWWWWk    
  kWWWWWWWkk    
   kWWWWWkkkk   
    kkkkk kkkk  
           kkkk 
            kkk 
                
                
"""

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


def check_box(size, state):
    """A sunken check box: state 0 empty, 1 checked, 2 checked and grey."""
    n = size
    rows = [["W"] * n for _ in range(n)]
    for i in range(n):
        rows[0][i] = "d"
        rows[i][0] = "d"
        rows[n - 1][i] = "W"
        rows[i][n - 1] = "W"
    for i in range(1, n - 1):
        rows[1][i] = "k" if i < n - 1 else rows[1][i]
        rows[i][1] = "k"
        rows[n - 2][i] = "." if i > 0 else rows[n - 2][i]
        rows[i][n - 2] = "."
    rows[n - 2][1] = "k"
    rows[1][n - 2] = "k"
    if state == 2:
        for y in range(2, n - 2):
            for x in range(2, n - 2):
                rows[y][x] = "."
    if state:
        mark = "k" if state == 1 else "d"
        c = n // 2
        # a tick: down from the left to the bottom, then up to the right
        for i in range(3):
            for t in range(3):
                x, y = c - 3 + i, c - 1 + i + t
                if 2 <= x < n - 2 and 2 <= y < n - 2:
                    rows[y][x] = mark
        for i in range(1, n):
            for t in range(3):
                x, y = c - 1 + i, c + 1 - i + t
                if 2 <= x < n - 2 and 2 <= y < n - 2 and x <= c + 3:
                    rows[y][x] = mark
    return ["".join(r) for r in rows]


def option_button(size, checked):
    """A sunken round option button, with its dot when checked."""
    n = size
    rows = [["."] * n for _ in range(n)]
    c = (n - 1) / 2.0
    for y in range(n):
        for x in range(n):
            d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
            if d <= c - 1.6:
                rows[y][x] = "W"
            elif d <= c - 0.6:
                rows[y][x] = "k" if x + y < 2 * c else "."
            elif d <= c + 0.4:
                rows[y][x] = "d" if x + y < 2 * c else "W"
            if checked and d <= 1.6:
                rows[y][x] = "k"
    return ["".join(r) for r in rows]


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
    three-state check boxes. Each cell: normal, checked, pressed, pressed and
    checked, disabled."""
    def pressed(img):
        return ["".join("." if ch == "W" else ch for ch in r) for r in img]

    def disabled(img):
        return ["".join("d" if ch == "k" else ("." if ch == "W" else ch) for ch in r)
                for r in img]

    def row(make):
        cells = [make(0), make(1), pressed(make(0)), pressed(make(1)), disabled(make(1))]
        return side_by_side(cells, cell=14)
    boxes = row(lambda s: check_box(13, s))
    options = row(lambda s: option_button(13, s))
    three = side_by_side([check_box(13, 0), check_box(13, 1), check_box(13, 2),
                          pressed(check_box(13, 2)), disabled(check_box(13, 2))], cell=14)
    return boxes + options + three


# ---------------------------------------------------------------------------

def outputs():
    return {
        "toolbar.bmp": bmp(toolbar()),
        "ruvok.ico": icon_file(1, [grid(NOTEPAD_32, 32, 32, "notepad 32"),
                                   grid(NOTEPAD_16, 16, 16, "notepad 16")]),
        "document.ico": icon_file(1, [grid(DOCUMENT_32, 32, 32, "document 32"),
                                      grid(DOCUMENT_16, 16, 16, "document 16")]),
        "pointer.cur": icon_file(2, [(grid(POINTER_32, 32, 32, "pointer 32"), 2, 2),
                                     (grid(POINTER_16, 16, 16, "pointer 16"), 1, 1)]),
        "magnify.cur": icon_file(2, [(grid(MAGNIFY_32, 32, 32, "magnifier 32"), 9, 8),
                                     (grid(MAGNIFY_16, 16, 16, "magnifier 16"), 7, 7)]),
        "caption_close.bmp": bmp(grid(CAPTION_CLOSE, 12, 10, "caption close")),
        "checklist13.bmp": bmp(check_list(13)),
        "checklist11.bmp": bmp(check_list(11)),
        "controls3d.bmp": bmp(controls_3d()),
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
        print("out of date: " + ", ".join(differ))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
