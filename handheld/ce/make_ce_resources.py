#!/usr/bin/env python3
"""Turns a handheld library's .rc file into the layer's resource blob.

The same .rc is compiled by windres in the windows build; this script reads
the part of the resource language that handheld libraries use:

  #include "x.h" / #define NAME VALUE     symbols (other # lines are skipped)
  STRINGTABLE BEGIN id, "text" ... END
  id ICON "file.ico"
  id DIALOG|DIALOGEX x, y, cx, cy  with STYLE, EXSTYLE, CAPTION, FONT, then
     BEGIN CONTROL / LTEXT / RTEXT / CTEXT / EDITTEXT / PUSHBUTTON /
     DEFPUSHBUTTON / CHECKBOX / AUTOCHECKBOX / GROUPBOX lines END

Outputs (any of): --bin the blob, --cpp a C++ source exporting it as
mrw_ce_resource_data / mrw_ce_resource_size (native build), --rc a resource
script that adds the blob as RCDATA "MRWCE" (windows build). The blob layout
is described in handheld/ce/CeResources.h.
"""
import argparse
import os
import re
import struct
import sys

CONSTANTS = {
    "WS_OVERLAPPED": 0x00000000, "WS_POPUP": 0x80000000, "WS_CHILD": 0x40000000, "WS_VISIBLE": 0x10000000,
    "WS_DISABLED": 0x08000000, "WS_CLIPSIBLINGS": 0x04000000, "WS_CLIPCHILDREN": 0x02000000,
    "WS_CAPTION": 0x00C00000, "WS_BORDER": 0x00800000, "WS_DLGFRAME": 0x00400000, "WS_VSCROLL": 0x00200000,
    "WS_HSCROLL": 0x00100000, "WS_SYSMENU": 0x00080000, "WS_THICKFRAME": 0x00040000, "WS_GROUP": 0x00020000,
    "WS_TABSTOP": 0x00010000, "WS_EX_NODRAG": 0x40000000, "WS_EX_CAPTIONOKBTN": 0x80000000,
    "WS_EX_CLIENTEDGE": 0x00000200, "WS_EX_WINDOWEDGE": 0x00000100, "WS_EX_TOPMOST": 0x00000008,
    "DS_ABSALIGN": 0x01, "DS_SETFONT": 0x40, "DS_MODALFRAME": 0x80, "DS_SETFOREGROUND": 0x200,
    "DS_3DLOOK": 0x4, "DS_CENTER": 0x800, "DS_CONTROL": 0x400,
    "ES_LEFT": 0x0, "ES_CENTER": 0x1, "ES_RIGHT": 0x2, "ES_MULTILINE": 0x4, "ES_UPPERCASE": 0x8,
    "ES_LOWERCASE": 0x10, "ES_PASSWORD": 0x20, "ES_AUTOVSCROLL": 0x40, "ES_AUTOHSCROLL": 0x80,
    "ES_NOHIDESEL": 0x100, "ES_READONLY": 0x800, "ES_WANTRETURN": 0x1000, "ES_NUMBER": 0x2000,
    "BS_PUSHBUTTON": 0x0, "BS_DEFPUSHBUTTON": 0x1, "BS_CHECKBOX": 0x2, "BS_AUTOCHECKBOX": 0x3,
    "BS_RADIOBUTTON": 0x4, "BS_3STATE": 0x5, "BS_AUTO3STATE": 0x6, "BS_GROUPBOX": 0x7,
    "BS_AUTORADIOBUTTON": 0x9, "BS_LEFT": 0x100, "BS_RIGHT": 0x200, "BS_CENTER": 0x300, "BS_MULTILINE": 0x2000,
    "SS_LEFT": 0x0, "SS_CENTER": 0x1, "SS_RIGHT": 0x2, "SS_ICON": 0x3, "SS_NOPREFIX": 0x80,
    "SS_LEFTNOWORDWRAP": 0xC, "SS_CENTERIMAGE": 0x200, "SS_NOTIFY": 0x100,
    "IDOK": 1, "IDCANCEL": 2, "IDC_STATIC": -1,
}

