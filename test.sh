#!/usr/bin/env bash
# Builds and tests every build of the project:
#   native       g++, CTest
#   native-asan  clang with ASan+UBSan, CTest, then a short run of every fuzzer
#   windows      x86-64 mingw-w64, CTest under Wine (headless)
#   windows32    i686 mingw-w64, compiled only
# Every stage runs even when an earlier one failed; the exit status is
# non-zero when anything failed. The last lines are CTest's summary of each
# build and the total over all of them.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
root="$PWD"
jobs=2
logs="$root/build/test-logs"

started=$SECONDS
status=0
total_passed=0
total_failed=0
notes=()     # other results (fuzzers, windows32), printed at the end
summary=()   # each build's name and CTest's summary line, printed last

header() {
  printf '\n==== %s  (%s, %ds elapsed) ====\n' "$*" "$(date -u +%H:%M:%S)" $((SECONDS - started))
}

fail() {
  echo "test.sh: $*" >&2
  status=1
}

configure_and_build() {  # preset
  local preset=$1
  header "$preset: configure"
  if ! cmake --preset "$preset" >"$logs/$preset-configure.log" 2>&1; then
    cat "$logs/$preset-configure.log"
    fail "$preset: configure failed"
    return 2
  fi
  header "$preset: build"
  # -k: build every target that can be built, so that one broken module does
  # not hide the results of the others. Progress shows one line per target.
  cmake --build "build/$preset" -j"$jobs" -- -k >"$logs/$preset-build.log" 2>&1 &
  local build_pid=$! rc
  tail -n +1 -f --pid="$build_pid" "$logs/$preset-build.log" | grep --line-buffered -E 'Built target'
  wait "$build_pid"; rc=$?
  if [[ $rc != 0 ]]; then
    fail "$preset: build failed (see $logs/$preset-build.log)"
    grep -E -B3 -A8 'error:|Error [0-9]|undefined reference|CMake Error' "$logs/$preset-build.log" | head -150
    return 1
  fi
  return 0
}

check_rapi_exports() {  # preset: our RAPI.DLL exports the plain names only
  if scripts/check-rapi-exports.sh "build/$1/rapi/RAPI.DLL"; then
    notes+=("$1: RAPI.DLL export names checked")
  else
    fail "$1: RAPI.DLL export names wrong"
  fi
}

run_ctest() {  # preset [parallel jobs]
  local preset=$1 parallel=${2:-$jobs} line passed failed of
  header "$preset: ctest"
  ctest --test-dir "build/$preset" -j"$parallel" --timeout 900 --output-on-failure 2>&1 \
    | tee "$logs/$preset-ctest.log"
  [[ ${PIPESTATUS[0]} == 0 ]] || fail "$preset: tests failed"
  line="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$logs/$preset-ctest.log" | tail -n1)"
  if [[ -n $line ]]; then
    failed="$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")"
    of="$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")"
    passed=$((of - failed))
    summary+=("$preset:" "$line")
  else
    passed=0; failed=0
    if grep -q 'No tests were found' "$logs/$preset-ctest.log"; then
      summary+=("$preset:" "no tests were found")
      fail "$preset: no tests were found"
    else
      failed=1
      summary+=("$preset:" "ctest did not finish")
    fi
  fi
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
}

# One virtual display and one persistent wineserver for all the Windows tests.
xvfb_pid=""
wine_started=0
start_wine_session() {
  export WINEDEBUG=-all
  # A prefix of the test runs' own: Wine programs started by hand meanwhile
  # (scripts/wine-run.sh uses ~/.cache/morwen-wine) do not share its server.
  export WINEPREFIX="${MRW_TEST_WINEPREFIX:-$HOME/.cache/morwen-wine-test}"
  # Always a virtual display of our own, even on a desktop: headless and
  # the same everywhere.
  local n i
  unset DISPLAY
  for n in $(seq 90 199); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for i in $(seq 1 50); do
      [[ -e /tmp/.X11-unix/X$n ]] && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    if [[ -e /tmp/.X11-unix/X$n ]] && kill -0 "$xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      break
    fi
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
  done
  [[ -n ${DISPLAY:-} ]] || { fail "could not start Xvfb"; return 1; }
  scripts/wine-run.sh --init || { fail "could not prepare the Wine prefix"; return 1; }
  wineserver -p
  wine_started=1
  # The first Wine program starts Wine's own services (winedevice.exe...),
  # which live as long as the wineserver and keep the output pipes they were
  # started with: start them here, so that no test's output stays open.
  wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
}

stop_wine_session() {
  if [[ $wine_started == 1 ]]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    wine_started=0
  fi
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
    unset DISPLAY
  fi
}
trap stop_wine_session EXIT

header "setup"
if ! scripts/setup.sh; then
  echo "test.sh: setup failed" >&2
  echo "0 passed, 1 failed"
  exit 1
fi
mkdir -p "$logs"

# native
if configure_and_build native; [[ $? != 2 ]]; then
  run_ctest native
else
  summary+=("native:" "configure failed"); total_failed=$((total_failed + 1))
fi

# native-asan, then the fuzzers
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
if configure_and_build native-asan; [[ $? != 2 ]]; then
  run_ctest native-asan
  header "native-asan: fuzzers"
  if fuzz/run-fuzzers.sh "build/native-asan/fuzz" 2>&1 | tee "$logs/fuzzers.log"; then
    notes+=("fuzzers: $(tail -n1 "$logs/fuzzers.log")")
  else
    fail "fuzzers found a problem (see $logs/fuzzers.log)"
    notes+=("fuzzers: FAILED: $(tail -n1 "$logs/fuzzers.log")")
  fi
else
  summary+=("native-asan:" "configure failed"); total_failed=$((total_failed + 1))
fi

# windows, tests under Wine
if configure_and_build windows; [[ $? != 2 ]]; then
  check_rapi_exports windows
  if start_wine_session; then
    # One at a time: every Wine program shares the prefix's temporary folder.
    run_ctest windows 1
  else
    summary+=("windows:" "Wine could not be started"); total_failed=$((total_failed + 1))
  fi
  stop_wine_session
else
  summary+=("windows:" "configure failed"); total_failed=$((total_failed + 1))
fi

# windows32, compiled only (this machine cannot run 32-bit programs)
if configure_and_build windows32; then
  notes+=("windows32: built (compiled only)")
  check_rapi_exports windows32
else
  notes+=("windows32: BUILD FAILED (compiled only)")
fi

header "summary"
for line in "${notes[@]}" "${summary[@]}"; do
  echo "$line"
done
echo "$total_passed passed, $total_failed failed"
if [[ $total_failed != 0 ]]; then
  status=1
fi
exit $status
