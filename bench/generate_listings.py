#!/usr/bin/env python3
"""Writes a deterministic, realistic XMLTV listings file for benchmarks.

The same arguments always give the same bytes. Programmes are spread round-robin over the
channels and follow each other without gaps on each channel, so none overlap; every 40th slot of
a channel is a clump of two programmes sharing channel, start and stop. The file is written as it
is generated, so its size is not limited by memory.

    generate_listings.py CHANNELS PROGRAMMES OUTPUT [--one-line]
"""

import argparse
import datetime
from xml.sax.saxutils import escape, quoteattr

CHUNK = 2000  # programmes per write
CLUMP_EVERY = 40  # every 40th slot of a channel holds a clump of two
# Far enough ahead that no programme has ended when the file is imported, as in a real guide's
# listings: a second import then refreshes the entries instead of removing them all as past.
FIRST_DAY = datetime.date(2099, 3, 1)
FIRST_MINUTE = 6 * 60  # the first programme of every channel starts at 06:00
DURATIONS = (30, 25, 60, 45, 5, 90, 30, 55, 120, 10, 30, 60, 15)

TITLES = (  # (language, title)
    ("en", "The Morning Show"), ("fr", "Les Énigmes du château"), ("de", "Über den Wolken"),
    ("es", "Crónica de la mañana"), ("ru", "Новости"), ("ru", "Вечерний разговор"),
    ("ja", "ニュース７"), ("ja", "世界の車窓から"), ("en", "Tom & Jerry"),
    ("en", "Nature's Wonders"), ("da", "Næste stop København"), ("fr", "Ça roule !"),
    ("sv", "Sveriges bästa bagare"), ("pl", "Kraków nocą"), ("en", "Doctor's Orders"),
    ("en", "Weather Tonight"), ("en", "Golden Age of Cinema"), ("de", "Großstadtrevier"),
    ("el", "Ο καιρός σήμερα"), ("en", "Late Night Jazz"), ("el", "Η ιστορία της Αθήνας"),
    ("en", "Grand Prix Highlights"), ("en", "Detective Ōmura"), ("en", "Kitchen Rescue"),
)
SUBJECTS = (
    "The Return", "A Long Way Home", "Déjà vu", "Пропавший след", "Beginnings", "The Storm",
    "Cold Case", "雨の日", "Old Friends", "The Last Train", "Mañana", "Night Shift",
)
SENTENCES = (
    "An old secret comes to light.",
    "Fishermen who still work by hand.",
    "Nobody notices the letter.",
    "How the river shaped the valley.",
    "Une enquête oubliée reprend.",
    "Ein altes Bauernhaus wird renoviert.",
    "Гости обсуждают новости недели.",
    "駅の周りの人々の一日。",
    "Highlights from the races.",
    "Chefs cook with local produce.",
    "The city's first airport, on film.",
    "One last case for the detective.",
    "Live music from Oslo and Kraków.",
    "Family cars on a mountain road.",
)
NAMES = (
    "José Álvarez", "Zoë Müller", "Иван Петров", "山田太郎", "Anna Larsen", "Mark O'Neill",
    "Chloé Dubois", "Søren Kjær", "Emily Carter", "Łukasz Nowak", "Grace Kim", "David Brown",
    "Ольга Смирнова", "Paolo Rossi", "Nils Åberg", "鈴木花子", "Laura García", "Tom Walsh",
)
ROLES = ("Inspector Hale", "Marie", "The Captain", "Доктор", "Narrator", "Kenji")
CATEGORIES = ("Drama", "News", "Documentary", "Sport", "Comedy", "Music", "Film", "Cookery")
RATINGS = ("TV-G", "TV-PG", "TV-14", "TV-MA")
ASPECTS = ("16:9", "16:9", "4:3")
STEREO = ("stereo", "stereo", "dolby digital", "mono")

CHANNEL = """\
  <channel id={id}>
    <display-name lang="en">{name}</display-name>
    <icon src={icon} />
  </channel>
"""

PROGRAMME = """\
  <programme start="{start}" stop="{stop}" channel={channel}{clump}>
    <title lang="{lang}">{title}</title>
    <sub-title>{subtitle}</sub-title>
    <desc lang="en">{desc}</desc>
    <credits>
      <director>{director}</director>
      <actor role={role}>{actor1}</actor>
      <actor>{actor2}</actor>
    </credits>
    <date>{year}</date>
    <category>{category}</category>
    <episode-num system="xmltv_ns">{episode}</episode-num>
    <video>
      <aspect>{aspect}</aspect>
    </video>
    <audio>
      <stereo>{stereo}</stereo>
    </audio>{previously}
    <rating system="VCHIP">
      <value>{rating}</value>
    </rating>
    <star-rating>
      <value>{stars}/5</value>
    </star-rating>
  </programme>
"""

PREVIOUSLY = '\n    <previously-shown start="{}" />'


