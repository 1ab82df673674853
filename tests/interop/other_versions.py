"""Tables of other dBase-family versions, as their programs write them,
one row per version byte and field type: each opens read-only and says
what it is, lists its values, refuses every change without touching a byte,
and lists its structure. python3-dbf writes the FoxPro shapes; the dBase IV
and 7 shapes and a dBase III table with binary fields are written byte by
byte here.

Usage: other_versions.py VORTEL_CLI SCRATCH_BASE_DIR
"""
import datetime
import os
import struct
import subprocess
import sys

import dbf
from interop_checks import check, enter_scratch_folder, finish, listed_or_refusal, run_cli

cli = sys.argv[1]
enter_scratch_folder(sys.argv[2], "versions-")


def vortel(*arguments, stdin=None):
    return run_cli(cli, *arguments, stdin=stdin)


def listed(table):
    return listed_or_refusal(cli, table)


def by_python_dbf(name, fields, rows, dbf_type):
    table = dbf.Table(name, fields, dbf_type=dbf_type)
    table.open(dbf.READ_WRITE)
    for row in rows:
        table.append(row)
    table.close()
    return name


def by_bytes(name, version, fields, records, descriptor=32, memo=None):
    """fields: (name, type, length, decimals); records: bytes after the delete flag."""
    descriptors = b""
    for field_name, kind, length, decimals in fields:
        if descriptor == 48:  # dBase 7: 32-byte names
            descriptors += field_name.encode().ljust(32, b"\0") + kind.encode() + bytes([length, decimals]) + bytes(13)
        else:
            descriptors += field_name.encode().ljust(11, b"\0") + kind.encode() + bytes(4) + bytes([length, decimals]) + bytes(14)
    extra = bytes(36) if descriptor == 48 else b""
    header_length = 32 + len(extra) + len(descriptors) + 1
    record_length = 1 + sum(field[2] for field in fields)
    head = bytes([version, 124, 3, 1]) + struct.pack("<IHH", len(records), header_length, record_length) + bytes(20)
    with open(name, "wb") as out:
        out.write(head + extra + descriptors + b"\r" + b"".join(b" " + r for r in records) + b"\x1a")
    if memo:
        with open(memo[0], "wb") as out:
            out.write(memo[1])
    return name


def dbase7_int(value):
    return struct.pack(">I", (value + 2**31) % 2**32)


def dbase7_double(value):
    bits = struct.unpack(">Q", struct.pack(">d", value))[0]
    return struct.pack(">Q", (~bits & (2**64 - 1)) if value < 0 else bits | 1 << 63)


def dbase4_memo_file(texts):
    data = struct.pack("<I", 1 + len(texts)).ljust(20, b"\0") + struct.pack("<H", 512)
    data = data.ljust(512, b"\0")
    for text in texts:
        data += (b"\xff\xff\x08\x00" + struct.pack("<I", len(text) + 8) + text).ljust(512, b"\0")
    return data


