"""A plain, independent model of how a theme image is prepared for the
handheld: mirror, turn, crop or tile, resize, blend with the transparency
colour, level each channel, Wu's quantiser and serpentine error diffusion.
It works on decoded pixels (numpy arrays, top row first) and is meant to be
compared with what `mrw export` writes, see check_export.py."""
import numpy as np

class Img:
    """depth: bits per pixel as the loader makes it; rgb: H x W x 3 uint8, top row first."""
    def __init__(self, depth, rgb):
        self.depth = depth
        self.rgb = np.ascontiguousarray(rgb, dtype=np.uint8)
    @property
    def w(self): return self.rgb.shape[1]
    @property
    def h(self): return self.rgb.shape[0]

def turn(img, code):
    if code < 0 or code > 5:
        return 4
    if code == 0:
        return 0
    if code in (4, 5) and img.depth not in (1, 4, 8, 15, 16, 24, 32):
        return 3
    a = img.rgb
    if code == 1:
        a = a[:, ::-1]
    elif code == 2:
        a = a[::-1, :]
    elif code == 3:
        a = a[::-1, ::-1]
    elif code == 4:
        # (x, y) -> (h-1-y, x): new[x][h-1-y] = old[y][x]
        h, w = a.shape[:2]
        n = np.zeros((w, h, 3), np.uint8)
        for y in range(h):
            for x in range(w):
                n[x, h - 1 - y] = a[y, x]
        a = n
    elif code == 5:
        h, w = a.shape[:2]
        n = np.zeros((w, h, 3), np.uint8)
        for y in range(h):
            for x in range(w):
                n[w - 1 - x, y] = a[y, x]
        a = n
    img.rgb = np.ascontiguousarray(a)
    return 0

def crop(img, x, y, w, h):
    if x + w > img.w or y + h > img.h:
        return 4
    if x < 0 or y < 0 or w <= 0 or h <= 0:
        return 4   # a rectangle outside the image
    img.rgb = img.rgb[y:y + h, x:x + w].copy()
    return 0

def tile(img, w, h):
    sh, sw = img.h, img.w
    out = np.zeros((h, w, 3), np.uint8)
    for y in range(h):
        for x in range(w):
            out[y, x] = img.rgb[y % sh, x % sw]
    img.rgb = out
    img.depth = 24
    return 0

def resize(img, w, h):
    if w <= 0 or h <= 0:
        return 4
    fx = img.w / w
    fy = img.h / h
    xs = [int(x * fx) for x in range(w)]
    ys = [int(y * fy) for y in range(h)]
    img.rgb = img.rgb[ys][:, xs].copy()
    return 0

def blend_onto(colour_rgb, img, alpha, widen=True):
    # Pictures of 1, 4 or 16 bits are widened before the blend (widen=True),
    # as the editor does, rather than leaving the plain background.
    out = np.zeros((img.h, img.w, 3), np.int64)
    out[:, :] = colour_rgb
    if img.depth not in (8, 24, 32) and not widen:
        return out.astype(np.uint8), 3
    src = img.rgb.astype(np.int64)
    out = (src * alpha + out * (255 - alpha)) // 255
    return out.astype(np.uint8), 0

