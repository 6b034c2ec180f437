#!/usr/bin/env python3
"""Times the import and the extraction against xmlwf and the Python peer, side by side.

Generates (once, cached) listings files of 10,000, 100,000 and 1,000,000 programmes, each
pretty-printed, on one line and gzip-compressed; builds the program in Release; then runs every
timed row once per round, rounds alternating over all rows, and quotes medians. Peak memory is
the largest resident set that /usr/bin/time -v saw over the runs of a row. Prints a Markdown
report (also written to OUT/results.md).

    run_benchmarks.py [--out DIR] [--quick]
"""

import argparse
import contextlib
import fcntl
import gzip
import os
import platform
import select
import shutil
import sqlite3
import statistics
import struct
import subprocess
import sys
import tempfile
import termios
import time

from pg_server import PostgresServer, server_bin

BENCH = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(BENCH)
GENERATOR = os.path.join(BENCH, "generate_listings.py")
PEER = os.path.join(BENCH, "peer_import.py")

SIZES = {"10k": 10_000, "100k": 100_000, "1M": 1_000_000}
FULL_RUNS = {"10k": 5, "100k": 5, "1M": 5}
QUICK_RUNS = {"10k": 3, "100k": 3}
MIB = 1024 * 1024

# The timed rows, in the order each round runs them: (key, label).
TIMED_ROWS = [
    ("xmlwf", "xmlwf"),
    ("import", "import, none"),
    ("second", "second import into the filled database"),
    ("tty", "import, tty (pseudo-terminal)"),
    ("gzip", "import of the gzip file, none"),
    ("extract", "extraction /x, none"),
    ("peer", "Python peer (peer_import.py)"),
    ("postgres", "import into PostgreSQL on loopback, none"),
]
# The only size with the PostgreSQL row.
POSTGRES_SIZE = "100k"
# Peak memory is checked for every job, backend and file form: (job, ui, form).
MEMORY_CASES = [(job, ui, form) for job in ("import", "extract") for ui in ("none", "tty")
                for form in ("pretty", "one-line", "gzip")]
# The timed row that already measures a memory case.
TIMED_MEMORY = {("import", "none", "pretty"): "import", ("import", "tty", "pretty"): "tty",
                ("import", "none", "gzip"): "gzip", ("extract", "none", "pretty"): "extract"}


def log(text):
    print(text, file=sys.stderr, flush=True)


def build(build_dir):
    log("Building the program in Release into " + build_dir)
    subprocess.run(["cmake", "-S", REPO, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "-j2", "--target", "ruzozaze"], check=True,
                   stdout=subprocess.DEVNULL)
    return os.path.join(build_dir, "ruzozaze")


def fresh(path, *sources):
    """True when path exists and is newer than every source."""
    return os.path.exists(path) and all(os.path.getmtime(path) >= os.path.getmtime(s)
                                        for s in sources)


