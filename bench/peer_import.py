#!/usr/bin/env python3
"""Imports an XMLTV listings file into an SQLite database with the Python standard library.

The benchmark's reference: what a competent user gets by doing the job by hand. The file is
read as a stream (iterparse, each finished element cleared), everything is written in one
transaction with parameterised statements. Each channel becomes a service, each programme a
program and a schedule entry keyed by channel and start; the second and later parts of a clump
are attached to the entry of the first. Times are stored as local wall-clock text, the zone
offset of the stamp dropped.

    peer_import.py LISTINGS DATABASE
"""

import sqlite3
import sys
import xml.etree.ElementTree as ET

SCHEMA = """
CREATE TABLE IF NOT EXISTS services(
  id INTEGER PRIMARY KEY, channel_id TEXT UNIQUE, name TEXT, icon TEXT);
CREATE TABLE IF NOT EXISTS programs(
  id INTEGER PRIMARY KEY, title TEXT, sub_title TEXT, description TEXT, category TEXT,
  directors TEXT, actors TEXT, date TEXT, episode_number TEXT, aspect TEXT, stereo TEXT,
  previously_shown INTEGER, rating TEXT, star_rating TEXT);
CREATE TABLE IF NOT EXISTS schedule_entries(
  id INTEGER PRIMARY KEY, slot_key TEXT UNIQUE, service_id INTEGER, program_id INTEGER,
  start_time TEXT, end_time TEXT);
CREATE INDEX IF NOT EXISTS entries_by_service ON schedule_entries(service_id, start_time);
CREATE TABLE IF NOT EXISTS schedule_entry_programs(entry_id INTEGER, program_id INTEGER);
"""

INSERT_PROGRAM = """INSERT INTO programs(title, sub_title, description, category, directors,
  actors, date, episode_number, aspect, stereo, previously_shown, rating, star_rating)
  VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"""
INSERT_ENTRY = """INSERT OR REPLACE INTO schedule_entries(slot_key, service_id, program_id,
  start_time, end_time) VALUES (?, ?, ?, ?, ?)"""
ATTACH_PROGRAM = """INSERT INTO schedule_entry_programs(entry_id, program_id)
  SELECT id, ? FROM schedule_entries WHERE slot_key = ?"""
UPSERT_SERVICE = """INSERT INTO services(channel_id, name, icon) VALUES (?, ?, ?)
  ON CONFLICT(channel_id) DO UPDATE SET name = excluded.name, icon = excluded.icon"""


def local_time(stamp):
    """'20990301060000 +0100' -> '2099-03-01 06:00:00'."""
    digits = stamp.split(" ")[0].replace(":", "").ljust(14, "0")
    return "%s-%s-%s %s:%s:%s" % (digits[0:4], digits[4:6], digits[6:8], digits[8:10],
                                  digits[10:12], digits[12:14])


def joined(element, path):
    names = [e.text.strip() for e in element.iterfind(path) if e.text]
    return ", ".join(names) or None


def text(element, path):
    found = element.findtext(path)
    return found.strip() if found else None


def import_channel(db, services, channel):
    channel_id = channel.get("id")
    icon = channel.find("icon")
    db.execute(UPSERT_SERVICE, (channel_id, text(channel, "display-name"),
                                icon.get("src") if icon is not None else None))
    services[channel_id] = db.execute("SELECT id FROM services WHERE channel_id = ?",
                                      (channel_id,)).fetchone()[0]


def import_programme(db, services, programme):
    start, stop, channel = programme.get("start"), programme.get("stop"), programme.get("channel")
    title = text(programme, "title")
    if not start or not stop or not channel or not title:
        return
    program_id = db.execute(INSERT_PROGRAM, (
        title, text(programme, "sub-title"), text(programme, "desc"), text(programme, "category"),
        joined(programme, "credits/director"), joined(programme, "credits/actor"),
        text(programme, "date"), text(programme, "episode-num"), text(programme, "video/aspect"),
        text(programme, "audio/stereo"), programme.find("previously-shown") is not None,
        text(programme, "rating/value"), text(programme, "star-rating/value"))).lastrowid
    slot_key = channel + "|" + start
    if programme.get("clumpidx", "0").strip().startswith("0"):
        db.execute(INSERT_ENTRY, (slot_key, services.get(channel), program_id,
                                  local_time(start), local_time(stop)))
    else:
        db.execute(ATTACH_PROGRAM, (program_id, slot_key))


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: peer_import.py LISTINGS DATABASE")
    db = sqlite3.connect(sys.argv[2])
    db.executescript(SCHEMA)
    services = {}
    with db:  # one transaction, committed at the end
        events = ET.iterparse(sys.argv[1], events=("start", "end"))
        _, root = next(events)
        for event, element in events:
            if event != "end":
                continue
            if element.tag == "channel":
                import_channel(db, services, element)
                root.clear()
            elif element.tag == "programme":
                import_programme(db, services, element)
                root.clear()
    db.close()


if __name__ == "__main__":
    main()
