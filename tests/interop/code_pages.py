"""Every table is read, shown and written in its own code page.

Other programs say a table's code page in byte 29 (python3-dbf, byte-level
writers) or in a .cpg file (ogr2ogr); vortel-cli must show their text as
they meant it, '?' for what Windows-1250 cannot hold, and refuse to edit
such a field. Sorting stays Hungarian in 852 and 1250, appends recode
between code pages and pass bytes between tables of one, new and rebuilt
tables carry byte 29, and exports write UTF-8 on request.

Usage: code_pages.py VORTEL_CLI SCRATCH_BASE_DIR
"""
import os
import struct
import subprocess
import sys

import dbf
import dbfread
from interop_checks import check, enter_scratch_folder, finish, listed_cells

cli = os.path.abspath(sys.argv[1])
enter_scratch_folder(sys.argv[2], "code-pages-")

HUNGARIAN = "Árvíztűrő tükörfúrógép Ő"
WESTERN = "Zürich Ségolène Åland"
CYRILLIC = "Москва Győr"


def run(*arguments):
    done = subprocess.run([cli, *arguments], capture_output=True)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def vortel(*arguments):
    status, out, errors = run(*arguments)
    if status != 0:
        raise RuntimeError(f"vortel-cli {' '.join(arguments)}: {errors}")
    return out


def shown(text):
    """What the program shows: Windows-1250, '?' for the rest."""
    return text.encode("cp1250", errors="replace").decode("cp1250")


def listed(table, *options):
    return listed_cells(vortel(*options, "list", table))


def code_page_line(table, *options):
    return vortel(*options, "info", table).splitlines()[1]


def byte_29(table):
    with open(table, "rb") as file:
        return file.read(30)[29]


def records(table):
    data = open(table, "rb").read()
    count, header, length = struct.unpack_from("<IHH", data, 4)
    return [data[header + i * length: header + (i + 1) * length] for i in range(count)]


def write_table(path, names, language_byte=0, width=30):
    """A table of one C field, byte by byte, as any writer lays it out."""
    header = struct.pack("<BBBBIHH20x", 0x03, 126, 1, 1, len(names), 32 + 32 + 2, 1 + width)
    header = header[:29] + bytes([language_byte]) + header[30:]
    field = b"NAME".ljust(11, b"\0") + b"C" + b"\0" * 4 + bytes([width, 0]) + b"\0" * 14
    rows = b"".join(b" " + name.ljust(width, b" ") for name in names)
    with open(path, "wb") as file:
        file.write(header + field + b"\r\0" + rows + b"\x1a")


# --- byte 29 written by python3-dbf -----------------------------------------

for codepage, text in [("cp852", HUNGARIAN), ("cp1250", HUNGARIAN), ("cp437", WESTERN), ("cp850", WESTERN),
                       ("cp1252", WESTERN)]:
    name = f"PY{codepage}.DBF"
    table = dbf.Table(name, "NAME C(30)", dbf_type="db3", codepage=codepage)
    table.open(dbf.READ_WRITE)
    table.append((text,))
    table.close()
    byte = byte_29(name)
    check(f"python3-dbf {codepage} shown", listed(name), [[shown(text)]])
    check(f"python3-dbf {codepage} info", code_page_line(name),
          f"Code page  : {codepage[2:]} (from byte 29 = 0x{byte:02X})")

# --- .cpg files written by ogr2ogr ------------------------------------------

for encoding, text in [("UTF-8", CYRILLIC), ("CP1250", HUNGARIAN), ("ISO-8859-2", HUNGARIAN), ("CP1252", WESTERN)]:
    base = "OGR" + encoding.replace("-", "")
    with open(base + ".csv", "w", encoding="utf-8") as csv:
        csv.write(f'NAME,N\n"{text}",1\n')
    subprocess.run(["ogr2ogr", "-f", "ESRI Shapefile", "-lco", f"ENCODING={encoding}", base + ".dbf", base + ".csv"],
                   check=True)
    check(f"ogr2ogr {encoding} shown", listed(base + ".dbf"), [[shown(text), "1"]])

# --- other language driver bytes, written byte by byte -----------------------

for byte, codec, text in [(0x22, "cp852", HUNGARIAN), (0x57, "cp1252", WESTERN), (0x26, "cp866", "Москва"),
                          (0xC9, "cp1251", "Москва"), (0x4D, "gbk", "中文 abc")]:
    name = f"B{byte:02X}.DBF"
    write_table(name, [text.encode(codec)], language_byte=byte)
    check(f"byte 0x{byte:02X} shown", listed(name), [[shown(text)]])

