"""CSV files written by python's csv module, in every quoting style,
dialect and encoding it offers, append to a table exactly; a refused value
leaves the table's files as they were."""
import csv
import sys

from interop_checks import check, enter_scratch_folder, finish, listed_cells, run_cli

cli, base = sys.argv[1], sys.argv[2]
enter_scratch_folder(base, "csv-")

header = ["Name", "amount", "BORN", "ok", "note"]
rows = [
    ["plain", "12.5", "2024-01-31", "T", "one line"],
    ["with, comma", "-3", "", "false", 'say "hi"'],
    ['with "quotes"', "", "1999-12-31", "", "line\r\nbreak, and ; too"],
    ["\u00c1rv\u00edzt\u0171r\u0151", "0.25", "2000-02-29", "Y", ""],
    ["semi;colon", "1e2", "", "N", "tab\there"],
]
expected = [
    ["plain", "12.50", "2024.01.31", "T", "<-MEMO->"],
    ["with, comma", "-3.00", ".  .", "F", "<-MEMO->"],
    ['with "quotes"', "", "1999.12.31", "", "<-MEMO->"],
    ["\u00c1rv\u00edzt\u0171r\u0151", "0.25", "2000.02.29", "T", "<-MEMO->"],
    ["semi;colon", "100.00", ".  .", "F", "<-MEMO->"],
]

styles = [
    ("minimal", {"quoting": csv.QUOTE_MINIMAL}),
    ("all", {"quoting": csv.QUOTE_ALL}),
    ("nonnumeric", {"quoting": csv.QUOTE_NONNUMERIC}),
    ("unix", {"dialect": "unix"}),
    ("tab", {"dialect": "excel-tab"}),
    ("semicolon", {"delimiter": ";"}),
]
encodings = ["utf-8", "utf-8-sig", "cp1250", "cp852"]

for style, arguments in styles:
    for encoding in encodings:
        name = f"{style}-{encoding}"
        table = f"{name}.dbf"
        status, _, errors = run_cli(cli, "create", table, "NAME:C:20", "AMOUNT:N:10:2", "BORN:D", "OK:L",
                                    "NOTE:M", "--codepage", "852")
        check(f"{name}: create", (status, errors), (0, ""))
        with open(f"{name}.csv", "w", encoding=encoding, newline="") as out:
            writer = csv.writer(out, **arguments)
            writer.writerow(header)
            writer.writerows(rows)
        given = [] if encoding.startswith("utf-8") or encoding == "cp852" else ["--encoding", "1250"]
        status, _, errors = run_cli(cli, "append", table, f"{name}.csv", *given)
        check(f"{name}: append", (status, errors), (0, ""))
        status, out, _ = run_cli(cli, "list", table)
        check(f"{name}: values", listed_cells(out), expected)
        memos = [run_cli(cli, "memo", table, str(n), "NOTE")[1] for n in range(1, len(rows) + 1)]
        check(f"{name}: memos", memos, [row[4] for row in rows])

# Stop, the default, writes nothing when any value is refused.
with open("wide.csv", "w", newline="") as out:
    csv.writer(out).writerows([header, rows[0], ["too wide", "123456789012"]])
before = [open(f"minimal-utf-8.{suffix}", "rb").read() for suffix in ("dbf", "dbt")]
status, _, errors = run_cli(cli, "append", "minimal-utf-8.dbf", "wide.csv")
check("refusal status", status, 1)
check("refusal names line and column", "line 3, column amount:" in errors, True)
check("refusal leaves the files", [open(f"minimal-utf-8.{suffix}", "rb").read() for suffix in ("dbf", "dbt")], before)

finish()
