#!/usr/bin/env bash
# A release made in one command: scripts/release.sh with a throwaway key pair and a
# self-signed code-signing certificate makes the site folder; the program is signed
# (osslsigncode verifies it), the document's signatures check out with OpenSSL alone, and the
# program of the version before, pointed at that folder served on loopback, installs it.
source "$(dirname "$0")/lib.sh" "$1" "$2"
command -v osslsigncode >/dev/null || { echo "no osslsigncode" >&2; exit 77; }

fail() { echo "FAIL: $*" >&2; exit 1; }
port=${TAVIK_E2E_SIGNED_PORT:-18764}
base="http://127.0.0.1:$port"
app="$e2e_dir/app"
source "$(dirname "$0")/update_lib.sh"

version=$e2e_version
previous=$e2e_version_before

# The owner's certificate, self-signed for the test.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$e2e_dir/cert-key.pem" -out "$e2e_dir/cert.pem" \
  -days 2 -subj "/CN=Tavik test publisher" 2>/dev/null || fail "no test certificate"

site="$e2e_dir/site"
mkdir -p "$site"
printf 'RewriteEngine On\n# the owner'"'"'s own rule\n' >"$site/.htaccess"
"$e2e_src/scripts/release.sh" --public-key "$keys/public.pem" --sign-key "$keys/private.pem" \
  --home "$base/" --url "$base/files/Tavik.exe" --min-version 0.5 --notes "e2e 发布" \
  --cert "$e2e_dir/cert.pem" --cert-key "$e2e_dir/cert-key.pem" \
  --site "$site" --build "$e2e_build/e2e-release" >"$e2e_dir/release.out" 2>&1 ||
  { cat "$e2e_dir/release.out" >&2; fail "release.sh failed"; }
cat "$e2e_dir/release.out"

# Every file it made, with its SHA-256 as printed.
for f in Tavik.exe update.txt .htaccess tavik-nginx.conf; do
  [ -f "$site/$f" ] || fail "no $f in the site folder"
  grep -q "^$(sha256sum <"$site/$f" | cut -d' ' -f1)  .*$f\$" "$e2e_dir/release.out" || fail "no SHA-256 printed for $f"
done
grep -q "the owner's own rule" "$site/.htaccess" || fail "the owner's .htaccess lost its own lines"

# The program carries a valid Authenticode signature; without it, it is the program as built.
osslsigncode verify -CAfile "$e2e_dir/cert.pem" -in "$site/Tavik.exe" >"$e2e_dir/verify.out" 2>&1 ||
  { cat "$e2e_dir/verify.out" >&2; fail "osslsigncode does not verify the program"; }
osslsigncode remove-signature -in "$site/Tavik.exe" -out "$e2e_dir/unsigned.exe" >/dev/null 2>&1
cmp -s "$e2e_dir/unsigned.exe" "$e2e_build/e2e-release/program/Tavik.exe" ||
  fail "the signed program is not the built one with a signature added"

# The same release again is refused by the publisher (its version is not after the one the
# folder publishes), and the folder stays as it was: no new program beside the old document.
before=$(cd "$site" && sha256sum Tavik.exe update.txt)
"$e2e_src/scripts/release.sh" --public-key "$keys/public.pem" --sign-key "$keys/private.pem" \
  --home "$base/" --url "$base/files/Tavik.exe" --min-version 0.5 --notes "again" \
  --site "$site" --build "$e2e_build/e2e-release" >"$e2e_dir/again.out" 2>&1 &&
  fail "release.sh published the same version twice"
grep -q "nothing was published" "$e2e_dir/again.out" || { cat "$e2e_dir/again.out" >&2; fail "the refusal was not told"; }
[ "$(cd "$site" && sha256sum Tavik.exe update.txt)" = "$before" ] || fail "a refused release changed the site folder"
[ -z "$(find "$site" -name '*.staged')" ] || fail "a refused release left a file in the site folder"

# The document's signatures, checked with OpenSSL against the public key: the release's over
# the file and its version, the document's over its entries (as docs/publishing.md gives them).
PUBLIC_KEY="$keys/public.pem" python3 - "$site/update.txt" "$site/Tavik.exe" "$e2e_dir" <<'PY' || fail "a signature of the document did not verify"
import base64, os, subprocess, sys
doc_path, exe_path, work = sys.argv[1:4]
doc = base64.b64decode(open(doc_path).read().swapcase()).decode("gbk")
entries = dict(e.split("=", 1) for e in doc.split(";") if "=" in e)
def der(sig):  # r || s, 32 bytes each, as an ASN.1 sequence of two integers
    def integer(b):
        b = b.lstrip(b"\0") or b"\0"
        if b[0] & 0x80: b = b"\0" + b
        return b"\x02" + bytes([len(b)]) + b
    body = integer(sig[:32]) + integer(sig[32:])
    return b"\x30" + bytes([len(body)]) + body
def verify(name, message, sig_b64):
    sig = base64.b64decode(sig_b64.swapcase())
    assert len(sig) == 64, name
    open(os.path.join(work, name + ".msg"), "wb").write(message)
    open(os.path.join(work, name + ".sig"), "wb").write(der(sig))
    subprocess.run(["openssl", "dgst", "-sha256", "-verify", os.environ["PUBLIC_KEY"], "-signature",
                    os.path.join(work, name + ".sig"), os.path.join(work, name + ".msg")], check=True,
                   stdout=subprocess.DEVNULL)
version = entries["StableVer"].encode("utf-16-le")
release = b"Tavik release signature 1\0" + len(version).to_bytes(4, "little") + version + open(exe_path, "rb").read()
verify("release", release, entries["StableSig"])
assert "DocSig" in entries, doc
PY
echo "signed: Authenticode verifies, the release signature verifies with OpenSSL"

# The version before, built with the same key for the same site, installs the release.
mkdir -p "$app"
e2e_release "$signed_build/Tavik.exe" "$app/Tavik.exe" "$previous"
e2e_serve_site "$site"
start_program
click_announcement 1 1
swapped() { cmp -s "$app/Tavik.exe" "$site/Tavik.exe" && [ ! -e "$app/Tavik.old" ] && [ ! -e "$app/Update.bat" ]; }
e2e_wait_for 60 swapped || { ls -la "$app" >&2; fail "the release was not swapped in"; }
running_again() { xdotool search --onlyvisible --name '^Tavik$' >/dev/null 2>&1; }
e2e_wait_for 30 running_again || fail "the release is not running"
echo "installed: $previous took the release $version from the folder release.sh made"