def one_line(template):
    """The template without its line breaks and indentation."""
    return "".join(line.lstrip() for line in template.splitlines())


class Stamps:
    """XMLTV stamps for minute counts since FIRST_DAY 00:00, built from cached parts."""

    def __init__(self):
        self.days = {}
        self.times = ["%02d%02d00 +0100" % divmod(m, 60) for m in range(24 * 60)]

    def __call__(self, minute):
        day, of_day = divmod(minute, 24 * 60)
        prefix = self.days.get(day)
        if prefix is None:
            prefix = (FIRST_DAY + datetime.timedelta(days=day)).strftime("%Y%m%d")
            self.days[day] = prefix
        return prefix + self.times[of_day]


def channel_id(n):
    return "ch%03d.example.tv" % n


def write_channels(out, count, template):
    for n in range(1, count + 1):
        name = "Канал %d" % n if n % 5 == 0 else "Channel %d" % n
        out.write(template.format(
            id=quoteattr(channel_id(n)), name=escape(name),
            icon=quoteattr("http://images.example.tv/logos/%s.png" % channel_id(n))))


def programme_fields(i, slot, channel, start, stop, previously, desc_break):
    """The template's values for the i-th programme, the slot-th of its channel."""
    e = escape
    lang, title = TITLES[i % len(TITLES)]
    desc = desc_break.join(e(SENTENCES[(i + k * 5) % len(SENTENCES)]) for k in range(3))
    return dict(
        start=start, stop=stop, channel=channel, clump="", lang=lang, title=e(title),
        subtitle=e("%s (%d)" % (SUBJECTS[i % len(SUBJECTS)], slot + 1)), desc=desc,
        director=e(NAMES[i % len(NAMES)]), role=quoteattr(ROLES[i % len(ROLES)]),
        actor1=e(NAMES[(i + 3) % len(NAMES)]), actor2=e(NAMES[(i + 7) % len(NAMES)]),
        year=1960 + i % 64, category=CATEGORIES[i % len(CATEGORIES)], episode="%d.%d.0/1" % (i % 12, slot % 26),
        aspect=ASPECTS[i % len(ASPECTS)], stereo=STEREO[i % len(STEREO)],
        previously=previously if i % 3 == 0 else "", rating=RATINGS[i % len(RATINGS)],
        stars=1 + i % 5)


def write_programmes(out, channels, count, template, previously, desc_break):
    stamp = Stamps()
    clock = [FIRST_MINUTE] * channels  # the next start on each channel
    slots = [0] * channels
    ids = [quoteattr(channel_id(n)) for n in range(1, channels + 1)]
    chunk = []
    i = 0
    while i < count:
        c = i % channels
        slot = slots[c]
        begin = clock[c]
        end = begin + DURATIONS[(slot + c) % len(DURATIONS)]
        start, stop = stamp(begin), stamp(end)
        parts = 2 if slot % CLUMP_EVERY == CLUMP_EVERY - 1 and count - i >= 2 else 1
        shown = previously.format(stamp(max(0, begin - 7 * 24 * 60)))  # a week before
        for index in range(parts):
            fields = programme_fields(i, slot, ids[c], start, stop, shown, desc_break)
            if parts > 1:
                fields["clump"] = ' clumpidx="%d/2"' % index
            chunk.append(template.format(**fields))
            i += 1
        clock[c] = end
        slots[c] = slot + 1
        if len(chunk) >= CHUNK:
            out.write("".join(chunk))
            chunk.clear()
    out.write("".join(chunk))


def main():
    parser = argparse.ArgumentParser(description="Write a deterministic XMLTV listings file.")
    parser.add_argument("channels", type=int, help="number of channels (at least 1)")
    parser.add_argument("programmes", type=int, help="number of programme elements")
    parser.add_argument("output", help="file to write")
    parser.add_argument("--one-line", action="store_true",
                        help="write the whole document on a single line")
    args = parser.parse_args()
    if args.channels < 1 or args.programmes < 0:
        parser.error("need at least one channel and a programme count of 0 or more")

    channel, programme, previously = CHANNEL, PROGRAMME, PREVIOUSLY
    head = ('<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE tv SYSTEM "xmltv.dtd">\n'
            '<tv source-info-name="Example Listings" '
            'generator-info-name="ruzozaze bench/generate_listings.py">\n')
    tail, desc_break = "</tv>\n", "\n"
    if args.one_line:
        channel, programme, previously = map(one_line, (channel, programme, previously))
        head, tail, desc_break = head.replace("\n", ""), "</tv>", " "
    with open(args.output, "w", encoding="utf-8", newline="\n", buffering=1 << 20) as out:
        out.write(head)
        write_channels(out, args.channels, channel)
        write_programmes(out, args.channels, args.programmes, programme, previously, desc_break)
        out.write(tail)


if __name__ == "__main__":
    main()
