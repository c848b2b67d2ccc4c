#!/usr/bin/env python3
"""Times notes-export on generated libraries against a plain copy of the same tree.

For each library size: the export's wall time and peak memory, then `cp -R`
of the tree it wrote, in the same run, and the ratio of the two. Sizes run
several times report the median. Then the same-name case (one folder of
notes that all have one name, against the same notes with names of their
own) and the peak memory of a note with a 1 GiB attachment.
"""
import argparse, os, shutil, statistics, subprocess, sys, tempfile, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = os.path.join(ROOT, "build", "bin")
GENERATE = os.path.join(ROOT, "bench", "generate_library.py")
# Writes a Notes database container (NoteStore.sqlite and its files) of
# made-up notes; its rows are skipped until that tool is built.
NOTESTORE_GENERATE = os.path.join(BIN, "notestore-generate")


def timed(command):
    """Wall time (s) and peak resident memory (MB) of one child process.

    The peak cannot go below what this script itself holds (about 15 MB):
    the child counts the pages it shared with it until it started the program."""
    # Standard error goes to a file: a pipe nobody reads while waiting would fill up and stall the child.
    with tempfile.TemporaryFile() as errors:
        # Each starts with no dirty pages of the one before, which it would otherwise have to write back.
        os.sync()
        start = time.monotonic()
        child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=errors)
        _, status, usage = os.wait4(child.pid, 0)
        seconds = time.monotonic() - start
        if status != 0:
            errors.seek(max(0, errors.seek(0, os.SEEK_END) - 2000))
            raise SystemExit("%s failed with status %d:\n%s" % (command[0], status, errors.read().decode(errors="replace")))
    return seconds, usage.ru_maxrss / 1024


def tree_megabytes(path):
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, files in os.walk(path) for f in files) / 2**20


def export_and_copy(exporter, library, work):
    """One export into a folder of its own, then cp -R of what it wrote."""
    # Nothing is removed before the end of the whole run: on ext4, inodes
    # freed a moment ago make creating files slow for a while (the kernel
    # skips them when it allocates), which would blur both timings.
    run = tempfile.mkdtemp(prefix="run-", dir=work)
    destination = os.path.join(run, "Notes Import")
    seconds, peak = timed([exporter, "--library", library, "--destination", destination, "--no-handoff"])
    copy_seconds, _ = timed(["cp", "-R", destination, os.path.join(run, "copy")])
    return {"export": seconds, "peak": peak, "copy": copy_seconds, "ratio": seconds / copy_seconds,
            "output": tree_megabytes(destination)}


def median_run(exporter, library, work, runs):
    results = [export_and_copy(exporter, library, work) for _ in range(runs)]
    # Each ratio pairs an export with the copy made right after it, which
    # keeps a change of load on a shared machine out of the ratio.
    return {key: statistics.median(r[key] for r in results) for key in results[0]}


def generate(library, notes, *options):
    subprocess.run([sys.executable, GENERATE, library, "--notes", str(notes), *options], check=True)


def load():
    return "load average %.1f %.1f %.1f" % os.getloadavg()


def size_rows(args, work):
    print("\n| input | notes | runs | export s | `cp -R` s | ratio | export peak MB | output MB |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|")
    for notes in args.sizes:
        runs = args.runs if notes == 10000 else 1
        library = os.path.join(work, "library-%d" % notes)
        generate(library, notes, "--folders", str(max(10, notes // 20)))
        r = median_run(args.export, library, work, runs)
        print("| library.json | %d | %d | %.2f | %.2f | %.1f | %.0f | %.0f |" % (
            notes, runs, r["export"], r["copy"], r["ratio"], r["peak"], r["output"]), flush=True)
        if os.path.exists(NOTESTORE_GENERATE):
            container = os.path.join(work, "notestore-%d" % notes)
            subprocess.run([NOTESTORE_GENERATE, container, "--notes", str(notes)], check=True,
                           stdout=subprocess.DEVNULL)
            r = median_run(args.export, container, work, runs)
            print("| Notes database | %d | %d | %.2f | %.2f | %.1f | %.0f | %.0f |" % (
                notes, runs, r["export"], r["copy"], r["ratio"], r["peak"], r["output"]), flush=True)
    if not os.path.exists(NOTESTORE_GENERATE):
        print("\n(Notes database rows skipped: %s is not built.)" % os.path.relpath(NOTESTORE_GENERATE, ROOT))


def same_name_rows(args, work):
    notes = args.same_name_notes
    print("\n| %d notes in one folder | export s | `cp -R` s | ratio to `cp -R` | peak MB |" % notes)
    print("|---|---:|---:|---:|---:|")
    times = {}
    for names in ("distinct", "same"):
        library = os.path.join(work, "library-" + names)
        # No PDFs: the rich-text path would blur what the names cost.
        generate(library, notes, "--folders", "1", "--names", names, "--pdf-rate", "0")
        r = median_run(args.export, library, work, 1)
        times[names] = r["export"]
        print("| %s names | %.2f | %.2f | %.1f | %.0f |" % (names, r["export"], r["copy"], r["ratio"], r["peak"]),
              flush=True)
    print("\nSame name / distinct names: %.1f" % (times["same"] / times["distinct"]))


def big_attachment_rows(args, work):
    library = os.path.join(work, "library-big")
    generate(library, 10, "--folders", "1", "--pdf-rate", "0", "--big-attachment", str(args.big_attachment))
    r = median_run(args.export, library, work, 1)
    print("\n| one %d MiB attachment | export s | `cp -R` s | export peak MB |" % (args.big_attachment // 2**20))
    print("|---|---:|---:|---:|")
    print("| 10 notes, one with the attachment | %.2f | %.2f | %.0f |" % (r["export"], r["copy"], r["peak"]), flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("sizes", nargs="*", type=int, default=[1000, 10000, 50000])
    parser.add_argument("--runs", type=int, default=3, help="runs of the 10,000-note library (median reported)")
    parser.add_argument("--same-name-notes", type=int, default=4000)
    parser.add_argument("--big-attachment", type=int, default=2**30, metavar="BYTES")
    parser.add_argument("--only", choices=["sizes", "names", "attachment"], action="append",
                        help="run only these parts (may be repeated)")
    parser.add_argument("--export", default=os.path.join(BIN, "notes-export"))
    parser.add_argument("--work", default=None, help="scratch folder (default: a new temporary one)")
    args = parser.parse_args()
    parts = args.only or ["sizes", "names", "attachment"]

    work = tempfile.mkdtemp(prefix="notes-bench-", dir=args.work)
    try:
        print("%s, %d cores, %s at start" % (time.strftime("%Y-%m-%d %H:%M"), os.cpu_count(), load()))
        if "sizes" in parts:
            size_rows(args, work)
        if "names" in parts:
            same_name_rows(args, work)
        if "attachment" in parts:
            big_attachment_rows(args, work)
        print("\n%s at end" % load())
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
