"""Usage: expected_guide.py channels|entries|programs FILE

What an extraction or an import of the file into a fresh database must store, with no offset in
the UTC time zone, computed independently of the program: the channel ids in document order; or
the surviving entries as "slot key|start|end|title|service" (the channel id, or NULL when no
channel with that id came before); or the programs of those entries, "slot key|" then the
columns of the programs table after its id (NULL where nothing is set), "slot key+title+..."
for an entry with programs added by its clump, and last the number of "Unused" lines the import
logs at TRACE level. One a line in UTF-8. Like the program, it stops at a well-formedness
error."""
import calendar
import re
import sys
import xml.etree.ElementTree as ET


def is_blank(text):
    """No graphic character: a byte from 0x21 to 0x7E, or any character outside ASCII."""
    return not any(c > " " and c != "\x7f" for c in text)


def own_text(element):
    """The element's own text, in runs between line breaks and child elements: each trimmed of
    spaces, the blank ones dropped, the rest joined with one space."""
    pieces = [element.text or ""] + [child.tail or "" for child in element]
    runs = (run.strip(" ") for piece in pieces for run in piece.split("\n"))
    return " ".join(run for run in runs if not is_blank(run))


def parse_time(text):
    """Six fields as the XMLTV time reader fills them: up to 14 digits, colons skipped."""
    digits = ""
    for c in text:
        if len(digits) == 14 or not (c == ":" or "0" <= c <= "9"):
            break
        digits += c if c != ":" else ""
    if len(digits) < 4:
        return (0,) * 6
    return (int(digits[0:4]),) + tuple(
        int(digits[at:at + 2]) if len(digits) >= at + 2 else 0 for at in range(4, 14, 2))


def is_calendar_time(fields):
    year, month, day, hour, minute, second = fields
    return (1 <= year <= 9999 and 1 <= month <= 12 and hour < 24 and minute < 60 and second < 60
            and 1 <= day <= calendar.monthrange(year, month)[1])


def records(path):
    """The channel and programme elements in the order their end tags come, at any depth, up to
    a well-formedness error."""
    try:
        for _, element in ET.iterparse(path, events=("end",)):
            if element.tag in ("channel", "programme"):
                yield element
    except ET.ParseError:
        return


def channels(path):
    """An id holding a line break would break the one-id-per-line format: it is left out."""
    for element in records(path):
        ident = element.attrib.get("id") if element.tag == "channel" else None
        if ident is not None and "\r" not in ident and "\n" not in ident:
            yield ident


def entries(path):
    known = set()
    stored = {}  # slot key -> (service, start, end, title)
    keys_of = {}  # service -> the slot keys of its stored entries with calendar times
    for element in records(path):
        if element.tag == "channel":
            if "id" in element.attrib:
                known.add(element.attrib["id"])
            continue
        start_text, stop_text = element.attrib.get("start"), element.attrib.get("stop")
        start, stop = (parse_time(t) if t is not None else (0,) * 6 for t in (start_text, stop_text))
        channel = element.attrib.get("channel", "")
        title = own_text(element.find("title")) if element.find("title") is not None else ""
        clump = element.attrib.get("clumpidx", "")
        clump = "" if is_blank(clump) else clump.strip(" ")
        # Rejected, or attached to its clump's entry or skipped: no entry of its own.
        if stop <= start or not channel or not title or (clump and clump[0] != "0"):
            continue
        key = "%s::%s::%s" % (channel, start_text or "", stop_text or "")
        service = channel if channel in known else None
        entry = (service, "%04d-%02d-%02d %02d:%02d:%02d" % start,
                 "%04d-%02d-%02d %02d:%02d:%02d" % stop, title)
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


def programs(path):
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
    for key, (values, added) in kept.items():
        if key in surviving:
            yield key + "|" + "|".join("NULL" if v is None else str(v) for v in values)
            if added:
                yield key + "+" + "+".join(added)
    yield str(unused)


if __name__ == "__main__":
    jobs = {"channels": channels, "entries": entries, "programs": programs}
    for item in jobs[sys.argv[1]](sys.argv[2]):
        sys.stdout.buffer.write(item.encode("utf-8") + b"\n")
