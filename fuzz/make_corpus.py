#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into fuzz/corpus/<target>/.

Seeds are small valid inputs in each target's input layout (see the comment
at the top of each target's source): tables and memo files written byte by
byte, the bundled sample table, text lines, pictures and one page file.
Run it again after changing an input layout.
"""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
EXAMPLES = HERE.parent / "examples"


def table(fields, records, memo=False, header_extra=2, tail=b"\x1a"):
    """A DBF file: fields as (name, type, length, decimals), records as
    (deleted, bytes after the delete flag)."""
    record_length = 1 + sum(f[2] for f in fields)
    header_length = 32 * (len(fields) + 1) + header_extra
    out = struct.pack("<BBBBIHH20x", 0x83 if memo else 0x03, 124, 5, 1,
                      len(records), header_length, record_length)
    offset = 1
    for name, kind, length, decimals in fields:
        size = bytes([length, decimals]) if kind == "N" else struct.pack("<H", length)
        out += name.encode().ljust(11, b"\0") + kind.encode() + struct.pack("<I", offset) + size + bytes(14)
        offset += length
    out += b"\r" + bytes(header_extra - 1)
    for deleted, data in records:
        assert len(data) == record_length - 1, data
        out += (b"*" if deleted else b" ") + data
    return out + tail


def memo_file(texts):
    """A DBT file holding each text from block 1 on; the blocks they start at."""
    blocks, body, block = [], b"", 1
    for text in texts:
        blocks.append(block)
        data = text + b"\x1a\x1a"
        data += bytes(-len(data) % 512)
        body += data
        block += len(data) // 512
    header = struct.pack("<I", block) + bytes(12) + b"\x03" + bytes(495)
    return header + body, blocks


def table_input(flags, dbf, dbt=b""):
    return bytes([flags]) + struct.pack("<H", len(dbf)) + dbf + dbt


def page(records):
    """A page file: the metafile header, the records, the end record."""
    body = b""
    for function, params in records + [(0x0000, b"")]:
        body += struct.pack("<IH", 3 + len(params) // 2, function) + params
    words = (18 + len(body)) // 2
    return struct.pack("<HHHIHIH", 1, 9, 0x0300, words, 1, 64, 0) + body


def font(height, weight, face):
    return struct.pack("<hhhhhBBBBBBBB", height, 0, 0, 0, weight, 0, 0, 0, 238, 0, 0, 0, 49) + face.ljust(32, b"\0")


def write(target, name, data):
    folder = HERE / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def main():
    people = [("NAME", "C", 8, 0), ("AMOUNT", "N", 7, 2), ("BORN", "D", 8, 0), ("ACTIVE", "L", 1, 0)]
    rows = [(False, b"Anna    1234.5019700131T"), (True, b"Bela     -12.00        F"),
            (False, b"\x82va\0\0\0\0\0      019991231?")]
    write("fuzz_table", "plain", table_input(0b010, table(people, rows)))
    write("fuzz_table", "header_33", table_input(0b100, table(people, rows[:1], header_extra=1, tail=b"")))
    dbt, blocks = memo_file([b"first memo", b"x" * 700, b"\x82 third"])
    notes = [("NAME", "C", 4, 0), ("NOTE", "M", 10, 0)]
    memo_rows = [(False, b"ONE " + str(blocks[0]).rjust(10).encode()),
                 (False, b"TWO " + str(blocks[1]).rjust(10).encode()),
                 (True, b"SIX " + str(blocks[2]).rjust(10).encode()),
                 (False, b"NONE" + b" " * 10)]
    write("fuzz_table", "memo", table_input(0b111, table(notes, memo_rows, memo=True), dbt))
    write("fuzz_table", "no_memo_file", table_input(0b000, table(notes, memo_rows, memo=True)))
    write("fuzz_table", "append", table_input(0b1001, table(notes, memo_rows, memo=True), dbt))
    write("fuzz_table", "sample", table_input(0b101, (EXAMPLES / "DOLGOZO.DBF").read_bytes(),
                                              (EXAMPLES / "DOLGOZO.DBT").read_bytes()))

    # The same layout as fuzz_table; field names the append target shares.
    write("fuzz_rebuild", "plain", table_input(0b000, table(people, rows)))
    write("fuzz_rebuild", "hide_deleted", table_input(0b110, table(people, rows, header_extra=1, tail=b"")))
    dated = [("NAME", "C", 8, 0), ("NOTE", "M", 10, 0), ("AMOUNT", "N", 7, 2), ("BORN", "D", 8, 0)]
    dated_rows = [(False, b"Zoe     " + str(blocks[0]).rjust(10).encode() + b"   1.5020010101"),
                  (True, b"adam    " + str(blocks[1]).rjust(10).encode() + b"  -2.00        "),
                  (False, b"\xa0d\xa0m    " + b" " * 10 + b"  12.3419991231"),
                  (False, b"Zoe     " + str(blocks[2]).rjust(10).encode() + b"   1.5020010101")]
    write("fuzz_rebuild", "memo", table_input(0b001, table(dated, dated_rows, memo=True), dbt))
    write("fuzz_rebuild", "memo_converted", table_input(0b111, table(dated, dated_rows, memo=True), dbt))
    write("fuzz_rebuild", "no_memo_file", table_input(0b000, table(notes, memo_rows, memo=True)))
    write("fuzz_rebuild", "empty", table_input(0b001, table(dated, [], memo=True), memo_file([])[0]))

    write("fuzz_memo", "read", bytes([0b000]) + struct.pack("<i", blocks[2]) + dbt)
    write("fuzz_memo", "store_short", bytes([0b001]) + struct.pack("<i", 7) + dbt)
    write("fuzz_memo", "store_long", bytes([0b111]) + struct.pack("<i", -3) + dbt)
    write("fuzz_memo", "empty_file", bytes([0b011]) + struct.pack("<i", 1) + memo_file([])[0])

    write("fuzz_append", "lines", b"Anna    0001250197001313T\r\nBela    -12.5  20240229F\r\nCili\r\n")
    write("fuzz_append", "ragged", b"\r\n\r\nno end of line, far longer than a record of this table\rX")
    write("fuzz_append", "table", table(people, rows))

    write("fuzz_picture", "date", b".@D\n20240131\nYYYY.MM.DD")
    write("fuzz_picture", "date_layout", b".@D\n2024013\nDD/MM/YY")
    write("fuzz_picture", "number", b",@N 999 999,99\n-1234.567")
    write("fuzz_picture", "string", b".@S12! !!AN9#-.L,X\nhello World 42")
    write("fuzz_picture", "logical", b".@L\nT")
    write("fuzz_picture", "dashed", b".\n2024-12-31")

    write("fuzz_page", "listing", page([
        (0x02FB, font(-90, 700, b"Courier New")), (0x012D, struct.pack("<H", 0)),
        (0x0209, struct.pack("<I", 0x800000)), (0x0102, struct.pack("<H", 1)),
        (0x0521, struct.pack("<H", 9) + b"0001.PAGE\0" + struct.pack("<hh", 0, 0)),
        (0x0A32, struct.pack("<hhHH", 120, 30, 5, 0) + b"VORTE\0"),
        (0x0A32, struct.pack("<hhHH", 240, 30, 2, 6) + bytes(8) + b"OK"),
        (0x02FA, bytes(10)), (0x01F0, struct.pack("<H", 0)), (0x012D, struct.pack("<H", 1))]))


if __name__ == "__main__":
    main()
