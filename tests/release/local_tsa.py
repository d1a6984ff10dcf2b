#!/usr/bin/env python3
"""A time-stamping server (RFC 3161) on the loopback interface, for testing
the release's time stamp without the network: each request is answered by
`openssl ts -reply` with the certificate and key in FOLDER (tsa.pem,
tsa.key), which this makes. Prints the URL to serve at, then serves until
killed.

    local_tsa.py FOLDER
"""
import http.server
import os
import subprocess
import sys
import tempfile

CONFIG = """\
[ tsa ]
default_tsa = tsa_section
[ tsa_section ]
serial = {folder}/serial
signer_cert = {folder}/tsa.pem
certs = {folder}/tsa.pem
signer_key = {folder}/tsa.key
signer_digest = sha256
default_policy = 1.3.6.1.4.1.55555.1
digests = sha256, sha384, sha512
accuracy = secs:1
ess_cert_id_alg = sha256
"""


def make_authority(folder):
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=addonwarlord1 test time stamps",
                    "-addext", "keyUsage=critical,digitalSignature",
                    "-addext", "extendedKeyUsage=critical,timeStamping",
                    "-keyout", f"{folder}/tsa.key", "-out", f"{folder}/tsa.pem"],
                   check=True, stderr=subprocess.DEVNULL)
    with open(f"{folder}/serial", "w") as serial:
        serial.write("01\n")
    with open(f"{folder}/tsa.cnf", "w") as config:
        config.write(CONFIG.format(folder=folder))


class Handler(http.server.BaseHTTPRequestHandler):
    folder = "."

    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        with tempfile.TemporaryDirectory() as scratch:
            with open(f"{scratch}/query", "wb") as out:
                out.write(query)
            made = subprocess.run(["openssl", "ts", "-reply", "-config", f"{self.folder}/tsa.cnf",
                                   "-queryfile", f"{scratch}/query", "-out", f"{scratch}/reply"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            if made.returncode != 0:
                self.send_error(500, made.stderr.decode(errors="replace")[:200])
                return
            reply = open(f"{scratch}/reply", "rb").read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass


def main(folder):
    folder = os.path.abspath(folder)
    make_authority(folder)
    Handler.folder = folder
    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    print(f"http://127.0.0.1:{server.server_address[1]}/", flush=True)
    server.serve_forever()


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
