"""Inputs of the page tests: tracks with chosen fixes (written by scripts/nmea_log.py) and JPEG
photos with a chosen capture time."""

import math
import pathlib
import struct
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "scripts"))
from nmea_log import write_log  # noqa: E402,F401  (the page tests write their logs through it)


def offset(origin, east_km, north_km):
    """The (lat, lng) that lies the given kilometres east and north of `origin`."""
    lat, lng = origin
    return lat + north_km / (20000 / 180), lng + east_km / (20000 / 180 * math.cos(math.radians(lat)))


def hill_walk(origin, count, step_seconds=5):
    """`count` fixes (lat, lng, alt) `step_seconds` apart: a walk at 4.6 km/h, north-east with gentle
    turns, over a hill on whose top it rests for an eighth of the time."""
    positions, east, north = [], 0.0, 0.0
    for i in range(count):
        t = i / max(count - 1, 1)
        if 7 / 16 <= t < 9 / 16 and positions:
            positions.append(positions[-1])
            continue
        heading, step_km = 0.8 + 0.9 * math.sin(8 * t) + 0.35 * math.sin(44 * t), 4.6 * step_seconds / 3600
        east, north = east + step_km * math.sin(heading), north + step_km * math.cos(heading)
        positions.append((*offset(origin, east, north), 12 + 170 * math.exp(-((t - 0.5) / 0.12) ** 2) + 4 * math.sin(69 * t)))
    return positions


def jpeg_with_date(jpeg, camera_time):
    """The JPEG with an Exif block right after its start marker, where the program looks for it:
    a little-endian TIFF block whose first directory holds DateTime only."""
    text = camera_time.strftime("%Y:%m:%d %H:%M:%S").encode("ascii") + b"\0"
    body = b"Exif\0\0II" + struct.pack("<HIHHHIII", 42, 8, 1, 0x0132, 2, len(text), 8 + 2 + 12 + 4, 0) + text
    return jpeg[:2] + b"\xff\xe1" + struct.pack(">H", len(body) + 2) + body + jpeg[2:]
