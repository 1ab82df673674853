#!/usr/bin/python3
"""Vortel's bulk operations beside other programs that read dBase tables, in
one run on one machine, written to bench/RESULTS.md.

    bench/peers/run_peers.py [--runs N] [--build DIR] [--data DIR]

Installs the peers (install_tools.sh), builds vortel-cli, vortel and the
table generator in DIR (default build-bench, RelWithDebInfo), writes the
tables into /tmp/vortel-bench unless they are there, then times every
command: one warm-up run (which also fills the file cache), then N runs,
and the median. Commands that change a table get a fresh copy before each
run, outside the timing.
"""
import argparse
import datetime
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
RECORD_AREA = 1_000_000 * 73


def sh(command, **kwargs):
    return subprocess.run(command, shell=True, check=True, **kwargs)


def timed(command, prepare=None, runs=5, env=None):
    """Median wall time in seconds of `command` (a shell line) over `runs`
    runs after one warm-up; a command slower than 5 s runs 3 times."""
    def once():
        if prepare:
            sh(prepare)
        start = time.perf_counter()
        subprocess.run(command, shell=True, check=True, stdout=subprocess.DEVNULL, env=env)
        return time.perf_counter() - start

    first = once()
    count = 3 if first > 5 else runs
    return statistics.median(once() for _ in range(count))


def drop_caches():
    """Empties the page cache; False where the machine does not allow it."""
    try:
        sh("sync")
        with open("/proc/sys/vm/drop_caches", "w") as caches:
            caches.write("3\n")
        return True
    except OSError:
        return False


def cold(command, prepare=None, runs=3):
    """Median wall time of `command` over `runs` runs, each started with an
    empty page cache (after `prepare`), or None where it cannot be emptied."""
    def once():
        if prepare:
            sh(prepare)
        if not drop_caches():
            return None
        start = time.perf_counter()
        subprocess.run(command, shell=True, check=True, stdout=subprocess.DEVNULL)
        return time.perf_counter() - start

    seconds = [once() for _ in range(runs)]
    return None if None in seconds else statistics.median(seconds)


def io_counters():
    """Bytes this process and the children it has waited for passed through
    read and write calls (the kernel adds a child's counts to its parent's
    when the parent waits for it)."""
    fields = dict(line.split(": ") for line in open("/proc/self/io").read().splitlines())
    return int(fields["rchar"]), int(fields["wchar"])


def files_of(command):
    """The sizes of the files a command line names that exist now, with the
    memo file beside a table that has one."""
    names = set()
    for word in command.replace(";", " ").split():
        if not word.startswith("/"):  # programs and scripts
            names.update((word, word[:-4] + ".DBT") if word.endswith(".DBF") else (word,))
    return sum(os.path.getsize(name) for name in names if os.path.isfile(name))


def input_output(command, prepare=None):
    """Bytes read and written by one run of `command` beside the bytes of its
    input files and of the files it wrote into out/."""
    if prepare:
        sh(prepare)
    input_bytes = files_of(command)
    started = time.time() - 1
    before = io_counters()
    subprocess.run(command, shell=True, check=True, stdout=subprocess.DEVNULL)
    after = io_counters()
    output_bytes = sum(entry.stat().st_size for entry in os.scandir("out")
                       if entry.is_file() and entry.stat().st_mtime >= started)
    return after[0] - before[0], input_bytes, after[1] - before[1], output_bytes