noon = datetime.datetime(2024, 2, 29, 13, 45, 30)
# (what, table, read-only reason, rows listed, a field to try to change, structure line of that field)
shapes = [
    ("Visual FoxPro 0x30 by python3-dbf: I, B, Y, T, memo, nulls",
     by_python_dbf("vfp.dbf", "NAME C(6); QTY I; PRICE B; CASH Y; WHEN T null; NOTE M",
                   [("Anna", -7, 12.5, 3.25, noon, "vfp memo"), ("Bela", 5, 0.0, 0, None, "")], "vfp"),
     "a Visual FoxPro table (version 0x30): shown read-only",
     [["Anna", "-7", "12.5", "3.2500", "2024.02.29 13:45:30", "<-MEMO->"],
      ["Bela", "5", "0", "0.0000", "", "<-MEMO->"]],
     "QTY", "  2  QTY         I          4    0"),
    ("FoxPro 0xF5 by python3-dbf: C, N, D, L and an FPT memo",
     by_python_dbf("fox.dbf", "NAME C(6); AMOUNT N(7,2); BORN D; OK L; NOTE M",
                   [("Cili", 12.5, datetime.date(1999, 12, 31), True, "fox memo")], "fp"),
     "a FoxPro table (version 0xF5): shown read-only",
     [["Cili", "12.50", "1999.12.31", "T", "<-MEMO->"]],
     "AMOUNT", "  2  AMOUNT      N          7    2"),
    ("dBase IV 0x8B with a DBT of dBase IV memos",
     by_bytes("four.dbf", 0x8B, [("NAME", "C", 4, 0), ("NOTE", "M", 10, 0)], [b"Dora         1"],
              memo=("four.dbt", dbase4_memo_file([b"dBase IV memo"]))),
     "a dBase IV table (version 0x8B): shown read-only",
     [["Dora", "<-MEMO->"]],
     "NAME", "  1  NAME        C          4    0"),
    ("dBase 7 0x04 with I, +, O and @ in 48-byte descriptors",
     by_bytes("seven.dbf", 0x04, [("COUNT", "I", 4, 0), ("AUTO", "+", 4, 0), ("RATIO", "O", 8, 0), ("STAMP", "@", 8, 0)],
              [dbase7_int(-1) + dbase7_int(1) + dbase7_double(-2.25) +
               dbase7_double((2460370 * 86400 + 13 * 3600 + 45 * 60 + 30) * 1000.0)], descriptor=48),
     "a dBase 7 table (version 0x04): shown read-only",
     [["-1", "1", "-2.25", "2024.02.29 13:45:30"]],
     "COUNT", "  1  COUNT       I          4    0"),
    ("FoxBASE 0xFB", by_bytes("base.dbf", 0xFB, [("NAME", "C", 4, 0)], [b"Emil"]),
     "a FoxBASE table (version 0xFB): shown read-only", [["Emil"]],
     "NAME", "  1  NAME        C          4    0"),
    ("dBase III 0x03 with a binary Q and an I field",
     by_bytes("three.dbf", 0x03, [("NAME", "C", 4, 0), ("RAW", "Q", 3, 0), ("COUNT", "I", 4, 0)],
              [b"Feri\x00\x0d\x1a" + struct.pack("<i", -42)]),
     "field RAW Q(3) has a type dBase III does not know: shown read-only",
     [["Feri", "<binary 3 bytes>", "-42"]],
     "NAME", "  1  NAME        C          4    0"),
]


def files_of(table):
    stem = table[:-4]
    return {n: open(n, "rb").read() for n in sorted(os.listdir(".")) if n.lower().startswith(stem)}


for what, table, reason, rows, field, structure_line in shapes:
    info = vortel("info", table)
    check(f"{what}: opens read-only with its reason", [l for l in info[1].splitlines() if l.startswith("Read-only")],
          [f"Read-only  : {reason}"])
    check(f"{what}: values", listed(table), rows)
    before = files_of(table)
    refusal = f"The table is read-only: {reason}"
    for change in (["set", table, "1", field, "1"], ["new", table], ["delete", table, "1"], ["pack", table],
                   ["zap", table], ["sort", table, field], ["modify", table, "X:C:5"], ["append", table, table]):
        status, _, errors = vortel(*change)
        check(f"{what}: {change[0]} refused", (status, refusal in errors), (1, True))
    check(f"{what}: no byte changed", files_of(table), before)
    status, out, _ = vortel("structure", table)
    check(f"{what}: structure", (status, structure_line in out.splitlines()), (0, True))

