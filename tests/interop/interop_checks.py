"""What every interop script shares: a scratch folder of its own for each
run, checks that are counted and say what differed, and an exit status that
says whether all of them passed."""
import os
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


def finish():
    passed = sum(results)
    print(f"{passed} passed, {len(results) - passed} failed")
    sys.exit(0 if passed == len(results) else 1)
