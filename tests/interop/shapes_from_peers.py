"""Tables in the shapes other programs write them open in vortel-cli, and
what vortel-cli changes in them the other programs read back. Damaged ones
open read-only, say why, and `repair` makes them whole.

Usage: shapes_from_peers.py VORTEL_CLI SCRATCH_BASE_DIR
"""
import os
import subprocess
import sys

import dbf
import dbfread
from interop_checks import check, enter_scratch_folder, finish, listed_or_refusal, run_cli

cli = sys.argv[1]
enter_scratch_folder(sys.argv[2], "shapes-")


def vortel(*arguments, stdin=None):
    return run_cli(cli, *arguments, stdin=stdin)


def listed(table):
    return listed_or_refusal(cli, table)


def python_dbf_rows(table, *fields, dbf_type=None):
    with dbf.Table(table, dbf_type=dbf_type) as t:
        return [[str(record[field]).strip() for field in fields] for record in t]


def written_by_python_dbf(name, fields, rows, dbf_type="db3"):
    table = dbf.Table(name, fields, dbf_type=dbf_type)
    table.open(dbf.READ_WRITE)
    for row in rows:
        table.append(row)
    table.close()


# python3-dbf, like most Unix tools, names the memo file pd.dbt.
written_by_python_dbf("pd.dbf", "NAME C(10); NOTE M", [("Anna", "first memo")])
check("lower-case memo file listed", listed("pd.dbf"), [["Anna", "<-MEMO->"]])
check("lower-case memo file read", vortel("memo", "pd.dbf", "1", "NOTE")[1], "first memo")
vortel("memo", "pd.dbf", "1", "NOTE", "--write", "-", stdin=b"second memo")
check("python3-dbf reads the memo we wrote", python_dbf_rows("pd.dbf", "note"), [["second memo"]])

# A memo table we create takes its memo file's name in the table's case.
vortel("create", "notes.dbf", "NAME:C:10", "TXT:M")
vortel("new", "notes.dbf")
vortel("set", "notes.dbf", "1", "NAME", "Bela")
vortel("memo", "notes.dbf", "1", "TXT", "--write", "-", stdin=b"our memo")
check("our memo file is notes.dbt", sorted(n for n in os.listdir(".") if n.startswith("notes")), ["notes.dbf", "notes.dbt"])
check("python3-dbf opens ours", python_dbf_rows("notes.dbf", "name", "txt"), [["Bela", "our memo"]])
check("dbfread opens ours", [dict(r) for r in dbfread.DBF("notes.dbf")], [{"NAME": "Bela", "TXT": "our memo"}])

# F fields (shapefile tables from GIS programs hold them) read and change as N.
written_by_python_dbf("float.dbf", "NAME C(10); AREA F(19,11)", [("Buda", 1.25)])
check("F field listed", listed("float.dbf"), [["Buda", "1.25000000000"]])
vortel("set", "float.dbf", "1", "AREA", "2,5")
check("python3-dbf reads the F value we stored", python_dbf_rows("float.dbf", "area"), [["2.5"]])

# Character fields longer than 255, before other fields, as an xBase
# compiler's tables keep them.
written_by_python_dbf("long.dbf", "TEXT C(300); CODE C(2)", [("x" * 299 + "y", "HU")], dbf_type="clp")
check("long character field listed", listed("long.dbf"), [["x" * 299 + "y", "HU"]])
vortel("set", "long.dbf", "1", "CODE", "AT")
check("python3-dbf reads the field after it", python_dbf_rows("long.dbf", "code", dbf_type="clp"), [["AT"]])

# GDAL writes the end-of-file mark or leaves it out; either opens and grows.
with open("places.csv", "w") as csv:
    csv.write("NAME,AREA\nBuda,1.25\n")
for mark in ("YES", "NO"):
    name = f"ogr_{mark}.dbf"
    subprocess.run(["ogr2ogr", "-f", "ESRI Shapefile", "-lco", f"DBF_EOF_CHAR={mark}", name, "places.csv"], check=True)
    check(f"ogr2ogr table, end mark {mark}, grows", vortel("new", name)[:2], (0, "2\n"))
    check(f"dbfread counts it, end mark {mark}", len(list(dbfread.DBF(name))), 2)

# The memo file gone: the records show, the memos say why they cannot.
written_by_python_dbf("lost.dbf", "NAME C(10); NOTE M", [("Anna", "gone")])
os.remove("lost.dbt")
check("memo file missing: listed", listed("lost.dbf"), [["Anna", "<no memo file>"]])
check("memo file missing: memo says why", vortel("memo", "lost.dbf", "1", "NOTE")[2],
      "The memo cannot be shown: the memo file lost.dbt is missing\n")

# An append killed before it wrote the count: read-only until repaired.
written_by_python_dbf("count.dbf", "NAME C(10)", [("Anna",), ("Bela",), ("Cili",)])
with open("count.dbf", "r+b") as table:
    table.seek(4)
    table.write((2).to_bytes(4, "little"))
check("uncounted record not listed", listed("count.dbf"), [["Anna"], ["Bela"]])
reason = "the header says 2 records but the file holds 1 more after them; vortel-cli repair writes the count the file holds"
check("change refused", vortel("set", "count.dbf", "1", "NAME", "Zoe")[2], f"The table is read-only: {reason}\n")
status, out, _ = vortel("repair", "count.dbf")
check("repair says what it did", (status, out.split(";")[0]),
      (0, "The header counted 2 records and now counts the 3 records the file holds"))
check("python3-dbf reads the repaired table", python_dbf_rows("count.dbf", "name"), [["Anna"], ["Bela"], ["Cili"]])
check("the table as it was is kept", open("count.old1.dbf", "rb").read()[4], 2)

finish()
