"""A table exported to CSV (or to a workbook), made again from that file by
create-from, and exported once more gives the same bytes: the sample table and one written
by python3-dbf, with every export option that changes how values are
spelled. The new table is the proposed one, listed as create takes it.

Usage: csv_new_table.py VORTEL_CLI SAMPLE_TABLE SCRATCH_BASE_DIR
"""
import datetime
import sys

import dbf
from interop_checks import check, enter_scratch_folder, finish, listed_cells, run_cli

cli, sample = sys.argv[1], sys.argv[2]
enter_scratch_folder(sys.argv[3], "csv-new-")

table = dbf.Table("PYDBF.DBF", "NAME C(25); AGE N(3,0); PRICE N(9,2); BORN D; OK L; NOTE M; CODE C(5)",
                  dbf_type="db3", codepage="cp852")
table.open(dbf.READ_WRITE)
for row in [("Kőrösi Ödön", 42, 12.5, datetime.date(1999, 12, 31), True, "Árvíztűrő\r\n\"tükör\", fúrógép", "007"),
            ("Szűcs Éva, Pécs", -7, -3.25, None, False, "x" * 300, "A;B"),
            ("blank values", None, None, datetime.date(2024, 2, 29), None, "", "")]:
    table.append(row)
table.close()

variants = [
    [],
    ["--delimiter", ";", "--bom"],
    ["--delimiter", "tab", "--lf", "--dates", "picture", "--logicals", "words"],
    ["--encoding", "table", "--deleted", "skip"],
]
for source in (sample, "PYDBF.DBF"):
    for number, options in enumerate(variants):
        name = f"{source.rsplit('/', 1)[-1]}-{number}"
        encoding = ["--encoding", "852"] if "table" in options else []
        status, _, errors = run_cli(cli, "--set", "SET_DELETED=0", "export", source, f"{name}.csv", *options)
        check(f"{name}: export", (status, errors), (0, ""))
        status, fields, errors = run_cli(cli, "--codepage", "852", "create-from", f"{name}.DBF", f"{name}.csv",
                                         *encoding)
        check(f"{name}: create-from", (status, errors), (0, ""))
        status, _, errors = run_cli(cli, "--set", "SET_DELETED=0", "export", f"{name}.DBF", f"{name}.again.csv",
                                    *options)
        check(f"{name}: export again", (status, errors), (0, ""))
        with open(f"{name}.csv", "rb") as first, open(f"{name}.again.csv", "rb") as again:
            check(f"{name}: the same bytes", again.read(), first.read())
    # Through a workbook the export writes, typed cells and all.
    name = source.rsplit('/', 1)[-1]
    run_cli(cli, "--set", "SET_DELETED=0", "export", source, f"{name}.xlsx")
    status, _, errors = run_cli(cli, "--codepage", "852", "create-from", f"{name}.x.DBF", f"{name}.xlsx")
    check(f"{name}: create-from a workbook", (status, errors), (0, ""))
    run_cli(cli, "--set", "SET_DELETED=0", "export", f"{name}.x.DBF", f"{name}.x.csv")
    with open(f"{name}-0.csv", "rb") as first, open(f"{name}.x.csv", "rb") as again:
        check(f"{name}: the same bytes through a workbook", again.read(), first.read())
    check(f"{source}: proposed fields", fields.split(), {
        sample: ["NEV:C:16", "VAROS:C:16", "SZULETETT:D:8", "BELEPETT:D:8", "FIZETES:N:7:0", "PREMIUM:N:4:1",
                 "AKTIV:L:1", "MEGJEGYZES:M:10"],
        "PYDBF.DBF": ["NAME:C:15", "AGE:N:2:0", "PRICE:N:5:2", "BORN:D:8", "OK:L:1", "NOTE:M:10", "CODE:C:3"],
    }[source])

# --fields restates proposed fields; a name no column proposes is refused.
status, fields, errors = run_cli(cli, "create-from", "WIDE.DBF", "PYDBF.DBF-0.csv", "--fields", "age:N:6:1,Name:C:40")
check("--fields", (status, fields.split()[:2], errors), (0, ["NAME:C:40", "AGE:N:6:1"], ""))
status, out, _ = run_cli(cli, "list", "WIDE.DBF")
check("--fields values", [cells[:2] for cells in listed_cells(out)],
      [["Kőrösi Ödön", "42.0"], ["Szűcs Éva, Pécs", "-7.0"], ["blank values", ""]])
check("--fields names no column",
      run_cli(cli, "create-from", "NONE.DBF", "PYDBF.DBF-0.csv", "--fields", "WHO:C:5")[::2],
      (1, "No column proposes the field WHO\n"))

# An existing table is kept unless --overwrite asks, and a refused value
# leaves it as it was even then.
before = open("PYDBF.DBF", "rb").read()
with open("wide.csv", "w", encoding="utf-8") as out:
    out.write("NAME\nok\n")
check("existing table refused", run_cli(cli, "create-from", "PYDBF.DBF", "wide.csv")[::2],
      (1, "The file already exist, overwite ?\n"))
with open("bad.csv", "w", encoding="utf-8") as out:
    out.write('NAME\nok\n"open\n')
check("broken file refused", run_cli(cli, "create-from", "PYDBF.DBF", "bad.csv", "--overwrite")[0], 1)
check("the table stays", open("PYDBF.DBF", "rb").read(), before)

finish()
