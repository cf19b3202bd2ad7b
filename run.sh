#!/usr/bin/env bash
# Builds the Linux program folder and runs mrw from it.
#   ./run.sh [ARGS...]      (no arguments: mrw --help)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

scripts/setup.sh --native >&2
if [[ ! -f build/native/CMakeCache.txt ]]; then
  mkdir -p build
  cmake --preset native >build/native-configure.log 2>&1 || { cat build/native-configure.log >&2; exit 1; }
fi
cmake --build build/native --target mrw mrw_program_data -j2 >&2

if (($# == 0)); then
  set -- --help
fi
exec build/native/program/mrw "$@"