# --- which word wins ---------------------------------------------------------

hungarian_records = [t.encode("cp852") for t in ["Kovács Éva", "Szőke Ödön", "Nagy Béla", "Győr", "Pécs",
                                                   "Kiss Ágnes", "Tóth Gábor", "Horváth Ildikó", "Szűcs Ünige",
                                                   "Fehér Zoltán", "Bíró Józsefné", "Kőszeg", "Nyíregyháza"] * 3]
write_table("WHO.DBF", hungarian_records, language_byte=0xC8)
with open("who.Cpg", "w") as cpg:
    cpg.write("OEM 852\n")
for what, prepare, options, expected in [
        (".cpg over byte 29", None, (), "852 (from who.Cpg)"),
        ("--codepage over .cpg", None, ("--codepage", "iso-8859-2"), "ISO-8859-2 (chosen)"),
        ("byte 29 without .cpg", lambda: os.remove("who.Cpg"), (), "1250 (from byte 29 = 0xC8)"),
        ("the text without byte 29", lambda: write_table("WHO.DBF", hungarian_records), (),
         "852 (guessed from the text)"),
        ("the setting without a word", lambda: write_table("WHO.DBF", [b"plain"]), ("--set", "SET_OEMTOANSI=0"),
         "1250 (setting SET_OEMTOANSI)")]:
    if prepare:
        prepare()
    check(f"code page: {what}", code_page_line("WHO.DBF", *options), "Code page  : " + expected)

# --- new tables carry byte 29 ------------------------------------------------

for options, byte in [((), 0x64), (("--set", "SET_OEMTOANSI=0"), 0xC8), (("--codepage", "1252"), 0x03),
                      (("--codepage", "utf-8"), 0x00)]:
    vortel(*options, "create", "NEW.DBF", "NAME:C:30", "--overwrite")
    check(f"create {options} byte 29", byte_29("NEW.DBF"), byte)
vortel("--codepage", "1250", "create", "W1250.DBF", "NAME:C:30")
vortel("new", "W1250.DBF")
vortel("set", "W1250.DBF", "1", "NAME", HUNGARIAN)
check("python3-dbfread reads the 1250 table by its byte 29",
      [r["NAME"] for r in dbfread.DBF("W1250.DBF")], [HUNGARIAN])
vortel("--codepage", "1252", "create", "W1252.DBF", "NAME:C:30")
vortel("new", "W1252.DBF")
status, _, errors = run("set", "W1252.DBF", "1", "NAME", "Győr")
check("a character the code page cannot hold is refused and named", (status, errors),
      (1, 'NAME C(30) cannot hold "ő" (U+0151): code page 1252 has no such character\n'))
status, _, errors = run("set", "W1250.DBF", "1", "NAME", "Москва")
check("... and one the program cannot carry", (status, errors),
      (1, "U+041C cannot be taken: this program's text is Windows-1250, which has no such character\n"))

# --- the sort stays Hungarian in 852 and 1250 --------------------------------

NAMES = ["Zoli", "Ödön", "abel", "Ábel", "Odon", "Abel"]
for page in ("852", "1250"):
    name = f"S{page}.DBF"
    vortel("--codepage", page, "create", name, "NAME:C:10")
    for i, person in enumerate(NAMES):
        vortel("new", name)
        vortel("set", name, str(i + 1), "NAME", person)
    vortel("sort", name, "NAME", "--magyar")
    check(f"Hungarian order in {page}", [row[0] for row in listed(name)],
          ["Ábel", "Abel", "Ödön", "Odon", "Zoli", "abel"])

# --- text 1250 cannot hold: shown, refused, passed on byte for byte ----------

for name in ("U1.DBF", "U2.DBF"):
    vortel("--codepage", "utf-8", "create", name, "NAME:C:30", "CITY:C:10", "NOTE:M")
    with open(os.path.splitext(name)[0] + ".cpg", "w") as cpg:
        cpg.write("UTF-8")
vortel("new", "U1.DBF")
vortel("new", "U1.DBF")
vortel("set", "U1.DBF", "1", "CITY", "Győr")
vortel("set", "U1.DBF", "2", "NAME", "Ödön")
with open("U1.DBF", "r+b") as file:  # Cyrillic, as another program stores it
    data = file.read()
    header = struct.unpack_from("<H", data, 8)[0]
    file.seek(header + 1)
    file.write(CYRILLIC.encode("utf-8").ljust(30))
