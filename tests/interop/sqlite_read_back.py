"""Tables exported into an SQLite database read back through python's own
sqlite3 module as dbfread reads the table: texts as texts, numbers as
numbers, dates as ISO texts, logicals as 1 and 0; and `vortel-cli sql
--json` gives the same rows from the table itself.

Usage: sqlite_read_back.py VORTEL_CLI SAMPLE_TABLE SCRATCH_BASE_DIR
"""
import datetime
import json
import sqlite3
import subprocess
import sys

import dbfread
from interop_checks import check, enter_scratch_folder, finish

cli, sample = sys.argv[1], sys.argv[2]
enter_scratch_folder(sys.argv[3], "sqlite-")


def vortel(*arguments):
    run = subprocess.run([cli, *arguments], capture_output=True)
    check(f"vortel-cli {' '.join(arguments)} exits 0 ({run.stderr.decode()!r})", run.returncode, 0)
    return run.stdout.decode("utf-8")


def as_sql(value):
    if isinstance(value, bool):
        return int(value)
    if isinstance(value, datetime.date):
        return value.isoformat()
    return value


expected = [{name: as_sql(value) for name, value in record.items()}
            for record in dbfread.DBF(sample, encoding="cp852")]
# dbfread gives a blank memo as None; the database holds the empty text.
for record in expected:
    record["MEGJEGYZES"] = record["MEGJEGYZES"] or ""

vortel("--set", "SET_DELETED=1", "export", sample, "ALL.sqlite")
database = sqlite3.connect("ALL.sqlite")
database.row_factory = sqlite3.Row
rows = [dict(row) for row in database.execute("SELECT * FROM DOLGOZO")]
check("the database's rows", rows, expected)
check("the columns' types", [row[2] for row in database.execute("PRAGMA table_info(DOLGOZO)")],
      ["TEXT", "TEXT", "TEXT", "TEXT", "INTEGER", "REAL", "BOOLEAN", "TEXT"])

queried = [json.loads(line) for line in
           vortel("--set", "SET_DELETED=1", "sql", "SELECT * FROM DOLGOZO", sample, "--json").splitlines()]
check("sql --json rows", queried, expected)
sys.exit(finish())
