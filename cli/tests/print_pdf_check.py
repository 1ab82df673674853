#!/usr/bin/python3
"""vortel-cli print writes a PDF whose text a PDF reader finds: the page
header on every page and every record's name, Hungarian letters included,
on A4, landscape, Letter paper and with 20 mm margins alike, and memo
texts under their record when asked for, only the records --search finds;
with deleted records hidden, those names are missing. Every column the
listing lays out is whole (a name and five dates take the wide listing). An output that cannot
be written fails with the program's message and nothing else, and leaves no
part of a listing; so do page files that cannot be written whole. The
table's own files are never printed over.

Usage: print_pdf_check.py VORTEL_CLI SAMPLE.DBF WORK_DIR
Exits 77 (skipped) when pdftotext is not installed."""
import datetime
import os
import re
import resource
import signal
import shutil
import subprocess
import sys

import dbf
import dbfread

cli, sample, work = sys.argv[1:4]
if shutil.which("pdftotext") is None:
    print("pdftotext is missing")
    sys.exit(77)

shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
table = os.path.join(work, "DOLGOZO.DBF")
shutil.copy(sample, table)
shutil.copy(sample[:-4] + ".DBT", os.path.join(work, "DOLGOZO.DBT"))

records = list(dbfread.DBF(table, encoding="cp852", load=True, ignore_missing_memofile=False).records)
deleted = [r["NEV"] for r in dbfread.DBF(table, encoding="cp852", load=True).deleted]
failures = []