CLASS_KEYWORDS = {"BUTTON": "Button", "EDIT": "Edit", "STATIC": "Static"}

# Control statements: (class, default style, has text)
CONTROLS = {
    "LTEXT": ("Static", CONSTANTS["SS_LEFT"] | CONSTANTS["WS_GROUP"], True),
    "RTEXT": ("Static", CONSTANTS["SS_RIGHT"] | CONSTANTS["WS_GROUP"], True),
    "CTEXT": ("Static", CONSTANTS["SS_CENTER"] | CONSTANTS["WS_GROUP"], True),
    "EDITTEXT": ("Edit", CONSTANTS["WS_BORDER"] | CONSTANTS["WS_TABSTOP"], False),
    "PUSHBUTTON": ("Button", CONSTANTS["BS_PUSHBUTTON"] | CONSTANTS["WS_TABSTOP"], True),
    "DEFPUSHBUTTON": ("Button", CONSTANTS["BS_DEFPUSHBUTTON"] | CONSTANTS["WS_TABSTOP"], True),
    "CHECKBOX": ("Button", CONSTANTS["BS_CHECKBOX"] | CONSTANTS["WS_TABSTOP"], True),
    "AUTOCHECKBOX": ("Button", CONSTANTS["BS_AUTOCHECKBOX"] | CONSTANTS["WS_TABSTOP"], True),
    "GROUPBOX": ("Button", CONSTANTS["BS_GROUPBOX"], True),
}

CHILD_VISIBLE = CONSTANTS["WS_CHILD"] | CONSTANTS["WS_VISIBLE"]


class RcError(Exception):
    pass


def strip_comments(text):
    out = []
    i = 0
    while i < len(text):
        if text.startswith("//", i):
            j = text.find("\n", i)
            i = len(text) if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            i = len(text) if j < 0 else j + 2
            out.append(" ")
        elif text[i] == '"':
            j = i + 1
            while j < len(text):
                if text[j] == "\\":
                    j += 2
                    continue
                if text[j] == '"':
                    if j + 1 < len(text) and text[j + 1] == '"':
                        j += 2
                        continue
                    break
                j += 1
            out.append(text[i:j + 1])
            i = j + 1
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def read_defines(path, symbols, seen):
    path = os.path.abspath(path)
    if path in seen:
        return ""
    seen.add(path)
    with open(path, encoding="utf-8-sig") as f:
        text = strip_comments(f.read())
    body = []
    for line in text.splitlines():
        s = line.strip()
        if s.startswith("#"):
            m = re.match(r'#\s*include\s+"([^"]+)"', s)
            if m:
                read_defines(os.path.join(os.path.dirname(path), m.group(1)), symbols, seen)
                continue
            m = re.match(r"#\s*define\s+(\w+)\s+(.+)$", s)
            if m:
                try:
                    symbols[m.group(1)] = evaluate(tokenize(m.group(2)), symbols)
                except RcError:
                    pass
            body.append("")
        else:
            body.append(line)
    return "\n".join(body)


TOKEN = re.compile(r'\s*(?:(L?"(?:[^"\\]|\\.|"")*")|(0[xX][0-9a-fA-F]+L?|\d+L?)|(\w+)|(\S))')


def tokenize(text):
    tokens = []
    pos = 0
    while pos < len(text):
        m = TOKEN.match(text, pos)
        if not m or m.end() == pos:
            break
        pos = m.end()
        if m.group(1):
            tokens.append(("str", unescape(m.group(1))))
        elif m.group(2):
            tokens.append(("num", int(m.group(2).rstrip("L"), 0)))
        elif m.group(3):
            tokens.append(("id", m.group(3)))
        elif m.group(4):
            tokens.append(("op", m.group(4)))
    return tokens


