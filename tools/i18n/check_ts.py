#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Fails when a user text of the sources has no finished translation in a Qt Linguist .ts file.

With --lupdate, the sources are first scanned into a temporary copy of the .ts file, so a text
added to the code but never put through lupdate counts as missing too. Every <message> that is
not vanished or obsolete must carry a non-empty translation without the "unfinished" mark.

Usage: tools/i18n/check_ts.py FILE.ts [--lupdate LUPDATE SOURCE_DIR...]
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SKIPPED_TYPES = {"vanished", "obsolete"}


def missing_translations(path):
    missing = []
    for context in ET.parse(path).getroot().iter("context"):
        name = context.findtext("name", default="")
        for message in context.iter("message"):
            translation = message.find("translation")
            kind = translation.get("type") if translation is not None else "unfinished"
            if kind in SKIPPED_TYPES:
                continue
            forms = translation.findall("numerusform") if translation is not None else []
            texts = [f.text for f in forms] if forms else [translation.text if translation is not None else None]
            if kind == "unfinished" or not all(t and t.strip() for t in texts):
                missing.append("{}: {}".format(name, message.findtext("source", default="")))
    return missing


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("ts")
    parser.add_argument("--lupdate", help="lupdate executable: rescan the sources first")
    parser.add_argument("sources", nargs="*", help="source folders for lupdate")
    args = parser.parse_intermixed_args(argv)

    checked = args.ts
    with tempfile.TemporaryDirectory() as scratch:
        if args.lupdate:
            checked = os.path.join(scratch, os.path.basename(args.ts))
            shutil.copyfile(args.ts, checked)
            run = subprocess.run([args.lupdate, "-no-obsolete", "-locations", "none", *args.sources, "-ts", checked],
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, universal_newlines=True)
            if run.returncode != 0:
                sys.exit("check_ts: lupdate failed:\n" + run.stdout)
        try:
            missing = missing_translations(checked)
        except (OSError, ET.ParseError) as error:
            sys.exit("check_ts: {}: {}".format(args.ts, error))
    if missing:
        print("{}: {} text(s) without translation (add them to the glossary, run the "
              "nuvviewer_lupdate target and tools/i18n/fill_ts.py):".format(args.ts, len(missing)))
        for line in missing:
            print("  " + line)
        return 1
    print("{}: every text is translated".format(args.ts))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