# Memo texts come from each memo layout.
check("FPT memo of a binary block number", vortel("memo", "vfp.dbf", "1", "NOTE")[1], "vfp memo")
check("FPT memo of a ten-digit block number", vortel("memo", "fox.dbf", "1", "NOTE")[1], "fox memo")
check("dBase IV memo", vortel("memo", "four.dbf", "1", "NOTE")[1], "dBase IV memo")
# Reading commands work on the shown values.
check("search finds a shown date-time", vortel("search", "vfp.dbf", "13:45", "--from", "2", "--up")[1].strip(), "1")
check("search finds a shown number in its column", vortel("search", "vfp.dbf", "-7", "--from", "2", "--up", "--column", "QTY")[1].strip(), "1")
vortel("copy-to", "vfp.dbf", "vfp.txt")
check("copy-to writes the shown values", open("vfp.txt", "rb").read().split(b"\r\n")[0].split()[:3],
      [b"Anna", b"-7", b"12.5"])

vortel("html", "vfp.dbf", "vfp.html")
page = open("vfp.html", "rb").read()
check("html shows the values, and the null flags only in the fields they cover",
      (b"<TD>-7</TD>" in page, b"<TD>2024.02.29 13:45:30</TD>" in page, b"NULLFLAGS" in page), (True, True, False))

# The way out: a plain dBase III copy, which other programs read and we edit.
import dbfread  # noqa: E402

status, out, errors = vortel("copy-to-dbf3", "vfp.dbf", "plain.dbf")
check("copy-to-dbf3 says what it converted", (status, out.splitlines()),
      (0, ["QTY I(4) -> N(11)", "PRICE B(8) -> N(20,6)", "CASH Y(8) -> N(20,4)", "WHEN T(8) -> C(19)",
           "NOTE M(4) -> M(10)", "_NULLFLAGS 0(1) dropped"]))
check("dbfread reads the copy", [dict(r) for r in dbfread.DBF("plain.dbf")],
      [{"NAME": "Anna", "QTY": -7, "PRICE": 12.5, "CASH": 3.25, "WHEN": "2024.02.29 13:45:30", "NOTE": "vfp memo"},
       {"NAME": "Bela", "QTY": 5, "PRICE": 0.0, "CASH": 0.0, "WHEN": "", "NOTE": None}])
dumped = subprocess.run(["dbfdump", "plain.dbf"], capture_output=True).stdout.decode().splitlines()
check("dbfdump reads the copy", [line.split()[:4] for line in dumped[1:]],
      [["Anna", "-7", "12.500000", "3.2500"], ["Bela", "5", "0.000000", "0.0000"]])
check("the copy is a plain table we change", vortel("set", "plain.dbf", "1", "NAME", "Zoe")[0], 0)
status, out, _ = vortel("copy-to-dbf3", "seven.dbf", "seven3.dbf")
check("dBase 7 copy", (status, listed("seven3.dbf")), (0, [["-1", "1", "-2.250000", "2024.02.29 13:45:30"]]))
check("binary fields are dropped, saying so", vortel("copy-to-dbf3", "three.dbf", "three3.dbf")[1].splitlines(),
      ["RAW Q(3) dropped", "COUNT I(4) -> N(11)"])
check("a memo table's copy keeps its memos", (vortel("copy-to-dbf3", "four.dbf", "four3.dbf")[0],
      vortel("memo", "four3.dbf", "1", "NOTE")[1]), (0, "dBase IV memo"))

# Refusals leave nothing behind.
before = sorted(os.listdir("."))
for output, why in (("vfp.dbf", "the table itself"), ("plain.dbf", "an existing file without --overwrite")):
    status, _, errors = vortel("copy-to-dbf3", "vfp.dbf", output)
    check(f"copy-to-dbf3 onto {why} refused", (status, errors != ""), (1, True))
by_python_dbf("huge.dbf", "D B", [(1e300,)], "vfp")
before = sorted(os.listdir("."))
status, _, errors = vortel("copy-to-dbf3", "huge.dbf", "huge3.dbf")
check("a value that does not fit refuses the copy", (status, "does not fit D N(20,6)" in errors, sorted(os.listdir("."))),
      (1, True, before))

finish()
