#!/usr/bin/env python3
"""Usage: expected_programs.py FILE. Computes, independently of the program, what an import of a
listings file into a fresh database stores in the programs of the entries that survive (those of
expected_guide.py, beside the end-to-end tests): "key|" then the columns of the programs table
after its id (NULL where nothing is set) for each entry, "key+title+..." for one with programs
added by its clump, then the number of "Unused" lines the import logs at TRACE level."""
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from expected_guide import entries, is_blank, own_text, parse_time, records  # noqa: E402


def number(text):
    """Read like atol, saturating at the 32-bit limits."""
    digits = re.match(r"[+-]?[0-9]*", text.lstrip(" \t\n\v\f\r")).group()
    return max(-2**31, min(2**31 - 1, int(digits) if digits.lstrip("+-") else 0))


def first(element, path):
    """The first child of each step of the path, or None."""
    for name in path.split("/"):
        element = None if element is None else element.find(name)
    return element


def people(programme):
    credits = first(programme, "credits")
    return [] if credits is None else list(credits)


def columns(programme, title):
    def text(path, convert=lambda t: t):
        found = first(programme, path)
        return None if found is None else convert(own_text(found))

    def present(path):
        return None if first(programme, path) is None else 1

    def joined(role):  # actors are set only when their list holds something
        names = [own_text(p) for p in people(programme) if p.tag == role]
        return ", ".join(names) if names and (role != "actor" or ", ".join(names)) else None

    def yes(t):
        return int(t == "yes")

    subtitles = first(programme, "subtitles")
    return [
        title, text("sub-title"), text("desc"), text("category"), joined("director"),
        joined("actor"), joined("presenter"), text("date", number), text("star-rating/value"),
        None if subtitles is None else subtitles.attrib.get("type"), present("previously-shown"),
        text("rating/value"), text("country"), text("language"), text("orig-language"),
        text("episode-num"), text("video/colour", yes), text("video/aspect"),
        text("audio/present", yes), text("video/present", yes), text("audio/stereo"),
        text("length", number), present("premiere"), present("last-chance"), present("new"),
    ]


def main():
    path = sys.argv[1]
    kept, unused = {}, 0  # key -> [columns, titles of the clump's added programs]
    for element in records(path):
        texts = [element.attrib.get(a, "") for a in ("start", "stop")]
        start, stop = (parse_time(t) for t in texts)
        channel, title = element.attrib.get("channel", ""), first(element, "title")
        title = "" if title is None else own_text(title)
        if element.tag != "programme" or stop <= start or not channel or not title:
            continue
        unused += sum(p.tag not in ("director", "actor", "presenter") for p in people(element))
        unused += (first(element, "icon") is not None) + (first(element, "url") is not None)
        clump = element.attrib.get("clumpidx", "")
        clump = "" if is_blank(clump) else clump.strip(" ")
        key = "::".join([channel] + texts)
        if not clump or clump[0] == "0":
            kept[key] = [columns(element, title), []]
        elif clump[0] == "1" and key in kept:
            kept[key][1].append(title)
    time = r"\|\d{4}-\d\d-\d\d \d\d:\d\d:\d\d"
    surviving = {re.match(r"(.*?)" + time + time + r"\|", line).group(1) for line in entries(path)}
    lines = []
    for key, (values, added) in kept.items():
        if key in surviving:
            lines.append(key + "|" + "|".join("NULL" if v is None else str(v) for v in values))
            lines += [key + "+" + "+".join(added)] if added else []
    sys.stdout.buffer.write("".join(line + "\n" for line in lines + [str(unused)]).encode("utf-8"))


if __name__ == "__main__":
    main()
