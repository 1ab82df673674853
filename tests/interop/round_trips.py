"""Every byte an operation does not mean to change survives it.

Random tables (every field type, blank values, "?" logicals, 19-digit
numbers, long memos, deleted records, a code-page byte) are written three
ways: byte by byte as other programs write them, by python3-dbf, and by
vortel-cli itself. Each goes through pack, zap followed by append, a
structure change that keeps every field, sort, append from a copy, and
copy-to followed by append from the text. Afterwards the records are read
back byte by byte and compared with the original, field by field: stored
bytes for C, N, D and L fields, the text for memo fields.

Usage: round_trips.py VORTEL_CLI SCRATCH_BASE_DIR [--tables N] [--seed S]
"""
import argparse
import datetime
import os
import random
import shutil
import subprocess
import sys
import tempfile

import dbf

parser = argparse.ArgumentParser()
parser.add_argument("cli")
parser.add_argument("scratch")
parser.add_argument("--tables", type=int, default=12)
parser.add_argument("--seed", type=int, default=1)
options = parser.parse_args()
cli = os.path.abspath(options.cli)
os.makedirs(options.scratch, exist_ok=True)
# A folder of its own for every run, so runs never meet; kept for inspection.
os.chdir(tempfile.mkdtemp(prefix="round-trips-", dir=options.scratch))

failures = []

# --- Reading tables byte by byte ---------------------------------------------


def u16(data, at):
    return data[at] | data[at + 1] << 8


def u32(data, at):
    return int.from_bytes(data[at:at + 4], "little")


class Table:
    """A DBF as stored: its header area, fields and records, with memo texts."""

    def __init__(self, path):
        data = open(path, "rb").read()
        self.header = data[:u16(data, 8)]
        self.count = u32(data, 4)
        length = u16(data, 10)
        self.fields = []  # (name, type, length, decimals, offset)
        offset, at = 1, 32
        while at + 32 <= len(self.header) and self.header[at] != 0x0D:
            d = self.header[at:at + 32]
            kind = chr(d[11])
            size = d[16] if kind in "NF" else (8 if kind == "D" else d[16] | d[17] << 8)
            self.fields.append((d[:11].split(b"\0")[0].decode("ascii"), kind, size,
                                d[17] if kind in "NF" else 0, offset))
            offset += size
            at += 32
        start = len(self.header)
        raw = [data[start + i * length:start + (i + 1) * length] for i in range(self.count)]
        memo = open(path[:-1] + "T", "rb").read() if any(f[1] == "M" for f in self.fields) else b""
        # Each record: its delete flag and one value per field.
        self.records = [(r[0:1], [self._value(r, f, memo) for f in self.fields]) for r in raw]

    @staticmethod
    def _value(record, field, memo):
        name, kind, size, decimals, offset = field
        stored = record[offset:offset + size]
        if kind != "M":
            return stored
        block = int(stored.strip(b" \0") or b"0")
        if block <= 0:
            return b""
        text = memo[block * 512:]
        end = min(i for i in (text.find(b"\x1a"), text.find(b"\0"), len(text)) if i >= 0)
        return text[:end]


# --- Random tables -----------------------------------------------------------

LETTERS = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,-áéíóöőúüűÁÉÍÓÖŐÚÜŰ"


def random_structure(rng, with_odd_shapes):
    fields = []
    for i in range(rng.randint(1, 7)):
        kind = rng.choice("CCNNDLM")
        if kind == "C":
            size, decimals = rng.randint(1, 40), 0
        elif kind == "N":
            size = rng.randint(1, 19)
            decimals = rng.randint(0, min(size - 2, 8)) if size >= 3 else 0
        else:
            size, decimals = {"D": 8, "L": 1, "M": 10}[kind], 0
        fields.append((f"F{i}{kind}", kind, size, decimals))
    return fields


