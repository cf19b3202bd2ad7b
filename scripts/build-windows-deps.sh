#!/usr/bin/env bash
# Cross-builds zlib, libpng and libjpeg-turbo from Debian's sources for the
# Windows builds (x86-64 and i686 mingw-w64, posix thread model) into
#   ~/.cache/morwen-deps/<triplet>/{include,lib}
# Debian ships no mingw builds of these libraries. The source packages are
# downloaded once into ~/.cache/morwen-deps/sources/, so later runs need no
# network; a triplet whose stamp file exists is skipped.
set -euo pipefail

cache="${MRW_DEPS_CACHE:-$HOME/.cache/morwen-deps}"
sources="$cache/sources"
triplets=("$@")
if ((${#triplets[@]} == 0)); then
  triplets=(x86_64-w64-mingw32 i686-w64-mingw32)
fi

# Debian 12's versions (the main suite's; the security suite serves no source
# files). A mirror that has moved on to a point release serves only its newer
# revision of a package; that one is taken then.
source_packages=(libjpeg-turbo=1:2.1.5-2 libpng1.6=1.6.39-2 zlib=1:1.2.13.dfsg-1)
# Change this when the build below changes, so that caches are rebuilt.
stamp_text="morwen-deps 1: zlib 1.2.13, libpng 1.6.39, libjpeg-turbo 2.1.5, static"

mkdir -p "$cache"
# One build at a time, even when two test runs start together.
exec 9>"$cache/.lock"
flock 9

all_done=1
for t in "${triplets[@]}"; do
  [[ -f "$cache/$t/.stamp" && "$(cat "$cache/$t/.stamp")" == "$stamp_text" ]] || all_done=0
done
if [[ $all_done == 1 ]]; then
  echo "windows deps: present in $cache"
  exit 0
fi

as_root() {
  if [[ $(id -u) == 0 ]]; then "$@"; else sudo "$@"; fi
}

# Writes a deb-src entry for the mirror and main suite of the existing deb
# entry (one-line .list or deb822 .sources), unless one is there already.
add_deb_src() {
  local list=/etc/apt/sources.list.d/morwen-deb-src.sources
  [[ -f $list ]] && return 0
  local entry
  entry="$(python3 - <<'PY'
import glob, re
codename = ""
for line in open("/etc/os-release"):
    if line.startswith("VERSION_CODENAME="):
        codename = line.split("=", 1)[1].strip().strip('"')
files = ["/etc/apt/sources.list"] + sorted(glob.glob("/etc/apt/sources.list.d/*.list")) \
        + sorted(glob.glob("/etc/apt/sources.list.d/*.sources"))
entries = []  # (types, uris, suites, components, signed_by)
for path in files:
    try:
        text = open(path).read()
    except OSError:
        continue
    if path.endswith(".sources"):
        for para in re.split(r"\n\s*\n", text):
            fields, key = {}, None
            for line in para.splitlines():
                if line.startswith("#") or not line.strip():
                    continue
                if line[0] in " \t" and key:
                    fields[key] += " " + line.strip()
                    continue
                if ":" in line:
                    key, value = line.split(":", 1)
                    key = key.strip().lower()
                    fields[key] = value.strip()
            if fields.get("enabled", "yes").lower() == "no":
                continue
            entries.append((fields.get("types", "").split(), fields.get("uris", "").split(),
                            fields.get("suites", "").split(), fields.get("components", "").split(),
                            fields.get("signed-by", "")))
    else:
        for line in text.splitlines():
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            signed_by = ""
            m = re.match(r"(\S+)\s+\[([^\]]*)\]\s+(.*)", line)
            if m:
                kind, opts, rest = m.group(1), m.group(2), m.group(3)
                for opt in opts.split():
                    if opt.startswith("signed-by="):
                        signed_by = opt.split("=", 1)[1]
            else:
                parts = line.split(None, 1)
                if len(parts) < 2:
                    continue
                kind, rest = parts
            words = rest.split()
            if len(words) >= 2:
                entries.append(([kind], [words[0]], [words[1]], words[2:], signed_by))
for types, uris, suites, comps, signed_by in entries:
    if "deb" in types and codename in suites and uris:
        print("Types: deb-src")
        print("URIs: " + uris[0])
        print("Suites: " + codename)
        print("Components: main")
        if signed_by:
            print("Signed-By: " + signed_by)
        break
PY
)"
  if [[ -z $entry ]]; then
    echo "windows deps: no deb entry for the main suite found in /etc/apt" >&2
    return 1
  fi
  echo "windows deps: adding $list"
  printf '%s\n' "$entry" | as_root tee "$list" >/dev/null
}

fetch_sources() {
  mkdir -p "$sources"
  if compgen -G "$sources/zlib_*.dsc" >/dev/null && compgen -G "$sources/libpng1.6_*.dsc" >/dev/null \
     && compgen -G "$sources/libjpeg-turbo_*.dsc" >/dev/null; then
    return 0
  fi
  if ! apt-cache showsrc zlib 2>/dev/null | grep -q '^Package: zlib'; then
    add_deb_src
    as_root apt-get -o DPkg::Lock::Timeout=600 update -q
  fi
  local pinned name version request
  for pinned in "${source_packages[@]}"; do
    name="${pinned%%=*}"
    version="${pinned#*=}"
    compgen -G "$sources/${name}_*.dsc" >/dev/null && continue
    request="$name"
    if apt-cache showsrc --only-source "$name" 2>/dev/null | grep -qx "Version: $version"; then
      request="$pinned"
    fi
    (cd "$sources" && apt-get source -q --download-only "$request")
  done
}

# Unpacks a Debian source package (with its patches) into $2.
unpack() {
  local dsc
  dsc="$(compgen -G "$sources/$1_*.dsc" | sort -V | tail -n1)"
  rm -rf "$2"
  dpkg-source --no-check -x "$dsc" "$2" >/dev/null
}

build_triplet() {
  local t=$1 processor
  case "$t" in
    x86_64-*) processor=AMD64 ;;
    i686-*) processor=X86 ;;
    *) echo "unknown triplet $t" >&2; return 1 ;;
  esac
  local prefix="$cache/$t" work="$cache/work-$t"
  local cc="$t-gcc-posix"
  rm -rf "$prefix" "$work"
  mkdir -p "$prefix/include" "$prefix/lib" "$work"
  echo "windows deps: building for $t"

  # zlib: the dfsg tarball's CMake file is broken and it has no win32
  # makefile, so compile the core sources directly.
  unpack zlib "$work/zlib"
  local objs=()
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback \
           inffast inflate inftrees trees uncompr zutil; do
    "$cc" -O2 -c "$work/zlib/$f.c" -o "$work/zlib/$f.o"
    objs+=("$work/zlib/$f.o")
  done
  "$t-ar" rcs "$prefix/lib/libz.a" "${objs[@]}"
  cp "$work/zlib/zlib.h" "$work/zlib/zconf.h" "$prefix/include/"

  local cmake_common=(
    -DCMAKE_SYSTEM_NAME=Windows
    -DCMAKE_SYSTEM_PROCESSOR="$processor"
    -DCMAKE_C_COMPILER="$cc"
    -DCMAKE_RC_COMPILER="$t-windres"
    -DCMAKE_FIND_ROOT_PATH="$prefix;/usr/$t"
    -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER
    -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY
    -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX="$prefix"
    --no-warn-unused-cli
  )

  # libpng, static, against the zlib above.
  unpack libpng1.6 "$work/libpng"
  cmake -S "$work/libpng" -B "$work/libpng-build" "${cmake_common[@]}" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DPNG_HARDWARE_OPTIMIZATIONS=OFF -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON \
    -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" >/dev/null
  cmake --build "$work/libpng-build" --target png_static -j2 >/dev/null
  cp "$work/libpng/png.h" "$work/libpng/pngconf.h" "$work/libpng-build/pnglibconf.h" "$prefix/include/"
  cp "$work/libpng-build"/libpng16*.a "$prefix/lib/libpng16.a"

  # libjpeg-turbo, static, without SIMD (no nasm) and without TurboJPEG.
  unpack libjpeg-turbo "$work/libjpeg"
  cmake -S "$work/libjpeg" -B "$work/libjpeg-build" "${cmake_common[@]}" \
    -DWITH_SIMD=0 -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF >/dev/null
  cmake --build "$work/libjpeg-build" --target jpeg-static -j2 >/dev/null
  cp "$work/libjpeg/jpeglib.h" "$work/libjpeg/jmorecfg.h" "$work/libjpeg/jerror.h" \
     "$work/libjpeg-build/jconfig.h" "$prefix/include/"
  cp "$work/libjpeg-build/libjpeg.a" "$prefix/lib/libjpeg.a"

  rm -rf "$work"
  printf '%s' "$stamp_text" > "$prefix/.stamp"
  echo "windows deps: $t done"
}

fetch_sources
for t in "${triplets[@]}"; do
  if [[ -f "$cache/$t/.stamp" && "$(cat "$cache/$t/.stamp")" == "$stamp_text" ]]; then
    echo "windows deps: $t present"
    continue
  fi
  build_triplet "$t"
done
