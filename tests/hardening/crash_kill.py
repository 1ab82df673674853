#!/usr/bin/python3
"""Kills vortel-cli with SIGKILL in the middle of pack, zap, modify, append
and sort, and checks what is left of the table each time.

A table of many records with memos is built once. Each round copies it fresh,
starts one operation, kills it after a random delay within the operation's
measured run time, and then opens the table as a user would (vortel-cli info,
which first finishes what a killed rebuild left behind). The table must open
under its own name and hold every record it held: zap leaves all records or
none, pack and modify the old records or the rebuilt ones, sort the same
records, append the old records followed by a first part of the appended
ones. No other file may be left in the folder.

--strict-sort is accepted for old scripts; sort is always held to it.

    crash_kill.py --cli build/cli/vortel-cli --tool build/tests/hardening/big_table \\
                  --records 100000 --rounds 200
"""
import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

OPERATIONS = ["pack", "zap", "modify", "append", "sort"]


def run(args, **kw):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, **kw)


def digest(tool, path, first=None, last=None):
    args = [tool, "digest", path] + ([str(first), str(last)] if first is not None else [])
    result = run(args)
    match = re.match(r"records=(\d+) deleted=(\d+) all=(\w+) live=(\w+)", result.stdout)
    if result.returncode != 0 or not match:
        return None
    return {"records": int(match[1]), "deleted": int(match[2]), "all": match[3], "live": match[4]}


def command_for(op, cli, table, source):
    return {
        "pack": [cli, "pack", table],
        "zap": [cli, "zap", table],
        "modify": [cli, "modify", table, "ID:C:8", "NAME:C:20", "NUM:N:8", "NOTE:M", "EXTRA:C:4"],
        "append": [cli, "append", table, source],
        "sort": [cli, "sort", table, "NAME"],
    }[op]


def table_files(folder):
    return sorted(os.listdir(folder))


def open_as_a_user(cli, table):
    """What opening the table says; the open finishes an interrupted rebuild."""
    return run([cli, "info", table]).stderr.strip()


def judge(op, found, base, source, tool, path):
    """'' when the table holds what it must, else why not."""
    if found is None:
        return "does not open"
    if op == "zap":
        return "" if found["records"] == 0 or found == base else "neither all records nor none"
    if op == "sort":
        return "" if found == base else "records lost or changed: %s" % found
    if op == "pack":
        packed = found["deleted"] == 0 and found["records"] == base["records"] - base["deleted"]
        if found["live"] == base["live"] and (found == base or packed):
            return ""
        return "records lost or changed: %s" % found
    if op == "modify":
        # Deleted records are copied as live ones.
        if found["records"] == base["records"] and found["all"] == base["all"] and \
                found["deleted"] in (0, base["deleted"]):
            return ""
        return "records lost or changed: %s" % found
    if op == "append":
        extra = found["records"] - base["records"]
        if extra < 0 or extra > source["records"]:
            return "record count %d" % found["records"]
        head = digest(tool, path, 1, base["records"])
        if head != dict(base, records=found["records"]):
            return "original records changed"
        if extra:
            tail = digest(tool, path, base["records"] + 1, found["records"])
            part = digest(tool, source["path"], 1, extra)
            if tail is None or part is None or (tail["all"], tail["deleted"]) != (part["all"], 0):
                return "appended records are not the source's first ones"
        return ""
    return "unknown operation"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--tool", required=True)
    parser.add_argument("--records", type=int, default=100000)
    parser.add_argument("--rounds", type=int, default=200, help="kills in all, spread over the operations")
    parser.add_argument("--operations", default=",".join(OPERATIONS))
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--strict-sort", action="store_true", help="accepted for old scripts; always on")
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else random.randrange(1 << 30)
    rng = random.Random(seed)
    operations = args.operations.split(",")

    work = tempfile.mkdtemp(prefix="vortel-crash-")
    try:
        base_dir = os.path.join(work, "base")
        os.makedirs(base_dir)
        base_path = os.path.join(base_dir, "T.DBF")
        source_path = os.path.join(base_dir, "S.DBF")
        if run([args.tool, "make", base_path, str(args.records), "R"]).returncode != 0 or \
                run([args.tool, "make", source_path, str(max(args.records // 10, 1)), "S"]).returncode != 0:
            print("cannot build the tables")
            return 1
        base = digest(args.tool, base_path)
        source = dict(digest(args.tool, source_path), path=source_path)

        def fresh_copy():
            folder = os.path.join(work, "run")
            shutil.rmtree(folder, ignore_errors=True)
            shutil.copytree(base_dir, folder)
            return folder

        # Each operation's run time without a kill, so that kills fall inside it.
        durations = {}
        for op in operations:
            folder = fresh_copy()
            start = time.monotonic()
            result = run(command_for(op, args.cli, os.path.join(folder, "T.DBF"), os.path.join(folder, "S.DBF")))
            durations[op] = time.monotonic() - start
            problem = judge(op, digest(args.tool, os.path.join(folder, "T.DBF")), base, source, args.tool,
                            os.path.join(folder, "T.DBF"))
            if result.returncode != 0 or problem:
                print("%s fails without a kill: %s %s" % (op, result.stderr.strip(), problem))
                return 1

        stats = {op: {"kills": 0, "finished": 0, "recovered": 0, "lost": 0, "leftovers": 0} for op in operations}
        failures = []
        for round_number in range(args.rounds):
            op = operations[round_number % len(operations)]
            folder = fresh_copy()
            table = os.path.join(folder, "T.DBF")
            process = subprocess.Popen(command_for(op, args.cli, table, os.path.join(folder, "S.DBF")),
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(rng.uniform(0, durations[op] * 1.1))
            finished = process.poll() is not None
            if not finished:
                process.send_signal(signal.SIGKILL)
            process.wait()
            entry = stats[op]
            entry["kills" if not finished else "finished"] += 1
            told = open_as_a_user(args.cli, table)
            if told:
                entry["recovered"] += 1
            found = digest(args.tool, table) if os.path.exists(table) else None
            problem = judge(op, found, base, source, args.tool, table) if found else "no table under its name"
            extra = [n for n in table_files(folder) if n not in ("T.DBF", "T.DBT", "S.DBF", "S.DBT")]
            if extra:
                entry["leftovers"] += 1
                problem = problem or "files left over: %s" % extra
            if problem:
                entry["lost"] += 1
                failures.append("round %d, %s: %s (files: %s; open said: %s)"
                                % (round_number, op, problem, table_files(folder), told))

        print("seed %d, %d records, run times: %s" % (seed, args.records,
              ", ".join("%s %.2fs" % (op, d) for op, d in durations.items())))
        print("%-8s %6s %9s %10s %6s %10s" % ("op", "kills", "finished", "recovered", "lost", "leftovers"))
        for op, entry in stats.items():
            print("%-8s %6d %9d %10d %6d %10d" % (op, entry["kills"], entry["finished"], entry["recovered"],
                                                  entry["lost"], entry["leftovers"]))
        for failure in failures:
            print("FAULT", failure)
        return 1 if failures else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
