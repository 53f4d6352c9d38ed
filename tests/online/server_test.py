#!/usr/bin/env python3
"""Checks the loopback test server and, given --publisher, the publisher's documents:
written by the tool, served over HTTP and decoded here with Python's own Base64 and GBK,
and its server rules, served by a real nginx and a real Apache on loopback.
With --runner (wine's launcher) the publisher is a Windows program run through it."""

import argparse
import base64
import http.client
import json
import os
import shutil
import socket
import struct
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
RUNNER = None


class P(str):
    """A file path given to the publisher: a Windows publisher is handed wine's name for it."""


def publisher_argument(arg):
    if RUNNER and isinstance(arg, P):
        return "Z:" + os.path.abspath(arg).replace("/", "\\")
    return arg


def release_file(version, tail=b""):
    """A small 32-bit program file whose version resource states version, then tail: the
    publisher takes only a release that states the version it is published as."""
    def block(key, value, text, value_length, children=b""):
        b = b"\0" * 6 + (key + "\0").encode("utf-16-le")
        b += b"\0" * (-len(b) % 4) + value
        b += b"\0" * (-len(b) % 4) + children
        return struct.pack("<HHH", len(b), value_length, 1 if text else 0) + b[6:]

    def string(key, value):
        return block(key, (value + "\0").encode("utf-16-le"), True, len(value) + 1)

    strings = string("FileVersion", version)
    strings += b"\0" * (-len(strings) % 4) + string("ProductVersion", version)
    info = block("StringFileInfo", b"", True, 0, block("040904b0", b"", True, 0, strings))
    fixed = struct.pack("<II", 0xFEEF04BD, 0x10000) + b"\0" * 44
    version_block = block("VS_VERSION_INFO", fixed, False, 52, info)
    # Type 16 -> name 1 -> language 0x409 -> the data entry, then the block.
    rsrc = (struct.pack("<12xHHII", 0, 1, 16, 0x80000000 | 0x18)
            + struct.pack("<12xHHII", 0, 1, 1, 0x80000000 | 0x30)
            + struct.pack("<12xHHII", 0, 1, 0x409, 0x48)
            + struct.pack("<IIII", 0x1000 + 0x58, len(version_block), 0, 0) + version_block)
    optional = bytearray(224)
    struct.pack_into("<H", optional, 0, 0x10B)
    struct.pack_into("<III", optional, 92, 16, 0, 0)
    struct.pack_into("<II", optional, 96 + 16, 0x1000, len(rsrc))
    section = b".rsrc\0\0\0" + struct.pack("<IIII16x", len(rsrc), 0x1000, len(rsrc), 0x200)
    head = (b"MZ" + b"\0" * 58 + struct.pack("<I", 0x40) + b"PE\0\0"
            + struct.pack("<HHIIIHH", 0x14C, 1, 0, 0, 0, 224, 0x102) + bytes(optional) + section)
    return head + b"\0" * (0x200 - len(head)) + rsrc + tail


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
        self.release = release_file("0.5.2", bytes((i * 7 ^ i >> 8) & 0xFF for i in range(300000)))
        self.server.write("Tavik 0.5.2.exe", self.release)

    def publish(self, *args):
        return publish(*args)

    def test_document_round_trip_over_http(self):
        out = os.path.join(self.server.root, "update.txt")
        url = f"{self.server.base}/files/Tavik%200.5.2.exe"
        result = self.publish(
            "--release", P(os.path.join(self.server.root, "Tavik 0.5.2.exe")),
            "--version", "0.5.2", "--min-version", "0.5", "--url", url,
            "--home", "https://tavik.example/", "--statistic", f"{self.server.base}/stat.php",
            "--notes", "修复了提醒\n新的图标", "--output", P(out))
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
        release = P(os.path.join(self.server.root, "Tavik 0.5.2.exe"))
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
             "--notes-file", P(os.path.join(self.server.root, "notes.txt"))],  # not UTF-8
        ]
        self.server.write("notes.txt", "提醒".encode("gbk"))
        if not RUNNER:  # a Windows command line is UTF-16: it cannot carry such bytes
            bad.append(["--version", "0.5.2", "--min-version", "0.5", "--url", "https://h/T.exe",
                        "--notes", b"\xff"])
        for args in bad:
            out = os.path.join(self.server.root, "refused.txt")
            result = self.publish("--release", release, *args, "--output", P(out))
            self.assertNotEqual(result.returncode, 0, args)
            self.assertFalse(os.path.exists(out), args)
        result = self.publish("--release", P(os.path.join(self.server.root, "empty.exe")),
                              "--version", "0.5.2", "--min-version", "0.5",
                              "--url", "https://h/T.exe")
        self.assertNotEqual(result.returncode, 0)

    def test_warns_about_addresses_the_program_will_not_install(self):
        release = P(os.path.join(self.server.root, "Tavik 0.5.2.exe"))
        for url, warned in (("http://tavik.example/T.exe", True),
                            ("https://tavik.example/download", True),
                            ("https://tavik.example/T.exe", False)):
            result = self.publish("--release", release, "--version", "0.5.2", "--allow-older",
                                  "--min-version", "0.5", "--url", url,
                                  "--output", P(os.path.join(self.server.root, "update.txt")))
            self.assertEqual(result.returncode, 0)
            self.assertEqual(b"warning" in result.stderr + result.stdout, warned, url)


