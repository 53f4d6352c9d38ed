#!/usr/bin/env python3
"""A real static web host on loopback, for the publishing tests: nginx or Apache with the
server rules tavik-publish wrote, or a plain file server that knows no rules at all.

    static_host.py --kind nginx|apache|plain --root DIR [--rules FILE] [--port N]
                   [--lifetime SECONDS] [--log FILE]

Serves a copy of DIR taken at start, its files as they are: a folder's index.html for the folder, every query ignored.
nginx includes --rules (the tavik-nginx.conf written beside the document) in its server block;
Apache reads each folder's .htaccess (all overrides allowed, as on shared hosting). Prints the
port as the first line of standard output once the server answers, appends "METHOD URI STATUS"
for every request to --log, and stops by itself after --lifetime seconds.
"""

import argparse
import http.server
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

APACHE_MODULES = "/usr/lib/apache2/modules"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def readable(path):
    """Apache's workers run as another user when started by root: the copy is world-readable."""
    for folder, dirs, files in os.walk(path):
        os.chmod(folder, 0o755)
        for name in files:
            os.chmod(os.path.join(folder, name), 0o644)


def nginx(root, port, rules, state, log):
    conf = os.path.join(state, "nginx.conf")
    include = f"include {rules};" if rules else ""
    with open(conf, "w") as f:
        f.write(f"""
daemon off;
master_process off;
pid {state}/nginx.pid;
error_log {state}/error.log;
events {{ worker_connections 64; }}
http {{
    include /etc/nginx/mime.types;
    default_type application/octet-stream;
    log_format tavik '$request_method $request_uri $status';
    access_log {log} tavik;
    client_body_temp_path {state}/body;
    proxy_temp_path {state}/proxy;
    fastcgi_temp_path {state}/fastcgi;
    uwsgi_temp_path {state}/uwsgi;
    scgi_temp_path {state}/scgi;
    server {{
        listen 127.0.0.1:{port};
        root {root};
        index index.html;
        {include}
    }}
}}
""")
    return [shutil.which("nginx") or "/usr/sbin/nginx", "-p", state, "-c", conf, "-e", f"{state}/error.log"]


def apache(root, port, rules, state, log):
    conf = os.path.join(state, "apache.conf")
    open(os.path.join(state, "mime.types"), "w").close()  # the types it needs are below
    user = "User nobody\nGroup nogroup\n" if os.geteuid() == 0 else ""
    modules = "".join(f"LoadModule {name}_module {APACHE_MODULES}/mod_{name}.so\n"
                      for name in ("mpm_event", "authz_core", "dir", "mime", "rewrite", "headers"))
    with open(conf, "w") as f:
        f.write(f"""
ServerRoot {state}
ServerName 127.0.0.1
Listen 127.0.0.1:{port}
PidFile {state}/apache.pid
DefaultRuntimeDir {state}
ErrorLog {state}/error.log
LogFormat "%m %<U%<q %>s" tavik
CustomLog {log} tavik
{user}{modules}TypesConfig {state}/mime.types
AddType text/html .html
AddType text/plain .txt
AddType application/octet-stream .exe
DocumentRoot {root}
DirectoryIndex index.html
<Directory />
    AllowOverride None
    Require all denied
</Directory>
<Directory {root}>
    AllowOverride All
    Require all granted
</Directory>
""")
    return [shutil.which("apache2") or "/usr/sbin/apache2", "-f", conf, "-DFOREGROUND"]


class PlainHandler(http.server.SimpleHTTPRequestHandler):
    """A host that allows no rules: files and folders' index.html, the query ignored."""

    def log_request(self, code="-", size="-"):
        with open(self.server.log_path, "a") as f:
            f.write(f"{self.command} {self.path} {code}\n")

    def log_message(self, *args):
        pass


def plain(root, port, log):
    handler = lambda *a, **k: PlainHandler(*a, directory=root, **k)  # noqa: E731
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    server.log_path = log
    server.daemon_threads = True
    return server


def answers(port, deadline):
    while time.monotonic() < deadline:
        try:
            urllib.request.urlopen(f"http://127.0.0.1:{port}/", timeout=1).close()
            return True
        except urllib.error.HTTPError:
            return True  # a status is an answer
        except OSError:
            time.sleep(0.1)
    return False


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--kind", required=True, choices=("nginx", "apache", "plain"))
    parser.add_argument("--root", required=True)
    parser.add_argument("--rules", help="nginx: the rules file to include in the server block")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--lifetime", type=float, default=120)
    parser.add_argument("--log", help="append 'METHOD URI STATUS' for every request")
    args = parser.parse_args()

    port = args.port or free_port()
    state = tempfile.mkdtemp(prefix=f"tavik-{args.kind}-")
    root = os.path.join(state, "site")
    shutil.copytree(args.root, root)
    readable(state)
    log = os.path.abspath(args.log) if args.log else os.path.join(state, "access.log")
    open(log, "a").close()

    if args.kind == "plain":
        server = plain(root, port, log)
        print(port, flush=True)
        timer = threading.Timer(args.lifetime, server.shutdown)
        timer.daemon = True
        timer.start()
        signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
        server.serve_forever(poll_interval=0.1)
        server.server_close()
        shutil.rmtree(state, ignore_errors=True)
        return 0

    rules = args.rules and os.path.join(root, os.path.relpath(os.path.abspath(args.rules), os.path.abspath(args.root)))
    command = (nginx if args.kind == "nginx" else apache)(root, port, rules, state, log)
    proc = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    try:
        if not answers(port, time.monotonic() + 10) or proc.poll() is not None:
            sys.stderr.write(f"{args.kind} did not start on port {port}\n")
            error_log = os.path.join(state, "error.log")
            if os.path.exists(error_log):
                with open(error_log, errors="replace") as f:
                    sys.stderr.write(f.read())
            return 1
        print(port, flush=True)
        stop.wait(args.lifetime)
    finally:
        proc.terminate()
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
        shutil.rmtree(state, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
