"""Workbooks python3-openpyxl writes make new tables through create-from,
and append their rows to tables:
the first sheet's typed cells become the values a spreadsheet shows them
as (numbers to their format's decimals, dates as dates, booleans as
logicals), rows land on their lines, and a file that is no workbook is
refused with the table left unmade.

Usage: sheet_new_table.py VORTEL_CLI SCRATCH_BASE_DIR
"""
import datetime
import os
import sys
import zipfile

import openpyxl
from interop_checks import check, enter_scratch_folder, finish, listed_cells, run_cli

cli = sys.argv[1]
enter_scratch_folder(sys.argv[2], "sheet-new-")

for epoch in (openpyxl.utils.datetime.CALENDAR_WINDOWS_1900, openpyxl.utils.datetime.CALENDAR_MAC_1904):
    # The first days each calendar holds after its start: 1 March 1900 lies
    # past the day the 1900 calendar counts that never was.
    name = f"book{epoch.year}"
    book = openpyxl.Workbook()
    book.epoch = epoch
    sheet = book.active
    sheet.append(["Név", "Amount", "Born", "OK", "Note", "Tiny", "When"])
    sheet.append(["Kőrösi Ödön", 12.5, datetime.date(1999, 12, 31), True, "two\nlines, \"quoted\"", 1e-05,
                  datetime.datetime(2024, 2, 29, 13, 45)])
    sheet.append([])  # an empty row: no record
    sheet.append(["Szűcs Éva", -3, None, False, None, 0.25, None])
    sheet.append(["x" * 300, 9.2, datetime.date(epoch.year + 1, 3, 1), None, "=1+1", None, None])
    for row in sheet.iter_rows(min_row=2, min_col=2, max_col=2):
        row[0].number_format = "0.00"
    book.create_sheet("Second").append(["only the first sheet is read"])
    book.save(f"{name}.xlsx")

    status, fields, errors = run_cli(cli, "--codepage", "852", "create-from", f"{name}.DBF", f"{name}.xlsx")
    check(f"{name}: create-from", (status, errors), (0, "Column Név is field NEV\n"))
    check(f"{name}: proposed fields", fields.split(),
          ["NEV:M:10", "AMOUNT:N:5:2", "BORN:D:8", "OK:L:1", "NOTE:C:19", "TINY:N:7:5", "WHEN:C:19"])
    status, out, _ = run_cli(cli, "list", f"{name}.DBF")
    check(f"{name}: values", listed_cells(out), [
        ["<-MEMO->", "12.50", "1999.12.31", "T", 'two\\nlines, "quoted"', "0.00001", "2024-02-29 13:45:00"],
        ["<-MEMO->", "-3.00", ".  .", "F", "", "0.25000", ""],
        ["<-MEMO->", "9.20", f"{epoch.year + 1}.03.01", "", "", "", ""],
    ])
    check(f"{name}: memo", run_cli(cli, "memo", f"{name}.DBF", "1", "NEV")[1], "Kőrösi Ödön")

# A sheet appends its rows to a table as a CSV file does.
table = f"{name}.DBF"
status, _, errors = run_cli(cli, "append", table, f"{name}.xlsx")
check("append: status", (status, errors), (0, "Column Név names no field of the table: ignored\n"))
check("append: rows", len(listed_cells(run_cli(cli, "list", table)[1])), 6)
appended = open(table, "rb").read()

# Cells as other writers leave them: ISO date cells, inline texts with
# escapes, a shared-text cell without value, a formula never computed.
sheet_start = '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
with zipfile.ZipFile("typed.xlsx", "w") as book:
    book.writestr("xl/workbook.xml", "<workbook/>")
    book.writestr("xl/worksheets/sheet1.xml", sheet_start +
                  '<row r="1"><c r="A1" t="inlineStr"><is><t>WHEN</t></is></c>'
                  '<c r="B1" t="inlineStr"><is><t>TEXT</t></is></c><c r="C1" t="inlineStr"><is><t>F</t></is></c></row>'
                  '<row r="2"><c r="A2" t="d"><v>2024-01-31T00:00:00Z</v></c>'
                  '<c r="B2" t="inlineStr"><is><t>a_x000D_b _x005F_x0041_</t></is></c><c r="C2" t="s"/></row>'
                  '<row r="3"><c r="A3" t="d"><v>2024-02-29T00:00:00</v></c><c r="C3"><f>1+1</f></c></row>'
                  '</sheetData></worksheet>')
status, fields, errors = run_cli(cli, "create-from", "TYPED.DBF", "typed.xlsx")
check("typed cells", (status, fields.split(), errors), (0, ["WHEN:D:8", "TEXT:C:11", "F:C:1"], ""))
check("typed values", listed_cells(run_cli(cli, "list", "TYPED.DBF")[1]),
      [["2024.01.31", "a\\rb _x0041_", ""], ["2024.02.29", "", ""]])

# Damaged workbooks: the reason, and no table.
with open("not.xlsx", "w") as out:
    out.write("NAME\nplain text\n")
damaged = {
    "lacking": ({"xl/styles.xml": "<styleSheet/>"}, " is no workbook: it lacks its part xl/workbook.xml"),
    "broken": ({"xl/workbook.xml": "<workbook><sheets><sheet/></sheets></workbook>",
                "xl/worksheets/sheet1.xml": sheet_start + '<row r="1"><c r="A1"><v>1</v></row>'},
               ": its part xl/worksheets/sheet1.xml is no XML (line 1: mismatched tag)"),
    "strings": ({"xl/workbook.xml": "<workbook/>",
                 "xl/worksheets/sheet1.xml": sheet_start + '<row r="1"><c r="A1" t="s"><v>3</v></c></row>'
                                             '</sheetData></worksheet>'},
                ": row 1 names a shared text the workbook lacks"),
    "far": ({"xl/workbook.xml": "<workbook/>",
             "xl/worksheets/sheet1.xml": sheet_start + '<row r="999999999"><c r="A1"><v>1</v></c></row>'
                                         '</sheetData></worksheet>'},
            ": its row 999999999 lies past the last row of a sheet"),
}
for name, (parts, reason) in damaged.items():
    with zipfile.ZipFile(f"{name}.xlsx", "w") as book:
        for part, text in parts.items():
            book.writestr(part, text)
for name, reason in [("not", " is no workbook: it is not a zip archive")] + \
                    [(name, reason) for name, (_, reason) in damaged.items()]:
    status, _, errors = run_cli(cli, "create-from", f"{name}.DBF", f"{name}.xlsx")
    check(f"{name}: refused", (status, errors), (1, f"{name}.xlsx{reason}\n"))
    check(f"{name}: no table made", os.path.exists(f"{name}.DBF"), False)
    status, _, errors = run_cli(cli, "append", table, f"{name}.xlsx")
    check(f"{name}: append refused", (status, errors), (1, f"Append error !\n{name}.xlsx{reason}\n"))
    check(f"{name}: table unchanged", open(table, "rb").read(), appended)

finish()
