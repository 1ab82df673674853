"""What every interop script shares: a scratch folder of its own for each
run, checks that are counted and say what differed, vortel-cli's runs and
listings, and an exit status that says whether all of them passed."""
import os
import subprocess
import sys
import tempfile

results = []


def enter_scratch_folder(base, prefix):
    """A folder of its own for every run, so runs never meet; kept for
    inspection."""
    os.makedirs(base, exist_ok=True)
    os.chdir(tempfile.mkdtemp(prefix=prefix, dir=base))


def check(what, actual, expected):
    ok = actual == expected
    results.append(ok)
    if not ok:
        print(f"FAIL {what}:\n  got      {actual!r}\n  expected {expected!r}")
    return ok


def run_cli(cli, *arguments, stdin=None):
    """vortel-cli's exit status, standard output and standard error."""
    run = subprocess.run([cli, *arguments], input=stdin, capture_output=True)
    return run.returncode, run.stdout.decode("utf-8"), run.stderr.decode("utf-8")


def listed_cells(list_output):
    """The cells `list` shows, trimmed, one list per record (the record
    number and the deleted mark dropped)."""
    return [[cell.strip() for cell in line.split("\t")[2:]] for line in list_output.splitlines()[1:]]


def listed_or_refusal(cli, table):
    """The cells of every record, or what vortel-cli said when it refused."""
    status, out, errors = run_cli(cli, "list", table)
    return errors if status != 0 else listed_cells(out)


def finish():
    passed = sum(results)
    print(f"{passed} passed, {len(results) - passed} failed")
    sys.exit(0 if passed == len(results) else 1)
