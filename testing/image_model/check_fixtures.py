"""Runs `mrw image info` and `mrw image convert` over every file of the image
fixtures: the format code against an independent probe of the first 96
bytes, the load result of refused formats, PNG and GIF depths, and the
decoded pixels against Pillow where Pillow decodes the same picture. Prints
only disagreements (some are Pillow's: run-length BMPs, 2-colour grey BMPs,
5-6-5 rounding, GIFs without a colour table) and a count.

    MRW=build/native/program/mrw /usr/bin/python3 testing/image_model/check_fixtures.py
"""
import os, sys, json, struct, subprocess, csv
import numpy as np
from PIL import Image, ImageFile
HERE = os.path.dirname(os.path.abspath(__file__))
MRW = os.environ.get('MRW', os.path.join(HERE, '..', '..', 'build', 'native', 'program', 'mrw'))
ROOT = os.environ.get('FIXTURES', os.path.join(HERE, '..', '..', '..', 'shared', 'fixtures', 'images'))
TMP = os.environ.get('WORK', '/tmp/mrw-image-model') + '/fixtures'
os.makedirs(TMP, exist_ok=True)

def detect(path):
    try:
        with open(path, 'rb') as f: b = f.read(96)
    except OSError:
        return -1
    b = b + bytes(96 - len(b))
    if b[0:2] == b'BM': return 1
    if b[0:2] == b'II': return 2
    if b[0] == 10 and b[2] == 1: return 3
    if b[0:3] == b'GIF': return 4
    if b[0] < 0xFF:
        if b[0:4] == b'\x89PNG': return 6
    else:
        if b[1] == 0xD8: return 5
    if struct.unpack_from('<I', b, 80)[0] == 0x0106A9D6 and struct.unpack_from('<I', b, 84)[0] == 0x201: return 8
    if path[-3:].upper() in ('T31', 'T42', 'T43', 'T44', 'T2C', 'T4C'): return 7
    return 0

def info(path):
    p = subprocess.run([MRW, 'image', 'info', path, '--json'], capture_output=True, text=True)
    try:
        return json.loads(p.stdout), p.returncode
    except Exception:
        return None, p.returncode

def expected_rows():
    rows = {}
    for sub in ('bmpsuite', 'gif', 'jpeg', 'pngsuite'):
        with open(os.path.join(ROOT, sub, 'EXPECTED.tsv')) as f:
            r = csv.reader(f, delimiter='\t'); next(r)
            for row in r:
                rows[os.path.join(sub, row[0])] = row
    return rows

def png_depth(path):
    d = open(path, 'rb').read()
    bitdepth, ctype = d[24], d[25]
    has_trns = b'tRNS' in d
    if ctype in (4, 6) or has_trns: return 32
    if ctype == 2: return 24
    if ctype == 3: return {1: 1, 2: 4, 4: 4, 8: 8}[bitdepth]
    if ctype == 0: return {1: 1, 2: 4, 4: 4, 8: 8, 16: 8}[bitdepth]

def gif_first(path):
    """left, top, w, h of the first image, transparent index, per the decoder's rules."""
    d = open(path, 'rb').read()
    if len(d) < 13: return None
    packed = d[10]; pos = 13
    if packed & 0x80: pos += 3 * (2 << (packed & 7))
    trans = None
    while pos < len(d):
        c = d[pos]; pos += 1
        if c == 0x3B: return None
        if c == 0x21:
            if pos >= len(d): return None
            label = d[pos]; pos += 1
            first = True
            while pos < len(d):
                n = d[pos]; pos += 1
                if n == 0: break
                if label == 0xF9 and first and n >= 4 and pos + 3 < len(d):
                    if d[pos] & 1: trans = d[pos + 3]
                first = False
                pos += n
            continue
        if c == 0x2C:
            if pos + 9 > len(d): return None
            l, t, w, h = struct.unpack_from('<HHHH', d, pos)
            return l, t, w, h, trans, d[pos + 8]
    return None

