#!/usr/bin/env python3
"""Generates the editor's resource texts from strings.tsv.

  make_strings.py TABLE --cpp OUT.cpp [--rc OUT.rc]

OUT.cpp holds the compiled-in table (mrw::LookupCompiledString); OUT.rc the
STRINGTABLE of MorwenRes.dll. Texts are single-byte Windows-1252.
"""
import argparse
import sys

ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\"}


def fail(path, line_no, message):
    sys.exit(f"{path}:{line_no}: {message}")


def read_table(path):
    with open(path, "rb") as f:
        raw = f.read()
    strings = {}
    for line_no, line in enumerate(raw.decode("cp1252").split("\n"), 1):
        line = line.rstrip("\r")
        if not line.strip() or line.startswith("#"):
            continue
        if "\t" not in line:
            fail(path, line_no, "expected <id><TAB><text>")
        key, text = line.split("\t", 1)
        if not key.strip().isdigit():
            fail(path, line_no, f"bad id {key!r}")
        string_id = int(key)
        if not 1 <= string_id <= 65535:
            fail(path, line_no, f"id {string_id} out of range")
        if string_id in strings:
            fail(path, line_no, f"id {string_id} listed twice")
        out = []
        i = 0
        while i < len(text):
            c = text[i]
            if c == "\\":
                if i + 1 >= len(text) or text[i + 1] not in ESCAPES:
                    fail(path, line_no, "unknown escape sequence")
                out.append(ESCAPES[text[i + 1]])
                i += 2
                continue
            out.append(c)
            i += 1
        value = "".join(out)
        if not value:
            fail(path, line_no, "empty text")
        if len(value) > 4000:
            fail(path, line_no, "text too long for a string table")
        strings[string_id] = value.encode("cp1252")
    return strings


def c_literal(data):
    """A C string literal for the bytes, with octal escapes for anything not plain ASCII."""
    out = ['"']
    for b in data:
        ch = chr(b)
        if ch == '"' or ch == "\\":
            out.append("\\" + ch)
        elif 32 <= b < 127 and ch != "?":
            out.append(ch)
        else:
            out.append("\\%03o" % b)
    out.append('"')
    return "".join(out)


def rc_literal(data):
    """A resource-compiler string: "" for a quote, octal escapes for control and non-ASCII bytes."""
    out = ['"']
    for b in data:
        ch = chr(b)
        if ch == '"':
            out.append('""')
        elif ch == "\\":
            out.append("\\\\")
        elif 32 <= b < 127:
            out.append(ch)
        else:
            out.append("\\%03o" % b)
    out.append('"')
    return "".join(out)


def write_if_changed(path, text):
    try:
        with open(path, "r", encoding="ascii") as f:
            if f.read() == text:
                return
    except OSError:
        pass
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write(text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("table")
    parser.add_argument("--cpp", required=True)
    parser.add_argument("--rc")
    args = parser.parse_args()
    strings = read_table(args.table)
    ids = sorted(strings)

    cpp = [
        "// Generated from editor/resources/strings.tsv by make_strings.py; do not edit.",
        '#include "editor/resources/CompiledStrings.h"',
        "",
        "#include <algorithm>",
        "#include <iterator>",
        "",
        "namespace mrw {",
        "",
        "namespace {",
        "const CompiledString kStrings[] = {",
    ]
    cpp += [f"    {{{i}, {c_literal(strings[i])}, {len(strings[i])}u}}," for i in ids]
    cpp += [
        "};",
        "}  // namespace",
        "",
        "const CompiledString* CompiledStrings(size_t& count) {",
        "    count = std::size(kStrings);",
        "    return kStrings;",
        "}",
        "",
        "const char* LookupCompiledString(int id) {",
        "    const auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,",
        "                                     [](const CompiledString& s, int key) { return s.id < key; });",
        "    return (it != std::end(kStrings) && it->id == id) ? it->text : nullptr;",
        "}",
        "",
        "}  // namespace mrw",
        "",
    ]
    write_if_changed(args.cpp, "\n".join(cpp))

    if args.rc:
        rc = [
            "// Generated from editor/resources/strings.tsv by make_strings.py; do not edit.",
            "#pragma code_page(1252)",
            "LANGUAGE 0x09, 0x01",
            "STRINGTABLE",
            "BEGIN",
        ]
        rc += [f"    {i}, {rc_literal(strings[i])}" for i in ids]
        rc += ["END", ""]
        write_if_changed(args.rc, "\n".join(rc))


if __name__ == "__main__":
    main()