def max_rss_kib(command, prepare=None):
    if prepare:
        sh(prepare)
    result = subprocess.run("/usr/bin/time -v " + command, shell=True, check=True,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", result.stderr).group(1))


def read_calls(command):
    """read and pread64 calls a command makes, shared libraries included."""
    sh(f"strace -f -e trace=read,pread64 -o out/strace.txt {command} >/dev/null")
    with open("out/strace.txt") as trace:
        return sum(1 for line in trace if re.match(r"(\d+ +)?p?read(64)?\(", line))


def machine():
    cpu = next((line.split(":", 1)[1].strip() for line in open("/proc/cpuinfo") if line.startswith("model name")),
               platform.processor())
    memory = next(int(line.split()[1]) for line in open("/proc/meminfo") if line.startswith("MemTotal"))
    source = subprocess.run(["df", "--output=source,fstype,size", "/tmp"], stdout=subprocess.PIPE,
                            text=True).stdout.splitlines()[-1].split()
    device = os.path.basename(source[0])
    rotational = f"/sys/block/{device}/queue/rotational"
    kind = ("rotating" if open(rotational).read().strip() == "1" else "solid state") if os.path.exists(rotational) else "?"
    return {
        "cpu": cpu,
        "cores": os.cpu_count(),
        "ram": f"{memory / 1024 / 1024:.1f} GiB",
        "disk": f"{source[0]} ({source[1]}, {source[2]}, {kind}), tables in /tmp/vortel-bench",
        "date": datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC"),
        "load": os.getloadavg()[0],
    }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--build", default=os.path.join(ROOT, "build-bench"))
    parser.add_argument("--data", default="/tmp/vortel-bench")
    parser.add_argument("--output", default=os.path.join(ROOT, "bench", "RESULTS.md"))
    parser.add_argument("--only", help="measure only the commands whose label holds this word, beside cp and "
                                       "the peers that write or read the same; the results replace a section of "
                                       "their own at the end of the output")
    args = parser.parse_args()

    if not args.only:
        sh(os.path.join(HERE, "install_tools.sh"))
    if not os.path.exists(os.path.join(args.build, "build.ninja")):
        sh(f"cmake -S {ROOT} -B {args.build} -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORTEL_WERROR=ON")
    sh(f"ninja -C {args.build} -j2 vortel-cli vortel make_peer_tables")
    cli = os.path.join(args.build, "cli", "vortel-cli")
    desktop = os.path.join(args.build, "vortel")
    data = args.data
    os.makedirs(data, exist_ok=True)
    os.chdir(data)
    if not all(os.path.exists(name) for name in ("PEOPLE.DBF", "PEOPLE.TXT", "MEMOS.DBT", "SMALL.DBF", "HUGE.DBF")):
        sh(f"{os.path.join(args.build, 'bench', 'make_peer_tables')} {data}")
    os.makedirs("out", exist_ok=True)
    sh(f"{cli} create EMPTY.DBF NAME:C:30 CITY:C:20 AGE:N:3 SALARY:N:10:2 BORN:D ACTIVE:L --overwrite")
    sh(f"{cli} create EMPTYM.DBF NAME:C:30 NOTE:M --overwrite")
    runs = args.runs
    host = machine()

    fresh = "rm -f out/*; cp PEOPLE.DBF out/WORK.DBF"
    fresh_memos = "rm -f out/*; cp MEMOS.DBF out/WORK.DBF; cp MEMOS.DBT out/WORK.DBT"
    empty = "rm -f out/*; cp EMPTY.DBF out/WORK.DBF"
    empty_memos = "rm -f out/*; cp EMPTYM.DBF out/WORK.DBF; cp EMPTYM.DBT out/WORK.DBT"
    clear = "rm -f out/*"
    # A query every peer runs alike: a condition on a text and on a number.
    count_where = "SELECT COUNT(*) FROM PEOPLE WHERE CITY = 'Budapest' AND AGE > 40"
    # (label, command, prepare, role): role "floor" is cp/cat, "reader" a peer
    # that reads every record, "writer" a peer that writes a format we write,
    # ("vortel", n) ours with its target as a multiple of cp, ("peer", label,
    # n) ours with its target as a multiple of that peer, "ours" without one.
    people = [
        ("cp PEOPLE.DBF", "cp PEOPLE.DBF out/COPY.DBF", clear, "floor"),
        ("cp PEOPLE.DBF, then sync the copy", "cp PEOPLE.DBF out/COPY.DBF; sync out/COPY.DBF", clear, "floor"),
        ("cat PEOPLE.DBF > /dev/null", "cat PEOPLE.DBF", None, "floor"),
        ("vortel-cli copy-to (text)", f"{cli} copy-to PEOPLE.DBF out/OUT.TXT", clear, ("vortel", 5)),
        ("vortel-cli html", f"{cli} html PEOPLE.DBF out/OUT.HTML", clear, ("vortel", 5)),
        ("vortel-cli export CSV", f"{cli} export PEOPLE.DBF out/OUT.CSV", clear, ("vortel", 10)),
        ("vortel-cli export JSON Lines", f"{cli} export PEOPLE.DBF out/OUT.JSONL", clear, "ours"),
        ("vortel-cli export XLSX", f"{cli} export PEOPLE.DBF out/OUT.XLSX", clear, ("peer", "ogr2ogr to XLSX", 3)),
        ("vortel-cli append from DBF", f"{cli} append out/WORK.DBF PEOPLE.DBF", empty, ("vortel", 5)),
        ("vortel-cli append from text", f"{cli} append out/WORK.DBF PEOPLE.TXT", empty, ("vortel", 5)),
        ("vortel-cli pack", f"{cli} pack out/WORK.DBF", fresh, ("vortel", 5)),
        ("vortel-cli zap", f"{cli} zap out/WORK.DBF", fresh, ("vortel", 10)),
        ("vortel-cli modify (CITY C(20) to C(24))",
         f"{cli} modify out/WORK.DBF NAME:C:30 CITY:C:24 AGE:N:3 SALARY:N:10:2 BORN:D ACTIVE:L", fresh, ("vortel", 5)),
        ("vortel-cli sort by NAME", f"{cli} sort out/WORK.DBF NAME", fresh, "sort"),
        ("GNU sort, same records as text, key columns 1-30",
         "LC_ALL=C sort -s -t'|' -k1.1,1.30 PEOPLE.TXT -o out/SORTED.TXT", clear, "gnusort"),
        ("vortel-cli sql COUNT WHERE", f"{cli} sql \"{count_where}\" PEOPLE.DBF", None,
         ("peer", "ogr2ogr -sql COUNT WHERE", 3)),
        ("vortel-cli sql COUNT WHERE (beside SQLite)", f"{cli} sql \"{count_where}\" PEOPLE.DBF", None,
         ("peer", "sqlite3 COUNT WHERE, table imported", 3)),
        ("ogr2ogr -sql COUNT WHERE", f"ogr2ogr -f CSV /vsistdout/ PEOPLE.DBF -sql \"{count_where}\"", None,
         "writer"),
        ("sqlite3 COUNT WHERE, table imported", f"sqlite3 out/PEOPLE.sqlite \"{count_where}\"",
         f"rm -f out/*; {cli} export PEOPLE.DBF out/PEOPLE.sqlite", "writer"),
        ("dbview > /dev/null", "dbview PEOPLE.DBF", None, "reader"),
        ("dbfdump > /dev/null", "dbfdump PEOPLE.DBF", None, "reader"),
        ("ogr2ogr to CSV", "ogr2ogr -f CSV out/OUT.CSV PEOPLE.DBF", clear, "reader"),
        ("ogr2ogr to XLSX", "ogr2ogr -f XLSX out/OUT.XLSX PEOPLE.DBF", clear, "writer"),
        ("python3 dbfread", f"/usr/bin/python3 {HERE}/python_readers.py dbfread PEOPLE.DBF", None, "reader"),
        ("python3 dbf", f"/usr/bin/python3 {HERE}/python_readers.py dbf PEOPLE.DBF", None, "reader"),
    ]
    memos = [
        ("cp MEMOS.DBF MEMOS.DBT", "cp MEMOS.DBF out/COPY.DBF; cp MEMOS.DBT out/COPY.DBT", clear, "floor"),
        ("cp MEMOS.DBF MEMOS.DBT, then sync the copies",
         "cp MEMOS.DBF out/COPY.DBF; cp MEMOS.DBT out/COPY.DBT; sync out/COPY.DBF out/COPY.DBT", clear, "floor"),
        ("vortel-cli copy-to (text)", f"{cli} copy-to MEMOS.DBF out/OUT.TXT", clear, ("vortel", 5)),
        ("vortel-cli html", f"{cli} html MEMOS.DBF out/OUT.HTML", clear, ("vortel", 5)),
        ("vortel-cli export CSV", f"{cli} export MEMOS.DBF out/OUT.CSV", clear, ("vortel", 10)),
        ("vortel-cli export JSON Lines", f"{cli} export MEMOS.DBF out/OUT.JSONL", clear, "ours"),
        ("vortel-cli append from DBF", f"{cli} append out/WORK.DBF MEMOS.DBF", empty_memos, ("vortel", 5)),
        ("vortel-cli pack", f"{cli} pack out/WORK.DBF", fresh_memos, ("vortel", 5)),
        ("dbview > /dev/null", "dbview MEMOS.DBF", None, "reader"),
        ("dbfdump > /dev/null", "dbfdump MEMOS.DBF", None, "reader"),
        ("ogr2ogr to CSV", "ogr2ogr -f CSV out/OUT.CSV MEMOS.DBF", clear, "reader"),
        ("python3 dbfread (with memos)", f"/usr/bin/python3 {HERE}/python_readers.py dbfread MEMOS.DBF", None, "reader"),
    ]

    def measure(rows):
        results = []
        for label, command, prepare, role in rows:
            seconds = timed(command, prepare, runs)
            # Cold runs for our commands and the copies they are held to;
            # the slow readers would only lengthen the run.
            cold_seconds = cold(command, prepare) if role != "reader" or seconds < 1 else None
            io = input_output(command, prepare)
            print(f"{seconds * 1000:10.1f} ms  {label}", flush=True)
            results.append((label, seconds, role, cold_seconds, io))
        return results

    if args.only:
        def chosen(rows):
            return [row for row in rows if args.only in row[0] or row[0].startswith("cp ") or row[3] == "writer"
                    or row[0] == "ogr2ogr to CSV"]
        write_partial_results(args.output, host, runs, args.only, measure(chosen(people)), measure(chosen(memos)))
        print(f"written: {args.output}")
        return

    print("1,000,000 records of 73 bytes")
    people_results = measure(people)
    print("100,000 records with memos")
    memo_results = measure(memos)

    sort_rss = max_rss_kib(f"{cli} sort out/WORK.DBF NAME", fresh)
    gnu_rss = max_rss_kib("env LC_ALL=C sort -s -t'|' -k1.1,1.30 PEOPLE.TXT -o out/SORTED.TXT", clear)

    # 10,000,000 records sort beyond the default budget of 256 MB, beside
    # GNU sort given the same memory.
    print("10,000,000 records, sorted within 256 MB")
    if not os.path.exists("HUGE.TXT"):
        sh(f"{cli} copy-to HUGE.DBF HUGE.TXT")
    fresh_huge = "rm -f out/*; cp HUGE.DBF out/WORK.DBF"
    huge_commands = [
        ("vortel-cli sort by NAME (budget 256 MB)", f"{cli} sort out/WORK.DBF NAME", fresh_huge),
        ("GNU sort -S 256M, same records as text", "env LC_ALL=C sort -S 256M -s -t'|' -k1.1,1.30 HUGE.TXT "
                                                   "-o out/SORTED.TXT", clear),
    ]
    huge = []
    for label, command, prepare in huge_commands:
        seconds = timed(command, prepare, 3)
        huge.append((label, seconds, max_rss_kib(command, prepare), input_output(command, prepare)))
        print(f"{seconds * 1000:10.1f} ms  {label}", flush=True)
    sh(clear)

    offscreen = dict(os.environ, QT_QPA_PLATFORM="offscreen", VORTEL_EXIT_AFTER_FIRST_PAINT="1")
    first_screen = []
    for table in ("SMALL.DBF", "HUGE.DBF"):
        first_screen.append((
            table,
            timed(f"{desktop} {table}", None, runs * 2, offscreen),
            timed(f"{cli} list {table} --count 20", None, runs * 2),
        ))
    reads = [(table, number, read_calls(f"{cli} list {table} --from {number} --count 1"))
             for table, last in (("SMALL.DBF", 10), ("HUGE.DBF", 10_000_000)) for number in (1, last)]
    sh(clear)
    host["load_end"] = os.getloadavg()[0]

    write_results(args.output, host, runs, people_results, memo_results, sort_rss, gnu_rss, huge, first_screen,
                  reads)
    print(f"written: {args.output}")


def megabytes(count):
    return f"{count / 1e6:.0f}"


def section(results):
    floor = next(seconds for label, seconds, *_ in results if label.startswith("cp ") and "sync" not in label)
    durable = next((seconds for label, seconds, *_ in results if label.startswith("cp ") and "sync" in label), None)
    readers = [(seconds, label) for label, seconds, role, *_ in results if role == "reader"]
    fastest, fastest_label = min(readers)
    gnu = next((seconds for label, seconds, role, *_ in results if role == "gnusort"), None)
    lines = [f"Fastest peer that reads every record: {fastest_label}.", "",
             "| Command | Median | x cp | x cp, then sync | x fastest reader | Cold cache | MB read / input "
             "| MB written / output | Target | Met |",
             "|---|---:|---:|---:|---:|---:|---:|---:|---|---|"]
    for label, seconds, role, cold_seconds, (read, input_bytes, written, output_bytes) in results:
        target, met = "", ""
        if isinstance(role, tuple) and role[0] == "peer":
            peer = next(peer_seconds for peer_label, peer_seconds, *_ in results if peer_label == role[1])
            target = f"<= {role[2]} x {role[1]}"
            met = "yes" if seconds <= role[2] * peer else "**no**"
        elif isinstance(role, tuple):
            target = f"<= {role[1]} x cp"
            met = "yes" if seconds <= role[1] * floor else "**no**"
        elif role == "sort" and gnu is not None:
            target = "<= GNU sort; <= 5 x cp"
            met = ("yes" if seconds <= gnu else "**no**") + "; " + ("yes" if seconds <= 5 * floor else "**no**")
        cold_text = f"{cold_seconds * 1000:.1f} ms" if cold_seconds is not None else ""
        durable_text = f"{seconds / durable:.2f}" if durable else ""
        read_text = f"{megabytes(read)} / {megabytes(input_bytes)}"
        written_text = f"{megabytes(written)} / {megabytes(output_bytes)}" if output_bytes else megabytes(written)
        lines.append(f"| {label} | {seconds * 1000:.1f} ms | {seconds / floor:.2f} | {durable_text} "
                     f"| {seconds / fastest:.2f} | {cold_text} | {read_text} | {written_text} | {target} | {met} |")
    return lines


def write_results(path, host, runs, people, memos, sort_rss, gnu_rss, huge, first_screen, reads):
    out = [
        "# Vortel beside other programs",
        "",
        "Written by `bench/peers/run_peers.py`; do not edit by hand. Wall-clock medians of "
        f"{runs} runs after one warm-up run (3 runs for commands over 5 s), warm file cache, "
        "vortel-cli built RelWithDebInfo. Commands that change a table get a fresh copy before each run, "
        "outside the timing. Readers that print write to /dev/null. Cold cache: the median of 3 runs, each after "
        "emptying the page cache (`sync; echo 3 > /proc/sys/vm/drop_caches`), the slow readers left out; blank where "
        "the machine does not allow it. MB read and written: the bytes one warm run passed through read and write "
        "calls (`/proc/self/io` of the runner, which the kernel charges with its children's), beside the bytes of "
        "the files the command names and of the files it wrote.",
        "",
        f"Machine: {host['cpu']}, {host['cores']} cores, {host['ram']} RAM; disk {host['disk']}; "
        f"{host['date']}; load average {host['load']:.2f} at the start, {host['load_end']:.2f} at the end.",
        "",
        "## 1,000,000 records of 73 bytes (73 MB), 10% deleted",
        "",
        *section(people),
        "",
        f"Peak memory of the sort (max RSS): Vortel {sort_rss / 1024:.1f} MiB = "
        f"{sort_rss * 1024 / RECORD_AREA:.2f} x the record area of {RECORD_AREA / 1e6:.0f} MB "
        f"(target <= 1.5: {'met' if sort_rss * 1024 <= 1.5 * RECORD_AREA else '**not met**'}); "
        f"GNU sort {gnu_rss / 1024:.1f} MiB.",
        "",
        "## 100,000 records with memos (4 MB table, 103 MB memo file)",
        "",
        *section(memos),
        "",
        "## 10,000,000 records of 73 bytes (730 MB), sorted within 256 MB",
        "",
        "Medians of 3 runs after one warm-up run. The sort writes runs to a scratch file and merges them into the "
        "copy, so it reads and writes the records twice.",
        "",
        "| Command | Median | Peak memory | MB read / input | MB written / output |",
        "|---|---:|---:|---:|---:|",
        *[f"| {label} | {seconds * 1000:.1f} ms | {rss / 1024:.1f} MiB | {megabytes(read)} / {megabytes(input_bytes)} "
          f"| {megabytes(written)} / {megabytes(output_bytes)} |"
          for label, seconds, rss, (read, input_bytes, written, output_bytes) in huge],
        "",
        f"Targets: time no more than GNU sort's ({'met' if huge[0][1] <= huge[1][1] else '**not met**'}); peak "
        f"memory at most the budget and 32 MB, 288 MiB ({'met' if huge[0][2] <= 288 * 1024 else '**not met**'}).",
        "",
        "## Opening a table and showing its first screen",
        "",
        "| Table | Desktop program, offscreen, until the first paint | `vortel-cli list T --count 20` |",
        "|---|---:|---:|",
    ]
    for table, desktop, listing in first_screen:
        out.append(f"| {table} ({'10' if table == 'SMALL.DBF' else '10,000,000'} records) | "
                   f"{desktop * 1000:.1f} ms | {listing * 1000:.1f} ms |")
    (_, small_desktop, small_list), (_, huge_desktop, huge_list) = first_screen
    within = abs(huge_desktop / small_desktop - 1) <= 0.2 and abs(huge_list / small_list - 1) <= 0.2
    out += [
        "",
        f"10,000,000 against 10 records: desktop {huge_desktop / small_desktop:.2f} x, CLI {huge_list / small_list:.2f} x "
        f"(target: within 20%: {'met' if within else '**not met**'}). The desktop program exits after its first "
        "paint when `VORTEL_EXIT_AFTER_FIRST_PAINT` is set.",
        "",
        "Moving to a record costs one read, whatever the table's size: read and pread64 calls of "
        "`vortel-cli list T --from N --count 1` (program start and shared libraries included):",
        "",
        "| Table | N | read calls |",
        "|---|---:|---:|",
        *[f"| {table} | {number:,} | {count} |" for table, number, count in reads],
        "",
    ]
    # Sections other benches wrote by hand stay; the partial runs' sections
    # are superseded by this whole run.
    headings = {line for line in out if line.startswith("## ")}
    for heading, lines in sections_of(open(path).read() if os.path.exists(path) else ""):
        if heading not in headings and not heading.startswith("## Only the commands with"):
            out += lines
    with open(path, "w") as results:
        results.write("\n".join(out).rstrip("\n") + "\n")


def sections_of(text):
    """The file's "## " sections: (heading, lines) in order."""
    sections = []
    for line in text.splitlines():
        if line.startswith("## "):
            sections.append((line, []))
        if sections:
            sections[-1][1].append(line)
    return sections


def write_partial_results(path, host, runs, word, people, memos):
    heading = f"## Only the commands with \"{word}\""
    lines = [
        heading,
        "",
        f"Written by `bench/peers/run_peers.py --only {word}`, {runs} runs as above; {host['date']}; load average "
        f"{host['load']:.2f} at the start, {os.getloadavg()[0]:.2f} at the end.",
        "",
        "### 1,000,000 records of 73 bytes (73 MB), 10% deleted",
        "",
        *section(people),
        "",
        "### 100,000 records with memos (4 MB table, 103 MB memo file)",
        "",
        *section(memos),
        "",
    ]
    text = open(path).read() if os.path.exists(path) else ""
    if heading in text:
        start = text.index(heading)
        after = text.find("\n## ", start + len(heading))
        text = text[:start] + (text[after + 1:] if after != -1 else "")
    with open(path, "w") as results:
        results.write(text.rstrip("\n") + "\n\n" + "\n".join(lines))


if __name__ == "__main__":
    sys.exit(main())