def read_bmp(path):
    d = open(path, 'rb').read()
    off = struct.unpack_from('<I', d, 10)[0]
    hs, w, h, planes, bpp, comp, _, _, _, used = struct.unpack_from('<IiiHHIIiiI', d, 14)
    assert hs == 40 and comp in (0, 3), (hs, comp)
    ncol = (used or 256) if bpp <= 8 else 0
    pal = [(d[54 + 4*i + 2], d[54 + 4*i + 1], d[54 + 4*i]) for i in range(ncol)]
    stride = ((bpp * w + 31) // 32) * 4
    out = np.zeros((abs(h), w, 3), np.uint8)
    for m in range(abs(h)):
        y = abs(h) - 1 - m if h > 0 else m
        row = d[off + m * stride: off + (m + 1) * stride]
        for x in range(w):
            if bpp == 24: out[y, x] = (row[3*x+2], row[3*x+1], row[3*x])
            elif bpp == 32: out[y, x] = (row[4*x+2], row[4*x+1], row[4*x])
            elif bpp == 16:
                v = row[2*x] | row[2*x+1] << 8
                r, g, b = (v >> 10) & 31, (v >> 5) & 31, v & 31
                out[y, x] = ((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2))
            else:
                bit = x * bpp
                v = (row[bit // 8] >> (8 - bpp - bit % 8)) & ((1 << bpp) - 1)
                out[y, x] = pal[v] if v < len(pal) else (0, 0, 0)
    return out

def main():
    exp = expected_rows()
    files = []
    for dp, dn, fn in os.walk(ROOT):
        for f in fn:
            if f.endswith(('.md', '.tsv')): continue
            files.append(os.path.join(dp, f))
    files.sort()
    nf = nd = npix = 0
    for path in files:
        rel = os.path.relpath(path, ROOT)
        j, rc = info(path)
        if j is None:
            print('NO JSON', rel, rc); continue
        fmt = detect(path)
        if j['format'] != fmt:
            print('FORMAT', rel, 'got', j['format'], 'want', fmt)
        nf += 1
        res = j['result']
        want_res = {0: 1, 2: -1, 3: -1, 7: -1, 8: -1}.get(fmt)
        if want_res is not None and res != want_res:
            print('RESULT', rel, 'got', res, 'want', want_res)
        if fmt not in (1, 4, 5, 6): continue
        row = exp.get(rel)
        if row is not None and (res == 0) != (row[4] == 'yes'):
            print('DECODES', rel, 'ours', res, 'imagemagick', row[4], row[9][:80])
        if res != 0: continue
        nd += 1
        # size / depth checks
        if fmt == 6:
            dep = png_depth(path)
            if dep != j['bitsPerPixel']: print('PNGDEPTH', rel, j['bitsPerPixel'], 'want', dep)
        if fmt == 4:
            g = gif_first(path)
            if g:
                l, t, w, h, tr, p = g
                if (w, h) != (j['width'], j['height']): print('GIFSIZE', rel, (j['width'], j['height']), (w, h))
                wantdep = 32 if tr is not None else 8
                if j['bitsPerPixel'] != wantdep: print('GIFDEPTH', rel, j['bitsPerPixel'], wantdep)
        # pixels against PIL where PIL decodes the same thing
        try:
            im = Image.open(path)
            if fmt == 4:
                im.seek(0)
            im.load()
        except Exception as e:
            continue
        out = os.path.join(TMP, 'x.bmp')
        if os.path.exists(out): os.remove(out)
        p = subprocess.run([MRW, 'image', 'convert', path, out], capture_output=True, text=True)
        if p.returncode != 0 or not os.path.exists(out):
            print('CONVERT', rel, p.stderr.strip()[:100]); continue
        ours = read_bmp(out)
        if fmt == 4:
            g = gif_first(path)
            l, t, w, h = g[:4]
            if im.mode == 'P' or im.mode == 'L':
                theirs = np.array(im.convert('RGB'))
            else:
                theirs = np.array(im.convert('RGB'))
            if theirs.shape[:2] != (h, w):
                if l + w <= theirs.shape[1] and t + h <= theirs.shape[0]:
                    theirs = theirs[t:t + h, l:l + w]
                else:
                    continue
            if ours.shape != theirs.shape: print('SHAPE', rel, ours.shape, theirs.shape); continue
            # pixels of the frame that PIL leaves transparent come from the screen; compare only opaque ones
            if g[4] is not None:
                idx = np.array(im)
                if idx.shape[:2] == (h, w):
                    mask = idx != g[4]
                else:
                    mask = np.ones((h, w), bool)
            else:
                mask = np.ones((h, w), bool)
        else:
            if im.mode in ('I;16', 'I;16B', 'I'):
                a = np.array(im).astype(np.int64) >> 8
                theirs = np.repeat(a[:, :, None].astype(np.uint8), 3, 2)
            else:
                theirs = np.array(im.convert('RGB'))
            mask = np.ones(theirs.shape[:2], bool)
            if ours.shape != theirs.shape: print('SHAPE', rel, ours.shape, theirs.shape); continue
        diff = np.any(ours != theirs, axis=2) & mask
        npix += int(mask.sum())
        if diff.any():
            print('PIXELS', rel, int(diff.sum()), 'of', int(mask.sum()), 'mode', im.mode)
    print('files %d, decoded %d, pixels compared %d' % (nf, nd, npix))

main()
