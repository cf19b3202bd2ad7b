#!/usr/bin/env python3
"""Times `mrw build` of a default-like theme (two images, 22 colours) end to end.

Usage: scripts/time-mrw-build.py PROGRAM_FOLDER [RUNS]
Creates the theme with `mrw new` in a temporary library, builds it RUNS times
(default 20) and prints the minimum and the median wall time.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def main():
    program = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    mrw = os.path.join(program, "mrw.exe" if os.name == "nt" else "mrw")
    library = tempfile.mkdtemp(prefix="mrw-bench-")
    try:
        subprocess.run([mrw, "new", library, "Bench"], check=True, stdout=subprocess.DEVNULL)
        project = os.path.join(library, "Bench.THM")
        subprocess.run([mrw, "build", project], check=True, stdout=subprocess.DEVNULL)  # warm-up
        times = []
        for _ in range(runs):
            start = time.perf_counter()
            subprocess.run([mrw, "build", project], check=True, stdout=subprocess.DEVNULL)
            times.append((time.perf_counter() - start) * 1000.0)
        print("mrw build, %d runs: min %.1f ms, median %.1f ms, max %.1f ms"
              % (runs, min(times), statistics.median(times), max(times)))
    finally:
        shutil.rmtree(library, ignore_errors=True)


if __name__ == "__main__":
    main()
