#!/usr/bin/python3
"""Two processes rebuild one table at the same time, over and over: pack,
modify, zap (followed by an append of the whole set again) and sort, in every
pair. A rebuild that meets the other one is refused ("The table busy !", or
the table does not open while the other one holds it); any other message is
a fault.

The table always holds K copies of one known set of records (K = 0 right
after a zap, more when two appends follow two zaps), each with its own memo,
so a lost, doubled or damaged record or memo shows. At the end the folder
must hold the table, its memo file and the source, and nothing else.

    rebuild_race.py --cli build/cli/vortel-cli --tool build/tests/hardening/big_table --seconds 600
"""
import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import threading
import time

STRUCTURES = [
    ["ID:C:8", "NAME:C:20", "NUM:N:8", "NOTE:M"],
    ["ID:C:8", "NAME:C:20", "NUM:N:8", "NOTE:M", "EXTRA:C:4"],
]
# What a rebuild says when the other process has the table: busy, or the
# open refused because the other one holds the table or its memo file, or
# is moving the new table into the table's name.
def refused(said):
    lines = said.split("\n")
    return (len(lines) == 1 and said.endswith("The table busy !")) or (
        len(lines) == 2 and lines[0].startswith("Can't open")
        and lines[1] in ("The file is in use by another program", "The file is in use by another program: T.DBT",
                         "No such file or folder"))


def run(args):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)


def worker(name, args, table, source, deadline, rng, tally, faults):
    while time.monotonic() < deadline and not faults:
        # Zaps are rarer, so that damage has long runs to pile up and show.
        op = rng.choices(["pack", "modify", "zap", "sort"], weights=[3, 3, 1, 3])[0]
        if op == "pack":
            steps = [[args.cli, "pack", table]]
        elif op == "modify":
            steps = [[args.cli, "modify", table] + rng.choice(STRUCTURES)]
        elif op == "sort":
            steps = [[args.cli, "sort", table, rng.choice(["NAME", "ID", "NUM+ID"])]]
        else:
            steps = [[args.cli, "zap", table], [args.cli, "append", table, source]]
        for step in steps:
            # The set comes back after a zap, however long the other one keeps the table.
            for _ in range(200 if step[1] == "append" else 1):
                result = run(step)
                said = result.stderr.strip()
                if not (step[1] == "append" and result.returncode == 1 and refused(said)):
                    break
            if result.returncode == 0 and not said:
                tally[name, step[1], "done"] += 1
                continue
            if result.returncode == 1 and refused(said):
                tally[name, step[1], "refused"] += 1
                break
            faults.append("%s %s: exit %d, %s" % (name, " ".join(step[1:3]), result.returncode, said))
            return


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--tool", required=True)
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--records", type=int, default=3000)
    parser.add_argument("--seed", type=int, default=None)
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else random.randrange(1 << 30)

    work = tempfile.mkdtemp(prefix="vortel-race-")
    try:
        table = os.path.join(work, "T.DBF")
        source = os.path.join(work, "S.DBF")
        if run([args.tool, "make", table, str(args.records), "R", "0"]).returncode != 0:
            print("cannot build the table")
            return 1
        shutil.copy(table, source)
        shutil.copy(os.path.join(work, "T.DBT"), os.path.join(work, "S.DBT"))

        tally = {}
        for name in ("A", "B"):
            for op in ("pack", "modify", "zap", "append", "sort"):
                for how in ("done", "refused"):
                    tally[name, op, how] = 0
        faults = []
        deadline = time.monotonic() + args.seconds
        threads = [threading.Thread(target=worker, args=(name, args, table, source, deadline,
                                                         random.Random(seed + i), tally, faults))
                   for i, name in enumerate(("A", "B"))]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()

        told = run([args.cli, "info", table]).stderr.strip()
        if told:
            faults.append("opening the table afterwards said: %s" % told)
        checked = run([args.tool, "check", table, str(args.records), "R"])
        if checked.returncode != 0:
            faults.append("the table is damaged: %s" % checked.stdout.strip())
        stray = sorted(set(os.listdir(work)) - {"T.DBF", "T.DBT", "S.DBF", "S.DBT"})
        if stray:
            faults.append("files left over: %s" % stray)

        print("seed %d, %.0f s, %d records; %s" % (seed, args.seconds, args.records, checked.stdout.strip()))
        for name in ("A", "B"):
            print("%s: %s" % (name, ", ".join("%s %d/%d" % (op, tally[name, op, "done"], tally[name, op, "refused"])
                                              for op in ("pack", "modify", "zap", "append", "sort"))))
        print("(done/refused)")
        for fault in faults:
            print("FAULT", fault)
        return 1 if faults else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
