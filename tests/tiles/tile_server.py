"""A tile server on 127.0.0.1 for the tests: serves a small PNG for any /Z/X/Y.png, logs every
request (path and User-Agent) to a file, and can refuse (403) or stall (answer nothing).

Usage: tile_server.py MODE LOG PORT_FILE   (MODE: serve, refuse or stall)
It writes the port it listens on to PORT_FILE and as a line to standard output, then serves until
it is killed."""
import http.server
import os
import socketserver
import struct
import sys
import threading
import zlib


def png_tile(seed):
    """A 256 x 256 PNG whose colour follows `seed`, so that tiles differ."""
    raw = b"".join(b"\x00" + bytes([(seed * 37) % 256, (x + seed) % 256, 200]) * 256 for x in range(256))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", 256, 256, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")


def main():
    mode, log_path, port_file = sys.argv[1:4]
    lock = threading.Lock()

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            with lock, open(log_path, "a", encoding="utf-8") as log:
                log.write("%s\t%s\n" % (self.path, self.headers.get("User-Agent", "")))
            if mode == "stall":
                threading.Event().wait()  # holds the connection, sending nothing, until killed
            if mode == "refuse":
                self.send_response(403)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            parts = self.path.strip("/").split("/")
            body = png_tile(sum(int("".join(c for c in p if c.isdigit()) or 0) for p in parts))
            self.send_response(200)
            self.send_header("Content-Type", "image/png")
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Cache-Control", "max-age=86400")
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
        daemon_threads = True

    server = Server(("127.0.0.1", 0), Handler)
    with open(port_file + ".part", "w", encoding="utf-8") as out:
        out.write(str(server.server_address[1]))
    os.replace(port_file + ".part", port_file)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