def random_number(rng, size, decimals, digits_max):
    """A stored number that fits: right-aligned, with `decimals` places."""
    room = size - (decimals + 1 if decimals else 0)
    # python3-dbf wants a digit besides the sign; other programs do not.
    negative = rng.random() < 0.3 and room >= (2 if digits_max > 15 else 3)
    whole = rng.randint(1, min(max(room - (1 if negative else 0), 1), digits_max))
    integer = str(rng.randint(10 ** (whole - 1) if whole > 1 else 0, 10 ** whole - 1))
    text = integer + ("." + "".join(rng.choice("0123456789") for _ in range(decimals)) if decimals else "")
    if negative and text.strip("0.") != "":
        text = "-" + text
    return text.rjust(size)[-size:]


def random_value(rng, field, odd):
    name, kind, size, decimals = field
    if kind == "C":
        if rng.random() < 0.15:
            return " " * size
        text = "".join(rng.choice(LETTERS) for _ in range(rng.randint(0, size)))
        if odd and rng.random() < 0.1 and size > 2:
            text = text[: size - 2] + "\n"  # a lone LF inside a field, as some programs store
        return text.ljust(size)[:size]
    if kind == "N":
        if rng.random() < 0.15:
            return " " * size
        return random_number(rng, size, decimals, 19 if odd else 15)
    if kind == "D":
        roll = rng.random()
        if roll < 0.15:
            return " " * 8
        if odd and roll < 0.22:
            return "00000000"  # how some programs store "no date"
        day = datetime.date(1900, 1, 1) + datetime.timedelta(days=rng.randint(0, 60000))
        return day.strftime("%Y%m%d")
    if kind == "L":
        return rng.choice("TFYN? " if odd else "TF?")
    # Memo texts: empty, short, or several blocks long, with line breaks.
    roll = rng.random()
    if roll < 0.25:
        return ""
    length = rng.randint(1, 500) if roll < 0.7 else rng.randint(500, 3000)
    words = []
    while sum(len(w) + 1 for w in words) < length:
        words.append("".join(rng.choice(LETTERS) for _ in range(rng.randint(1, 12))))
        if rng.random() < 0.05:
            words.append("\r\n")
    return " ".join(words)[:length]


def random_rows(rng, fields, odd):
    rows = []
    for _ in range(rng.randint(0, 40)):
        rows.append((rng.random() < 0.2, [random_value(rng, f, odd) for f in fields]))
    return rows


