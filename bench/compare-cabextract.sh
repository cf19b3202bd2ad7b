#!/usr/bin/env bash
# Builds one large uncompressed cabinet with `cabwiz` and with `gcab -c`, and
# extracts it with `mrw extract` and with `cabextract`, each as a whole
# process, RUNS times apiece; prints the best times, their ratios (ours /
# theirs: below 1 is faster), and the peak memory of `mrw extract`.
#
#   bench/compare-cabextract.sh            (SIZE_MB of data, default 500)
#
# MRW and CABWIZ (default build/native/program/{mrw,cabwiz}) may be set in
# the environment; so may SIZE_MB, RUNS (default 3) and WORK (a scratch
# folder, default a new one under $TMPDIR).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
mrw="${MRW:-$root/build/native/program/mrw}"
cabwiz="${CABWIZ:-$root/build/native/program/cabwiz}"
size_mb="${SIZE_MB:-500}"
runs="${RUNS:-3}"

for tool in cabextract gcab; do
  if ! command -v "$tool" >/dev/null; then
    echo "compare-cabextract: $tool not installed; skipped." >&2
    exit 0
  fi
done
for program in "$mrw" "$cabwiz"; do
  if [[ ! -x "$program" ]]; then
    echo "compare-cabextract: $program not built; skipped." >&2
    exit 0
  fi
done

work="${WORK:-$(mktemp -d "${TMPDIR:-/tmp}/mrw-cabbench.XXXXXX")}"
trap 'rm -rf "$work"' EXIT
src="$work/src"
mkdir -p "$src"

# Theme-like content: a few big pictures and many small files, random bytes
# (stored data: compressibility does not matter).
big=$(( size_mb * 1024 * 1024 * 9 / 10 / 4 ))
names=()
for i in 1 2 3 4; do
  head -c "$big" /dev/urandom > "$src/picture $i.bmp"
  names+=("picture $i.bmp")
done
left=$(( size_mb * 1024 * 1024 - 4 * big ))
small=$(( left / 200 ))
for i in $(seq 1 200); do
  head -c "$small" /dev/urandom > "$src/file$i.gif"
  names+=("file$i.gif")
done

{
  printf '[Version]\r\nSignature="$Chicago$"\r\nCESignature="$Windows CE$"\r\nProvider= "Windows"\r\n\r\n'
  printf '[CEStrings]\r\nAppName="Bench"\r\nInstallDir= %%CE2%%\r\n\r\n'
  printf '[CEDevice.POCKETPC2002]\r\nProcessorType = 2577\r\nUnsupportedPlatforms= "HPC","Jupiter"\r\nVersionMin = 3.0\r\nVersionMax = 100.0\r\n\r\n'
  printf '[SourceDisksNames.POCKETPC2002]\r\n1 = ,"Other",,.\r\n\r\n'
  printf '[DefaultInstall.POCKETPC2002]\r\nCopyFiles = Files.Common.Windows\r\nAddReg=Registry.Common\r\n\r\n'
  printf '[DestinationDirs]\r\nFiles.Common.Windows=0,%%CE2%%\r\nDefaultDestDir=0,%%InstallDir%%\r\n\r\n'
  printf '[SourceDisksFiles]\r\n'
  for n in "${names[@]}"; do printf '%s=1\r\n' "$n"; done
  printf '\r\n[Files.Common.Windows]\r\n'
  for n in "${names[@]}"; do printf '%s,,,0x40000000\r\n' "$n"; done
  printf '\r\n[Strings]\r\nreg_path = Software\\Microsoft\\Color\r\n\r\n[Registry.Common]\r\n'
  printf 'HKLM,Software\\Microsoft\\Color,5,0x00000001,ff,80,00,00\r\n'
} > "$src/Today.INF"

# best TIME_SECONDS of RUNS runs of "$@"
best() {
  local best_time="" t
  for _ in $(seq 1 "$runs"); do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [[ -z "$best_time" ]] || (( $(echo "$t < $best_time" | bc -l) )); then best_time=$t; fi
  done
  printf '%.3f' "$best_time"
}

cab="$src/TODAY.POCKETPC2002.CAB"
t_cabwiz=$(best "$cabwiz" "$src/Today.INF" /CPU POCKETPC2002)
t_gcab=$(best bash -c "cd '$src' && rm -f '$work/gcab.cab' && gcab -c -n '$work/gcab.cab' $(printf "'%s' " "${names[@]}")")

rm -rf "$work/ours" "$work/theirs"
t_mrw=$(best bash -c "rm -rf '$work/ours' && '$mrw' extract '$cab' '$work/ours'")
t_cabextract=$(best bash -c "rm -rf '$work/theirs' && cabextract -q -d '$work/theirs' '$cab'")

# Same bytes out: the members as cabextract names them, the final names of ours.
for n in "${names[@]}"; do
  cmp -s "$src/$n" "$work/ours/$n" || { echo "compare-cabextract: $n differs after mrw extract" >&2; exit 1; }
done

rm -rf "$work/ours"
peak_kb=$(/usr/bin/time -v "$mrw" extract "$cab" "$work/ours" 2>&1 >/dev/null | awk -F': ' '/Maximum resident/ {print $2}')
cab_bytes=$(stat -c %s "$cab")

echo "cabinet: $(( cab_bytes / 1024 / 1024 )) MB, ${#names[@]} files, best of $runs runs"
printf 'build:   cabwiz %ss   gcab -c %ss      ratio %.2f\n' "$t_cabwiz" "$t_gcab" "$(echo "$t_cabwiz / $t_gcab" | bc -l)"
printf 'extract: mrw %ss      cabextract %ss   ratio %.2f\n' "$t_mrw" "$t_cabextract" "$(echo "$t_mrw / $t_cabextract" | bc -l)"
echo "mrw extract peak memory: ${peak_kb} KB"
