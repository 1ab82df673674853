"""Values reach the file exactly as given, survive every copy byte for byte,
and a value that does not fit is refused without touching the file.

Numbers of 19 digits (more than a double carries), blank numbers, unknown
logicals, zero dates and odd number forms other programs write go through
set, pack, modify with unchanged fields, append from a table and copy-to
plus append from text; python3-dbfread must read every table afterwards.

Usage: values_survive.py VORTEL_CLI SCRATCH_BASE_DIR
"""
import struct
import subprocess
import sys

import dbfread
from interop_checks import check, enter_scratch_folder, finish

cli = sys.argv[1]
enter_scratch_folder(sys.argv[2], "values-")

FIELDS = ["ID:N:19", "AMOUNT:N:8:2", "PAID:L", "BORN:D", "NAME:C:6"]


def vortel(*arguments, status=0):
    run = subprocess.run([cli, *arguments], capture_output=True)
    check(f"vortel-cli {' '.join(arguments)} exits {status} ({run.stderr.decode()!r})", run.returncode, status)
    return run.stderr.decode("utf-8")


def records(path):
    """The stored records, delete flag first."""
    data = open(path, "rb").read()
    count, header, length = struct.unpack_from("<IHH", data, 4)
    return [data[header + i * length: header + (i + 1) * length] for i in range(count)]


def readable(what, path):
    try:
        list(dbfread.DBF(path, encoding="cp852"))
        check(f"dbfread reads {what}", True, True)
    except Exception as error:  # any refusal of the table is the fault
        check(f"dbfread reads {what}", repr(error), "no error")


# --- Values stored through set -----------------------------------------------

vortel("create", "T.DBF", *FIELDS)
for _ in range(4):
    vortel("new", "T.DBF")
typed = [("1", "ID", "9007199254740993"), ("1", "AMOUNT", "12,5"), ("1", "PAID", "?"),
         ("2", "ID", "1234567890123456789"), ("2", "AMOUNT", "-3.25"), ("2", "PAID", "y"), ("2", "BORN", "2024.02.29"),
         ("3", "ID", "-999999999999999999"), ("3", "AMOUNT", ""), ("3", "NAME", "gone")]
for number, field, value in typed:
    vortel("set", "T.DBF", number, field, value)
vortel("delete", "T.DBF", "3")

# Record 4 as another program left it: an odd but valid number form, a zero
# date, a blank logical and a blank number.
data = bytearray(open("T.DBF", "rb").read())
_, header, length = struct.unpack_from("<IHH", data, 4)
data[header + 3 * length: header + 4 * length] = b" " + b" " * 19 + b"+0012.5 " + b" " + b"00000000" + b"odd   "
open("T.DBF", "wb").write(data)

stored = records("T.DBF")
check("stored values", [r[1:] for r in stored],
      [b"   9007199254740993   12.50?        " + b"      ",
       b"1234567890123456789   -3.25T20240229" + b"      ",
       b"-999999999999999999        " + b" " * 9 + b"gone  ",
       b" " * 19 + b"+0012.5  00000000odd   "])
readable("the table set wrote", "T.DBF")

# --- Refused values leave every byte --------------------------------------------

before = open("T.DBF", "rb").read()
refusals = [("AMOUNT", "99999999", "99999999 does not fit AMOUNT N(8,2)"),
            ("AMOUNT", "9" * 400, "9" * 30 + "... does not fit AMOUNT N(8,2)"),
            ("AMOUNT", "1.234,5", "1.234,5 is not a number for AMOUNT N(8,2)"),
            ("AMOUNT", "inf", "inf is not a number for AMOUNT N(8,2)"),
            ("ID", "12345678901234567890", "12345678901234567890 does not fit ID N(19)"),
            ("PAID", "x", "x is not a logical value (T, F, Y, N or ?) for PAID")]
for field, value, message in refusals:
    check(f"set {field} {value[:20]} says why", vortel("set", "T.DBF", "1", field, value, status=1), message + "\n")
check("refused values left the file", open("T.DBF", "rb").read(), before)
readable("the table after refusals", "T.DBF")

# --- Copies keep every byte ----------------------------------------------------

live = [r for r in stored if r[:1] != b"*"]

vortel("create", "COPY.DBF", *FIELDS)
vortel("append", "COPY.DBF", "T.DBF")
check("append from a table", [r[1:] for r in records("COPY.DBF")], [r[1:] for r in stored])

vortel("copy-to", "T.DBF", "T.TXT")
vortel("create", "TEXT.DBF", *FIELDS)
vortel("append", "TEXT.DBF", "T.TXT")
check("copy-to and append from text", [r[1:] for r in records("TEXT.DBF")], [r[1:] for r in stored])

vortel("pack", "T.DBF")
check("pack", records("T.DBF"), live)

vortel("modify", "T.DBF", *FIELDS)
check("modify with unchanged fields", records("T.DBF"), live)
for name in ("T.DBF", "COPY.DBF", "TEXT.DBF"):
    readable(name, name)

# A value the new shape cannot hold fails the whole change: the table stays.
before = open("T.DBF", "rb").read()
vortel("modify", "T.DBF", "ID:N:10", *FIELDS[1:], status=1)
check("a refused modify left the table", open("T.DBF", "rb").read(), before)

# An append with a refused value in its third line or record appends
# nothing: the table and its memo file keep every byte, and the message
# says which value it was.
good = b" " * 19 + b"    1.00" + b"T20240101" + b"fine  " + b"\r\n"
with open("BAD.TXT", "wb") as text:
    text.write(good + good + b" " * 19 + b"   1e400" + b" " * 15 + b"\r\n")
vortel("create", "NOTES.DBF", *FIELDS, "NOTE:M")
vortel("append", "NOTES.DBF", "T.DBF")
before = [open(name, "rb").read() for name in ("NOTES.DBF", "NOTES.DBT")]
check("append of a refused line says why", vortel("append", "NOTES.DBF", "BAD.TXT", status=1),
      "Append error !\nLine 3: 1e400 does not fit AMOUNT N(8,2)\n")
vortel("create", "WIDE.DBF", "ID:N:19", "AMOUNT:N:12:2", "NOTE:M")
with open("NOTE.TXT", "wb") as note:
    note.write(b"a memo long enough to need blocks of its own " * 20)
for number, amount in (("1", "1"), ("2", "2"), ("3", "123456789.5")):
    vortel("new", "WIDE.DBF")
    vortel("set", "WIDE.DBF", number, "AMOUNT", amount)
    vortel("memo", "WIDE.DBF", number, "NOTE", "--write", "NOTE.TXT")
check("append of a refused record says why", vortel("append", "NOTES.DBF", "WIDE.DBF", status=1),
      "Append error !\nRecord 3: 123456789.50 does not fit AMOUNT N(8,2)\n")
check("refused appends left the table and its memos",
      [open(name, "rb").read() for name in ("NOTES.DBF", "NOTES.DBT")], before)

finish()
