"""Tables travel both ways between vortel-cli and other dBase programs.

Other programs write tables (python3-dbf, ogr2ogr, shapelib's dbfcreate and
dbfadd) and vortel-cli must show the same values; vortel-cli writes a table
and python3-dbfread, python3-dbf, ogrinfo and dbfdump must read the same
values back. Text is Hungarian, stored in code page 852 (1252 where the
writer marks its table so).

Usage: peers.py VORTEL_CLI SCRATCH_BASE_DIR
"""
import datetime
import subprocess
import sys

import dbf
import dbfread
from interop_checks import check, enter_scratch_folder, finish, listed_cells

cli = sys.argv[1]
enter_scratch_folder(sys.argv[2], "peers-")



def vortel(*arguments, stdin=None):
    run = subprocess.run([cli, *arguments], input=stdin, capture_output=True)
    if run.returncode != 0:
        raise RuntimeError(f"vortel-cli {' '.join(arguments)}: {run.stderr.decode()}")
    return run.stdout.decode("utf-8")


def listed(table):
    """The cells vortel-cli shows, trimmed, one list per record (deleted mark dropped)."""
    return listed_cells(vortel("list", table))


# --- Tables other programs write --------------------------------------------

people = [("Kőrösi Ödön", 42, 12.5, datetime.date(1999, 12, 31), True, "Árvíztűrő tükörfúrógép"),
          ("Szűcs Éva", 7, -3.25, None, False, "")]
table = dbf.Table("PYDBF.DBF", "NAME C(20); AGE N(3,0); PRICE N(8,2); BORN D; OK L; NOTE M",
                  dbf_type="db3", codepage="cp852")
table.open(dbf.READ_WRITE)
for row in people:
    table.append(row)
table.close()
check("python3-dbf table as listed", listed("PYDBF.DBF"),
      [["Kőrösi Ödön", "42", "12.50", "1999.12.31", "T", "<-MEMO->"],
       ["Szűcs Éva", "7", "-3.25", ".  .", "F", "<-MEMO->"]])
check("python3-dbf memo", vortel("memo", "PYDBF.DBF", "1", "NOTE"), "Árvíztűrő tükörfúrógép")

with open("people.csv", "w", encoding="utf-8") as csv:
    csv.write('NAME,CITY\n"Kiss Ödön",Győr\n"Nagy Éva",Pécs\n')
subprocess.run(["ogr2ogr", "-f", "ESRI Shapefile", "-lco", "ENCODING=CP852", "OGR.dbf", "people.csv"], check=True)
check("ogr2ogr table as listed", listed("OGR.dbf"), [["Kiss Ödön", "Győr"], ["Nagy Éva", "Pécs"]])

# shapelib marks its tables 0x57, the system's ANSI code page: Windows-1252.
subprocess.run(["dbfcreate", "SHAPE.dbf", "-s", "NAME", "20", "-n", "AGE", "3", "0"], check=True)
subprocess.run([b"dbfadd", b"SHAPE.dbf", "Fülöp Örs".encode("cp1252"), b"42"], check=True)
check("shapelib table as listed", listed("SHAPE.dbf"), [["Fülöp Örs", "42"]])

# shapelib writes two fields of one name when asked to, as GPS exports hold
# them: the bare name is refused, #2 reaches the numeric field alone.
subprocess.run(["dbfcreate", "GPS.dbf", "-s", "Point_ID", "12", "-n", "Point_ID", "9", "0"], check=True)
subprocess.run(["dbfadd", "GPS.dbf", "A-17", "42"], check=True)
refused = subprocess.run([cli, "set", "GPS.dbf", "1", "point_id", "7"], capture_output=True)
check("a name two fields share is refused", (refused.returncode, refused.stderr.decode()),
      (1, "vortel-cli: two fields are named Point_ID (#1 and #2): give the field as #1 or #2\n"))
vortel("set", "GPS.dbf", "1", "#2", "7")
check("each Point_ID in its own column", listed("GPS.dbf"), [["A-17", "7"]])
dump = subprocess.run(["dbfdump", "-m", "GPS.dbf"], capture_output=True, check=True).stdout.decode()
check("dbfdump reads both fields", "Point_ID: A-17        \nPoint_ID:         7\n" in dump, True)

# --- A table vortel-cli writes ----------------------------------------------

vortel("create", "OURS.DBF", "NAME:C:20", "AGE:N:5:1", "BORN:D", "OK:L", "NOTE:M")
vortel("new", "OURS.DBF")
vortel("set", "OURS.DBF", "1", "NAME", "Kőrösi Ödön")
vortel("set", "OURS.DBF", "1", "AGE", "42.5")
vortel("set", "OURS.DBF", "1", "BORN", "1999.12.31")
vortel("set", "OURS.DBF", "1", "OK", "Y")
vortel("memo", "OURS.DBF", "1", "NOTE", "--write", "-", stdin="Árvíztűrő tükörfúrógép".encode())
vortel("new", "OURS.DBF")
vortel("set", "OURS.DBF", "2", "NAME", "Szűcs Éva")
vortel("set", "OURS.DBF", "2", "AGE", "-7")
vortel("set", "OURS.DBF", "2", "OK", "n")

expected = [("Kőrösi Ödön", 42.5, datetime.date(1999, 12, 31), True, "Árvíztűrő tükörfúrógép"),
            ("Szűcs Éva", -7.0, None, False, None)]
check("python3-dbfread reads ours",
      [tuple(record.values()) for record in dbfread.DBF("OURS.DBF", encoding="cp852")], expected)

table = dbf.Table("OURS.DBF", codepage="cp852")
table.open()
check("python3-dbf reads ours",
      [(r.name.strip(), r.age, r.born, r.ok, r.note) for r in table],
      [(n, a, b, o, m or "") for n, a, b, o, m in expected])
table.close()

ogr = subprocess.run(["ogrinfo", "-al", "-q", "-oo", "ENCODING=CP852", "OURS.DBF"],
                     capture_output=True, check=True).stdout.decode()
year = datetime.date.today().year
check("ogrinfo sees the creation year", f"DBF_DATE_LAST_UPDATE={year}-" in ogr, True)
for line in ("NAME (String) = Kőrösi Ödön", "AGE (Real) = 42.5", "BORN (Date) = 1999/12/31",
             "NAME (String) = Szűcs Éva", "AGE (Real) = -7"):
    check(f"ogrinfo line {line!r}", line in ogr, True)

dump = subprocess.run(["dbfdump", "-m", "OURS.DBF"], capture_output=True, check=True).stdout.decode("cp852")
for line in ("NAME: Kőrösi Ödön", "AGE:  42.5", "NAME: Szűcs Éva", "AGE:  -7.0"):
    check(f"dbfdump line {line!r}", line in dump, True)

finish()
