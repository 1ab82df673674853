"""A PostgreSQL server of Debian's postgresql package for one test run: a
cluster in a temporary folder, listening only on a Unix socket there (no
network), stopped and removed at the end.

initdb refuses to run as root, so under root the server's programs run as
`nobody`, in a folder that user owns. The folder lives under /tmp, as a
socket's path must stay short.

Usage:
    with pg_server.started() as server:   # exits 77 (skipped) when no server is installed
        server.psql("SELECT 1")
        server.address                     # postgresql://postgres@/vortel?host=...
"""
import contextlib
import decimal
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77


def server_programs():
    """The bin folder of the newest installed server; None when there is none."""
    found = [folder for folder in glob.glob("/usr/lib/postgresql/*/bin")
             if os.path.exists(os.path.join(folder, "initdb")) and os.path.exists(os.path.join(folder, "pg_ctl"))]
    return max(found, key=lambda folder: int(folder.split("/")[-2])) if found else None


class Server:
    def __init__(self, bin_folder, folder):
        self.bin = bin_folder
        self.folder = folder
        self.data = os.path.join(folder, "data")
        self.database = "vortel"
        self.address = f"postgresql://postgres@/{self.database}?host={folder}"
        self.words = f"host={folder} user=postgres dbname={self.database}"

    def _as_owner(self, *command, **options):
        """Runs a server program as the user that owns the cluster."""
        prefix = []
        if os.geteuid() == 0:
            prefix = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"]
        return subprocess.run([*prefix, *command], capture_output=True, text=True, **options)

    def _check(self, run, what):
        if run.returncode != 0:
            raise RuntimeError(f"{what} failed:\n{run.stdout}{run.stderr}")

    def init(self):
        self._check(self._as_owner(os.path.join(self.bin, "initdb"), "-D", self.data, "-U", "postgres",
                                   "--auth=trust", "-E", "UTF8", "--no-locale"), "initdb")

    def start(self):
        options = f"-c listen_addresses='' -c unix_socket_directories={self.folder} -c fsync=off"
        self._check(self._as_owner(os.path.join(self.bin, "pg_ctl"), "-D", self.data, "-l",
                                   os.path.join(self.folder, "server.log"), "-w", "-o", options, "start"),
                    "pg_ctl start")

    def stop(self, mode="fast"):
        self._as_owner(os.path.join(self.bin, "pg_ctl"), "-D", self.data, "-m", mode, "-w", "stop")

    def psql(self, sql, database=None):
        """What `psql -At` prints for `sql`, or raises with what it said."""
        run = subprocess.run(["psql", "-X", "-At", "-v", "ON_ERROR_STOP=1", "-h", self.folder, "-U", "postgres",
                              "-d", database or self.database, "-c", sql], capture_output=True, text=True)
        self._check(run, f"psql -c {sql!r}")
        return run.stdout

    def records(self, sql):
        """The rows of `sql` as dicts, read through JSON so that texts with
        tabs and line breaks, NULLs and numbers' digits all come back whole
        (numbers as Decimal)."""
        out = self.psql(f"SELECT coalesce(json_agg(q), '[]') FROM ({sql}) q")
        return json.loads(out, parse_float=decimal.Decimal)


@contextlib.contextmanager
def started():
    programs = server_programs()
    if programs is None or shutil.which("psql") is None:
        print("SKIP: no PostgreSQL server installed (Debian's postgresql package)")
        sys.exit(SKIPPED)
    folder = tempfile.mkdtemp(prefix="vortel-pg-", dir="/tmp")
    if os.geteuid() == 0:
        shutil.chown(folder, "nobody", "nogroup")
    server = Server(programs, folder)
    try:
        server.init()
        server.start()
        server.psql(f"CREATE DATABASE {server.database}", database="postgres")
        yield server
    finally:
        server.stop("immediate")
        shutil.rmtree(folder, ignore_errors=True)
