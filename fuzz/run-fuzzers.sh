#!/usr/bin/env bash
# Runs every libFuzzer binary of a build for a few seconds each.
#   fuzz/run-fuzzers.sh [FUZZ_BIN_FOLDER]     (default build/native-asan/fuzz)
# Seeds come from fuzz/seeds.txt, lines "<fuzzer-name> <folder>": a folder
# under fuzz/ is taken from this repository (whatever the clone is called),
# any other from the shared fixtures (../shared/fixtures beside the clone, or
# $MRW_FIXTURES_DIR). They are copied into a temporary corpus, so neither the
# tree's corpus folders nor the fixtures are ever written to.
# MRW_FUZZ_SECONDS overrides the time per fuzzer.
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
fixtures="${MRW_FIXTURES_DIR:-$repo/../shared/fixtures}"
bin_dir="${1:-$repo/build/native-asan/fuzz}"
seeds="$repo/fuzz/seeds.txt"
artifacts="$bin_dir/artifacts"

fuzzers=()
if [[ -d $bin_dir ]]; then
  while IFS= read -r f; do
    fuzzers+=("$f")
  done < <(find "$bin_dir" -maxdepth 1 -type f -perm -u+x -name '*fuzzer*' | sort)
fi
if ((${#fuzzers[@]} == 0)); then
  echo "0 fuzzers run, 0 failed"
  exit 0
fi

# About a minute in all: 10 s each, less when there are many.
seconds="${MRW_FUZZ_SECONDS:-}"
if [[ -z $seconds ]]; then
  seconds=$((60 / ${#fuzzers[@]}))
  ((seconds > 10)) && seconds=10
  ((seconds < 3)) && seconds=3
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/mrw-fuzz.XXXXXX")"
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$artifacts"

failed=0
ran=0
for bin in "${fuzzers[@]}"; do
  name="$(basename "$bin")"
  short="${name%_fuzzer}"
  corpus="$work/$name"
  mkdir -p "$corpus"
  seeded=0
  if [[ -f $seeds ]]; then
    while read -r fuzzer folder _; do
      [[ -z ${fuzzer:-} || $fuzzer == \#* || -z ${folder:-} ]] && continue
      [[ $fuzzer == "$name" || $fuzzer == "$short" || "${fuzzer}_fuzzer" == "$name" ]] || continue
      if [[ $folder == fuzz/* ]]; then
        src="$repo/$folder"
      else
        src="$fixtures/$folder"
      fi
      if [[ -d $src ]]; then
        mkdir -p "$corpus/seed$seeded"
        cp -R "$src/." "$corpus/seed$seeded/" 2>/dev/null
        seeded=$((seeded + 1))
      else
        echo "run-fuzzers: $name: seed folder $folder not found" >&2
      fi
    done <"$seeds"
  fi
  chmod -R u+w "$corpus"
  log="$work/$name.log"
  printf '%-40s %ds, %d seed folder(s) ... ' "$name" "$seconds" "$seeded"
  if "$bin" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$name-" "$corpus" >"$log" 2>&1; then
    echo "ok ($(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}') runs)"
  else
    echo "FAILED"
    tail -n 60 "$log"
    echo "run-fuzzers: $name failed; the input is in $artifacts/" >&2
    failed=$((failed + 1))
  fi
  ran=$((ran + 1))
done

echo "$ran fuzzers run, $failed failed"
((failed == 0))
