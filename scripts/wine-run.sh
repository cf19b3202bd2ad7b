#!/usr/bin/env bash
# Runs a Windows program under Wine: the CMAKE_CROSSCOMPILING_EMULATOR of the
# windows build. Headless (a virtual X display), quiet (WINEDEBUG=-all), with
# a prefix of its own under ~/.cache that is initialised once. The program's
# exit code is passed on.
#
# test.sh keeps one wineserver and one Xvfb alive for the whole run and
# exports DISPLAY; run on its own, this script starts a display per call.
#   scripts/wine-run.sh build/windows/program/mrw.exe --help
set -euo pipefail

if (($# == 0)); then
  echo "usage: $0 PROGRAM.exe [ARGS...]   (or --init: only prepare the prefix)" >&2
  exit 2
fi

export WINEDEBUG="${WINEDEBUG:--all}"
export WINEPREFIX="${WINEPREFIX:-$HOME/.cache/morwen-wine}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Without a display of the caller's, each call gets its own virtual one, and
# waits for the wineserver to end before that display goes away, so that no
# Wine process outlives the display it was started on.
headless() {
  if [[ -n "${DISPLAY:-}" ]]; then
    "$@"
  else
    # (at most 10 s: a persistent wineserver of someone else's never ends)
    xvfb-run -a bash -c '"$@"; rc=$?; timeout 10 wineserver -w; exit $rc' headless "$@"
  fi
}

# Initialise the prefix once (about 10 s); concurrent first calls wait.
if [[ ! -f "$WINEPREFIX/.morwen-ready" ]]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [[ ! -f "$WINEPREFIX/.morwen-ready" ]]; then
      headless wineboot -i </dev/null >/dev/null 2>&1 || true
      # The registry reaches the disk when the wineserver ends (or saves it).
      timeout 60 wineserver -w || true
      if [[ ! -d "$WINEPREFIX/drive_c/windows/system32" || ! -f "$WINEPREFIX/system.reg" ]]; then
        echo "wine-run: wineboot failed for $WINEPREFIX" >&2
        exit 1
      fi
      touch "$WINEPREFIX/.morwen-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

if [[ $1 == --init ]]; then
  exit 0
fi
headless wine "$@"
