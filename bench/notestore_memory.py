#!/usr/bin/env python3
"""Peak memory of notes-export on generated Notes databases of growing size.

The Notes source holds the outline, never the bodies, so peak memory should
grow far slower than the note count: 10,000 notes within 1.5x of 1,000.
Usage: bench/notestore_memory.py [NOTES ...] (default 1000 10000)."""
import os, shutil, subprocess, sys, tempfile, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = os.path.join(ROOT, "build", "bin")

def timed(command):
    """Wall time and peak resident memory (KiB) of one child process."""
    start = time.monotonic()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(child.pid, 0)
    if status != 0:
        raise SystemExit("%s failed (%d): %s" % (command[0], status, child.stderr.read().decode()))
    return time.monotonic() - start, usage.ru_maxrss

def main():
    sizes = [int(s) for s in sys.argv[1:]] or [1000, 10000]
    print("%8s | %8s | %9s %8s %8s" % ("notes", "db MB", "export s", "notes/s", "peak MB"))
    peaks = {}
    for notes in sizes:
        work = tempfile.mkdtemp(prefix="notestore-bench-")
        try:
            container = os.path.join(work, "group.com.apple.notes")
            subprocess.run([os.path.join(BIN, "notestore-generate"), "--notes", str(notes), "--body-bytes", "4000",
                            "--depth", "4", "--accounts", "2", container], check=True)
            database = os.path.getsize(os.path.join(container, "NoteStore.sqlite")) / 2**20
            seconds, peak = timed([os.path.join(BIN, "notes-export"), "--library", container,
                                   "--destination", os.path.join(work, "out"), "--no-handoff"])
            peaks[notes] = peak
            print("%8d | %8.1f | %9.2f %8.0f %8.1f" % (notes, database, seconds, notes / seconds, peak / 1024),
                  flush=True)
        finally:
            shutil.rmtree(work, ignore_errors=True)
    if 1000 in peaks and 10000 in peaks:
        ratio = peaks[10000] / peaks[1000]
        print("peak 10,000 / 1,000 = %.2f (bound 1.5)" % ratio)
        sys.exit(0 if ratio <= 1.5 else 1)

if __name__ == "__main__":
    main()
