#!/usr/bin/env python3
"""Computes, independently of the program, what an import or an extraction of a listings file
must store: the channel ids in document order, and the schedule entries that survive (slot key,
start, end, title, service), for a fresh database, no offset and the UTC time zone. The service
is the channel id, or NULL when no channel element with that id came before the programme.

Usage: expected_guide.py channels|entries FILE
Prints one item per line; bytes are UTF-8. Records after a well-formedness error are not seen,
as the program stops there too.
"""
import calendar
import sys
import xml.etree.ElementTree as ET


def is_blank(text):
    """No graphic character: a byte from 0x21 to 0x7E, or any character outside ASCII."""
    return not any(c > " " and c != "\x7f" for c in text)


def own_text(element):
    """The element's own character data, references replaced, in runs: what lies between two line
    breaks or between a line break and a child element. Each run is trimmed of spaces, blank ones
    are dropped, the rest joined with one space."""
    pieces = [element.text or ""] + [child.tail or "" for child in element]
    words = []
    for piece in pieces:
        for run in piece.split("\n"):
            run = run.strip(" ")
            if not is_blank(run):
                words.append(run)
    return " ".join(words)


def parse_time(text):
    """Six fields as the XMLTV time reader fills them: up to 14 digits, colons skipped."""
    digits = ""
    for c in text:
        if c == ":" and len(digits) < 14:
            continue
        if "0" <= c <= "9" and len(digits) < 14:
            digits += c
            continue
        break
    fields = [0, 0, 0, 0, 0, 0]
    if len(digits) < 4:
        return tuple(fields)
    fields[0] = int(digits[0:4])
    for i, at in enumerate(range(4, 14, 2)):
        if len(digits) >= at + 2:
            fields[i + 1] = int(digits[at:at + 2])
    return tuple(fields)


def is_calendar_time(fields):
    year, month, day, hour, minute, second = fields
    if not (1 <= year <= 9999 and 1 <= month <= 12 and hour < 24 and minute < 60 and second < 60):
        return False
    return 1 <= day <= calendar.monthrange(year, month)[1]


def time_text(fields):
    return "%04d-%02d-%02d %02d:%02d:%02d" % fields


def records(path):
    """Yields the channel and programme elements in the order their end tags come, at any depth,
    up to a well-formedness error."""
    stream = ET.iterparse(path, events=("end",))
    try:
        for _, element in stream:
            if element.tag in ("channel", "programme"):
                yield element
    except ET.ParseError:
        return


def channels(path):
    """An id holding a line break (written as a character reference) is left out: it would break
    the one-id-per-line format."""
    for element in records(path):
        if element.tag == "channel" and "id" in element.attrib:
            if "\r" not in element.attrib["id"] and "\n" not in element.attrib["id"]:
                yield element.attrib["id"]


def entries(path):
    known = set()
    stored = {}  # slot key -> (service, start, end, title)
    keys_of = {}  # service -> the slot keys of its stored entries
    for element in records(path):
        if element.tag == "channel":
            if "id" in element.attrib:
                known.add(element.attrib["id"])
            continue
        start_text = element.attrib.get("start")
        stop_text = element.attrib.get("stop")
        start = parse_time(start_text) if start_text is not None else (0,) * 6
        stop = parse_time(stop_text) if stop_text is not None else (0,) * 6
        if stop <= start:
            continue
        channel = element.attrib.get("channel", "")
        if not channel:
            continue
        title_element = element.find("title")
        title = own_text(title_element) if title_element is not None else ""
        if not title:
            continue
        clump = element.attrib.get("clumpidx", "")
        clump = "" if is_blank(clump) else clump.strip(" ")
        if clump and clump[0] != "0":
            continue  # attached to its clump's entry, or skipped: no entry of its own
        key = "%s::%s::%s" % (channel, start_text or "", stop_text or "")
        service = channel if channel in known else None
        entry = (service, time_text(start), time_text(stop), title)
        if key in stored:
            keys_of.get(stored[key][0], set()).discard(key)
        # An entry whose times are not a calendar time (no start, say) replaces nothing.
        if service is not None and is_calendar_time(start) and is_calendar_time(stop):
            mine = keys_of.setdefault(service, set())
            for other in [k for k in mine if stored[k][1] < entry[2] and entry[1] < stored[k][2]]:
                del stored[other]
                mine.discard(other)
            mine.add(key)
        stored[key] = entry
    for key, (service, start, end, title) in stored.items():
        yield "%s|%s|%s|%s|%s" % (key, start, end, title, service or "NULL")


def main():
    what, path = sys.argv[1], sys.argv[2]
    items = channels(path) if what == "channels" else entries(path)
    out = sys.stdout.buffer
    for item in items:
        out.write(item.encode("utf-8") + b"\n")


if __name__ == "__main__":
    main()
