#!/usr/bin/env bash
# check-rapi-exports.sh RAPI.DLL: the library's export table holds exactly the
# link's 31 entry points under their plain names (no "@N" stdcall decoration,
# no other exports). Reads the table with objdump -p.
set -u
dll=${1:?usage: check-rapi-exports.sh RAPI.DLL}
objdump=""
for tool in x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump objdump; do
  if command -v "$tool" >/dev/null 2>&1; then objdump=$tool; break; fi
done
[[ -n $objdump ]] || { echo "check-rapi-exports: no objdump" >&2; exit 2; }
[[ -f $dll ]] || { echo "check-rapi-exports: $dll is missing" >&2; exit 1; }

expected="CeCloseHandle CeCopyFile CeCreateDirectory CeCreateFile CeCreateProcess CeDeleteFile CeFindAllFiles
CeFindClose CeFindFirstFile CeFindNextFile CeGetFileAttributes CeGetFileSize CeGetFileTime CeGetLastError
CeGetVersionEx CeMoveFile CeRapiFreeBuffer CeRapiGetError CeRapiInit CeRapiInitEx CeRapiUninit CeReadFile
CeRegCloseKey CeRegCreateKeyEx CeRegDeleteValue CeRegOpenKeyEx CeRegQueryValueEx CeRegSetValueEx
CeSetFileAttributes CeSetFileTime CeWriteFile"
actual=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
  | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort)
if [[ "$actual" != "$(tr ' ' '\n' <<<"$expected" | sed '/^$/d' | sort)" ]]; then
  echo "check-rapi-exports: $dll exports differ:" >&2
  diff <(tr ' ' '\n' <<<"$expected" | sed '/^$/d' | sort) <(echo "$actual") >&2
  exit 1
fi
echo "check-rapi-exports: $dll: 31 plain names"
