#!/usr/bin/env python3
"""Two worst cases of a hostile Notes database, measured once by hand.

1. Memory: a note showing 2,000 pictures of 500 KB (1 GB of pictures) and a
   note whose pictures just fit the budget (64 of 500 KB, all in its HTML):
   each export's peak resident memory, bound 300 MB.
2. Time: 30 locked notes at the bound on key derivation (1,000,000 rounds),
   each with a salt of its own, opened with a wrong password; and the same
   notes a round above the bound, which are not tried. Bound 60 s.

Needs build/bin/notestore-generate and build/bin/notes-export; writes about
3 GB under $TMPDIR for the first case. Usage: bench/hostile_notes.py"""
import os, shutil, sqlite3, subprocess, tempfile, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = os.path.join(ROOT, "build", "bin")

def run(command, allowed=(0,)):
    """Wall time, peak resident memory (KiB) and standard error of one child."""
    start = time.monotonic()
    with tempfile.TemporaryFile() as errors:
        child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=errors)
        _, status, usage = os.wait4(child.pid, 0)
        errors.seek(0)
        text = errors.read().decode(errors="replace")
        if os.waitstatus_to_exitcode(status) not in allowed:
            raise SystemExit("%s failed (%d): %s" % (command[0], status, text[-2000:]))
    return time.monotonic() - start, usage.ru_maxrss, text

def export(work, container, *extra, allowed=(0,)):
    out = os.path.join(work, "out")
    shutil.rmtree(out, ignore_errors=True)
    return run([os.path.join(BIN, "notes-export"), "--library", container, "--destination", out, "--no-handoff",
                *extra], allowed)

def pictures(work, count, size, *extra):
    container = os.path.join(work, "pictures-%d" % count)
    subprocess.run([os.path.join(BIN, "notestore-generate"), "--pictures", str(count), "--picture-bytes", str(size),
                    *extra, container], check=True)
    seconds, peak, errors = export(work, container)
    summary = [line for line in errors.splitlines() if "Notes written" in line]
    print("%5d pictures of %d bytes %s: %.1f s, peak %.1f MB; %s" % (count, size, " ".join(extra), seconds,
                                                                    peak / 1024, " ".join(summary)), flush=True)
    shutil.rmtree(container, ignore_errors=True)

def locked(work, rounds):
    container = os.path.join(work, "locked-%d" % rounds)
    subprocess.run([os.path.join(BIN, "notestore-generate"), "--notes", "30", "--depth", "1", container], check=True)
    # Random key material: no password unwraps it, so every note reads as a wrong password.
    with sqlite3.connect(os.path.join(container, "NoteStore.sqlite")) as db:
        note = db.execute("SELECT Z_ENT FROM Z_PRIMARYKEY WHERE Z_NAME = 'ICNote'").fetchone()[0]
        db.execute("UPDATE ZICCLOUDSYNCINGOBJECT SET ZISPASSWORDPROTECTED = 1, ZCRYPTOSALT = randomblob(16), "
                   "ZCRYPTOITERATIONCOUNT = ?, ZCRYPTOWRAPPEDKEY = randomblob(24) WHERE Z_ENT = ?", (rounds, note))
        db.execute("UPDATE ZICNOTEDATA SET ZCRYPTOINITIALIZATIONVECTOR = randomblob(16), "
                   "ZCRYPTOTAG = randomblob(16)")
    passwords = os.path.join(work, "passwords")
    with open(passwords, "w") as f:
        f.write("wrong\n")
    # Exit status 1: no note could be exported, which is right here.
    seconds, peak, errors = export(work, container, "--password-file", passwords, allowed=(1,))
    named = sum(1 for line in errors.splitlines() if line.startswith("  “"))
    print("30 locked notes at %d rounds, wrong password: %.1f s, %d named" % (rounds, seconds, named), flush=True)

def main():
    work = tempfile.mkdtemp(prefix="hostile-notes-")
    try:
        pictures(work, 2000, 500000)
        pictures(work, 64, 500000)
        pictures(work, 64, 500000, "--with-pdf")
        locked(work, 1000000)
        locked(work, 1000001)
    finally:
        shutil.rmtree(work, ignore_errors=True)

if __name__ == "__main__":
    main()
