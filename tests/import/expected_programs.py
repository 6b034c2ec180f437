#!/usr/bin/env python3
"""Computes, independently of the program, what an import of a listings file must store in the
program of each schedule entry, and how many children it must log as unused. Entries are chosen
by the rules of expected_guide.py (beside the end-to-end tests); this adds the columns.

Usage: expected_programs.py programs|unused FILE
programs: one line per slot key, "key|" then the columns of the programs table after its id, in
table order, NULL where nothing is set. The programme read last for a key is the one its entry keeps.
unused: the number of "Unused" lines the import logs at TRACE level.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from expected_guide import is_blank, own_text, parse_time, records  # noqa: E402


def number(text):
    """Read like atol, saturating at the 32-bit limits."""
    text = text.lstrip(" \t\n\v\f\r")
    sign = 1
    if text[:1] in ("+", "-"):
        sign = -1 if text[0] == "-" else 1
        text = text[1:]
    digits = ""
    for c in text:
        if not "0" <= c <= "9":
            break
        digits += c
    value = sign * int(digits or "0")
    return max(-2**31, min(2**31 - 1, value))


def first(element, path):
    """The first child of each step of the path, or None."""
    for name in path.split("/"):
        element = None if element is None else element.find(name)
    return element


def text_of(element):
    return None if element is None else own_text(element)


def yes(element):
    return None if element is None else int(own_text(element) == "yes")


def present(element):
    return None if element is None else 1


def credits(programme):
    people = first(programme, "credits")
    names = {"director": [], "actor": [], "presenter": []}
    for person in [] if people is None else people:
        if person.tag in names:
            names[person.tag].append(own_text(person))
    joined = {role: ", ".join(found) if found else None for role, found in names.items()}
    if joined["actor"] == "":
        joined["actor"] = None  # actors are set only when their list holds something
    return joined


def columns(programme, title):
    people = credits(programme)
    date, length = first(programme, "date"), first(programme, "length")
    subtitles = first(programme, "subtitles")
    return [
        title, text_of(first(programme, "sub-title")), text_of(first(programme, "desc")),
        text_of(first(programme, "category")), people["director"], people["actor"],
        people["presenter"], None if date is None else number(own_text(date)),
        text_of(first(programme, "star-rating/value")),
        None if subtitles is None else subtitles.attrib.get("type"),
        present(first(programme, "previously-shown")), text_of(first(programme, "rating/value")),
        text_of(first(programme, "country")), text_of(first(programme, "language")),
        text_of(first(programme, "orig-language")), text_of(first(programme, "episode-num")),
        yes(first(programme, "video/colour")), text_of(first(programme, "video/aspect")),
        yes(first(programme, "audio/present")), yes(first(programme, "video/present")),
        text_of(first(programme, "audio/stereo")),
        None if length is None else number(own_text(length)), present(first(programme, "premiere")),
        present(first(programme, "last-chance")), present(first(programme, "new")),
    ]


def unused(programme):
    people = first(programme, "credits")
    others = [] if people is None else [
        p for p in people if p.tag not in ("director", "actor", "presenter")]
    return len(others) + (first(programme, "icon") is not None) + (
        first(programme, "url") is not None)


def filled(path):
    """The programmes that become program objects, with their slot key and title."""
    for element in records(path):
        if element.tag != "programme":
            continue
        start_text, stop_text = element.attrib.get("start"), element.attrib.get("stop")
        start = parse_time(start_text) if start_text is not None else (0,) * 6
        stop = parse_time(stop_text) if stop_text is not None else (0,) * 6
        channel = element.attrib.get("channel", "")
        title = text_of(first(element, "title")) or ""
        if stop <= start or not channel or not title:
            continue
        key = "%s::%s::%s" % (channel, start_text or "", stop_text or "")
        yield element, key, title


def programs(path):
    kept = {}
    for element, key, title in filled(path):
        clump = element.attrib.get("clumpidx", "")
        clump = "" if is_blank(clump) else clump.strip(" ")
        if not clump or clump[0] == "0":
            kept[key] = columns(element, title)
    for key, values in kept.items():
        shown = ["NULL" if v is None else str(v) for v in values]
        yield key + "|" + "|".join(shown)


def main():
    what, path = sys.argv[1], sys.argv[2]
    if what == "unused":
        lines = [str(sum(unused(element) for element, _, _ in filled(path)))]
    else:
        lines = programs(path)
    out = sys.stdout.buffer
    for line in lines:
        out.write(line.encode("utf-8") + b"\n")


if __name__ == "__main__":
    main()
