#!/usr/bin/env python3
"""Makes the bundled sample: a 20-minute bicycle ride along the Kamo river in Kyoto, logged at
1 Hz (GGA, GSA and RMC sentences), and four small photos, three taken during the ride and one
after it. Needs Debian's exiftool and cjpeg. Run once; the results are committed."""
import math, os, subprocess, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from nmea_log import angle, sentence  # noqa: E402

# Waypoints (latitude, longitude) from Demachiyanagi down the river to Shijo.
WAYPOINTS = [(35.0301, 135.7721), (35.0262, 135.7712), (35.0215, 135.7709), (35.0170, 135.7716),
             (35.0121, 135.7719), (35.0076, 135.7717), (35.0040, 135.7718), (35.0033, 135.7715)]
START_UTC = (2026, 5, 3, 1, 0, 0)   # 10:00 in Japan
SECONDS = 1200

def position(t):
    # Walk along the waypoints at constant speed, with a small wobble.
    legs = [math.dist(a, b) for a, b in zip(WAYPOINTS, WAYPOINTS[1:])]
    along = sum(legs) * t / SECONDS
    for (a, b), leg in zip(zip(WAYPOINTS, WAYPOINTS[1:]), legs):
        if along <= leg:
            f = along / leg
            return (a[0] + (b[0] - a[0]) * f + 0.00002 * math.sin(t / 7),
                    a[1] + (b[1] - a[1]) * f + 0.00002 * math.cos(t / 11))
        along -= leg
    return WAYPOINTS[-1]

def log_lines():
    y, mo, d, h, mi, s = START_UTC
    out = []
    for t in range(SECONDS + 1):
        total = h * 3600 + mi * 60 + s + t
        hhmmss = '%02d%02d%02d.00' % (total // 3600, total // 60 % 60, total % 60)
        lat, lng = position(t)
        la, lo = angle(lat, 2, 4), angle(lng, 3, 4)
        alt = 45 - 12 * t / SECONDS + 1.5 * math.sin(t / 90)
        out.append(sentence('GPGGA,%s,%s,N,%s,E,1,09,0.9,%.1f,M,38.1,M,,' % (hhmmss, la, lo, alt)))
        out.append(sentence('GPGSA,A,3,02,05,12,13,15,18,20,25,29,,,,1.6,0.9,1.3'))
        out.append(sentence('GPRMC,%s,A,%s,N,%s,E,8.1,192.4,%02d%02d%02d,,,A' %
                            (hhmmss, la, lo, d, mo, y % 100)))
    return out

def photo(name, colour, when):
    w, h = 160, 120
    pixels = bytearray()
    for yy in range(h):
        for xx in range(w):
            shade = 0.55 + 0.45 * (yy / h)
            wave = 0.15 * math.sin(xx / 9.0 + yy / 13.0)
            pixels += bytes(max(0, min(255, int(c * (shade + wave)))) for c in colour)
    ppm = b'P6 %d %d 255\n' % (w, h) + bytes(pixels)
    jpeg = subprocess.run(['cjpeg', '-quality', '60'], input=ppm, capture_output=True, check=True).stdout
    with open(name, 'wb') as f:
        f.write(jpeg)
    subprocess.run(['exiftool', '-q', '-overwrite_original', '-Make=Routelet', '-Model=Sample',
                    '-DateTimeOriginal=' + when, '-ModifyDate=' + when, name], check=True)

if __name__ == '__main__':
    here = os.path.dirname(os.path.abspath(__file__))
    os.chdir(here)
    with open('kamo-river-ride.log', 'w', newline='') as f:
        f.writelines(log_lines())
    photo('demachiyanagi.jpg', (90, 150, 210), '2026:05:03 10:02:10')
    photo('kamo-bridge.jpg', (120, 180, 110), '2026:05:03 10:09:45')
    photo('sanjo.jpg', (220, 170, 90), '2026:05:03 10:19:30')
    photo('lunch-later.jpg', (200, 100, 120), '2026:05:03 12:15:00')
