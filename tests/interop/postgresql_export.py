"""Tables loaded into a real PostgreSQL server (tests/interop/pg_server.py)
read back with psql: every value as `vortel-cli list` and `memo` show it,
for the sample table and for a table with every field type in another code
page; and a load that fails, by a value refused on our side or the
server's or by the server's death, leaves the database as it was.

Usage: postgresql_export.py VORTEL_CLI SAMPLE_TABLE SCRATCH_BASE_DIR
"""
import decimal
import hashlib
import os
import struct
import subprocess
import sys
import time

import pg_server
from interop_checks import check, enter_scratch_folder, finish

cli, sample = sys.argv[1], sys.argv[2]
enter_scratch_folder(sys.argv[3], "postgresql-")


def vortel(*arguments):
    run = subprocess.run([cli, *arguments], capture_output=True)
    return run.returncode, run.stdout.decode("utf-8"), run.stderr.decode("utf-8")


def write_table(path, fields, records, code_page_mark=0x00, encoding="cp852"):
    """A dBase III table written byte by byte: `fields` as (name, type,
    length, decimals), `records` as (deleted, values) with each value the
    field's stored text (a memo's value its text, placed in the memo file)."""
    has_memo = any(kind == "M" for _, kind, _, _ in fields)
    record_length = 1 + sum(length for _, _, length, _ in fields)
    header = struct.pack("<BBBBIHH17xB2x", 0x83 if has_memo else 0x03, 126, 1, 1, len(records),
                         32 + 32 * len(fields) + 1, record_length, code_page_mark)
    for name, kind, length, decimals in fields:
        header += struct.pack("<11sc4xBB14x", name.encode(), kind.encode(), length, decimals)
    header += b"\r"
    memo = bytearray(512)
    body = bytearray()
    for deleted, values in records:
        body += b"*" if deleted else b" "
        for (_, kind, length, _), value in zip(fields, values):
            if kind == "M":
                if value:
                    block = len(memo) // 512
                    memo += value.encode(encoding) + b"\x1a\x1a"
                    memo += bytes(-len(memo) % 512)
                    value = str(block).rjust(length)
                else:
                    value = ""
            stored = value.encode(encoding)
            assert len(stored) <= length, f"{value!r} is wider than its field"
            body += stored.rjust(length) if kind in "NF" else stored.ljust(length)
    memo[0:4] = struct.pack("<I", len(memo) // 512)
    with open(path, "wb") as table:
        table.write(header + body + b"\x1a")
    if has_memo:
        with open(path[:-4] + ".DBT", "wb") as memo_file:
            memo_file.write(memo)


def listed(table):
    """`vortel-cli list`'s cells of the live records, as shown, and their numbers."""
    status, out, errors = vortel("list", "--raw", table)
    assert status == 0, errors
    lines = [line.split("\t") for line in out.splitlines()[1:]]
    return [(int(cells[0]), cells[2:]) for cells in lines if cells[1] != "*"]


def as_listed(value, kind):
    """A value psql gave, as `list` shows it (dates in the default
    SET_DATEFORMAT)."""
    if value is None:
        return ""
    if kind == "L":
        return "T" if value else "F"
    if kind == "D":
        return value.replace("-", ".")
    return str(value)


def check_values(server, table, name, fields):
    """Every value of the database table `name` against `list` and, for
    memos, `memo`."""
    rows = server.records(f'SELECT * FROM "{name}" ORDER BY ctid')
    records = listed(table)
    check(f"{name}: as many rows as live records", len(rows), len(records))
    for row, (number, cells) in zip(rows, records):
        for (field, kind, _, _), cell in zip(fields, cells):
            value = row[field.lower()]
            if kind == "M":
                status, memo, _ = vortel("memo", table, str(number), field)
                expected, got = memo, value
            else:
                # Texts keep their leading blanks; a blank date shows as its
                # picture's dots, an unknown logical as "?".
                cell = cell.rstrip() if kind == "C" else cell.strip()
                if kind == "L" and cell:
                    cell = {"T": "T", "Y": "T", "F": "F", "N": "F"}.get(cell.upper(), cell)
                if kind in "NF" and set(cell) == {"*"}:
                    cell = ""
                if kind == "F" and cell:
                    cell = str(decimal.Decimal(cell))  # the same value, as numeric spells it
                expected, got = ("" if cell in (".  .", "?") else cell), as_listed(value, kind)
            if not check(f"{name}: record {number} field {field}", got, expected):
                return


def table_exists(server, name):
    return server.psql(f"SELECT to_regclass('\"{name}\"') IS NOT NULL").strip() == "t"


status, _, errors = vortel("export", sample, "postgresql://postgres@/vortel?host=/nonexistent")
check(f"an unreachable database says so ({errors!r})", (status, errors.startswith("Can't connect to the database: ")),
      (1, True))
status, _, errors = vortel("export", sample, "dbname=vortel", "--replace", "--append")
check("--replace with --append is a usage error", status, 2)

with pg_server.started() as server:
    # --- The sample table ------------------------------------------------------
    sample_fields = [("NEV", "C", 30, 0), ("VAROS", "C", 20, 0), ("SZULETETT", "D", 8, 0), ("BELEPETT", "D", 8, 0),
                     ("FIZETES", "N", 9, 0), ("PREMIUM", "N", 5, 1), ("AKTIV", "L", 1, 0), ("MEGJEGYZES", "M", 10, 0)]
    status, _, errors = vortel("export", sample, server.address)
    check(f"the sample loads ({errors!r})", status, 0)
    check("the sample's columns", server.psql(
        "SELECT string_agg(attname || ' ' || format_type(atttypid, atttypmod), ', ' ORDER BY attnum) "
        "FROM pg_attribute WHERE attrelid = 'dolgozo'::regclass AND attnum > 0").strip(),
        "nev character varying(30), varos character varying(20), szuletett date, belepett date, "
        "fizetes numeric(9,0), premium numeric(5,1), aktiv boolean, megjegyzes text")
    check_values(server, sample, "dolgozo", sample_fields)

    status, _, errors = vortel("export", sample, server.words)
    check("an existing table is refused", (status, "already exists" in errors), (1, True))
    status, _, errors = vortel("export", sample, server.address, "--replace", "--deleted", "mark")
    check(f"--replace loads the deleted records too, marked ({errors!r})",
          server.psql("SELECT count(*), count(*) FILTER (WHERE _deleted) FROM dolgozo").strip(), "120|6")
    status, _, errors = vortel("export", sample, server.address, "--append", "--deleted", "mark",
                               "--table", "dolgozo")
    check(f"--append adds the records ({errors!r})", server.psql("SELECT count(*) FROM dolgozo").strip(), "240")

    # --- Every field type, code page 1250, hostile values --------------------------
    fields = [("NAME", "C", 20, 0), ("ID", "N", 19, 0), ("PRICE", "N", 8, 2), ("RATE", "F", 12, 4),
              ("BORN", "D", 8, 0), ("OK", "L", 1, 0), ("NOTE", "M", 10, 0)]
    records = [
        (False, ["Árvíztűrő Őzike", "1234567890123456789", "-0.50", "3.1416", "19991231", "T",
                 "tab\there back\\slash\r\nline\n\\.\n\\N end"]),
        (False, ["", "", "", "", "", "?", ""]),
        (True, ["gone", "1", "1.00", "1.0000", "20000101", "F", "deleted memo"]),
        (False, ["  leading blanks", "-999999999999999999", "99999.99", "-0.0001", "00010101", "n",
                 "ŐŰőű " * 300]),
        # Floating values as shapefile writers store them; asterisks for a
        # number with no value.
        (False, ["exponent", "*" * 19, "0.01", "1.234567E-02", "20240229", "Y", "x"]),
    ]
    write_table("TYPES.DBF", fields, records, code_page_mark=0xC8, encoding="cp1250")
    status, _, errors = vortel("export", "TYPES.DBF", server.words, "--table", "Every Type")
    check(f"the table of every type loads ({errors!r})", status, 0)
    check_values(server, "TYPES.DBF", "Every Type", fields)
    check("blank values are NULL, blank texts empty",
          server.records('SELECT * FROM "Every Type" WHERE name = \'\''),
          [{"name": "", "id": None, "price": None, "rate": None, "born": None, "ok": None, "note": ""}])

    # --- Failures leave the database as it was -------------------------------------
    # A number with more decimals than its field says (other programs write
    # them): numeric(5,1) would round it, so it is refused.
    write_table("BAD.DBF", [("NAME", "C", 10, 0), ("AMOUNT", "N", 5, 1)],
                [(False, ["a", "1.5"]), (False, ["b", "2.0"]), (False, ["c", "1.25"]), (False, ["d", "3.0"])])
    status, _, errors = vortel("export", "BAD.DBF", server.address)
    print(errors, end="")
    check("a value numeric(5,1) would round is refused, naming the record and field",
          (status, errors.startswith("Record 3, field AMOUNT: 1.25 has more decimals"), "as it was" in errors),
          (1, True, True))
    check("the refused load left no table", table_exists(server, "bad"), False)

    # The server refuses a value while it fills a new table: a character its
    # database's encoding lacks.
    server.psql("CREATE DATABASE latin2 ENCODING 'LATIN2' TEMPLATE template0", database="postgres")
    write_table("EURO.DBF", [("NAME", "C", 10, 0)], [(False, ["Győr"]), (False, ["5 €"])], 0xC8, "cp1250")
    status, _, errors = vortel("export", "EURO.DBF", server.address.replace("/vortel?", "/latin2?"))
    print(errors, end="")
    check("the server's refusal of a new table's value names the record",
          (status, errors.startswith("Record 2: "), "as it was" in errors), (1, True, True))
    check("the refused new table is not there", server.psql(
        "SELECT count(*) FROM pg_class WHERE relname = 'euro'", database="latin2").strip(), "0")

    # The server refuses a value (a constraint of the table appended to).
    server.psql("CREATE TABLE capped (LIKE dolgozo, CHECK (fizetes < 1000000)); "
                "INSERT INTO capped (nev, fizetes) VALUES ('kept', 1)")
    first_high = next(number for number, cells in listed(sample) if int(cells[4]) >= 1000000)
    status, _, errors = vortel("export", sample, server.address, "--table", "capped", "--append")
    print(errors, end="")
    check(f"the server's refusal names record {first_high} ({errors!r})",
          (status, errors.startswith(f"Record {first_high}: ")), (1, True))
    check("the refused append left the table as it was", server.psql("SELECT nev, fizetes FROM capped"), "kept|1\n")

    # --- The 100,000-record memo table, and the server killed while it loads ----
    memos = [f"Note {i}: " + "called about the order; \tár\\víz\n" * (1 + i % 40) for i in range(100000)]
    write_table("MEMOS.DBF", [("NAME", "C", 30, 0), ("NOTE", "M", 10, 0)],
                [(False, [f"Name {i}", memos[i]]) for i in range(100000)])
    loading = subprocess.Popen([cli, "export", "MEMOS.DBF", server.address], stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE)
    copying = False
    for _ in range(500):
        copying = server.psql("SELECT count(*) FROM pg_stat_activity WHERE application_name = 'vortel' "
                              "AND query LIKE 'COPY%'").strip() == "1"
        if copying or loading.poll() is not None:
            break
        time.sleep(0.01)
    check("the load was caught while it copied", copying, True)
    server.stop("immediate")
    _, errors = loading.communicate()
    print(errors.decode(), end="")
    check(f"the killed load fails and says the connection was lost ({errors!r})",
          (loading.returncode, b"connection to the database was lost" in errors), (1, True))
    server.start()
    check("the killed load left no table", table_exists(server, "memos"), False)

    status, _, errors = vortel("export", "MEMOS.DBF", server.address)
    check(f"the memo table loads ({errors!r})", status, 0)
    expected = hashlib.md5("\x1e".join(memos).encode()).hexdigest()
    check("every memo arrives whole", server.psql(
        "SELECT count(*), md5(string_agg(note, E'\\x1e' ORDER BY ctid)) FROM memos").strip(), f"100000|{expected}")
    for name in ("MEMOS.DBF", "MEMOS.DBT"):  # 100 MB a run is too much to keep for inspection
        os.remove(name)

finish()
