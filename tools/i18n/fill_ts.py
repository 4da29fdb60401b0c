#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Fills a Qt Linguist .ts file from an English -> target-language glossary.

Every <message> whose <source> is in the glossary gets the glossary text as its translation and
loses its "unfinished" mark; messages not in the glossary stay as they are. Translations already
finished are kept unless --overwrite is given. Vanished and obsolete messages are never touched.

Glossary: UTF-8 text, one "source<TAB>translation" per line; lines starting with '#' and blank
lines are ignored; "\\t", "\\n" and "\\\\" inside a field stand for tab, newline and backslash.

Usage: tools/i18n/fill_ts.py FILE.ts GLOSSARY.tsv [--output OUT.ts] [--overwrite]
"""

import argparse
import re
import sys
import xml.etree.ElementTree as ET

SKIPPED_TYPES = {"vanished", "obsolete"}


def unescape(field):
    return re.sub(r"\\([\\tn])", lambda m: {"\\": "\\", "t": "\t", "n": "\n"}[m.group(1)], field)


def load_glossary(path):
    glossary = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line.strip() or line.startswith("#"):
                continue
            parts = line.split("\t")
            if len(parts) != 2 or not parts[0] or not parts[1]:
                raise ValueError("{}:{}: expected 'source<TAB>translation'".format(path, number))
            source, translation = unescape(parts[0]), unescape(parts[1])
            if source in glossary and glossary[source] != translation:
                raise ValueError("{}:{}: '{}' is translated twice".format(path, number, source))
            glossary[source] = translation
    return glossary


def header_of(text):
    """The XML declaration and DOCTYPE in front of <TS>, kept as they were."""
    start = text.find("<TS")
    if start < 0:
        raise ValueError("not a Qt .ts file: no <TS> element")
    header = text[:start]
    if "<?xml" not in header:
        header = '<?xml version="1.0" encoding="utf-8"?>\n' + header
    if "<!DOCTYPE" not in header:
        header += "<!DOCTYPE TS>\n"
    return header


def fill(root, glossary, overwrite):
    filled = unfinished = 0
    for message in root.iter("message"):
        source = message.find("source")
        translation = message.find("translation")
        if source is None:
            continue
        if translation is None:
            translation = ET.SubElement(message, "translation", {"type": "unfinished"})
        kind = translation.get("type")
        if kind in SKIPPED_TYPES:
            continue
        text = glossary.get(source.text or "")
        already_done = kind is None and (translation.text or list(translation))
        if text is None or (already_done and not overwrite):
            if kind == "unfinished":
                unfinished += 1
            continue
        forms = translation.findall("numerusform")
        if forms:
            # The target language of this glossary has a single plural form.
            for form in forms:
                form.text = text
        else:
            translation.text = text
        translation.attrib.pop("type", None)
        filled += 1
    return filled, unfinished


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("ts")
    parser.add_argument("glossary")
    parser.add_argument("--output", help="write here instead of replacing the .ts file")
    parser.add_argument("--overwrite", action="store_true", help="replace finished translations too")
    args = parser.parse_args(argv)

    try:
        glossary = load_glossary(args.glossary)
        with open(args.ts, encoding="utf-8") as f:
            original = f.read()
        header = header_of(original)
        root = ET.fromstring(original)
    except (OSError, ValueError, ET.ParseError) as error:
        sys.exit("fill_ts: {}".format(error))
    if root.tag != "TS":
        sys.exit("fill_ts: {}: root element is <{}>, not <TS>".format(args.ts, root.tag))

    filled, unfinished = fill(root, glossary, args.overwrite)
    body = ET.tostring(root, encoding="unicode", short_empty_elements=False)
    with open(args.output or args.ts, "w", encoding="utf-8") as f:
        f.write(header + body + "\n")
    print("{}: {} filled, {} left unfinished".format(args.output or args.ts, filled, unfinished))


if __name__ == "__main__":
    main(sys.argv[1:])
