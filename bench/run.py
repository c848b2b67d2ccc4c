#!/usr/bin/env python3
"""Times notes-export on generated libraries against a plain copy of the same tree.

Everything runs on tmpfs (/dev/shm) when the machine has one, with TMPDIR
there too, so neither the export nor the copy pays for the disk's state.
Each pair is an export and then `cp -R` of the tree it wrote, in the same
conditions; sizes report the median of several pairs. Each row gives the
export's wall time, the copy's, their ratio, the export's user + system
processor time (and its share of the wall time: above 1 means two threads
busy at once, for instance one spinning) and its peak memory. Then the
same-name case (notes that all have one name against the same notes with
names of their own) and the peak memory of a note with a 1 GiB attachment.
"""
import argparse, os, shutil, statistics, subprocess, sys, tempfile, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = os.path.join(ROOT, "build", "bin")
GENERATE = os.path.join(ROOT, "bench", "generate_library.py")
# Writes a Notes database container (NoteStore.sqlite and its files) of
# made-up notes; its rows are skipped until that tool is built.
NOTESTORE_GENERATE = os.path.join(BIN, "notestore-generate")
TMPFS = "/dev/shm"


def on_tmpfs(path):
    """True when `path` lies on a tmpfs (as /proc/mounts says)."""
    path = os.path.realpath(path)
    best, kind = "", ""
    with open("/proc/mounts") as mounts:
        for line in mounts:
            fields = line.split()
            if len(fields) > 2 and (path == fields[1] or path.startswith(fields[1].rstrip("/") + "/")):
                if len(fields[1]) > len(best):
                    best, kind = fields[1], fields[2]
    return kind == "tmpfs"


class Runner:
    """Runs timed commands with one environment: TMPDIR inside the scratch folder."""

    def __init__(self, work):
        self.work = work
        self.tmpfs = on_tmpfs(work)
        self.temporary = os.path.join(work, "tmp")
        os.makedirs(self.temporary)
        self.env = dict(os.environ, TMPDIR=self.temporary)

    def timed(self, command):
        """Wall time (s), user + system time (s) and peak resident memory (MB) of one child.

        The peak cannot go below what this script itself holds (about 15 MB):
        the child counts the pages it shared with it until it started the program."""
        # Standard error goes to a file: a pipe nobody reads while waiting would fill up and stall the child.
        with tempfile.TemporaryFile(dir=self.temporary) as errors:
            if not self.tmpfs:
                # On a disk, each starts with no dirty pages of the one before to write back.
                os.sync()
            start = time.monotonic()
            child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=errors, env=self.env)
            _, status, usage = os.wait4(child.pid, 0)
            seconds = time.monotonic() - start
            if status != 0:
                errors.seek(max(0, errors.seek(0, os.SEEK_END) - 2000))
                raise SystemExit("%s failed with status %d:\n%s" % (command[0], status,
                                                                     errors.read().decode(errors="replace")))
        return seconds, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024

    def pair(self, exporter, library, extra=()):
        """One export into a folder of its own, then cp -R of what it wrote."""
        run = tempfile.mkdtemp(prefix="run-", dir=self.work)
        destination = os.path.join(run, "Notes Import")
        seconds, cpu, peak = self.timed([exporter, "--library", library, "--destination", destination,
                                         "--no-handoff", *extra])
        copy_seconds, _, _ = self.timed(["cp", "-R", destination, os.path.join(run, "copy")])
        result = {"export": seconds, "cpu": cpu, "peak": peak, "copy": copy_seconds,
                  "ratio": seconds / copy_seconds, "output": tree_megabytes(destination)}
        # On tmpfs a removal costs nothing later and gives the memory back.
        # On ext4, inodes freed a moment ago make creating files slow for a
        # minute (the kernel skips them when it allocates), so there nothing
        # goes before the end of the run.
        if self.tmpfs:
            shutil.rmtree(run)
        return result

    def median(self, exporter, library, runs, extra=()):
        results = [self.pair(exporter, library, extra) for _ in range(runs)]
        # Each ratio pairs an export with the copy made right after it,
        # which keeps a change of load on a shared machine out of the ratio.
        median = {key: statistics.median(r[key] for r in results) for key in results[0]}
        median["ratios"] = sorted(r["ratio"] for r in results)
        return median