def write_bytes(path, fields, rows, rng):
    """As other programs write tables: header length 32n + 33, memos from block 1,
    an end-of-file mark after the records, a code-page byte."""
    has_memo = any(f[1] == "M" for f in fields)
    memo = bytearray(512)
    descriptors = b""
    offset = 1
    for name, kind, size, decimals in fields:
        descriptors += (name.encode("ascii").ljust(11, b"\0") + kind.encode() + offset.to_bytes(4, "little")
                        + bytes([size if kind in "NF" else size & 0xFF, decimals if kind in "NF" else size >> 8])
                        + bytes(14))
        offset += size
    records = b""
    for deleted, values in rows:
        record = b"*" if deleted else b" "
        for (name, kind, size, decimals), value in zip(fields, values):
            if kind == "M":
                if value:
                    block = len(memo) // 512
                    memo += value.encode("cp852") + b"\x1a\x1a"
                    memo += bytes(-len(memo) % 512)
                    record += str(block).rjust(10).encode()
                else:
                    record += b" " * 10
            else:
                record += value.encode("cp852")
        records += record
    memo[0:4] = (len(memo) // 512).to_bytes(4, "little")
    memo[16] = 3
    today = datetime.date.today()
    header = bytes([0x83 if has_memo else 0x03, today.year - 1900, today.month, today.day])
    header += len(rows).to_bytes(4, "little") + (32 * len(fields) + 33).to_bytes(2, "little")
    header += offset.to_bytes(2, "little") + bytes(17) + bytes([rng.choice([0x64, 0xC8, 0x57, 0x02])]) + bytes(2)
    with open(path, "wb") as out:
        out.write(header + descriptors + b"\x0d" + records + b"\x1a")
    if has_memo:
        with open(path[:-1] + "T", "wb") as out:
            out.write(memo)


def python_value(field, value):
    name, kind, size, decimals = field
    if kind == "N":
        return None if not value.strip() else (float(value) if decimals else int(value))
    if kind == "D":
        return None if not value.strip() else datetime.date(int(value[:4]), int(value[4:6]), int(value[6:]))
    if kind == "L":
        return {"T": True, "F": False}.get(value)
    return value


def write_with_python_dbf(path, fields, rows):
    field_list = "; ".join(f"{n} {k}" + (f"({s},{d})" if k == "N" else f"({s})" if k == "C" else "")
                           for n, k, s, d in fields)
    table = dbf.Table(path, field_list, dbf_type="db3", codepage="cp852")
    table.open(dbf.READ_WRITE)
    for deleted, values in rows:
        table.append(tuple(python_value(f, v) for f, v in zip(fields, values)))
        if deleted:
            dbf.delete(table[-1])
    table.close()


def vortel(*arguments, stdin=None, check=True):
    run = subprocess.run([cli, *arguments], input=stdin, capture_output=True)
    if check and run.returncode != 0:
        raise RuntimeError(f"vortel-cli {' '.join(arguments)}: {run.stderr.decode(errors='replace')}")
    return run


def definition(field):
    name, kind, size, decimals = field
    return {"C": f"{name}:C:{size}", "N": f"{name}:N:{size}:{decimals}"}.get(kind, f"{name}:{kind}")


def write_with_vortel(path, fields, rows):
    """vortel-cli's own table: created, filled from fixed-width text, memos and
    delete marks set record by record."""
    vortel("create", path, *map(definition, fields))
    lines = b"".join(b"".join((" " * 10 if f[1] == "M" else v).encode("cp852") for f, v in zip(fields, values))
                     + b"\r\n" for deleted, values in rows)
    with open("rows.txt", "wb") as out:
        out.write(lines)
    if rows:
        vortel("append", path, "rows.txt")
    for number, (deleted, values) in enumerate(rows, start=1):
        for field, value in zip(fields, values):
            if field[1] == "M" and value:
                vortel("memo", path, str(number), field[0], "--write", "-", stdin=value.encode("utf-8"))
        if deleted:
            vortel("delete", path, str(number))


# --- The operations and what each keeps ----------------------------------------


def fresh(original, name):
    for suffix in ("DBF", "DBT"):
        source = original[:-3] + suffix
        if os.path.exists(source):
            shutil.copyfile(source, name[:-3] + suffix)
    return name


def live(record):
    return (b" ", record[1])


def compare(what, expected, actual_table, original):
    if [f[:4] for f in actual_table.fields] != [f[:4] for f in original.fields]:
        failures.append(f"{what}: fields {actual_table.fields} instead of {original.fields}")
        return
    if actual_table.header[29] != original.header[29]:
        failures.append(f"{what}: code-page byte {actual_table.header[29]:#x} instead of {original.header[29]:#x}")
    if len(actual_table.records) != len(expected):
        failures.append(f"{what}: {len(actual_table.records)} records instead of {len(expected)}")
        return
    for number, (want, got) in enumerate(zip(expected, actual_table.records), start=1):
        if want[0] != got[0]:
            failures.append(f"{what}: record {number} delete flag {got[0]!r} instead of {want[0]!r}")
        for field, a, b in zip(original.fields, want[1], got[1]):
            if a != b:
                failures.append(f"{what}: record {number} field {field[0]}: {b!r} instead of {a!r}")


def same_header_but_count(what, actual_table, original):
    """Rebuilds of the same fields keep the header area; only the count and the
    date of the last update may change."""
    strip = lambda header: header[:1] + header[8:]
    if strip(actual_table.header) != strip(original.header):
        failures.append(f"{what}: header area changed:\n  {original.header.hex()}\n  {actual_table.header.hex()}")


def key_of(record, table, key_fields):
    key = b""
    for index in key_fields:
        value = record[1][index]
        key += value.split(b"\0")[0]
    return key


def run_operations(original_path, rng, label):
    original = Table(original_path)
    fields = original.fields
    everything_live = [live(r) for r in original.records]

    path = fresh(original_path, "PACK.DBF")
    vortel("pack", path)
    result = Table(path)
    compare(f"{label} pack", [r for r in original.records if r[0] != b"*"], result, original)
    same_header_but_count(f"{label} pack", result, original)

    path = fresh(original_path, "ZAP.DBF")
    vortel("zap", path)
    vortel("append", path, original_path)
    result = Table(path)
    compare(f"{label} zap and append", everything_live, result, original)
    same_header_but_count(f"{label} zap and append", result, original)

    path = fresh(original_path, "MODIFY.DBF")
    vortel("modify", path, *[definition(f[:4]) for f in fields])
    compare(f"{label} modify with the same fields", everything_live, Table(path), original)

    sortable = [i for i, f in enumerate(fields) if f[1] != "M"]
    if sortable:
        key_fields = rng.sample(sortable, min(len(sortable), rng.randint(1, 2)))
        path = fresh(original_path, "SORT.DBF")
        vortel("sort", path, "+".join(fields[i][0] for i in key_fields))
        result = Table(path)
        # Records in key order, equal keys in their old order.
        expected = sorted(original.records, key=lambda r: key_of(r, original, key_fields))
        compare(f"{label} sort by {[fields[i][0] for i in key_fields]}", expected, result, original)
        same_header_but_count(f"{label} sort", result, original)

    path = fresh(original_path, "TWICE.DBF")
    vortel("append", path, fresh(original_path, "COPY.DBF"))
    compare(f"{label} append from a copy", original.records + everything_live, Table(path), original)

    path = fresh(original_path, "TEXT.DBF")
    vortel("zap", path)
    if os.path.exists("OUT.TXT"):
        os.remove("OUT.TXT")
    vortel("copy-to", original_path, "OUT.TXT")
    vortel("append", path, "OUT.TXT")
    # Memo texts do not travel through fixed-width text.
    no_memos = [(b" ", [b"" if f[1] == "M" else v for f, v in zip(fields, r[1])]) for r in original.records]
    compare(f"{label} copy-to and append from the text", no_memos, Table(path), original)


writers = [("written byte by byte", lambda p, f, r, rng: write_bytes(p, f, r, rng), True),
           ("written by python3-dbf", lambda p, f, r, rng: write_with_python_dbf(p, f, r), False),
           ("written by vortel-cli", lambda p, f, r, rng: write_with_vortel(p, f, r), False)]

for number in range(options.tables):
    seed = options.seed * 1000 + number
    rng = random.Random(seed)
    name, write, odd = writers[number % len(writers)]
    fields = random_structure(rng, odd)
    rows = random_rows(rng, fields, odd)
    folder = f"table-{seed}"
    os.mkdir(folder)
    os.chdir(folder)
    try:
        write("ORIG.DBF", fields, rows, rng)
        before = len(failures)
        run_operations("ORIG.DBF", rng, f"seed {seed} ({name})")
        if len(failures) == before:
            os.chdir("..")
            shutil.rmtree(folder)
            continue
    except Exception as error:  # a refused operation is a failure too, with its message
        failures.append(f"seed {seed} ({name}): {error}")
    os.chdir("..")

# The first few differences of each operation on each table say enough.
shown = {}
for failure in failures:
    what = failure.split(":")[0]
    shown[what] = shown.get(what, 0) + 1
    if shown[what] <= 3:
        print("FAIL", failure)
for what, count in shown.items():
    if count > 3:
        print(f"     ... {what}: {count - 3} more")
print(f"{options.tables} tables, {len(failures)} differences")
sys.exit(1 if failures else 0)