def unescape(literal):
    s = literal[1:] if literal.startswith("L") else literal
    s = s[1:-1]
    out = []
    i = 0
    while i < len(s):
        c = s[i]
        if c == "\\" and i + 1 < len(s):
            n = s[i + 1]
            out.append({"n": "\n", "t": "\t", "r": "\r", "0": "\0", "\\": "\\", '"': '"'}.get(n, n))
            i += 2
        elif c == '"' and i + 1 < len(s) and s[i + 1] == '"':
            out.append('"')
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def evaluate(tokens, symbols):
    """Evaluates a style or number expression: | & + - * / ( ) NOT, numbers, symbols."""
    pos = [0]

    def peek():
        return tokens[pos[0]] if pos[0] < len(tokens) else None

    def take():
        t = peek()
        pos[0] += 1
        return t

    def atom():
        t = take()
        if t is None:
            raise RcError("expression ends early")
        kind, value = t
        if kind == "num":
            return value
        if kind == "id":
            if value == "NOT":
                return ~atom()
            if value in symbols:
                return symbols[value]
            if value in CONSTANTS:
                return CONSTANTS[value]
            raise RcError("unknown symbol " + value)
        if kind == "op" and value == "(":
            v = expr()
            if take() != ("op", ")"):
                raise RcError("missing )")
            return v
        if kind == "op" and value == "-":
            return -atom()
        if kind == "op" and value == "~":
            return ~atom()
        raise RcError("unexpected %r" % (value,))

    def term():
        v = atom()
        while peek() in (("op", "*"), ("op", "/")):
            op = take()[1]
            r = atom()
            v = v * r if op == "*" else int(v / r)
        return v

    def sum_():
        v = term()
        while peek() in (("op", "+"), ("op", "-")):
            op = take()[1]
            r = term()
            v = v + r if op == "+" else v - r
        return v

    def expr():
        # NOT x inside an or-chain removes the bits, as the resource compiler does.
        v = 0
        first = True
        while True:
            if peek() == ("id", "NOT"):
                take()
                v &= ~sum_()
            else:
                r = sum_()
                v = r if first else (v | r)
            first = False
            if peek() == ("op", "|"):
                take()
                continue
            if peek() == ("op", "&"):
                take()
                v &= sum_()
                continue
            return v

    v = expr()
    if pos[0] != len(tokens):
        raise RcError("trailing tokens in expression")
    return v


def split_args(tokens):
    args = [[]]
    depth = 0
    for t in tokens:
        if t == ("op", "(") :
            depth += 1
        elif t == ("op", ")"):
            depth -= 1
        if t == ("op", ",") and depth == 0:
            args.append([])
        else:
            args[-1].append(t)
    return args


