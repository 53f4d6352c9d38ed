#!/usr/bin/env python3
"""Checks the loopback test server and, given --publisher, the publisher's documents:
written by the tool, served over HTTP and decoded here with Python's own Base64 and GBK."""

import argparse
import base64
import http.client
import json
import os
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
PUBLISHER = None


class Running:
    """server.py in a fresh folder; stopped at the end of the test."""

    def __init__(self, *extra):
        self.root = tempfile.mkdtemp(prefix="tavik-server-")
        self.log = os.path.join(self.root, "requests.jsonl")
        self.proc = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "server.py"), "--root", self.root,
             "--log", self.log, *extra],
            stdout=subprocess.PIPE, text=True)
        self.port = int(self.proc.stdout.readline())
        self.base = f"http://127.0.0.1:{self.port}"

    def write(self, name, data):
        with open(os.path.join(self.root, name), "wb") as f:
            f.write(data)

    def get(self, path, timeout=5, headers=None):
        request = urllib.request.Request(self.base + path, headers=headers or {})
        with urllib.request.urlopen(request, timeout=timeout) as response:
            return response.status, response.read()

    def requests(self):
        return json.loads(self.get("/requests")[1])

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait()
        self.proc.stdout.close()


def decode_document(encoded):
    """The program's codec: standard Base64 with the letter case swapped, over GBK bytes."""
    return base64.b64decode(encoded.swapcase()).decode("gbk")


def entries(document):
    return dict(item.split("=", 1) for item in document.split(";") if item)