def publish(*args):
    command = [RUNNER, PUBLISHER] if RUNNER else [PUBLISHER]
    return subprocess.run([*command, *map(publisher_argument, args)], capture_output=True,
                          stdin=subprocess.DEVNULL)


class StaticHost:
    """static_host.py serving a copy of a folder: nginx with the rules, Apache, or plain."""

    def __init__(self, kind, root, rules=None):
        extra = ["--rules", rules] if rules else []
        self.proc = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "static_host.py"), "--kind", kind,
             "--root", root, "--lifetime", "60", *extra],
            stdout=subprocess.PIPE, text=True)
        line = self.proc.stdout.readline()
        if not line:
            self.close()
            raise RuntimeError(f"{kind} did not start")
        self.base = f"http://127.0.0.1:{int(line)}"

    def get(self, path):
        """(status, content type, body) of a GET, following no redirect."""
        try:
            with urllib.request.urlopen(self.base + path, timeout=5) as response:
                return response.status, response.headers.get_content_type(), response.read()
        except urllib.error.HTTPError as e:
            return e.code, e.headers.get_content_type(), e.read()

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
        self.proc.wait(timeout=15)
        self.proc.stdout.close()


@unittest.skipUnless("--publisher" in sys.argv, "no --publisher given")
class ServerRulesTest(unittest.TestCase):
    """The rules written beside the document, as a real nginx and a real Apache read them."""

    HOME_PAGE = "<html><body>Tavik 的主页</body></html>".encode("utf-8")

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="tavik-rules-")
        self.addCleanup(shutil.rmtree, self.root, True)
        self.release = os.path.join(self.root, "release.exe")
        with open(self.release, "wb") as f:
            f.write(release_file("0.5.2", bytes(range(256)) * 8))

    def site(self, folder, home, document="update.txt"):
        """The home folder as the owner uploads it: a home page, the document, the rules."""
        path = os.path.join(self.root, "site", *filter(None, folder.split("/")))
        os.makedirs(path, exist_ok=True)
        with open(os.path.join(path, "index.html"), "wb") as f:
            f.write(self.HOME_PAGE)
        result = publish("--release", P(self.release), "--version", "0.5.2", "--min-version", "0.5",
                         "--allow-older", "--home", home, "--url", home + "Tavik.exe",
                         "--output", P(os.path.join(path, document)))
        self.assertEqual(result.returncode, 0, result.stderr + result.stdout)
        with open(os.path.join(path, document), "rb") as f:
            return path, f.read()

    def hosts(self, folder):
        kinds = [kind for kind, binary in (("nginx", "nginx"), ("apache", "apache2"))
                 if shutil.which(binary) or os.path.exists(f"/usr/sbin/{binary}")]
        if not kinds:
            self.skipTest("neither nginx nor apache2 is installed")
        for kind in kinds:
            host = StaticHost(kind, os.path.join(self.root, "site"),
                              os.path.join(folder, "tavik-nginx.conf"))
            self.addCleanup(host.close)
            yield kind, host

    def test_the_home_address_answers_the_check_and_stays_the_home_page(self):
        for folder in ("/", "/tavik/", "/a.b/"):
            with self.subTest(folder=folder):
                shutil.rmtree(os.path.join(self.root, "site"), ignore_errors=True)
                path, document = self.site(folder, "https://tavik.example" + folder)
                os.makedirs(os.path.join(self.root, "site", "other"), exist_ok=True)
                with open(os.path.join(self.root, "site", "other", "index.html"), "wb") as f:
                    f.write(b"other")
                os.makedirs(os.path.join(self.root, "site", "aXb"), exist_ok=True)
                with open(os.path.join(self.root, "site", "aXb", "index.html"), "wb") as f:
                    f.write(b"aXb")
                home_page = (200, "text/html", self.HOME_PAGE)
                cases = [
                    (folder + "?type=update", (200, "text/plain", document)),
                    (folder + "?lang=zh&type=update", (200, "text/plain", document)),
                    (folder, home_page),
                    (folder + "?type=updates", home_page),
                    (folder + "?type=", home_page),
                    (folder + "?xtype=update", home_page),
                    (folder + "update.txt", (200, "text/plain", document)),
                    ("/other/?type=update", (200, "text/html", b"other")),
                    ("/aXb/?type=update", (200, "text/html", b"aXb")),  # "." is no wildcard
                ]
                for kind, host in self.hosts(path):
                    for request, want in cases:
                        self.assertEqual(host.get(request), want, (kind, request))

    def test_a_host_without_rules_answers_from_a_folder_whose_index_is_the_document(self):
        path = os.path.join(self.root, "site", "update")
        os.makedirs(path)
        result = publish("--release", P(self.release), "--version", "0.5.2", "--min-version", "0.5",
                         "--url", "https://tavik.example/Tavik.exe",
                         "--output", P(os.path.join(path, "index.html")))
        self.assertEqual(result.returncode, 0, result.stderr + result.stdout)
        host = StaticHost("plain", os.path.join(self.root, "site"))
        self.addCleanup(host.close)
        status, _, body = host.get("/update/?type=update")
        self.assertEqual(status, 200)
        self.assertEqual(entries(decode_document(body.decode("ascii")))["StableVer"], "0.5.2")

    def test_htaccess_keeps_the_owners_lines_and_holds_one_block(self):
        path = os.path.join(self.root, "site")
        os.makedirs(path)
        htaccess = os.path.join(path, ".htaccess")
        owner = b"# the owner's own\r\nOptions -Indexes\r\nErrorDocument 404 /404.html"
        with open(htaccess, "wb") as f:
            f.write(owner)
        self.site("/", "https://tavik.example/")
        with open(htaccess, "rb") as f:
            first = f.read()
        self.site("/", "https://tavik.example/")  # published again: the block replaced in place
        with open(htaccess, "rb") as f:
            again = f.read()
        self.assertEqual(first, again)
        self.assertTrue(first.startswith(owner + b"\n"), first)
        self.assertEqual(first.count(b"# BEGIN Tavik update document"), 1)
        self.assertTrue(first.endswith(b"# END Tavik update document\n"), first)

        # The owner's lines after the block stay after it, however the block is re-written.
        with open(htaccess, "ab") as f:
            f.write(b"Header set X-Owner 1\n")
        self.site("/", "https://tavik.example/")
        with open(htaccess, "rb") as f:
            self.assertEqual(f.read(), first + b"Header set X-Owner 1\n")

    def test_what_the_rules_cannot_carry_writes_no_rules(self):
        path = os.path.join(self.root, "site")
        os.makedirs(path)
        broken = b"# BEGIN Tavik update document\nRewriteEngine On\n"  # a block never ended
        cases = [  # (home, document name, .htaccess before, exit code, rules written)
            ("https://tavik.example/", "update.txt", broken, 1, False),
            ("https://tavik.example/a b/", "update.txt", None, 0, False),
            ("https://tavik.example/a\"b/", "update.txt", None, 0, False),
            ("https://tavik.example/../", "update.txt", None, 0, False),
            ("https://tavik.example", "update.txt", None, 0, False),
            ("ftp://tavik.example/", "update.txt", None, 0, False),
            (None, "update.txt", None, 0, False),
            ("https://tavik.example/", "update 1.txt", None, 0, False),
            ("https://tavik.example/", "更新.txt", None, 0, False),
            ("https://tavik.example/", "update.txt", None, 0, True),
        ]
        for home, name, before, code, written in cases:
            with self.subTest(home=home, name=name):
                for f in os.listdir(path):
                    os.remove(os.path.join(path, f))
                htaccess = os.path.join(path, ".htaccess")
                if before is not None:
                    with open(htaccess, "wb") as f:
                        f.write(before)
                args = ["--release", P(self.release), "--version", "0.5.2", "--min-version", "0.5",
                        "--allow-older", "--url", "https://tavik.example/Tavik.exe",
                        "--output", P(os.path.join(path, name))]
                if home is not None:
                    args += ["--home", home]
                result = publish(*args)
                self.assertEqual(result.returncode, code, result.stderr + result.stdout)
                self.assertTrue(os.path.exists(os.path.join(path, name)))
                self.assertEqual(os.path.exists(os.path.join(path, "tavik-nginx.conf")), written)
                if before is not None:
                    with open(htaccess, "rb") as f:
                        self.assertEqual(f.read(), before)
                else:
                    self.assertEqual(os.path.exists(htaccess), written)


if __name__ == "__main__":
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--publisher")
    parser.add_argument("--runner")
    known, rest = parser.parse_known_args()
    PUBLISHER = known.publisher
    RUNNER = known.runner
    unittest.main(argv=[sys.argv[0], *rest])
