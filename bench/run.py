#!/usr/bin/env python3
"""Times notes-export on generated libraries against a plain copy of the same tree."""
import os, resource, shutil, subprocess, sys, tempfile, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXPORT = os.path.join(ROOT, "build", "bin", "notes-export")

def timed(command):
    """Wall time and peak resident memory (KiB) of one child process."""
    start = time.monotonic()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.monotonic() - start
    if status != 0:
        raise SystemExit("%s failed with status %d" % (command[0], status))
    return seconds, usage.ru_maxrss

def tree_bytes(path):
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, files in os.walk(path) for f in files)

def main():
    sizes = [int(s) for s in sys.argv[1:]] or [1000, 10000, 50000]
    print("%8s | %9s %8s %8s | %9s %8s %8s | %5s | %8s %8s" % (
        "notes", "export s", "notes/s", "peak MB", "copy s", "notes/s", "peak MB", "ratio", "out MB", "json MB"))
    for notes in sizes:
        work = tempfile.mkdtemp(prefix="notes-bench-")
        try:
            library = os.path.join(work, "library")
            subprocess.run([sys.executable, os.path.join(ROOT, "bench", "generate_library.py"), library,
                            "--notes", str(notes), "--folders", str(max(10, notes // 20))], check=True)
            destination = os.path.join(work, "Notes Import")
            seconds, peak = timed([EXPORT, "--library", library, "--destination", destination, "--no-handoff"])
            # The baseline writes the same bytes into the same tree.
            copy_seconds, copy_peak = timed(["cp", "-R", destination, os.path.join(work, "copy")])
            print("%8d | %9.2f %8.0f %8.0f | %9.2f %8.0f %8.0f | %5.1f | %8.0f %8.1f" % (
                notes, seconds, notes / seconds, peak / 1024, copy_seconds, notes / copy_seconds, copy_peak / 1024,
                seconds / copy_seconds, tree_bytes(destination) / 2**20,
                os.path.getsize(os.path.join(library, "library.json")) / 2**20), flush=True)
        finally:
            shutil.rmtree(work, ignore_errors=True)

if __name__ == "__main__":
    main()
