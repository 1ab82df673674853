"""Exports read back by other programs' readers give the table's values:
CSV through python's csv module, JSON Lines through its json module, and
workbooks through openpyxl, typed: numbers as numbers (those a double cannot
hold as text), dates as dates, logicals as booleans.

The sample table is compared with what dbfread reads from it; a table made
here holds the hostile values: 19-digit numbers, memos with quotes, line
breaks and control bytes, odd stored forms.

Usage: exports_read_back.py VORTEL_CLI SAMPLE_TABLE SCRATCH_BASE_DIR
"""
import csv
import datetime
import decimal
import json
import re
import subprocess
import sys

import dbfread
import openpyxl
from interop_checks import check, enter_scratch_folder, finish

cli, sample = sys.argv[1], sys.argv[2]
enter_scratch_folder(sys.argv[3], "exports-")


def vortel(*arguments, status=0):
    run = subprocess.run([cli, *arguments], capture_output=True)
    check(f"vortel-cli {' '.join(arguments)} exits {status} ({run.stderr.decode()!r})", run.returncode, status)
    return run.stderr.decode("utf-8")


def csv_rows(path, delimiter=","):
    with open(path, newline="", encoding="utf-8-sig") as text:
        return list(csv.reader(text, delimiter=delimiter))


def json_rows(path):
    with open(path, encoding="utf-8") as text:
        return [json.loads(line, parse_float=decimal.Decimal) for line in text]


def sheet_rows(path):
    """The cells' values. A workbook keeps control characters (a CR among
    them) as escapes like _x000D_, which spreadsheet programs read back as
    the characters and openpyxl leaves as they are: they are undone here."""
    def value(cell):
        if isinstance(cell, str):
            return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda code: chr(int(code.group(1), 16)), cell)
        return cell
    return [[value(cell) for cell in row] for row in openpyxl.load_workbook(path).active.iter_rows(values_only=True)]


# --- The sample table, as dbfread reads it ---------------------------------------

expected = [dict(record) for record in dbfread.DBF(sample, encoding="cp852")]
names = list(expected[0])


def as_text(value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "T" if value else "F"
    if isinstance(value, datetime.date):
        return value.isoformat()
    return str(value)


vortel("--set", "SET_DELETED=1", "export", sample, "S.csv", "--delimiter", ";", "--bom")
rows = csv_rows("S.csv", ";")
check("CSV header", rows[0], names)
check("CSV values", [dict(zip(names, row)) for row in rows[1:]],
      [{name: as_text(value) for name, value in record.items()} for record in expected])

vortel("--set", "SET_DELETED=1", "export", sample, "S.jsonl")
check("JSON Lines values", json_rows("S.jsonl"),
      [{name: (value.isoformat() if isinstance(value, datetime.date) else
               decimal.Decimal(str(value)) if isinstance(value, float) else value)
        for name, value in record.items()} for record in expected])

vortel("--set", "SET_DELETED=1", "export", sample, "S.xlsx")
rows = sheet_rows("S.xlsx")
check("workbook header", rows[0], names)
check("workbook values", [dict(zip(names, row)) for row in rows[1:]],
      [{name: (datetime.datetime.combine(value, datetime.time()) if isinstance(value, datetime.date) else value)
        for name, value in record.items()} for record in expected])
workbook = openpyxl.load_workbook("S.xlsx").active
check("workbook header row is bold and frozen", (workbook["A1"].font.b, workbook.freeze_panes), (True, "A2"))

# --- Hostile values ----------------------------------------------------------------

vortel("create", "H.DBF", "ID:N:19", "AMOUNT:N:8:2", "PAID:L", "BORN:D", "NAME:C:12", "NOTE:M")
for _ in range(3):
    vortel("new", "H.DBF")
for number, field, value in [("1", "ID", "1234567890123456789"), ("1", "AMOUNT", "-3.25"), ("1", "PAID", "T"),
                             ("1", "BORN", "2024.02.29"), ("1", "NAME", "a;b,\"c\""),
                             ("2", "ID", "42"), ("2", "PAID", "?"), ("2", "NAME", "_x0041_b_X"), ("3", "NAME", "  lead")]:
    vortel("set", "H.DBF", number, field, value)
memo = "He said \"no\",\r\nthen; left\ttab \x01 end"
open("memo.txt", "wb").write(memo.encode("cp852"))
vortel("memo", "H.DBF", "1", "NOTE", "--write", "memo.txt")
vortel("delete", "H.DBF", "3")

vortel("--set", "SET_DELETED=0", "export", "H.DBF", "H.csv")
check("hostile CSV values", csv_rows("H.csv"),
      [["ID", "AMOUNT", "PAID", "BORN", "NAME", "NOTE", "_deleted"],
       ["1234567890123456789", "-3.25", "T", "2024-02-29", "a;b,\"c\"", memo, "F"],
       ["42", "", "", "", "_x0041_b_X", "", "F"],
       ["", "", "", "", "  lead", "", "T"]])
for delimiter, option in ((";", ";"), ("\t", "tab")):
    vortel("export", "H.DBF", f"H{option}.csv", "--delimiter", option, "--deleted", "skip", "--lf")
    check(f"CSV with delimiter {option!r}", [row[4:6] for row in csv_rows(f"H{option}.csv", delimiter)],
          [["NAME", "NOTE"], ["a;b,\"c\"", memo], ["_x0041_b_X", ""]])

vortel("export", "H.DBF", "H.jsonl", "--deleted", "mark")
check("hostile JSON Lines values", json_rows("H.jsonl"),
      [{"ID": 1234567890123456789, "AMOUNT": decimal.Decimal("-3.25"), "PAID": True, "BORN": "2024-02-29",
        "NAME": "a;b,\"c\"", "NOTE": memo, "_deleted": False},
       {"ID": 42, "AMOUNT": None, "PAID": None, "BORN": None, "NAME": "_x0041_b_X", "NOTE": None, "_deleted": False},
       {"ID": None, "AMOUNT": None, "PAID": None, "BORN": None, "NAME": "  lead", "NOTE": None, "_deleted": True}])

vortel("export", "H.DBF", "H.xlsx", "--deleted", "mark")
check("hostile workbook values", sheet_rows("H.xlsx"),
      [["ID", "AMOUNT", "PAID", "BORN", "NAME", "NOTE", "_deleted"],
       ["1234567890123456789", -3.25, True, datetime.datetime(2024, 2, 29), "a;b,\"c\"", memo, False],
       [42, None, None, None, "_x0041_b_X", None, False],
       [None, None, None, None, "  lead", None, True]])
check("amounts keep their decimals in the workbook", openpyxl.load_workbook("H.xlsx").active["B2"].number_format,
      "0.00")

# A refusal names the problem and leaves the old output.
open("OLD.csv", "w").write("old")
check("the table itself is refused", vortel("export", "H.DBF", "H.DBF", "--format", "csv", "--overwrite", status=1),
      "H.DBF is the table itself: choose another file\n")
check("an existing output is kept without --overwrite", vortel("export", "H.DBF", "OLD.csv", status=1),
      "The file already exist, overwite ?\n")
check("the old output stays", open("OLD.csv").read(), "old")
finish()
