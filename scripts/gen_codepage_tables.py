#!/usr/bin/env python3
"""Writes platform/codepage_tables.inc: byte tables between DOS code page 852
(OEM, the text in table files) and Windows-1250 (ANSI, the text inside the
program), derived from the two code pages' Unicode mappings.

Tables written:
  oem_to_ansi_table   852 byte  -> 1250 byte
  ansi_to_oem_table   1250 byte -> 852 byte
  ansi_to_unicode     1250 byte -> Unicode code point (for UTF-8 output)
  ansi_upper_table    1250 byte -> its 1250 capital, or itself

Rules:
  1. Bytes below 0x80 map to themselves in both directions.
  2. A character present in both code pages maps to its position in the
     other one, so such bytes survive any number of round trips.
  3. A character with no counterpart gets a best-fit ASCII look-alike:
       box drawing     -> '-' for a pure horizontal, '|' for a pure
                          vertical, '+' for corners and junctions
       shades, blocks,
       the black square -> '#'
       quotes          -> '\\'' (single) and '"' (double), guillemets
                          '<' '>'
       en and em dash  -> '-'      bullet -> '*'     ellipsis -> '.'
       middle dot      -> '.'      broken bar -> '|'  dagger, double
       dagger -> '+'   per mille -> '%'   micro sign -> 'u'   euro -> 'E'
     and '?' for everything else (copyright, registered, trade mark,
     plus-minus, pilcrow, the undefined 1250 positions 81 83 88 90 98).
  4. ansi_to_unicode holds U+003F '?' for the undefined 1250 positions, so
     that UI output never carries a C1 control character.
  5. ansi_upper_table maps a letter to the single 1250 byte of its Unicode
     capital; letters whose capital is missing from 1250 or is longer than
     one character (sharp s) stay as they are.

Usage: gen_codepage_tables.py [--check] [OUTPUT]
  OUTPUT defaults to platform/codepage_tables.inc beside this script's
  parent folder; --check compares instead of writing and exits 1 on a
  difference. Standard library only.
"""

import sys
import unicodedata
from pathlib import Path

OEM = "cp852"
ANSI = "cp1250"

PUNCTUATION_FIT = {
    "\u20ac": "E",   # euro sign
    "\u201a": "'",   # single low-9 quotation mark
    "\u201e": '"',   # double low-9 quotation mark
    "\u2026": ".",   # horizontal ellipsis
    "\u2020": "+",   # dagger
    "\u2021": "+",   # double dagger
    "\u2030": "%",   # per mille sign
    "\u2039": "<",   # single left-pointing angle quotation mark
    "\u203a": ">",   # single right-pointing angle quotation mark
    "\u2018": "'",   # left single quotation mark
    "\u2019": "'",   # right single quotation mark
    "\u201c": '"',   # left double quotation mark
    "\u201d": '"',   # right double quotation mark
    "\u2022": "*",   # bullet
    "\u2013": "-",   # en dash
    "\u2014": "-",   # em dash
    "\u00a6": "|",   # broken bar
    "\u00b5": "u",   # micro sign
    "\u00b7": ".",   # middle dot
}


def decode(codec, byte):
    try:
        return bytes([byte]).decode(codec)
    except UnicodeDecodeError:
        return None


def best_fit(char):
    """ASCII stand-in for a character that the other code page lacks."""
    if char is None:
        return "?"
    if char in PUNCTUATION_FIT:
        return PUNCTUATION_FIT[char]
    name = unicodedata.name(char, "")
    if name.startswith("BOX DRAWINGS "):
        shape = name.split(" ", 3)[3]  # after "BOX DRAWINGS LIGHT|DOUBLE|HEAVY"
        if shape == "HORIZONTAL":
            return "-"
        if shape == "VERTICAL":
            return "|"
        return "+"
    if 0x2580 <= ord(char) <= 0x259F or char == "\u25a0":
        return "#"
    return "?"


def convert_table(source, target):
    table = []
    for byte in range(256):
        if byte < 0x80:
            table.append(byte)
            continue
        char = decode(source, byte)
        try:
            encoded = char.encode(target) if char is not None else b""
        except UnicodeEncodeError:
            encoded = b""
        if len(encoded) == 1:
            table.append(encoded[0])
        else:
            table.append(ord(best_fit(char)))
    return table


def unicode_table():
    return [ord(decode(ANSI, byte) or "?") for byte in range(256)]


def upper_table():
    table = []
    for byte in range(256):
        char = decode(ANSI, byte)
        capital = char.upper() if char is not None else None
        try:
            encoded = capital.encode(ANSI) if capital else b""
        except UnicodeEncodeError:
            encoded = b""
        table.append(encoded[0] if len(encoded) == 1 else byte)
    return table


def check_round_trips(oem_to_ansi, ansi_to_oem):
    for byte in range(256):
        char = decode(OEM, byte)
        if char is not None and decode(ANSI, oem_to_ansi[byte]) == char:
            assert ansi_to_oem[oem_to_ansi[byte]] == byte, hex(byte)
        char = decode(ANSI, byte)
        if char is not None and decode(OEM, ansi_to_oem[byte]) == char:
            assert oem_to_ansi[ansi_to_oem[byte]] == byte, hex(byte)


def format_table(c_type, name, values, width):
    lines = [f"constexpr std::array<{c_type}, 256> {name}{{{{"]
    for start in range(0, 256, 16):
        row = ", ".join(f"0x{v:0{width}X}" for v in values[start:start + 16])
        lines.append(f"    {row},")
    lines.append("}};")
    return "\n".join(lines)


def render():
    oem_to_ansi = convert_table(OEM, ANSI)
    ansi_to_oem = convert_table(ANSI, OEM)
    check_round_trips(oem_to_ansi, ansi_to_oem)
    parts = [
        "// Generated by scripts/gen_codepage_tables.py from Python's cp852 and"
        " cp1250 codecs; do not edit.",
        "// Included by platform/codepage.cpp inside its anonymous namespace.",
        "",
        "// Code page 852 byte -> Windows-1250 byte.",
        format_table("unsigned char", "oem_to_ansi_table", oem_to_ansi, 2),
        "",
        "// Windows-1250 byte -> code page 852 byte.",
        format_table("unsigned char", "ansi_to_oem_table", ansi_to_oem, 2),
        "",
        "// Windows-1250 byte -> Unicode code point; '?' at undefined positions.",
        format_table("char16_t", "ansi_to_unicode_table", unicode_table(), 4),
        "",
        "// Windows-1250 byte -> its Windows-1250 capital, or itself.",
        format_table("unsigned char", "ansi_upper_table", upper_table(), 2),
        "",
    ]
    return "\n".join(parts)


def main(argv):
    check = "--check" in argv
    paths = [a for a in argv if a != "--check"]
    default = Path(__file__).resolve().parent.parent / "platform" / "codepage_tables.inc"
    output = Path(paths[0]) if paths else default
    text = render()
    if check:
        current = output.read_text(encoding="ascii") if output.exists() else ""
        if current != text:
            print(f"{output} is out of date; rerun {Path(__file__).name}", file=sys.stderr)
            return 1
        return 0
    output.write_text(text, encoding="ascii")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