def tree_megabytes(path):
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, files in os.walk(path) for f in files) / 2**20


def generate(library, notes, *options):
    subprocess.run([sys.executable, GENERATE, library, "--notes", str(notes), *options], check=True)


def json_library(path, notes):
    generate(path, notes, "--folders", str(max(10, notes // 20)))
    return path


def notestore_library(path, notes):
    if not os.path.exists(NOTESTORE_GENERATE):
        return None
    subprocess.run([NOTESTORE_GENERATE, path, "--notes", str(notes), "--body-bytes", "3000", "--depth", "3",
                    "--accounts", "2"], check=True, stdout=subprocess.DEVNULL)
    return path


# The made-up password of the encrypted benchmark backup; the backup keeps
# the real number of key derivation rounds (10,000,000), so opening it costs
# what opening a real one does.
BACKUP_PASSWORD = "bench password"


def backup_library(path, notes, encrypted=False):
    """The same container as notestore_library, wrapped into a device backup
    in the folder `path` (a folder of backups holding one)."""
    if not os.path.exists(NOTESTORE_GENERATE):
        return None
    container = path + "-container"
    options = ["--backup-password", BACKUP_PASSWORD] if encrypted else []
    subprocess.run([NOTESTORE_GENERATE, container, "--notes", str(notes), "--body-bytes", "3000", "--depth", "3",
                    "--accounts", "2", "--backup", path, *options], check=True, stdout=subprocess.DEVNULL)
    shutil.rmtree(container)
    if not encrypted:
        return path
    password_file = path + "-password"
    with open(password_file, "w") as f:
        f.write(BACKUP_PASSWORD + "\n")
    return path, ["--password-file", password_file]


def encrypted_backup_library(path, notes):
    return backup_library(path, notes, encrypted=True)


# Each input: its label and a maker that writes a library of N notes at a
# path and returns what to pass as --library, or that and further
# arguments (None when it cannot be made here). A further kind of input is
# one more entry.
INPUTS = [
    ("library.json", json_library),
    ("Notes database", notestore_library),
    ("plain backup", backup_library),
    ("encrypted backup", encrypted_backup_library),
]


def key_derivation_seconds():
    """The time of opening one encrypted backup's keybag: PBKDF2-SHA256 with
    10,000,000 rounds, then PBKDF2-SHA1 with 10,000."""
    import hashlib
    start = time.monotonic()
    first = hashlib.pbkdf2_hmac("sha256", BACKUP_PASSWORD.encode(), b"s" * 20, 10_000_000, 32)
    hashlib.pbkdf2_hmac("sha1", first, b"t" * 20, 10_000, 32)
    return time.monotonic() - start


def load():
    return "load %.1f %.1f %.1f" % os.getloadavg()


def print_size_header():
    print("\n| input | notes | pairs | export s | `cp -R` s | ratio (range) | export CPU s | CPU / wall "
          "| peak MB | output MB | load |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|")


def library_row(runner, args, label, library, notes, runs, extra=()):
    """Measures the export of the library at `library` against `cp -R` and prints one row
    (and one for the baseline program, when given, measured right after); answers the
    median export time of the program measured."""
    programs = [(label, args.export)]
    if args.baseline:
        programs.append((label + " (baseline)", args.baseline))
    seconds = None
    for name, exporter in programs:
        r = runner.median(exporter, library, runs, extra)
        seconds = seconds if seconds is not None else r["export"]
        spread = "%.1f (%.1f–%.1f)" % (r["ratio"], r["ratios"][0], r["ratios"][-1]) if runs > 1 else "%.1f" % r["ratio"]
        print("| %s | %d | %d | %.2f | %.2f | %s | %.2f | %.2f | %.0f | %.0f | %s |" % (
            name, notes, runs, r["export"], r["copy"], spread, r["cpu"], r["cpu"] / r["export"], r["peak"],
            r["output"], load()), flush=True)
    return seconds


def size_rows(args, runner):
    print_size_header()
    skipped = []
    seconds = {}
    for notes in args.sizes:
        for label, make in INPUTS:
            path = os.path.join(runner.work, "%s-%d" % (make.__name__, notes))
            made = make(path, notes)
            if made is None:
                skipped.append(label)
                continue
            library, extra = made if isinstance(made, tuple) else (made, [])
            seconds[label, notes] = library_row(runner, args, label, library, notes, args.runs, extra)
            shutil.rmtree(library, ignore_errors=True)
    for label in sorted(set(skipped)):
        print("\n(%s rows skipped: its generator is not built.)" % label)
    backup_ratios(args, seconds)


def backup_ratios(args, seconds):
    """A backup against the same container read directly."""
    rows = [n for n in args.sizes if ("Notes database", n) in seconds and ("plain backup", n) in seconds]
    if not rows:
        return
    derivation = key_derivation_seconds()
    print("\nOne key derivation of an encrypted backup: %.2f s (%s)" % (derivation, load()))
    print("\n| notes | plain backup / database (bar: 1.2) | encrypted backup / (database + one derivation) (bar: 1.5) |")
    print("|---:|---:|---:|")
    for notes in rows:
        database = seconds["Notes database", notes]
        encrypted = seconds.get(("encrypted backup", notes))
        print("| %d | %.2f | %s |" % (notes, seconds["plain backup", notes] / database,
                                      "%.2f" % (encrypted / (database + derivation)) if encrypted else "—"))


def same_name_rows(args, runner):
    notes = args.same_name_notes
    print("\n| %d notes in one folder | export s | `cp -R` s | ratio to `cp -R` | peak MB |" % notes)
    print("|---|---:|---:|---:|---:|")
    times = {}
    for names in ("distinct", "same"):
        library = os.path.join(runner.work, "library-" + names)
        # No PDFs: the rich-text path would blur what the names cost.
        generate(library, notes, "--folders", "1", "--names", names, "--pdf-rate", "0")
        r = runner.median(args.export, library, args.runs)
        times[names] = r["export"]
        print("| %s names | %.2f | %.2f | %.1f | %.0f |" % (names, r["export"], r["copy"], r["ratio"], r["peak"]),
              flush=True)
    print("\nSame name / distinct names: %.2f (bar: 2)" % (times["same"] / times["distinct"]))


def big_attachment_rows(args, runner):
    library = os.path.join(runner.work, "library-big")
    generate(library, 10, "--folders", "1", "--pdf-rate", "0", "--big-attachment", str(args.big_attachment))
    r = runner.median(args.export, library, 1)
    print("\n| one %d MiB attachment | export s | `cp -R` s | export peak MB |" % (args.big_attachment // 2**20))
    print("|---|---:|---:|---:|")
    print("| 10 notes, one with the attachment | %.2f | %.2f | %.0f (bar: 300) |" % (r["export"], r["copy"], r["peak"]),
          flush=True)


def scratch_parent(args):
    if args.work:
        return args.work
    if os.path.isdir(TMPFS) and os.access(TMPFS, os.W_OK) and on_tmpfs(TMPFS):
        return TMPFS
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("sizes", nargs="*", type=int, default=[10000, 50000])
    parser.add_argument("--runs", type=int, default=3, help="pairs per row (the median is shown)")
    parser.add_argument("--same-name-notes", type=int, default=4000)
    parser.add_argument("--big-attachment", type=int, default=2**30, metavar="BYTES")
    parser.add_argument("--only", choices=["sizes", "names", "attachment"], action="append",
                        help="run only these parts (may be repeated)")
    parser.add_argument("--export", default=os.path.join(BIN, "notes-export"))
    parser.add_argument("--baseline", default=None, metavar="PROGRAM",
                        help="another notes-export (an older build) to measure beside it, row by row")
    parser.add_argument("--work", default=None, help="scratch folder (default: a new one on %s when it is "
                                                     "a tmpfs, else in the temporary folder)" % TMPFS)
    args = parser.parse_args()
    parts = args.only or ["sizes", "names", "attachment"]

    work = tempfile.mkdtemp(prefix="notes-bench-", dir=scratch_parent(args))
    try:
        runner = Runner(work)
        print("%s, %d cores, %s at start; scratch folder %s (%s), TMPDIR inside it" % (
            time.strftime("%Y-%m-%d %H:%M %Z"), os.cpu_count(), load(), work,
            "tmpfs" if runner.tmpfs else "not a tmpfs: timings depend on the disk's state"))
        if "sizes" in parts:
            size_rows(args, runner)
        if "names" in parts:
            same_name_rows(args, runner)
        if "attachment" in parts:
            big_attachment_rows(args, runner)
        print("\n%s at end" % load())
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