class ServerTest(unittest.TestCase):
    def setUp(self):
        self.server = Running()
        self.addCleanup(self.server.close)

    def status_of(self, path, timeout=5):
        try:
            return self.server.get(path, timeout)[0]
        except urllib.error.HTTPError as e:
            return e.code

    def test_serves_the_document_written_after_start(self):
        self.assertEqual(self.status_of("/?type=update"), 404)
        self.server.write("update.txt", b"sg9Tzt1ODhrWoW==")
        for path in ("/?type=update", "/site/?type=update"):
            self.assertEqual(self.server.get(path), (200, b"sg9Tzt1ODhrWoW=="))

    def test_files_missing_paths_and_escapes(self):
        self.server.write("Tavik.exe", b"MZ" + bytes(range(256)) * 40)
        self.assertEqual(self.server.get("/files/Tavik.exe")[1], b"MZ" + bytes(range(256)) * 40)
        for path in ("/files/nothing.exe", "/files/", "/files/..%2Fserver.py",
                     "/missing", "/"):
            self.assertEqual(self.status_of(path), 404, path)

    def test_broken_download_ends_short(self):
        data = bytes(range(256)) * 100
        self.server.write("Tavik.exe", data)
        conn = http.client.HTTPConnection("127.0.0.1", self.server.port, timeout=5)
        conn.request("GET", "/broken/Tavik.exe")
        response = conn.getresponse()
        self.assertEqual(response.getheader("Content-Length"), str(len(data)))
        with self.assertRaises(http.client.IncompleteRead) as caught:
            response.read()
        self.assertEqual(caught.exception.partial, data[: len(data) // 2])
        conn.close()

    def test_hanging_path_never_answers(self):
        started = time.monotonic()
        with self.assertRaises((socket.timeout, TimeoutError, urllib.error.URLError)):
            self.server.get("/hang", timeout=1)
        self.assertGreaterEqual(time.monotonic() - started, 0.9)
        self.assertEqual(self.status_of("/stat"), 200)  # the others still answer

    def test_slow_download_trickles(self):
        self.server.write("Tavik.exe", b"x" * 50)
        started = time.monotonic()
        self.assertEqual(self.server.get("/slow/Tavik.exe?bps=100")[1], b"x" * 50)
        self.assertGreaterEqual(time.monotonic() - started, 0.4)

    def test_records_visits_with_headers(self):
        headers = {"User-Agent": "Mozilla/5.0 (test)", "Cache-Control": "no-cache",
                   "Pragma": "no-cache"}
        self.server.get("/stat.php?ver=0.5.1", headers=headers)
        request = urllib.request.Request(self.server.base + "/echo", data="提醒".encode("gbk"))
        with urllib.request.urlopen(request, timeout=5) as response:
            self.assertEqual(response.read(), "提醒".encode("gbk"))
        seen = self.server.requests()
        self.assertEqual([(r["method"], r["path"], r["query"]) for r in seen],
                         [("GET", "/stat.php", "ver=0.5.1"), ("POST", "/echo", "")])
        got = {k.lower(): v for k, v in seen[0]["headers"]}
        for key, value in headers.items():
            self.assertEqual(got[key.lower()], value)
        self.assertEqual(seen[1]["body"].encode("latin-1"), "提醒".encode("gbk"))
        with open(self.server.log, encoding="utf-8") as log:
            self.assertEqual([json.loads(line)["path"] for line in log], ["/stat.php", "/echo"])


class LifetimeTest(unittest.TestCase):
    def test_stops_by_itself_even_with_a_hanging_request(self):
        port_file = os.path.join(tempfile.mkdtemp(prefix="tavik-port-"), "port")
        server = Running("--lifetime", "1.5", "--port-file", port_file)
        self.addCleanup(server.close)
        with open(port_file) as f:
            self.assertEqual(int(f.read()), server.port)
        hanging = socket.create_connection(("127.0.0.1", server.port))
        hanging.sendall(b"GET /hang HTTP/1.0\r\n\r\n")
        self.addCleanup(hanging.close)
        self.assertEqual(server.proc.wait(timeout=10), 0)


@unittest.skipUnless("--publisher" in sys.argv, "no --publisher given")
class PublisherTest(unittest.TestCase):
    def setUp(self):
        self.server = Running()
        self.addCleanup(self.server.close)
        self.release = bytes((i * 7 ^ i >> 8) & 0xFF for i in range(300000))
        self.server.write("Tavik 0.5.2.exe", self.release)

    def publish(self, *args):
        return subprocess.run([PUBLISHER, *args], capture_output=True)

    def test_document_round_trip_over_http(self):
        out = os.path.join(self.server.root, "update.txt")
        url = f"{self.server.base}/files/Tavik%200.5.2.exe"
        result = self.publish(
            "--release", os.path.join(self.server.root, "Tavik 0.5.2.exe"),
            "--version", "0.5.2", "--min-version", "0.5", "--url", url,
            "--home", "https://tavik.example/", "--statistic", f"{self.server.base}/stat.php",
            "--notes", "修复了提醒\n新的图标", "--output", out)
        self.assertEqual(result.returncode, 0, result.stderr)
        status, encoded = self.server.get("/?type=update")
        self.assertEqual(status, 200)
        self.assertNotIn(b"\n", encoded)  # a line break would corrupt the last group
        doc = entries(decode_document(encoded.decode("ascii")))
        self.assertEqual(doc, {
            "Home": "https://tavik.example/", "Statistic": f"{self.server.base}/stat.php",
            "Feedback": "", "Donate": "", "MinVer": "0.5", "StableVer": "0.5.2",
            "StableUrl": url, "StableHash": "%08X" % zlib.crc32(self.release),
            "StableTips": "修复了提醒/新的图标"})
        downloaded = self.server.get("/files/Tavik%200.5.2.exe")[1]
        self.assertEqual("%08X" % zlib.crc32(downloaded), doc["StableHash"])

    def test_refuses_what_the_program_would_misread(self):
        release = os.path.join(self.server.root, "Tavik 0.5.2.exe")
        self.server.write("empty.exe", b"")
        bad = [
            ["--version", "0.5;2", "--min-version", "0.5", "--url", "https://h/T.exe"],
            ["--version", "0.5.2", "--min-version", "0.6", "--url", "https://h/T.exe"],
            ["--version", "", "--min-version", "", "--url", "https://h/T.exe"],
            ["--version", "0.5.2", "--min-version", "0.5"],  # no address at all
            ["--version", "0.5.2", "--min-version", "0.5", "--url", "https://h/T.exe",
             "--notes", "a;b"],
            ["--version", "0.5.2", "--min-version", "0.5", "--url", "https://h/T.exe",
             "--notes", "x" * 60000],
            ["--version", "0.5.2", "--min-version", "0.5", "--url", "https://h/T.exe",
             "--notes", b"\xff"],  # not UTF-8
        ]
        for args in bad:
            out = os.path.join(self.server.root, "refused.txt")
            result = self.publish("--release", release, *args, "--output", out)
            self.assertNotEqual(result.returncode, 0, args)
            self.assertFalse(os.path.exists(out), args)
        result = self.publish("--release", os.path.join(self.server.root, "empty.exe"),
                              "--version", "0.5.2", "--min-version", "0.5",
                              "--url", "https://h/T.exe")
        self.assertNotEqual(result.returncode, 0)

    def test_warns_about_addresses_the_program_will_not_install(self):
        release = os.path.join(self.server.root, "Tavik 0.5.2.exe")
        for url, warned in (("http://tavik.example/T.exe", True),
                            ("https://tavik.example/download", True),
                            ("https://tavik.example/T.exe", False)):
            result = self.publish("--release", release, "--version", "0.5.2",
                                  "--min-version", "0.5", "--url", url)
            self.assertEqual(result.returncode, 0)
            self.assertEqual(b"warning" in result.stderr, warned, url)


if __name__ == "__main__":
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--publisher")
    known, rest = parser.parse_known_args()
    PUBLISHER = known.publisher
    unittest.main(argv=[sys.argv[0], *rest])
