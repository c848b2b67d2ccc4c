#!/usr/bin/env python3
"""Writes a generated Notes library folder for benchmarks and load tests."""
import argparse, json, os, random

def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--notes", type=int, default=10000)
    parser.add_argument("--folders", type=int, default=500)
    parser.add_argument("--depth", type=int, default=8)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--names", choices=["mixed", "same", "distinct"], default="mixed",
                        help="note names: 300 names repeated, one name for all, or all different")
    parser.add_argument("--pdf-rate", type=float, default=0.05, help="share of notes with a 20 KB PDF")
    parser.add_argument("--big-attachment", type=int, default=0, metavar="BYTES",
                        help="add one note carrying an attachment of this size (a sparse file)")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    os.makedirs(os.path.join(args.folder, "attachments"), exist_ok=True)
    with open(os.path.join(args.folder, "attachments", "doc.pdf"), "wb") as f:
        f.write(b"%PDF-1.4\n" + b"0" * 20000 + b"\n%%EOF\n")

    folders, depth_of, parents = [], {}, {}
    accounts = [{"id": "acc%d" % i, "name": "Account %d" % (i % 2), "folders": []} for i in range(3)]
    for i in range(args.folders):
        fid = "f%d" % i
        candidates = [f["id"] for f in folders if depth_of[f["id"]] < args.depth - 1]
        parent = rng.choice(candidates) if candidates and rng.random() < 0.7 else None
        depth_of[fid] = depth_of[parent] + 1 if parent else 0
        folder = {"id": fid, "name": "Folder %d" % (i % 40), "folders": [], "notes": []}
        folders.append(folder)
        account = accounts[i % len(accounts)] if parent is None else accounts[parents[parent]]
        parents[fid] = accounts.index(account)
        account["folders"].append(fid)  # nested folders are listed too, as Notes does
        if parent:
            next(f for f in folders if f["id"] == parent)["folders"].append(fid)
    rng.shuffle(accounts[0]["folders"])

    words = "note plan idea list garden travel budget draft meeting summary".split()
    notes, attachments = [], []
    for i in range(args.notes):
        size = rng.randint(1000, 50000)
        paragraph = "<div>" + " ".join(rng.choice(words) for _ in range(12)) + "</div>"
        body = (paragraph * (size // len(paragraph) + 1))[:size]
        # Bodies live in their own files, as in a real store, so neither the
        # description nor the exporter has to hold them all at once.
        body_file = "bodies/%d/n%d.html" % (i // 1000, i)
        os.makedirs(os.path.join(args.folder, os.path.dirname(body_file)), exist_ok=True)
        with open(os.path.join(args.folder, body_file), "w") as f:
            f.write(body)
        name = {"mixed": "Note %d" % (i % 300), "same": "Meeting", "distinct": "Note %d" % i}[args.names]
        note = {"id": "n%d" % i, "name": name, "bodyFile": body_file,
                "creationDate": "2024-01-01T00:00:00Z", "modificationDate": "2024-06-01T00:00:00Z",
                "passwordProtected": rng.random() < 0.02}
        if rng.random() < args.pdf_rate:
            aid = "a%d" % i
            attachments.append({"id": aid, "name": "doc.pdf", "file": "attachments/doc.pdf"})
            note["attachments"] = [aid]
        notes.append(note)
        rng.choice(folders)["notes"].append(note["id"])
    if args.big_attachment:
        with open(os.path.join(args.folder, "attachments", "video.mov"), "wb") as f:
            f.truncate(args.big_attachment)
        attachments.append({"id": "big", "name": "video.mov", "file": "attachments/video.mov"})
        notes.append({"id": "nbig", "name": "Holiday video", "body": "<div>The video</div>", "attachments": ["big"]})
        folders[0]["notes"].append("nbig")
    with open(os.path.join(args.folder, "library.json"), "w") as f:
        json.dump({"accounts": accounts, "folders": folders, "notes": notes, "attachments": attachments}, f)

if __name__ == "__main__":
    main()