class Parser:
    def __init__(self, tokens, symbols, base_dir):
        self.t = tokens
        self.i = 0
        self.symbols = symbols
        self.base_dir = base_dir
        self.strings = {}
        self.icons = {}
        self.dialogs = {}

    def peek(self, k=0):
        return self.t[self.i + k] if self.i + k < len(self.t) else None

    def take(self):
        t = self.peek()
        if t is None:
            raise RcError("unexpected end of file")
        self.i += 1
        return t

    def is_begin(self, t):
        return t in (("id", "BEGIN"), ("op", "{"))

    def is_end(self, t):
        return t in (("id", "END"), ("op", "}"))

    def value(self, tokens):
        return evaluate(tokens, self.symbols) & 0xFFFFFFFF

    def signed(self, tokens):
        v = evaluate(tokens, self.symbols)
        return v - (1 << 32) if v >= (1 << 31) else v

    def line_tokens(self):
        """Tokens up to the next statement keyword on a later line: statements end at a keyword."""
        out = []
        while self.peek() is not None:
            t = self.peek()
            if self.is_end(t) or self.is_begin(t):
                break
            if out and t[0] == "id" and (t[1] in CONTROLS or t[1] in ("CONTROL", "STYLE", "EXSTYLE", "CAPTION",
                                                                       "FONT", "LANGUAGE", "MENU", "CLASS")):
                if out[-1] != ("op", ",") and out[-1] != ("op", "|") and t[1] != "NOT":
                    break
            out.append(self.take())
        return out

    def parse(self):
        while self.peek() is not None:
            t = self.take()
            if t == ("id", "STRINGTABLE"):
                while not self.is_begin(self.peek()):
                    self.take()
                self.take()
                while not self.is_end(self.peek()):
                    id_tokens = []
                    while self.peek()[0] != "str":
                        tok = self.take()
                        if tok != ("op", ","):
                            id_tokens.append(tok)
                    text = self.take()[1]
                    self.strings[self.value(id_tokens)] = text
                self.take()
            elif t == ("id", "LANGUAGE"):
                self.take()
                self.take()
                self.take()
            else:
                id_tokens = [t]
                kind = self.take()
                if kind == ("id", "ICON"):
                    name = self.take()
                    if name[0] != "str":
                        raise RcError("ICON needs a file name")
                    self.icons[self.value(id_tokens)] = self.read_icon(name[1])
                elif kind in (("id", "DIALOG"), ("id", "DIALOGEX")):
                    self.dialogs[self.value(id_tokens)] = self.parse_dialog()
                else:
                    raise RcError("unsupported resource statement %r" % (kind[1],))

    def read_icon(self, name):
        path = os.path.join(self.base_dir, name)
        with open(path, "rb") as f:
            data = f.read()
        if len(data) < 6 + 16 or struct.unpack_from("<HHH", data, 0)[1] != 1:
            raise RcError("%s is no icon file" % name)
        w, h = data[6], data[7]
        return (w or 256, h or 256)

    def parse_dialog(self):
        coords = split_args(self.line_tokens())
        if len(coords) < 4:
            raise RcError("DIALOG needs x, y, cx, cy")
        x, y, cx, cy = (self.signed(c) for c in coords[:4])
        style = CONSTANTS["WS_POPUP"] | CONSTANTS["WS_BORDER"] | CONSTANTS["WS_SYSMENU"]
        ex_style = 0
        caption = ""
        has_caption = False
        while not self.is_begin(self.peek()):
            key = self.take()
            args = self.line_tokens()
            if key == ("id", "STYLE"):
                style = self.value(args)
            elif key == ("id", "EXSTYLE"):
                ex_style = self.value(args)
            elif key == ("id", "CAPTION"):
                caption = args[0][1]
                has_caption = True
        if has_caption:
            style |= CONSTANTS["WS_CAPTION"]
        self.take()
        controls = []
        while not self.is_end(self.peek()):
            key = self.take()
            if key[0] != "id":
                raise RcError("unexpected %r in dialog" % (key[1],))
            args = split_args(self.line_tokens())
            controls.append(self.parse_control(key[1], args))
        self.take()
        return (style, ex_style, x, y, cx, cy, caption, controls)

    def parse_control(self, keyword, args):
        if keyword == "CONTROL":
            if len(args) < 8:
                raise RcError("CONTROL needs text, id, class, style, x, y, cx, cy")
            text = args[0][0][1] if args[0] and args[0][0][0] == "str" else ""
            cid = self.signed(args[1])
            cls_tok = args[2][0]
            cls = cls_tok[1] if cls_tok[0] == "str" else CLASS_KEYWORDS.get(cls_tok[1].upper(), cls_tok[1])
            style = CHILD_VISIBLE | self.value(args[3])
            if ("id", "NOT") in args[3]:
                style = self.value([("num", CHILD_VISIBLE), ("op", "|")] + args[3])
            x, y, cx, cy = (self.signed(a) for a in args[4:8])
            ex = self.value(args[8]) if len(args) > 8 else 0
            return (cls, style, ex, x, y, cx, cy, cid, text)
        if keyword not in CONTROLS:
            raise RcError("unsupported control %s" % keyword)
        cls, default, has_text = CONTROLS[keyword]
        text = ""
        if has_text:
            text = args[0][0][1] if args[0] and args[0][0][0] == "str" else ""
            args = args[1:]
        if len(args) < 5:
            raise RcError("%s needs id, x, y, cx, cy" % keyword)
        cid = self.signed(args[0])
        x, y, cx, cy = (self.signed(a) for a in args[1:5])
        style = CHILD_VISIBLE | default
        if len(args) > 5 and args[5]:
            style = self.value([("num", style), ("op", "|")] + args[5])
        ex = self.value(args[6]) if len(args) > 6 and args[6] else 0
        return (cls, style, ex, x, y, cx, cy, cid, text)