subprocess.run([cli, "memo", "U1.DBF", "1", "NOTE", "--write", "-"], input="Ödön".encode(), check=True)
check("UTF-8 shown", listed("U1.DBF"), [["?????? Győr", "Győr", "<-MEMO->"], ["Ödön", "", "<-MEMO->"]])
status, _, errors = run("set", "U1.DBF", "1", "NAME", "x")
check("a field shown with ? is not edited", (status, errors),
      (1, "NAME holds characters this program cannot show (shown as ?): it cannot be changed here without "
          "losing them\n"))
check("... and another field of the record is", run("set", "U1.DBF", "1", "CITY", "Pécs")[0], 0)
before = records("U1.DBF")
vortel("delete", "U1.DBF", "2")
vortel("pack", "U1.DBF")
check("pack passes the bytes on", records("U1.DBF"), before[:1])
vortel("append", "U2.DBF", "U1.DBF")
check("append between two UTF-8 tables passes the bytes on", records("U2.DBF")[0][:41], records("U1.DBF")[0][:41])
check("... memos too", vortel("memo", "U2.DBF", "1", "NOTE"), "Ödön")

# --- append recodes between code pages ---------------------------------------

vortel("--codepage", "852", "create", "FROM852.DBF", "NAME:C:30", "NOTE:M")
vortel("new", "FROM852.DBF")
vortel("set", "FROM852.DBF", "1", "NAME", HUNGARIAN)
subprocess.run([cli, "memo", "FROM852.DBF", "1", "NOTE", "--write", "-"], input=HUNGARIAN.encode(), check=True)
vortel("--codepage", "1250", "create", "TO1250.DBF", "NAME:C:30", "NOTE:M")
vortel("append", "TO1250.DBF", "FROM852.DBF")
check("append from 852 into 1250 recodes", records("TO1250.DBF")[0][1:31], HUNGARIAN.encode("cp1250").ljust(30))
check("... memos too", vortel("memo", "TO1250.DBF", "1", "NOTE"), HUNGARIAN)
vortel("new", "W1250.DBF")
vortel("set", "W1250.DBF", "2", "NAME", "10 €")
vortel("--codepage", "852", "create", "TO852.DBF", "NAME:C:30")
before = open("TO852.DBF", "rb").read()
status, _, errors = run("append", "TO852.DBF", "W1250.DBF")
check("a character the target lacks fails the append and leaves it",
      (status, errors, open("TO852.DBF", "rb").read()),
      (1, 'Append error !\nRecord 2: NAME cannot hold "€" (U+20AC): code page 852 has no such character\n', before))

# --- exports in UTF-8 --------------------------------------------------------

vortel("copy-to", "U1.DBF", "U1.TXT")
check("copy-to keeps the table's bytes", open("U1.TXT", "rb").read(), records("U1.DBF")[0][1:] + b"\r\n")
vortel("copy-to", "FROM852.DBF", "852.TXT", "--encoding", "utf-8")
check("copy-to --encoding utf-8", open("852.TXT", encoding="utf-8").read().split("\r\n")[0][:30],
      HUNGARIAN.ljust(30))
vortel("html", "U1.DBF", "U1.HTM", "--encoding", "utf-8")
page = open("U1.HTM", encoding="utf-8").read()
check("html --encoding utf-8: charset", "charset=utf-8" in page, True)
check("html --encoding utf-8: every character whole",
      "<TD>" + CYRILLIC + " " * (30 - len(CYRILLIC.encode())) + "</TD>" in page, True)
vortel("html", "FROM852.DBF", "852.HTM")
check("html keeps Windows-1250", HUNGARIAN.encode("cp1250") in open("852.HTM", "rb").read(), True)
check("--encoding takes utf-8 only", run("copy-to", "U1.DBF", "X.TXT", "--encoding", "latin9")[0], 2)

# --- a rebuild writes byte 29 for the code page in use -----------------------

write_table("REB.DBF", [HUNGARIAN.encode("cp1250")], language_byte=0x00)
vortel("--codepage", "1250", "pack", "REB.DBF")
check("pack writes byte 29 of the chosen code page", byte_29("REB.DBF"), 0xC8)
write_table("REB.DBF", [HUNGARIAN.encode("cp852")], language_byte=0x22)
vortel("pack", "REB.DBF")
check("pack keeps a byte 29 that already names the code page", byte_29("REB.DBF"), 0x22)

finish()
