#!/usr/bin/env python3
"""Computes, independently of the program, what an import of a listings file must store in the
program of each schedule entry, and how many children it must log as unused. Entries are chosen
by the rules of expected_guide.py (beside the end-to-end tests); this adds the columns.

Usage: expected_programs.py FILE
One line per slot key, "key|" then the columns of the programs table after its id, NULL where
nothing is set (the programme read last for a key is the one its entry keeps); then the number of
"Unused" lines the import logs at TRACE level.
"""
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from expected_guide import is_blank, own_text, parse_time, records  # noqa: E402


def number(text):
    """Read like atol, saturating at the 32-bit limits."""
    digits = re.match(r"[+-]?[0-9]*", text.lstrip(" \t\n\v\f\r")).group()
    value = int(digits) if digits.lstrip("+-") else 0
    return max(-2**31, min(2**31 - 1, value))


def first(element, path):
    """The first child of each step of the path, or None."""
    for name in path.split("/"):
        element = None if element is None else element.find(name)
    return element


def people(programme):
    credits = first(programme, "credits")
    return [] if credits is None else list(credits)


def columns(programme, title):
    def text(path):
        found = first(programme, path)
        return None if found is None else own_text(found)

    def yes(path):
        return None if text(path) is None else int(text(path) == "yes")

    def present(path):
        return None if first(programme, path) is None else 1

    def joined(role):
        names = [own_text(p) for p in people(programme) if p.tag == role]
        if not names or (role == "actor" and not ", ".join(names)):
            return None  # actors are set only when their list holds something
        return ", ".join(names)

    date, length, subtitles = text("date"), text("length"), first(programme, "subtitles")
    return [
        title, text("sub-title"), text("desc"), text("category"), joined("director"),
        joined("actor"), joined("presenter"), None if date is None else number(date),
        text("star-rating/value"), None if subtitles is None else subtitles.attrib.get("type"),
        present("previously-shown"), text("rating/value"), text("country"), text("language"),
        text("orig-language"), text("episode-num"), yes("video/colour"), text("video/aspect"),
        yes("audio/present"), yes("video/present"), text("audio/stereo"),
        None if length is None else number(length), present("premiere"),
        present("last-chance"), present("new"),
    ]


def main():
    kept, unused = {}, 0
    for element in records(sys.argv[1]):
        start_text, stop_text = element.attrib.get("start"), element.attrib.get("stop")
        start = parse_time(start_text) if start_text is not None else (0,) * 6
        stop = parse_time(stop_text) if stop_text is not None else (0,) * 6
        channel, title = element.attrib.get("channel", ""), first(element, "title")
        title = "" if title is None else own_text(title)
        if element.tag != "programme" or stop <= start or not channel or not title:
            continue
        unused += sum(p.tag not in ("director", "actor", "presenter") for p in people(element))
        unused += (first(element, "icon") is not None) + (first(element, "url") is not None)
        clump = element.attrib.get("clumpidx", "")
        clump = "" if is_blank(clump) else clump.strip(" ")
        key = "%s::%s::%s" % (channel, start_text or "", stop_text or "")
        if not clump or clump[0] == "0":
            kept[key] = columns(element, title)
    out = sys.stdout.buffer
    for key, values in kept.items():
        shown = ["NULL" if v is None else str(v) for v in values]
        out.write((key + "|" + "|".join(shown) + "\n").encode("utf-8"))
    out.write(b"%d\n" % unused)


if __name__ == "__main__":
    main()
