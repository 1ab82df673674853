#!/usr/bin/python3
"""The PostgreSQL export beside psql's \\copy of the same records as CSV,
into one server of Debian's postgresql package started for the run (on a
Unix socket, as the tests start it).

    bench/peers/postgresql_export.py [--runs N] [--build DIR] [--data DIR]

The 1,000,000-record PEOPLE.DBF comes from DIR (default /tmp/vortel-bench;
made there with the build's make_peer_tables when missing). The CSV file
psql reads is written by vortel-cli export beforehand, outside the timing;
both loads make a table of the same column types in one transaction, every
table dropped before each run. Prints the median of N runs (default 3).
"""
import argparse
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "interop"))
import pg_server  # noqa: E402

COLUMNS = ("name varchar(30), city varchar(20), age numeric(3,0), salary numeric(10,2), born date, "
           "active boolean")


def median_seconds(run, prepare, runs):
    times = []
    for _ in range(runs):
        prepare()
        start = time.perf_counter()
        run()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--data", default="/tmp/vortel-bench")
    args = parser.parse_args()
    cli = os.path.join(args.build, "cli", "vortel-cli")
    people = os.path.join(args.data, "PEOPLE.DBF")
    if not os.path.exists(people):
        os.makedirs(args.data, exist_ok=True)
        subprocess.run([os.path.join(args.build, "bench", "make_peer_tables"), args.data], check=True)

    with pg_server.started() as server:
        csv = os.path.join(server.folder, "people.csv")
        subprocess.run([cli, "export", people, csv, "--deleted", "skip", "--lf"], check=True)
        script = os.path.join(server.folder, "copy.sql")
        with open(script, "w") as text:
            text.write(f"BEGIN;\nCREATE TABLE people ({COLUMNS});\n"
                       f"\\copy people FROM '{csv}' WITH (FORMAT csv, HEADER true)\nCOMMIT;\n")

        def drop():
            server.psql("DROP TABLE IF EXISTS people")

        def vortel():
            subprocess.run([cli, "export", people, server.address], check=True)

        def psql_copy():
            subprocess.run(["psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", server.folder, "-U", "postgres",
                            "-d", server.database, "-f", script], check=True)

        ours = median_seconds(vortel, drop, args.runs)
        check = server.psql("SELECT count(*), sum(salary) FROM people").strip()
        theirs = median_seconds(psql_copy, drop, args.runs)
        same = server.psql("SELECT count(*), sum(salary) FROM people").strip() == check
        print(f"vortel-cli export PEOPLE.DBF postgresql://...   {ours:6.2f} s")
        print(f"psql \\copy of the same records as CSV           {theirs:6.2f} s")
        print(f"ratio {ours / theirs:.2f} x (900,000 live records; same rows loaded: {same})")


if __name__ == "__main__":
    main()
