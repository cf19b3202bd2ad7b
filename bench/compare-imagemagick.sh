#!/usr/bin/env bash
# Converts the same photographs to 256-colour GIFs with `mrw image convert`
# and with ImageMagick's `convert -colors 256`, each as a whole process,
# 20 runs apiece; prints min and median times, their ratio, and the mean
# squared error of each result against the source picture.
#
#   bench/compare-imagemagick.sh [PHOTO.jpg ...]
#
# Without arguments it uses the photographs among the JPEG fixtures.
# MRW (default build/native/program/mrw) and IM_CONVERT (default the
# system's ImageMagick 6 convert) may be set in the environment.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
mrw="${MRW:-$root/build/native/program/mrw}"
runs="${RUNS:-20}"

# The real ImageMagick, not a stand-in earlier in PATH.
im="${IM_CONVERT:-}"
if [[ -z "$im" ]]; then
  for candidate in /usr/bin/convert-im6.q16 /usr/bin/convert /usr/local/bin/magick; do
    if [[ -x "$candidate" ]] && "$candidate" -version 2>/dev/null | grep -q ImageMagick; then
      im="$candidate"; break
    fi
  done
fi
if [[ -z "$im" ]]; then
  echo "compare-imagemagick: ImageMagick's convert not found; skipped." >&2
  exit 0
fi
if [[ ! -x "$mrw" ]]; then
  echo "compare-imagemagick: $mrw not built; skipped." >&2
  exit 0
fi

photos=("$@")
if [[ ${#photos[@]} -eq 0 ]]; then
  fixtures="$root/../shared/fixtures/images/jpeg"
  for name in wuffs/peacock.default.jpeg wuffs/hippopotamus.jpeg wuffs/bricks-color.jpeg \
              wuffs/hat.jpeg libjpeg-turbo/testorig.jpg pillow/hopper.jpg; do
    [[ -f "$fixtures/$name" ]] && photos+=("$fixtures/$name")
  done
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
if [[ $# -eq 0 ]]; then
  # A 640 x 480 photograph-like picture as well: smooth fractal shading with noise.
  "$im" -size 640x480 -seed 7 plasma:fractal -blur 0x2 +noise Gaussian -quality 90 "$work/synthetic-640x480.jpg"
  photos+=("$work/synthetic-640x480.jpg")
fi
if [[ ${#photos[@]} -eq 0 ]]; then
  echo "compare-imagemagick: no photographs given and no fixtures found; skipped." >&2
  exit 0
fi

# The command must exist before anything is timed.
if ! "$mrw" image convert "${photos[0]}" "$work/probe.gif" >"$work/probe.log" 2>&1; then
  echo "compare-imagemagick: 'mrw image convert' is not available or failed; skipped." >&2
  sed 's/^/  /' "$work/probe.log" >&2
  exit 0
fi

python3 - "$mrw" "$im" "$runs" "$work" "${photos[@]}" <<'PY'
import os, statistics, subprocess, sys, time

mrw, im, runs, work = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
photos = sys.argv[5:]

def timed(cmd):
    # Wall time of the whole process, and its processor time (user + system)
    # which a busy machine disturbs less.
    wall, cpu = [], []
    for _ in range(runs):
        start = time.perf_counter()
        proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(proc.pid, 0)
        wall.append(time.perf_counter() - start)
        cpu.append(usage.ru_utime + usage.ru_stime)
        proc.returncode = 0
        if status != 0:
            sys.exit(f"failed: {' '.join(cmd)}")
    return min(wall), statistics.median(wall), min(cpu), statistics.median(cpu)

def rgb(path):
    # Decoded by ImageMagick for both results and the source, so that the
    # comparison does not depend on our own decoders.
    out = subprocess.run([im, path, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    size = subprocess.run([im, path, "-format", "%w %h", "info:"], check=True,
                          capture_output=True, text=True).stdout.split()
    return out, int(size[0]), int(size[1])

def mse(a, b):
    if len(a) != len(b):
        return float("nan")
    return sum((x - y) * (x - y) for x, y in zip(a, b)) / len(a)

print(f"{'photograph':30} {'size':>9} | {'mrw wall min/med':>17} {'IM wall min/med':>17} {'ratio':>6} | "
      f"{'mrw cpu med':>11} {'IM cpu med':>11} {'ratio':>6} | {'mrw MSE':>8} {'IM MSE':>8}")
wall_ratios, cpu_ratios = [], []
for photo in photos:
    ours, theirs = os.path.join(work, "ours.gif"), os.path.join(work, "theirs.gif")
    m = timed([mrw, "image", "convert", photo, ours])
    i = timed([im, photo, "-colors", "256", theirs])
    src, w, h = rgb(photo)
    a, _, _ = rgb(ours)
    b, _, _ = rgb(theirs)
    wall_ratios.append(i[1] / m[1])
    cpu_ratios.append(i[3] / max(m[3], 1e-6))
    name = os.path.relpath(photo, os.path.dirname(os.path.dirname(photo)))
    print(f"{name[-30:]:30} {w:>4}x{h:<4} | {m[0]*1000:7.1f}/{m[1]*1000:7.1f}ms {i[0]*1000:7.1f}/{i[1]*1000:7.1f}ms "
          f"{wall_ratios[-1]:5.1f}x | {m[3]*1000:9.1f}ms {i[3]*1000:9.1f}ms {cpu_ratios[-1]:5.1f}x | "
          f"{mse(src, a):8.2f} {mse(src, b):8.2f}")
print(f"median ratio ImageMagick / mrw over {len(photos)} photographs, {runs} runs each: "
      f"wall {statistics.median(wall_ratios):.1f}x, processor time {statistics.median(cpu_ratios):.1f}x")
PY
