#!/usr/bin/env bash
# Makes a release in one go, for the site owner: the 32-bit program built with the owner's
# public key, optionally signed with a code-signing certificate (Authenticode), and the site
# folder with the release, the signed update document and the server rules. Prints the SHA-256
# of every file it made.
#
#   scripts/release.sh --public-key resources/update-key.pem --sign-key ~/tavik-keys/update-private.pem \
#       --home https://tavik.example/ [--version 0.5.2] [--min-version 0.5] [--notes "..."] \
#       [--url https://tavik.example/Tavik.exe] [--statistic https://tavik.example/stat.html] \
#       [--cert cert.pem --cert-key key.pem [--cert-pass-file F] [--timestamp URL]] \
#       [--site site] [--build build/release]
#
# The version is the sources' own (project() in CMakeLists.txt); --version, when given, must
# be the same. The site folder may hold the site's other files (an .htaccess, a home page):
# the publisher keeps them and replaces only what is its own.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)

usage() { sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
fail() { echo "release.sh: $*" >&2; exit 1; }

public_key="" sign_key="" home="" version="" min_version="" notes="" url="" statistic=""
cert="" cert_key="" cert_pass_file="" timestamp="" site="site" build="build/release"
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case "$1" in
    --public-key) public_key=$2 ;;
    --sign-key) sign_key=$2 ;;
    --home) home=$2 ;;
    --version) version=$2 ;;
    --min-version) min_version=$2 ;;
    --notes) notes=$2 ;;
    --url) url=$2 ;;
    --statistic) statistic=$2 ;;
    --cert) cert=$2 ;;
    --cert-key) cert_key=$2 ;;
    --cert-pass-file) cert_pass_file=$2 ;;
    --timestamp) timestamp=$2 ;;
    --site) site=$2 ;;
    --build) build=$2 ;;
    *) usage ;;
  esac
  shift 2
done
[ -n "$public_key" ] && [ -n "$sign_key" ] && [ -n "$home" ] || usage
[ -f "$public_key" ] || fail "no public key at $public_key"
[ -f "$sign_key" ] || fail "no private key at $sign_key"
if [ -n "$cert" ] || [ -n "$cert_key" ]; then
  [ -f "$cert" ] && [ -f "$cert_key" ] || fail "--cert and --cert-key name the certificate and its key, both files"
  command -v osslsigncode >/dev/null || fail "signing the program needs osslsigncode (Debian: apt-get install osslsigncode)"
fi
for tool in cmake ninja openssl i686-w64-mingw32-g++-posix sha256sum; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs what the build needs)"
done
public_key=$(realpath "$public_key")
sign_key=$(realpath "$sign_key")

# The two halves must belong together: a program built with one key never installs what the
# other signed, and every automatic update of this release would fail.
[ "$(openssl pkey -in "$sign_key" -pubout 2>/dev/null)" = "$(openssl pkey -pubin -in "$public_key" -pubout 2>/dev/null)" ] ||
  fail "the private key $sign_key is not the partner of the public key $public_key"

sources_version=$(sed -n 's/^project(Tavik VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
[ -n "$sources_version" ] || fail "no version found in CMakeLists.txt"
if [ -n "$version" ] && [ "$version" != "$sources_version" ]; then
  fail "the sources are version $sources_version, not $version: change project(Tavik VERSION ...) in CMakeLists.txt first"
fi
version=$sources_version

mkdir -p "$build" "$site"
build=$(realpath "$build")
site=$(realpath "$site")
log="$build/release.log"
: >"$log"
step() { echo "== $*"; }

# Fresh settings each time: a cache of an earlier release must not carry its key or site over.
step "the publisher (native)"
rm -f "$build/publisher/CMakeCache.txt"
env -u CC -u CXX cmake -S "$src" -B "$build/publisher" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >>"$log" 2>&1 ||
  fail "configuring the publisher failed; see $log"
cmake --build "$build/publisher" --target tavik-publish >>"$log" 2>&1 || fail "building the publisher failed; see $log"
publish="$build/publisher/tools/tavik-publish"

step "Tavik $version, 32-bit, with the public key $public_key, for $home"
rm -f "$build/program/CMakeCache.txt"
cmake -S "$src" -B "$build/program" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=OFF -DTAVIK_HOME_URL="$home" \
  -DTAVIK_UPDATE_PUBLIC_KEY="$public_key" >>"$log" 2>&1 || { tail -n 20 "$log" >&2; fail "configuring the program failed; see $log"; }
cmake --build "$build/program" --target Tavik >>"$log" 2>&1 || fail "building the program failed; see $log"
built="$build/program/Tavik.exe"

# The release's file name is the one its address ends in (Tavik.exe at the home address
# when no --url is given).
name=Tavik.exe
[ -z "$url" ] || name=${url##*/}
case "$name" in *.exe) ;; *) fail "the release address must end in a file name ending in .exe: $url" ;; esac
release="$site/$name"
# The program goes into the folder under its own name only once its document is written: a
# refused release leaves the folder as it was.
staged="$site/.$name.staged"
trap 'rm -f "$staged" "$release.signing"' EXIT

if [ -n "$cert" ]; then
  step "Authenticode signature with $cert"
  pass=()
  [ -z "$cert_pass_file" ] || pass=(-readpass "$cert_pass_file")
  stamp=()
  [ -z "$timestamp" ] || stamp=(-ts "$timestamp")
  rm -f "$release.signing"
  osslsigncode sign -certs "$cert" -key "$cert_key" "${pass[@]}" -h sha256 -n "Tavik $version" \
    -i "$home" "${stamp[@]}" -in "$built" -out "$release.signing" >>"$log" 2>&1 ||
    { rm -f "$release.signing"; fail "osslsigncode could not sign the program; see $log"; }
  mv -f "$release.signing" "$staged"
else
  cp -f "$built" "$staged"
fi

# The document is signed over the file exactly as it is uploaded, so it comes after the
# Authenticode signature.
step "the signed update document and the server rules in $site"
args=(--release "$staged" --version "$version" --min-version "$min_version" --home "$home"
      --notes "$notes" --sign-key "$sign_key" --output "$site/update.txt" --url "${url:-$home$name}")
[ -z "$statistic" ] || args+=(--statistic "$statistic")
"$publish" "${args[@]}" || fail "tavik-publish refused the release (see above); nothing was published"
mv -f "$staged" "$release"

step "SHA-256"
sha() { printf '%s  %s\n' "$(sha256sum <"$1" | cut -d' ' -f1)" "$2"; }
sha "$built" "Tavik.exe as built (to compare with a rebuild of these sources: $built)"
for f in "$release" "$site/update.txt" "$site/.htaccess" "$site/tavik-nginx.conf"; do
  [ -f "$f" ] && sha "$f" "$f"
done
echo "Upload the contents of $site (see docs/publishing.md)."