def level_table(bits):
    if bits == 5:
        return [int((v // 8) * 255 / 31 + 0.5) for v in range(256)]
    if bits == 4:
        return [(v // 16) * 17 for v in range(256)]
    return list(range(256))

# ---- Wu quantiser -------------------------------------------------------
def wu(pixels, K):
    """pixels: N x 3 int array (levelled).  Returns (palette list of K (r,g,b)), tag array 33^3."""
    wt = np.zeros((33, 33, 33), np.int64)
    mr = np.zeros_like(wt); mg = np.zeros_like(wt); mb = np.zeros_like(wt)
    m2 = np.zeros((33, 33, 33), np.float64)
    r = pixels[:, 0].astype(np.int64); g = pixels[:, 1].astype(np.int64); b = pixels[:, 2].astype(np.int64)
    ir = (r >> 3) + 1; ig = (g >> 3) + 1; ib = (b >> 3) + 1
    np.add.at(wt, (ir, ig, ib), 1)
    np.add.at(mr, (ir, ig, ib), r)
    np.add.at(mg, (ir, ig, ib), g)
    np.add.at(mb, (ir, ig, ib), b)
    np.add.at(m2, (ir, ig, ib), (r * r + g * g + b * b).astype(np.float64))
    for m in (wt, mr, mg, mb, m2):
        m[:] = m.cumsum(0).cumsum(1).cumsum(2)
    mom = {'w': wt, 'r': mr, 'g': mg, 'b': mb}

    def vol(c, m):
        r0, r1, g0, g1, b0, b1 = c['r0'], c['r1'], c['g0'], c['g1'], c['b0'], c['b1']
        return (m[r1, g1, b1] - m[r1, g1, b0] - m[r1, g0, b1] + m[r1, g0, b0]
                - m[r0, g1, b1] + m[r0, g1, b0] + m[r0, g0, b1] - m[r0, g0, b0])

    def bottom(c, d, m):
        r0, r1, g0, g1, b0, b1 = c['r0'], c['r1'], c['g0'], c['g1'], c['b0'], c['b1']
        if d == 0:
            return -m[r0, g1, b1] + m[r0, g1, b0] + m[r0, g0, b1] - m[r0, g0, b0]
        if d == 1:
            return -m[r1, g0, b1] + m[r1, g0, b0] + m[r0, g0, b1] - m[r0, g0, b0]
        return -m[r1, g1, b0] + m[r1, g0, b0] + m[r0, g1, b0] - m[r0, g0, b0]

    def top(c, d, p, m):
        r0, r1, g0, g1, b0, b1 = c['r0'], c['r1'], c['g0'], c['g1'], c['b0'], c['b1']
        if d == 0:
            return m[p, g1, b1] - m[p, g1, b0] - m[p, g0, b1] + m[p, g0, b0]
        if d == 1:
            return m[r1, p, b1] - m[r1, p, b0] - m[r0, p, b1] + m[r0, p, b0]
        return m[r1, g1, p] - m[r1, g0, p] - m[r0, g1, p] + m[r0, g0, p]

    def var(c):
        dr = int(vol(c, mr)); dg = int(vol(c, mg)); db = int(vol(c, mb))
        xx = float(vol(c, m2))
        return xx - (dr * dr + dg * dg + db * db) / int(vol(c, wt))

    def maximize(c, d, first, last, whole):
        base = [int(bottom(c, d, mom[k])) for k in 'rgbw']
        best = 0.0; cut = -1
        for i in range(first, last):
            half = [base[j] + int(top(c, d, i, mom[k])) for j, k in enumerate('rgbw')]
            if half[3] == 0:
                continue
            temp = (half[0] * half[0] + half[1] * half[1] + half[2] * half[2]) / half[3]
            half = [whole[j] - half[j] for j in range(4)]
            if half[3] == 0:
                continue
            temp += (half[0] * half[0] + half[1] * half[1] + half[2] * half[2]) / half[3]
            if temp > best:
                best = temp; cut = i
        return best, cut

    def cut(s1, s2):
        whole = [int(vol(s1, mom[k])) for k in 'rgbw']
        maxr, cr = maximize(s1, 0, s1['r0'] + 1, s1['r1'], whole)
        maxg, cg = maximize(s1, 1, s1['g0'] + 1, s1['g1'], whole)
        maxb, cb = maximize(s1, 2, s1['b0'] + 1, s1['b1'], whole)
        if maxr >= maxg and maxr >= maxb:
            d = 0
            if cr < 0:
                return False
        elif maxg >= maxr and maxg >= maxb:
            d = 1
        else:
            d = 2
        s2['r1'] = s1['r1']; s2['g1'] = s1['g1']; s2['b1'] = s1['b1']
        if d == 0:
            s2['r0'] = s1['r1'] = cr; s2['g0'] = s1['g0']; s2['b0'] = s1['b0']
        elif d == 1:
            s2['g0'] = s1['g1'] = cg; s2['r0'] = s1['r0']; s2['b0'] = s1['b0']
        else:
            s2['b0'] = s1['b1'] = cb; s2['r0'] = s1['r0']; s2['g0'] = s1['g0']
        for s in (s1, s2):
            s['vol'] = (s['r1'] - s['r0']) * (s['g1'] - s['g0']) * (s['b1'] - s['b0'])
        return True

    cubes = [dict(r0=0, g0=0, b0=0, r1=32, g1=32, b1=32, vol=0) for _ in range(K)]
    vv = [0.0] * K
    nxt = 0
    i = 1
    while i < K:
        if cut(cubes[nxt], cubes[i]):
            vv[nxt] = var(cubes[nxt]) if cubes[nxt]['vol'] > 1 else 0.0
            vv[i] = var(cubes[i]) if cubes[i]['vol'] > 1 else 0.0
        else:
            vv[nxt] = 0.0
            i -= 1
        nxt = 0; temp = vv[0]
        for k in range(1, i + 1):
            if vv[k] > temp:
                temp = vv[k]; nxt = k
        if temp <= 0.0:
            K = i + 1
            break
        i += 1
    tag = np.zeros((33, 33, 33), np.int64)
    pal = [(255, 255, 255)] * 256
    for k in range(K):
        c = cubes[k]
        tag[c['r0'] + 1:c['r1'] + 1, c['g0'] + 1:c['g1'] + 1, c['b0'] + 1:c['b1'] + 1] = k
        w = int(vol(c, wt))
        if w:
            pal[k] = (int(vol(c, mr)) // w, int(vol(c, mg)) // w, int(vol(c, mb)) // w)
    return pal, tag, K

def tdiv(a, b):
    q = abs(a) // b
    return q if a >= 0 else -q

def reduce_colours(rgb, count, bits):
    """rgb: H x W x 3 top-down 24-bit image. Returns indices (H x W, top-down) and palette."""
    lt = np.array(level_table(bits), np.int64)
    lev = lt[rgb.astype(np.int64)]
    H, W = lev.shape[:2]
    pal, tag, K = wu(lev.reshape(-1, 3), count)
    palarr = np.array(pal, np.int64)
    idx = np.zeros((H, W), np.int64)
    cur = np.zeros((W + 2, 3), np.int64)
    for m in range(H):
        y = H - 1 - m
        nxt = np.zeros((W + 2, 3), np.int64)
        d = 1 if m % 2 == 0 else -1
        xs = range(W) if d == 1 else range(W - 1, -1, -1)
        row = lev[y]
        for x in xs:
            s = row[x]
            adj = [min(255, max(0, tdiv(16 * int(s[c]) + int(cur[x + 1, c]), 16))) for c in range(3)]
            k = tag[(adj[0] >> 3) + 1, (adj[1] >> 3) + 1, (adj[2] >> 3) + 1]
            idx[y, x] = k
            e = s - palarr[k]
            cur[x + d + 1] += 7 * e
            nxt[x - d + 1] += 3 * e
            nxt[x + 1] += 5 * e
            nxt[x + d + 1] += e
        cur = nxt
    return idx, pal

def prepare(img, is_today, crop_rect, rotation, hflip, transparency, tcolour_rgb, pda):
    """'fail' when the turn is refused (nothing is written); ('rgb', pixels)
    when only the pixels are known (a failed resize of a picture that is not
    reduced); else (indices, palette) of the GIF."""
    if hflip == 1:
        turn(img, 2)
    if turn(img, rotation) != 0:
        return 'fail'
    l, t, r, b = crop_rect
    empty = r <= l or b <= t
    if empty:
        if is_today:
            if img.w < 240 or img.h < 268:
                tile(img, 240, 268)
        else:
            crop(img, 0, 0, 150, 290)
    else:
        crop(img, l, t, r - l, b - t)
        if is_today:
            rc = resize(img, 240, 268)
        else:
            rc = resize(img, 150, (b - t) * 150 // (r - l))
        if rc != 0:
            # no blend; the picture goes to the colour reduction as it is
            if img.depth in (24, 32):
                bits = 8 if pda == 0 else 5 if pda == 1 else 4
                return reduce_colours(img.rgb, 256, bits)
            return ('rgb', img.rgb)
    out, _ = blend_onto(tcolour_rgb, img, 255 - transparency)
    bits = 8 if pda == 0 else 5 if pda == 1 else 4
    return reduce_colours(out, 256, bits)