def listing(*options, columns="NEV,varos,FIZETES,SZULETETT", page=()):
    out = os.path.join(work, "LISTING.PDF")
    done = subprocess.run([cli, *options, "print", table, out, "--columns", columns, "--overwrite", *page],
                          capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit("vortel-cli print failed: " + done.stderr)
    return subprocess.run(["pdftotext", "-layout", out, "-"], capture_output=True, text=True, check=True).stdout


today = datetime.date.today().strftime("%Y.%m.%d")
for page_setup in ((), ("--landscape",), ("--paper", "Letter"), ("--margins", "20")):
    text = listing(page=page_setup)
    pages = [p for p in text.split("\f") if p.strip()]
    setup = " ".join(page_setup) or "A4"
    for number, page in enumerate(pages, 1):
        for expected in ("T100", today, "DOLGOZO.DBF", "%04d.PAGE" % number, "-" * 80, "NEV", "FIZETES"):
            if expected not in page:
                failures.append("%s: page %d lacks %r" % (setup, number, expected))
    for record in records:
        if record["NEV"] not in text:
            failures.append("%s: record %r is missing" % (setup, record["NEV"]))
        if record["SZULETETT"] and record["SZULETETT"].strftime("%Y.%m.%d") not in text:
            failures.append("%s: birth date of %r is missing" % (setup, record["NEV"]))
    if len(pages) < 2:
        failures.append("%s: expected several pages, got %d" % (setup, len(pages)))
    size = subprocess.run(["pdfinfo", os.path.join(work, "LISTING.PDF")], capture_output=True, text=True).stdout
    paper = {"--landscape": "842 x 595", "Letter": "612 x 792"}.get(page_setup[-1] if page_setup else "", "595 x 842")
    if shutil.which("pdfinfo") and paper not in size:
        failures.append("%s: pages are not %s points: %r" % (setup, paper, size))

hidden = listing("--set", "SET_DELETED=1")
for name in deleted:
    if re.search(r"^\s*" + re.escape(name) + r"\s", hidden, re.M):
        failures.append("deleted record %r printed with SET_DELETED on" % name)

# Asked for, memo texts print under their record.
flowing = " ".join(listing(columns="NEV,MEGJEGYZES", page=("--memos",)).split())
memos = [" ".join(r["MEGJEGYZES"].split())[:30] for r in records if r["MEGJEGYZES"] and r["MEGJEGYZES"].strip()]
for memo in memos:
    if "MEGJEGYZES: " + memo not in flowing:
        failures.append("memo text %r is missing" % memo)
if not memos:
    failures.append("the sample table has no memo texts to print")

# With --search only the records holding the text print, each once.
found = listing(columns="NEV,VAROS", page=("--search", "szeged"))
lines = [line for line in found.splitlines() if line.strip() and not line.startswith(("Vortel", " ", "NEV", "-"))]
every = records + list(dbfread.DBF(table, encoding="cp852", load=True).deleted)  # deleted ones are shown
expected = sorted(r["NEV"] for r in every if "szeged" in " ".join(str(v) for v in r.values()).lower())
if sorted(line.split("  ")[0] for line in lines) != expected or not expected:
    failures.append("records found by --search szeged: %r, not %r" % (lines, expected))

# Columns print in the order named.
captions = [line for line in listing(columns="FIZETES,NEV").splitlines() if "FIZETES" in line]
if not captions or captions[0].split() != ["FIZETES", "NEV"]:
    failures.append("columns named FIZETES,NEV are headed %r" % captions[:1])

# Dates take eleven columns each: a name and five of them do not fit 80.
dated = os.path.join(work, "DATES.DBF")
dates = [datetime.date(2024, month, 28) for month in (1, 3, 5, 7, 12)]
created = dbf.Table(dated, "NEV C(30); D1 D; D2 D; D3 D; D4 D; D5 D", dbf_type="db3")
created.open(dbf.READ_WRITE)
created.append(("Kiss Anna", *dates))
created.close()
subprocess.run([cli, "print", dated, os.path.join(work, "DATES.PDF")], check=True)
dated_text = subprocess.run(["pdftotext", "-layout", os.path.join(work, "DATES.PDF"), "-"], capture_output=True,
                            text=True, check=True).stdout
for date in dates:
    if date.strftime("%Y.%m.%d") not in dated_text:
        failures.append("date %s is cut from the listing of five dates" % date)

# Columns past the wide listing's end are told, the listing written all the same.
wide = os.path.join(work, "WIDE.DBF")
created = dbf.Table(wide, "FIRST C(70); SECOND C(70)", dbf_type="db3")
created.open(dbf.READ_WRITE)
created.append(("a" * 70, "b" * 70))
created.close()
done = subprocess.run([cli, "print", wide, os.path.join(work, "WIDE.PDF")], capture_output=True, text=True)
if done.returncode != 0 or done.stderr != "The listing is 132 columns wide: SECOND does not fit and will be cut or left out.\n":
    failures.append("cut columns: exit %d, %r" % (done.returncode, done.stderr))

# A file that cannot be written is told in the program's words alone.
bad = os.path.join(work, "missing", "LISTING.PDF")
done = subprocess.run([cli, "print", table, bad], capture_output=True, text=True)
if done.returncode != 1 or done.stderr != "No such file or folder: %s\n" % bad:
    failures.append("unwritable output: exit %d, %r" % (done.returncode, done.stderr))

# A disk that fills up under the page files: a size limit below one page
# makes every page write come up short, as a full disk would.
def small_disk():
    signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    resource.setrlimit(resource.RLIMIT_FSIZE, (4096, 4096))


pages_dir = os.path.join(work, "tmp")
os.makedirs(pages_dir)
out = os.path.join(work, "FULL.PDF")
done = subprocess.run([cli, "print", table, out], capture_output=True, text=True, preexec_fn=small_disk,
                      env=dict(os.environ, TMPDIR=pages_dir))
expected = r"^The pages of the listing could not be written: File too large: %s/vortel-job-\d+-\w{6}/BT0001\.WMF\n$"
if done.returncode != 1 or not re.match(expected % re.escape(pages_dir), done.stderr):
    failures.append("pages on a full disk: exit %d, %r" % (done.returncode, done.stderr))
left = [name for name in os.listdir(pages_dir) if name.startswith("vortel-job-")]
if os.path.exists(out) or left:
    failures.append("pages on a full disk left %s" % (["FULL.PDF"] if os.path.exists(out) else left))

# The table's own files, under any name, are never printed over.
def snapshot():
    return {name: open(os.path.join(work, name), "rb").read() for name in ("DOLGOZO.DBF", "DOLGOZO.DBT")}


before = snapshot()
os.symlink("DOLGOZO.DBT", os.path.join(work, "MEMO.PDF"))
for output, refusal in (("DOLGOZO.DBF", "is the table itself"), ("./DOLGOZO.DBT", "is the memo file of the table"),
                        ("MEMO.PDF", "is the memo file of the table")):
    path = os.path.join(work, output)
    done = subprocess.run([cli, "print", table, path, "--overwrite"], capture_output=True, text=True)
    if done.returncode != 1 or done.stderr != "%s %s: choose another file\n" % (path, refusal):
        failures.append("printing over %s: exit %d, %r" % (output, done.returncode, done.stderr))
if snapshot() != before:
    failures.append("a refused print changed the table")

# A listing that cannot take its name leaves what is there and nothing else.
folder = os.path.join(work, "FOLDER.PDF")
os.makedirs(folder)
listed = sorted(os.listdir(work))
done = subprocess.run([cli, "print", table, folder, "--overwrite"], capture_output=True, text=True)
if done.returncode != 1 or done.stderr != "Is a folder: %s\n" % folder or sorted(os.listdir(work)) != listed:
    failures.append("printing over a folder: exit %d, %r, %s" % (done.returncode, done.stderr, os.listdir(work)))

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("%d pages, %d records, %d deleted left out" % (len(pages), len(records), len(deleted)))