def generate(out, name, count):
    """The three forms of the file of `count` programmes, made when missing or stale."""
    channels = max(10, count // 2000)
    files = {"pretty": os.path.join(out, "listings-%s.xml" % name),
             "one-line": os.path.join(out, "listings-%s-one-line.xml" % name)}
    files["gzip"] = files["pretty"] + ".gz"
    for form, extra in (("pretty", []), ("one-line", ["--one-line"])):
        if not fresh(files[form], GENERATOR):
            log("Generating %s (%d channels, %d programmes)" % (files[form], channels, count))
            subprocess.run([sys.executable, GENERATOR, str(channels), str(count),
                            files[form] + ".part"] + extra, check=True)
            os.replace(files[form] + ".part", files[form])
    if not fresh(files["gzip"], files["pretty"]):
        log("Compressing " + files["pretty"])
        with open(files["gzip"] + ".part", "wb") as packed:
            subprocess.run(["gzip", "-c", files["pretty"]], stdout=packed, check=True)
        os.replace(files["gzip"] + ".part", files["gzip"])
    return files


class Runner:
    """Runs commands under /usr/bin/time -v in a private folder with a private database."""

    def __init__(self, program, work):
        self.program = program
        self.work = work
        self.timing = os.path.join(work, "time.txt")

    def env(self, ui, database):
        return {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.work,
                "XDG_DATA_HOME": self.work, "LANG": "C.UTF-8", "TERM": "xterm",
                "GLIMMERBOX_EPG_DB": database,
                "GLIMMERBOX_REGISTRY": os.path.join(self.work, "registry.reg"),
                "RUZOZAZE_UI": ui}

    def database(self, name, keep=False):
        path = os.path.join(self.work, name)
        if not keep:
            for suffix in ("", "-wal", "-shm"):
                if os.path.exists(path + suffix):
                    os.remove(path + suffix)
        return path

    def run(self, command, env=None, tty=False):
        """(wall seconds, CPU seconds, peak KiB) of one run; stops the benchmark on failure."""
        command = ["/usr/bin/time", "-v", "-o", self.timing] + command
        begin = time.perf_counter()
        code = self.run_on_pty(command, env) if tty else subprocess.run(
            command, env=env, cwd=self.work, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
        wall = time.perf_counter() - begin
        if code != 0:
            sys.exit("failed with exit code %d: %s" % (code, " ".join(command)))
        facts = {}
        with open(self.timing) as report:
            for line in report:
                key, _, value = line.strip().rpartition(": ")
                facts[key] = value
        cpu = float(facts["User time (seconds)"]) + float(facts["System time (seconds)"])
        return wall, cpu, int(facts["Maximum resident set size (kbytes)"])

    def run_on_pty(self, command, env):
        """Runs with a pseudo-terminal as controlling terminal, stdin, stdout and stderr, reading
        everything drawn on it so that the program never waits for its reader."""
        master, slave = os.openpty()
        fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 80, 0, 0))
        process = subprocess.Popen(
            command, env=env, cwd=self.work, stdin=slave, stdout=slave, stderr=slave,
            start_new_session=True, preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
        os.close(slave)
        while True:
            ready, _, _ = select.select([master], [], [], 0.5)
            try:
                if ready and not os.read(master, 65536):
                    break
            except OSError:  # EIO: every holder of the terminal has closed it
                break
            if not ready and process.poll() is not None:
                break
        os.close(master)
        return process.wait()

    def xmlwf(self, path):
        return self.run(["xmlwf", path])

    def import_file(self, path, ui, database):
        return self.run([self.program, path], self.env(ui, database), tty=ui == "tty")

    def extract(self, path, ui):
        return self.run([self.program, "/x", path], self.env(ui, self.database("x.sqlite")),
                        tty=ui == "tty")

    def peer(self, path):
        return self.run([sys.executable, PEER, path, self.database("peer.sqlite")])

    def reads_gzip(self):
        """True when the program imports a gzip-compressed file."""
        sample = os.path.join(self.work, "probe.xml")
        subprocess.run([sys.executable, GENERATOR, "2", "4", sample], check=True)
        with open(sample, "rb") as plain, gzip.open(sample + ".gz", "wb") as packed:
            packed.write(plain.read())
        database = self.database("probe.sqlite")
        result = subprocess.run([self.program, sample + ".gz"], env=self.env("none", database),
                                cwd=self.work, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if result.returncode != 0 or not os.path.exists(database):
            return False
        with sqlite3.connect(database) as db:
            return db.execute("SELECT count(*) FROM programs").fetchone()[0] == 4


def timed_round(runner, files, with_gzip, postgres):
    """One run of every timed row on one size: {key: (wall, cpu, kib)}. `postgres` is the server
    for the PostgreSQL row, or None."""
    pretty = files["pretty"]
    results = {"xmlwf": runner.xmlwf(pretty)}
    filled = runner.database("first.sqlite")
    results["import"] = runner.import_file(pretty, "none", filled)
    results["second"] = runner.import_file(pretty, "none", runner.database("first.sqlite", True))
    results["tty"] = runner.import_file(pretty, "tty", runner.database("tty.sqlite"))
    if with_gzip:
        results["gzip"] = runner.import_file(files["gzip"], "none", runner.database("gz.sqlite"))
    results["extract"] = runner.extract(pretty, "none")
    results["peer"] = runner.peer(pretty)
    if postgres is not None:
        results["postgres"] = runner.import_file(pretty, "none", postgres.fresh_database("bench"))
        postgres.settle("bench")
    return results


def memory_case(runner, files, job, ui, form):
    if job == "import":
        return runner.import_file(files[form], ui, runner.database("memory.sqlite"))
    return runner.extract(files[form], ui)


def machine_text():
    model = "unknown"
    for line in subprocess.run(["lscpu"], capture_output=True, text=True).stdout.splitlines():
        if line.startswith("Model name:"):
            model = line.split(":", 1)[1].strip()
    memory = os.sysconf("SC_PAGE_SIZE") * os.sysconf("SC_PHYS_PAGES") / (1024 ** 3)
    return "%d cores (`nproc`), %s, %.0f GiB memory, %s" % (
        os.cpu_count(), model, memory, platform.platform())


def fmt(value, digits=2):
    return "%.*f" % (digits, value)


def report(samples, memory, counts, skipped, machine, loads):
    lines = ["Machine: " + machine,
             "Load average before / after: %s / %s" % loads, "",
             "Times are medians of the wall-clock seconds (CPU: user + system); ratios are to "
             "xmlwf's median on the same file; peak memory is the largest of the runs.", "",
             "| file | row | runs | wall s | CPU s | × xmlwf | programmes/s | peak MiB |",
             "|---|---|---|---|---|---|---|---|"]
    medians = {}
    for size, rows in samples.items():
        medians[size] = {}
        for key, label in TIMED_ROWS:
            if key not in rows:
                continue
            walls = [r[0] for r in rows[key]]
            cpus = [r[1] for r in rows[key]]
            peak = max(r[2] for r in rows[key]) / 1024
            wall = statistics.median(walls)
            medians[size][key] = (wall, statistics.median(cpus), peak)
        base = medians[size]["xmlwf"][0]
        for key, label in TIMED_ROWS:
            if key not in medians[size]:
                if key in skipped and (key != "postgres" or size == POSTGRES_SIZE):
                    lines.append("| %s | %s | - | skipped: %s | | | | |" % (size, label,
                                                                           skipped[key]))
                continue
            wall, cpu, peak = medians[size][key]
            lines.append("| %s | %s | %d | %s | %s | %s | %s | %s |" % (
                size, label, len(rows[key]), fmt(wall), fmt(cpu), fmt(wall / base),
                "{:,}".format(int(counts[size] / wall)), fmt(peak, 1)))
    lines += ["", "Peak memory (MiB) of every job, backend and file form, one run each unless "
              "a timed row measured it:", "",
              "| file | job | backend | pretty | one line | gzip |", "|---|---|---|---|---|---|"]
    for size in samples:
        for job in ("import", "extract"):
            for ui in ("none", "tty"):
                cells = []
                for form in ("pretty", "one-line", "gzip"):
                    kib = memory[size].get((job, ui, form))
                    cells.append("skipped" if kib is None else fmt(kib / 1024, 1))
                lines.append("| %s | %s | %s | %s |" % (size, job, ui, " | ".join(cells)))
    lines += ["", "Targets:", ""] + target_lines(medians, memory, skipped)
    return "\n".join(lines) + "\n"


def target_lines(medians, memory, skipped):
    lines = []

    def check(text, value, limit, at_most=True):
        ok = value <= limit if at_most else value >= limit
        lines.append("- %s: %s (%s %s) %s" % (text, fmt(value), "at most" if at_most else
                                              "at least", fmt(limit), "PASS" if ok else "FAIL"))

    # The cost per programme must not grow with the guide: a bound for each size measured.
    for size, limit in (("100k", 2.2), ("1M", 2.5)):
        if size in medians:
            check("import / xmlwf, %s" % size,
                  medians[size]["import"][0] / medians[size]["xmlwf"][0], limit)
    size = "100k" if "100k" in medians else next(iter(medians))
    m = {key: value[0] for key, value in medians[size].items()}
    check("extraction / xmlwf, %s" % size, m["extract"] / m["xmlwf"], 1.3)
    check("second import / first import, %s" % size, m["second"] / m["import"], 1.2)
    check("tty / none, %s" % size, m["tty"] / m["import"], 1.10)
    if "gzip" in m:
        check("gzip import / plain import, %s" % size, m["gzip"] / m["import"], 1.25)
    check("peer / import, %s" % size, m["peer"] / m["import"], 1.9, at_most=False)
    worst = max(kib for cases in memory.values() for kib in cases.values() if kib is not None)
    check("largest peak memory of import and extraction, MiB", worst / 1024, 16)
    postgres = medians.get(POSTGRES_SIZE, {})
    if "postgres" in postgres:
        check("PostgreSQL import / SQLite import, %s" % POSTGRES_SIZE,
              postgres["postgres"][0] / postgres["import"][0], 2.0)
    elif POSTGRES_SIZE in medians:
        lines.append("- PostgreSQL import / SQLite import, %s: not measured (at most 2.00): %s"
                     % (POSTGRES_SIZE, skipped["postgres"]))
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(BENCH, "out"),
                        help="folder for the generated files, the build and the results "
                             "(default bench/out)")
    parser.add_argument("--quick", action="store_true",
                        help="only the 10k and 100k files, 3 runs each")
    args = parser.parse_args()
    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)
    runs = QUICK_RUNS if args.quick else FULL_RUNS
    loads = [os.getloadavg()[0]]
    program = build(os.path.join(out, "build-release"))
    files = {size: generate(out, size, SIZES[size]) for size in runs}
    work = tempfile.mkdtemp(prefix="work-", dir=out)
    try:
        runner = Runner(program, work)
        with_gzip = runner.reads_gzip()
        skipped = {}
        if not with_gzip:
            skipped["gzip"] = "the program cannot read gzip yet"
        if server_bin() is None:
            skipped["postgres"] = "PostgreSQL is not installed"
        samples = {size: {} for size in runs}
        with PostgresServer() if "postgres" not in skipped else contextlib.nullcontext() as pg:
            for round_number in range(max(runs.values())):
                for size in runs:
                    if round_number >= runs[size]:
                        continue
                    log("Round %d, %s" % (round_number + 1, size))
                    server = pg if size == POSTGRES_SIZE else None
                    for key, result in timed_round(runner, files[size], with_gzip,
                                                   server).items():
                        samples[size].setdefault(key, []).append(result)
        memory = {size: {} for size in runs}
        for size in runs:
            for job, ui, form in MEMORY_CASES:
                timed = TIMED_MEMORY.get((job, ui, form))
                if form == "gzip" and not with_gzip:
                    memory[size][(job, ui, form)] = None
                elif timed is not None:
                    memory[size][(job, ui, form)] = max(r[2] for r in samples[size][timed])
                else:
                    log("Memory: %s %s %s %s" % (size, job, ui, form))
                    memory[size][(job, ui, form)] = memory_case(runner, files[size], job, ui,
                                                                form)[2]
    finally:
        shutil.rmtree(work, ignore_errors=True)
    loads.append(os.getloadavg()[0])
    text = report(samples, memory, {s: SIZES[s] for s in runs}, skipped, machine_text(),
                  tuple(fmt(x) for x in loads))
    with open(os.path.join(out, "results.md"), "w") as results:
        results.write(text)
    print(text)


if __name__ == "__main__":
    main()
