"""Reads the bundled sample table with an independent DBF reader and checks
that it sees what our own code wrote: fields, records, deletions, memos and
the code page 852 text."""
import sys

import dbfread

path = sys.argv[1]
table = dbfread.DBF(path, encoding="cp852", load=True)

fields = [(f.name, f.type, f.length, f.decimal_count) for f in table.fields]
expected_fields = [("NEV", "C", 30, 0), ("VAROS", "C", 20, 0), ("SZULETETT", "D", 8, 0),
                   ("BELEPETT", "D", 8, 0), ("FIZETES", "N", 9, 0), ("PREMIUM", "N", 5, 1),
                   ("AKTIV", "L", 1, 0), ("MEGJEGYZES", "M", 10, 0)]
problems = []
if fields != expected_fields:
    problems.append(f"fields {fields}")
if len(table.records) != 114 or len(table.deleted) != 6:
    problems.append(f"{len(table.records)} live and {len(table.deleted)} deleted records")
names = " ".join(r["NEV"] for r in table.records)
for word in ("Hegedűs", "Szűcs", "Kőrösi", "Őrs", "Ágnes", "Ünige"):
    if word not in names:
        problems.append(f"name part {word!r} not found")
memos = [r["MEGJEGYZES"] for r in table.records if r["MEGJEGYZES"]]
if len(memos) < 20 or not any(len(m) > 511 for m in memos):
    problems.append(f"{len(memos)} memos, longest {max(map(len, memos), default=0)}")
if not any("tükörfúrógép" in m for m in memos):
    problems.append("memo text lost its accents")
if any(r["FIZETES"] is None or r["AKTIV"] not in (True, False) for r in table.records):
    problems.append("a numeric or logical value did not parse")

for problem in problems:
    print("sample table:", problem)
print("1 passed, 0 failed" if not problems else "0 passed, 1 failed")
sys.exit(1 if problems else 0)
