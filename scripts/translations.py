#!/usr/bin/env python3
"""Brings translations/*.ts up to date with the texts in src/ and lists what
is left to translate.

    python3 scripts/translations.py            # update the .ts files, list unfinished texts
    python3 scripts/translations.py --check    # change nothing; fail when a text is missing

Texts are found by Qt's lupdate: every call of platform::localizedString
with a literal, and QT_TRANSLATE_NOOP("platform", ...) where the text is
kept in a variable first. Translate what is listed with Qt Linguist
(`linguist translations/notes-import_de.ts`) or in any text editor: fill in
<translation> and remove its type="unfinished".
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CONTEXT = "platform"  # the context localizedString looks its texts up in
LUPDATE = os.environ.get("LUPDATE", "/usr/lib/qt6/bin/lupdate")
OPTIONS = [
    "-extensions", "cpp,h",
    # localizedString("…") is looked up like tr("…"); written as
    # platform::localizedString its context is "platform" wherever it is called.
    "-tr-function-alias", "tr+=localizedString",
    # No file names or line numbers: they would change with every edit
    # and make merges of the .ts files conflict.
    "-locations", "none",
    "-no-obsolete",
]


def ts_files(folder):
    return sorted(os.path.join(folder, name) for name in os.listdir(folder) if name.endswith(".ts"))


def run_lupdate(targets):
    result = subprocess.run([LUPDATE, *OPTIONS, os.path.join(ROOT, "src"), "-ts", *targets],
                            capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit(result.stdout + result.stderr + "lupdate failed")
    # Warnings name calls lupdate could not give the one context, such as an
    # unqualified localizedString inside a class.
    # lupdate takes the qualifier "platform" for a class without Q_OBJECT,
    # and cannot resolve some qualifiers (in anonymous namespaces, in the
    # return types of functions); the texts still land in the context the
    # call names, and unfinished() checks that it is "platform".
    return [line for line in (result.stdout + result.stderr).splitlines()
            if ": " in line and not line.endswith(f"Class '{CONTEXT}' lacks Q_OBJECT macro")
            and "Qualifying with unknown namespace/class" not in line
            and not line.lstrip().startswith(("Updating", "Found", "Scanning"))]


def unfinished(path):
    problems = []
    for context in ET.parse(path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source")
            translation = message.find("translation")
            if name != CONTEXT:
                problems.append(f'context "{name}" (write platform::localizedString): {source}')
            elif translation is None or translation.get("type") == "unfinished" or not (translation.text or "").strip():
                if translation is None or translation.get("type") not in ("vanished", "obsolete"):
                    problems.append(source)
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--check", action="store_true", help="change nothing; fail when a text is not translated")
    check = parser.parse_args().check
    folder = os.path.join(ROOT, "translations")
    with tempfile.TemporaryDirectory() as scratch:
        targets = ts_files(folder)
        if check:
            copies = []
            for path in targets:
                copies.append(os.path.join(scratch, os.path.basename(path)))
                shutil.copy(path, copies[-1])
            targets = copies
        warnings = run_lupdate(targets)
        failed = False
        for line in warnings:
            print(f"lupdate: {line}")
            failed = True
        if warnings:
            print("Write platform::localizedString(\"…\") with the literal, in a file that includes "
                  "platform/LocalizedString.h, so that the text lands in the one context.")
        for path in targets:
            problems = unfinished(path)
            name = os.path.basename(path)
            for problem in problems:
                print(f"{name}: untranslated: {problem}")
            print(f"{name}: {len(problems)} untranslated")
            failed = failed or bool(problems)
    if check and failed:
        print("Texts of the program are missing from the translations: run python3 scripts/translations.py, "
              "translate what it lists and commit translations/.", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
