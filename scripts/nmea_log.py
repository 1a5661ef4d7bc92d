"""NMEA 0183 text for generated logs: the bundled sample trip and the page tests' trips.
(The benchmarks' large logs come from bench/make_nmea_log, which writes them as it goes.)"""

import datetime
import functools


def sentence(body):
    """`body` as a sentence: "$", the body, "*", its checksum, CR LF."""
    return f"${body}*{functools.reduce(lambda a, c: a ^ c, body.encode('ascii'), 0):02X}\r\n"


def angle(value, degree_digits, minute_decimals=6):
    """abs(value) as NMEA ddmm.mmmm (dddmm.mmmm for longitudes) with `minute_decimals` decimals."""
    minutes = round(abs(value) * 60, minute_decimals)
    return f"{int(minutes // 60):0{degree_digits}d}{minutes % 60:0{minute_decimals + 3}.{minute_decimals}f}"


def write_log(path, start, step_seconds, positions):
    """A $GPGGA and a $GPRMC sentence every `step_seconds` from UTC `start` for each of
    `positions`: (lat, lng, alt), alt None for a fix without a height, or None for a receiver
    without a fix."""
    with open(path, "w", encoding="ascii", newline="") as out:
        out.write(sentence("GPTXT,01,01,02,generated log"))
        for i, position in enumerate(positions):
            when = start + datetime.timedelta(seconds=i * step_seconds)
            hms, dmy = when.strftime("%H%M%S"), when.strftime("%d%m%y")
            if position is None:
                out.write(sentence(f"GPGGA,{hms},,,,,0,00,,,M,,M,,") + sentence(f"GPRMC,{hms},V,,,,,,,{dmy},,,N"))
                continue
            lat, lng, alt = position
            where = f"{angle(lat, 2)},{'NS'[lat < 0]},{angle(lng, 3)},{'EW'[lng < 0]}"
            height = "" if alt is None else f"{alt:.1f}"
            out.write(sentence(f"GPGGA,{hms},{where},1,08,0.9,{height},M,39.5,M,,") +
                      sentence(f"GPRMC,{hms},A,{where},2.5,90.0,{dmy},,,A"))
