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

def main():
    sizes = [int(s) for s in sys.argv[1:]] or [10000]
    print("%8s %10s %10s %12s %12s %10s" % ("notes", "export s", "notes/s", "peak RSS MB", "plain copy s", "ratio"))
    for notes in sizes:
        work = tempfile.mkdtemp(prefix="notes-bench-")
        try:
            library = os.path.join(work, "library")
            subprocess.run([sys.executable, os.path.join(ROOT, "bench", "generate_library.py"), library,
                            "--notes", str(notes), "--folders", str(max(10, notes // 20))], check=True)
            destination = os.path.join(work, "Notes Import")
            seconds, peak = timed([EXPORT, "--library", library, "--destination", destination, "--no-handoff"])
            copy_seconds, _ = timed(["cp", "-R", destination, os.path.join(work, "copy")])
            peak_text = "%.0f" % (peak / 1024)
            print("%8d %10.2f %10.0f %12s %12.2f %10.1f" % (notes, seconds, notes / seconds, peak_text,
                                                            copy_seconds, seconds / copy_seconds))
        finally:
            shutil.rmtree(work, ignore_errors=True)

if __name__ == "__main__":
    main()
