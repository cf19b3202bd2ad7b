"""Makes themes with `mrw new`, `mrw set-image` and `mrw set-pda-colours`
(every turn and mirror, crops, tiling, transparencies, many source formats
and depths, both images), runs `mrw export` and compares every pixel, index
and palette entry of the written GIFs, decoded with Pillow, with model.py.

    MRW=build/native/program/mrw /usr/bin/python3 testing/image_model/check_export.py [CASE ...]

Needs Debian's python3-numpy and python3-pil. Work files go to $WORK
(default /tmp/mrw-image-model)."""
import os, sys, subprocess, shutil, re, random, json
import numpy as np
from PIL import Image
sys.path.insert(0, os.path.dirname(__file__))
import model

HERE = os.path.dirname(os.path.abspath(__file__))
MRW = os.environ.get('MRW', os.path.join(HERE, '..', '..', 'build', 'native', 'program', 'mrw'))
W = os.environ.get('WORK', '/tmp/mrw-image-model')

def pattern(w, h, seed):
    rng = np.random.default_rng(seed)
    y, x = np.mgrid[0:h, 0:w]
    r = (x * 7 + y * 3 + seed * 11) % 256
    g = (y * 5 + (x // 9) * 13) % 256
    b = ((x ^ y) * 3 + seed) % 256
    a = np.stack([r, g, b], -1).astype(np.int64) + rng.integers(-12, 13, (h, w, 3))
    return np.clip(a, 0, 255).astype(np.uint8)

def make_source(kind, w, h, seed, path):
    """Writes a picture and returns (path, depth the loader gives, rgb top-down)."""
    rgb = pattern(w, h, seed)
    if kind == 'png24':
        Image.fromarray(rgb, 'RGB').save(path + '.png'); depth = 24; path += '.png'
    elif kind == 'png32':
        rng = np.random.default_rng(seed + 1)
        alpha = rng.integers(0, 256, (h, w)).astype(np.uint8)
        alpha[::3, ::2] = 0
        Image.fromarray(np.dstack([rgb, alpha]), 'RGBA').save(path + '.png'); depth = 32; path += '.png'
    elif kind in ('png8p', 'png4p', 'png1p', 'gif8', 'giftr', 'bmp8', 'bmp4'):
        ncol = {'png8p': 200, 'png4p': 12, 'png1p': 2, 'gif8': 256, 'giftr': 64, 'bmp8': 180, 'bmp4': 16}[kind]
        im = Image.fromarray(rgb, 'RGB').quantize(ncol, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        if kind.startswith('png'):
            path += '.png'; im.save(path)
            depth = {'png8p': 8, 'png4p': 4, 'png1p': 1}[kind]
        elif kind.startswith('gif'):
            path += '.gif'
            if kind == 'giftr':
                im.save(path, transparency=5); depth = 32
            else:
                im.save(path); depth = 8
        else:
            path += '.bmp'
            if kind == 'bmp4':
                # PIL writes palette BMPs at 8 bits; write a 4-bit one by hand
                write_bmp4(im, path); depth = 4
            else:
                im.save(path); depth = 8
    elif kind == 'png1g':
        im = Image.fromarray(rgb, 'RGB').convert('1', dither=Image.Dither.NONE)
        path += '.png'; im.save(path); depth = 1
    elif kind == 'pngg8':
        im = Image.fromarray(rgb, 'RGB').convert('L'); path += '.png'; im.save(path); depth = 8
    elif kind == 'jpg':
        path += '.jpg'; Image.fromarray(rgb, 'RGB').save(path, quality=85); depth = 24
    elif kind == 'jpgg':
        path += '.jpg'; Image.fromarray(rgb, 'RGB').convert('L').save(path, quality=85); depth = 8
    elif kind == 'gifi':
        im = Image.fromarray(rgb, 'RGB').quantize(256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        path += '.gif'; im.save(path, interlace=True); depth = 8
    elif kind == 'png16':
        path += '.png'; write_png16(rgb, path); depth = 24
    elif kind == 'pngga':
        rng = np.random.default_rng(seed + 2)
        la = np.dstack([Image.fromarray(rgb, 'RGB').convert('L'), rng.integers(0, 256, (h, w)).astype(np.uint8)])
        path += '.png'; Image.fromarray(la, 'LA').save(path); depth = 32
    elif kind in ('pngptrns', 'png2p'):
        ncol = 100 if kind == 'pngptrns' else 4
        im = Image.fromarray(rgb, 'RGB').quantize(ncol, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        path += '.png'
        if kind == 'pngptrns':
            im.save(path, transparency=bytes([0, 128, 255] * 10)); depth = 32
        else:
            im.save(path); depth = 4
    elif kind == 'bmp32':
        rng = np.random.default_rng(seed + 3)
        alpha = rng.integers(0, 256, (h, w)).astype(np.uint8)
        path += '.bmp'; Image.fromarray(np.dstack([rgb, alpha]), 'RGBA').save(path); depth = 32
    elif kind == 'bmp16':
        path += '.bmp'; write_bmp16(rgb, path); depth = 16
        rgb = None
    elif kind == 'bmp24':
        path += '.bmp'; Image.fromarray(rgb, 'RGB').save(path); depth = 24
    else:
        raise ValueError(kind)
    if kind == 'bmp16':
        return path, depth, read16
    if kind == 'png16':
        return path, depth, rgb
    dec = Image.open(path)
    dec.load()
    rgb2 = np.array(dec.convert('RGB'))
    return path, depth, rgb2

def write_png16(rgb, path):
    import zlib, struct
    h, w = rgb.shape[:2]
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        for x in range(w):
            for c in range(3):
                v = int(rgb[y, x, c]); raw += bytes([v, (v * 37 + x) & 255])   # low byte is noise
    def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 16, 2, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(bytes(raw))) + chunk(b'IEND', b'')
    open(path, 'wb').write(png)

read16 = None
def write_bmp16(rgb, path):
    """5-5-5 BMP; returns through read16 the picture as the loader expands it (bits repeated)."""
    global read16
    import struct
    h, w = rgb.shape[:2]
    stride = ((16 * w + 31) // 32) * 4
    data = bytearray()
    exp = np.zeros_like(rgb)
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            r, g, b = (int(v) >> 3 for v in rgb[y, x])
            v = r << 10 | g << 5 | b
            row[2 * x] = v & 255; row[2 * x + 1] = v >> 8
            exp[y, x] = [(c << 3) | (c >> 2) for c in (r, g, b)]
        data += row
    off = 54
    hdr = b'BM' + struct.pack('<IHHI', off + len(data), 0, 0, off)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 16, 0, len(data), 2835, 2835, 0, 0)
    open(path, 'wb').write(hdr + info + data)
    read16 = exp

def write_bmp4(im, path):
    import struct
    w, h = im.size
    idx = np.array(im)
    pal = im.getpalette()[:48]
    pal += [0] * (48 - len(pal))
    rowsize = ((4 * w + 31) // 32) * 4
    data = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(rowsize)
        for x in range(w):
            v = int(idx[y, x]) & 15
            if x % 2 == 0: row[x // 2] |= v << 4
            else: row[x // 2] |= v
        data += row
    ct = bytearray()
    for i in range(16):
        ct += bytes([pal[3 * i + 2], pal[3 * i + 1], pal[3 * i], 0])
    off = 14 + 40 + 64
    hdr = b'BM' + struct.pack('<IHHI', off + len(data), 0, 0, off)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 4, 0, len(data), 2835, 2835, 16, 0)
    open(path, 'wb').write(hdr + info + ct + data)

def run(*args, check=True):
    p = subprocess.run([MRW] + [str(a) for a in args], capture_output=True, text=True)
    if 'Sanitizer' in p.stderr or 'runtime error' in p.stderr:
        print('SANITIZER', args, p.stderr[:2000])
    if check and p.returncode != 0:
        raise RuntimeError('%s: %s %s' % (args, p.stdout, p.stderr))
    return p

def patch_thm(thm, realname, key, value):
    text = open(thm, newline='').read()
    sections = re.split(r'(?m)^(?=\[)', text)
    for i, s in enumerate(sections):
        if re.search(r'(?mi)^Realname=' + re.escape(realname) + r'\s*$', s):
            sections[i] = re.sub(r'(?m)^' + key + r'=.*$', '%s=%s' % (key, value), s)
    open(thm, 'w', newline='').write(''.join(sections))

def compare(gif_path, expect):
    im = Image.open(gif_path)
    head = open(gif_path, 'rb').read(6)
    if isinstance(expect[0], str):
        idx = None; exp_rgb = expect[1]
    else:
        idx, pal = expect
        exp_rgb = np.array(pal, np.uint8)[idx]
    got_idx = np.array(im)
    got_pal = im.getpalette()
    got_rgb = np.array(im.convert('RGB'))
    res = {}
    res['header'] = head == b'GIF87a'
    if got_rgb.shape != exp_rgb.shape:
        res['size'] = (got_rgb.shape, exp_rgb.shape)
        return res, 0, exp_rgb.shape[0] * exp_rgb.shape[1]
    diff = np.any(got_rgb != exp_rgb, axis=2)
    res['rgb_diff'] = int(diff.sum())
    if idx is None:
        res['idx_diff'] = res['pal_diff'] = 0
    else:
        res['idx_diff'] = int((got_idx != idx).sum())
        exp_pal = [c for p in pal for c in p]
        res['pal_diff'] = sum(1 for i in range(256) if got_pal[3*i:3*i+3] != exp_pal[3*i:3*i+3])
    n = diff.size
    return res, n - int(diff.sum()), n

CASES = []
def case(name, today, start, pda=1, patch=None):
    CASES.append(dict(name=name, today=today, start=start, pda=pda, patch=patch or []))

def main(selected=None):
    shutil.rmtree(W, ignore_errors=True); os.makedirs(W + '/lib'); os.makedirs(W + '/src')
    total_ok = total_n = 0; bad = []
    for c in CASES:
        if selected and c['name'] not in selected: continue
        name = c['name']
        thm = run('new', W + '/lib', name).stdout.strip()
        exp = {}
        for which, pic in (('today', c['today']), ('start', c['start'])):
            if pic is None: continue
            kind, w, h, seed = pic['src']
            path, depth, rgb = make_source(kind, w, h, seed, '%s/src/%s_%s' % (W, name, which))
            args = ['set-image', thm, which, path]
            crop = pic.get('crop', (0, 0, 0, 0))
            rot = pic.get('rot', 0)
            if crop is None:
                fw, fh = (240, 268) if which == 'today' else (150, 290)
                a = fw / fh
                tw, th = (rgb.shape[0], rgb.shape[1]) if rot in (4, 5) else (rgb.shape[1], rgb.shape[0])
                crop = (0, 0, int(th * a), th) if int(tw / a) >= th else (0, 0, tw, int(tw / a))
            else:
                args += ['--crop', ','.join(map(str, crop))]
            if rot in (0, 3, 4, 5): args += ['--rotation', rot]
            args += ['--hflip', pic.get('hflip', 0), '--transparency', pic.get('tr', 0)]
            tc = pic.get('tc', (255, 255, 255))
            args += ['--transparency-colour', ','.join(map(str, tc))]
            run(*args)
            real = 'tdywater.gif' if which == 'today' else 'stwater.gif'
            if rot not in (0, 3, 4, 5):
                patch_thm(thm, real, 'Rotation', rot)
            exp[real] = model.prepare(model.Img(depth, rgb), which == 'today', crop, rot, pic.get('hflip', 0),
                                      pic.get('tr', 0), tc, c['pda'])
        for real, k, v in c['patch']:
            patch_thm(thm, real, k, v)
        if c['pda'] != 1:
            if c['pda'] in (0, 1, 2): run('set-pda-colours', thm, c['pda'])
            else:
                text = open(thm, newline='').read()
                open(thm, 'w', newline='').write(text.replace('PDAcolors=1', 'PDAcolors=%d' % c['pda']))
        out = '%s/out_%s' % (W, name)
        p = run('export', thm, out, '--images-only', check=False)
        for real, e in exp.items():
            gp = os.path.join(out, real)
            if e == 'fail' or e is None:
                status = 'exists' if os.path.exists(gp) else 'absent'
                print('%-22s %-13s model: %s, export rc=%d, file %s' % (name, real, e or 'no file', p.returncode, status))
                continue
            if not os.path.exists(gp):
                print('%-22s %-13s MISSING (rc=%d %s)' % (name, real, p.returncode, p.stderr.strip())); bad.append(name); continue
            r, ok, n = compare(gp, e)
            total_ok += ok; total_n += n
            flag = '' if (r.get('rgb_diff') == 0 and r.get('idx_diff') == 0 and r.get('pal_diff') == 0 and r['header']) else '  <-- DIFF'
            if flag: bad.append(name)
            print('%-22s %-13s %s%s' % (name, real, r, flag))
    print('pixels matching: %d / %d; cases with differences: %s' % (total_ok, total_n, sorted(set(bad))))

def T(src, **kw): d = dict(src=src); d.update(kw); return d

# tiling (source smaller), no crop; start image unchanged when smaller, cropped when larger
case('tile24', T(('png24', 100, 100, 1), crop=(0,0,0,0)), T(('png24', 100, 100, 2), crop=(0,0,0,0)))
case('tilewide', T(('bmp24', 300, 120, 3)), T(('bmp24', 200, 400, 4)))
case('tilehigh', T(('png8p', 90, 400, 5)), T(('png8p', 140, 300, 6)))
case('notile_big', T(('png24', 260, 300, 7)), T(('png24', 160, 280, 8)))
case('tile_gif', T(('gif8', 37, 53, 9)), T(('gif8', 151, 291, 10)))
case('tile_giftr', T(('giftr', 61, 45, 11), tr=40, tc=(10, 200, 30)), T(('giftr', 170, 320, 12), tr=200, tc=(250, 0, 120)))
case('tile_png32', T(('png32', 80, 70, 13)), T(('png32', 120, 100, 14), tr=90, tc=(0, 0, 255)))
# crops with resize, both images, every rotation and mirror
for rot in range(0, 6):
    for hf in (0, 1):
        case('rot%d_h%d' % (rot, hf),
             T(('png24', 333, 211, 20 + rot), crop=(13, 7, 300, 190), rot=rot, hflip=hf),
             T(('bmp24', 97, 160, 40 + rot), crop=(5, 9, 80, 150), rot=rot, hflip=hf))
        case('rotnc%d_h%d' % (rot, hf),
             T(('png24', 123, 77, 60 + rot), crop=(0, 0, 0, 0), rot=rot, hflip=hf),
             T(('png8p', 177, 301, 70 + rot), crop=(0, 0, 0, 0), rot=rot, hflip=hf))
case('rot6', T(('png24', 50, 50, 90), rot=6), T(('png24', 50, 50, 91), rot=7))
case('rotneg', T(('png24', 50, 50, 92), rot=-1), None)
case('crop_thin8', T(('gif8', 300, 300, 94), crop=(0, 0, 0, 0)), T(('gif8', 300, 300, 95), crop=(4, 5, 300, 6)))
case('crop_thin32', None, T(('png32', 300, 300, 96), crop=(4, 5, 300, 6), tr=99))
# crops larger than the target (shrink) and smaller (enlarge)
case('crop_enlarge', T(('png24', 64, 64, 100), crop=(3, 4, 50, 60)), T(('png24', 64, 64, 101), crop=(10, 2, 40, 63)))
case('crop_shrink', T(('gif8', 600, 640, 102), crop=(11, 20, 590, 630)), T(('gif8', 500, 700, 103), crop=(1, 1, 480, 699)))
case('crop_outside', T(('png24', 100, 100, 104), crop=(10, 10, 120, 90)), T(('png24', 100, 100, 105), crop=(0, 0, 100, 101)))
case('crop_thin', T(('png24', 300, 300, 106), crop=(0, 0, 300, 1)), T(('png24', 300, 300, 107), crop=(0, 0, 300, 1)))
case('crop_vthin', T(('png24', 300, 300, 108), crop=(0, 0, 1, 300)), T(('png24', 900, 300, 109), crop=(0, 0, 900, 5)))
# depths
case('depth_png4', T(('png4p', 300, 300, 110), crop=(0,0,0,0)), T(('png4p', 200, 300, 111), crop=(0,0,0,0)))
case('depth_png4c', T(('png4p', 300, 300, 112), crop=(1,2,250,280)), T(('png4p', 100, 100, 113), crop=(0,0,0,0)))
case('depth_png1', T(('png1g', 250, 280, 114), crop=(0,0,0,0)), T(('png1p', 200, 300, 115), crop=(0,0,0,0)))
case('depth_png1t', T(('png1g', 50, 80, 116), crop=(0,0,0,0), rot=4), T(('png1g', 200, 300, 117), crop=(3,3,100,200), rot=5, hflip=1))
case('depth_bmp4', T(('bmp4', 250, 280, 118), crop=(0,0,0,0)), T(('bmp4', 20, 30, 119), rot=4))
case('depth_bmp8', T(('bmp8', 130, 150, 120), rot=3, hflip=1), T(('bmp8', 300, 300, 121), crop=(0,0,0,0)))
case('depth_grey', T(('pngg8', 250, 270, 122), crop=(0,0,0,0), tr=128, tc=(255,0,0)), T(('pngg8', 50, 300, 123)))
case('depth_32big', T(('png32', 300, 300, 124), crop=(0,0,0,0), tr=17), T(('png32', 300, 300, 125), crop=(0,0,0,0)))
# transparency levels and colours
for i, (tr, tc) in enumerate([(0, (0, 0, 0)), (1, (255, 255, 255)), (128, (12, 34, 56)), (254, (200, 100, 0)), (255, (77, 1, 240))]):
    case('trans%d' % i, T(('png24', 240, 268, 130 + i), crop=(0,0,0,0), tr=tr, tc=tc), T(('png24', 150, 290, 140 + i), crop=(0,0,0,0), tr=tr, tc=tc))
# pda levels
for pda in (0, 1, 2, 3, -1):
    case('pda%d' % pda, T(('png24', 200, 200, 150), crop=(0,0,0,0), tr=50, tc=(9, 99, 199)),
         T(('png24', 160, 300, 151), crop=(2, 3, 140, 280)), pda=pda)
case('pda0_few', T(('png8p', 100, 100, 160), crop=(0,0,0,0)), T(('png1g', 150, 290, 161), crop=(0,0,0,0)), pda=0)
case('pda2_flat', T(('png24', 1, 1, 162), crop=(0,0,0,0)), T(('png24', 3, 3, 163), crop=(0,0,0,0)), pda=2)

# more loaders, default crops
case('src_jpg', T(('jpg', 320, 300, 200), crop=None), T(('jpg', 100, 120, 201), crop=(0,0,0,0)))
case('src_jpgg', T(('jpgg', 200, 200, 202), crop=(0,0,0,0)), T(('jpgg', 300, 600, 203), crop=None, rot=4))
case('src_gifi', T(('gifi', 123, 145, 204), crop=(0,0,0,0)), T(('gifi', 400, 300, 205), crop=None, rot=5, hflip=1))
case('src_png16', T(('png16', 100, 90, 206), crop=(0,0,0,0)), T(('png16', 160, 300, 207), crop=None))
case('src_pngga', T(('pngga', 250, 300, 208), crop=(0,0,0,0), tr=30), T(('pngga', 60, 60, 209), crop=(0,0,0,0)))
case('src_pngptrns', T(('pngptrns', 80, 80, 210), crop=(0,0,0,0)), T(('pngptrns', 300, 300, 211), crop=None, rot=3))
case('src_png2p', T(('png2p', 300, 300, 212), crop=(0,0,0,0)), T(('png2p', 90, 80, 213), crop=(0,0,0,0), rot=4, hflip=1))
case('src_bmp32', T(('bmp32', 250, 270, 214), crop=(0,0,0,0)), T(('bmp32', 50, 70, 215), crop=None))
case('src_bmp16', T(('bmp16', 250, 270, 216), crop=(0,0,0,0), rot=4), T(('bmp16', 150, 290, 217), crop=(0,0,0,0), tr=60))
case('dflt_crop', T(('png24', 480, 320, 218), crop=None), T(('png24', 480, 320, 219), crop=None), pda=2)
case('dflt_crop_rot', T(('png24', 480, 320, 220), crop=None, rot=4), T(('png24', 480, 320, 221), crop=None, rot=5), pda=0)

if __name__ == '__main__':
    main(set(sys.argv[1:]) or None)