def text_bytes(s):
    data = s.encode("utf-16-le")
    return struct.pack("<H", len(data) // 2) + data


def build_blob(parser):
    entries = []
    for sid, text in sorted(parser.strings.items()):
        entries.append((6, sid, text.encode("utf-16-le")))
    for iid, (w, h) in sorted(parser.icons.items()):
        entries.append((3, iid, struct.pack("<HH", w, h)))
    for did, (style, ex, x, y, cx, cy, caption, controls) in sorted(parser.dialogs.items()):
        body = struct.pack("<IIhhhhH", style & 0xFFFFFFFF, ex & 0xFFFFFFFF, x, y, cx, cy, len(controls))
        body += text_bytes(caption)
        for (cls, cstyle, cex, cx_, cy_, ccx, ccy, cid, ctext) in controls:
            body += struct.pack("<IIhhhhH", cstyle & 0xFFFFFFFF, cex & 0xFFFFFFFF, cx_, cy_, ccx, ccy, cid & 0xFFFF)
            body += text_bytes(cls) + text_bytes(ctext)
        entries.append((5, did, body))
    header = b"MRWR" + struct.pack("<I", len(entries))
    offset = len(header) + 12 * len(entries)
    table = b""
    payload = b""
    for (kind, rid, data) in entries:
        if not 0 <= rid <= 0xFFFF:
            raise RcError("resource id %d out of range" % rid)
        table += struct.pack("<HHII", kind, rid, offset + len(payload), len(data))
        payload += data
    return header + table + payload


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("rc")
    ap.add_argument("--bin")
    ap.add_argument("--cpp")
    ap.add_argument("--rc-out")
    a = ap.parse_args()
    symbols = {}
    try:
        body = read_defines(a.rc, symbols, set())
        parser = Parser(tokenize(body), symbols, os.path.dirname(os.path.abspath(a.rc)))
        parser.parse()
        blob = build_blob(parser)
    except (RcError, OSError) as e:
        sys.stderr.write("%s: %s\n" % (a.rc, e))
        return 1
    if a.bin:
        with open(a.bin, "wb") as f:
            f.write(blob)
    if a.cpp:
        lines = ["// Generated by make_ce_resources.py from %s; do not edit." % os.path.basename(a.rc),
                 'extern "C" __attribute__((visibility("default"))) const unsigned char mrw_ce_resource_data[%d] = {'
                 % len(blob)]
        for i in range(0, len(blob), 16):
            lines.append("    " + ", ".join("0x%02x" % b for b in blob[i:i + 16]) + ",")
        lines.append("};")
        lines.append('extern "C" __attribute__((visibility("default"))) const unsigned int mrw_ce_resource_size = %d;'
                     % len(blob))
        with open(a.cpp, "w") as f:
            f.write("\n".join(lines) + "\n")
    if a.rc_out:
        with open(a.rc_out, "w") as f:
            path = os.path.abspath(a.bin).replace("\\", "/")
            f.write('MRWCE RCDATA "%s"\n' % path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
