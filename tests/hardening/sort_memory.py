#!/usr/bin/python3
"""Sort on a table too large for the memory the process may take: a failed
sort with its reason, the table as it was, and nothing left beside it.

The table is sparse (its records are holes in the file), so it costs no disk:

    sort_memory.py --cli build/cli/vortel-cli
"""
import argparse
import os
import struct
import subprocess
import sys
import tempfile

RECORDS = 10_000_000
FIELD = 200


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", required=True)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="vortel-memory-") as work:
        table = os.path.join(work, "T.DBF")
        header_length = 32 * 2 + 2
        header = struct.pack("<BBBBIHH20x", 0x03, 126, 12, 7, RECORDS, header_length, FIELD + 1)
        field = b"NAME".ljust(11, b"\0") + b"C" + struct.pack("<I", 1) + bytes([FIELD, 0]) + bytes(14)
        with open(table, "wb") as out:
            out.write(header + field + b"\r\0")
        os.truncate(table, header_length + RECORDS * (FIELD + 1))
        before = os.stat(table)
        # 1 GB of address space for a sort that needs 2 GB for the records
        # alone, told it may take 4 GB so that it sorts in memory.
        result = subprocess.run(["/bin/sh", "-c", 'ulimit -v 1000000; exec "$0" sort "$1" NAME --memory 4000', args.cli, table],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        after = os.stat(table)
        problems = []
        if result.returncode != 1:
            problems.append("exit status %d" % result.returncode)
        if result.stderr.strip() != "The sort is not succesful! Not enough memory to sort":
            problems.append("said: %r" % result.stderr.strip())
        if (after.st_size, after.st_ino, after.st_mtime_ns) != (before.st_size, before.st_ino, before.st_mtime_ns):
            problems.append("the table changed")
        if sorted(os.listdir(work)) != ["T.DBF"]:
            problems.append("files left: %s" % sorted(os.listdir(work)))
        for problem in problems:
            print("FAULT", problem)
        print("%d passed, %d failed" % (0 if problems else 1, 1 if problems else 0))
        return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
