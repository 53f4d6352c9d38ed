#!/usr/bin/env bash
# The data file layer on files set up as a user (or a sync tool) leaves them: a data file that
# is a symbolic link, a read-only target, a link planted under the temporary file's name, a
# file whose access list is not the folder's. Links are made here with ln -s; wine follows them.
# Usage: data_file_links.sh <tavik_data_file.exe> <source dir>
set -euo pipefail
tool=$1
src=$2
build=$(cd "$(dirname "$tool")/.." && pwd)
source "$src/scripts/wine-env.sh" "$build"
tavik_wine_prefix
dir=$(mktemp -d "$build/links.XXXXXX")
trap 'chmod -R u+w "$dir"; rm -rf "$dir"' EXIT
mkdir "$dir/app" "$dir/synced"
cp "$tool" "$dir/app/tool.exe"
cd "$dir/app"
run() { "$WINE" tool.exe "$@" 2>/dev/null | tr -d '\r'; }
fail() { echo "$*" >&2; exit 1; }
data() { printf '[Data]\r\nData=\r\nNote=keep me\r\n'; }

# 1. A link is saved through to its target; the link stays a link, the other key stays.
data >../synced/Tavik.cfg
ln -s ../synced/Tavik.cfg Tavik.cfg
[ "$(run Tavik.cfg save 2)" = saved ] || fail "saving through a link failed"
[ -L Tavik.cfg ] || fail "the link was replaced by a file"
[ "$(run Tavik.cfg open)" = "tasks 2" ] || fail "the target does not hold the list"
grep -q 'Note=keep me' ../synced/Tavik.cfg || fail "the target lost a line"
[ -z "$(ls -A . ../synced | grep '\.new$' || true)" ] || fail "a temporary file was left"

# 2. A read-only target is treated as read-only: not written, and the message names it.
before=$(md5sum <../synced/Tavik.cfg)
chmod 444 ../synced/Tavik.cfg
out=$(run Tavik.cfg save 3)
[ "$(echo "$out" | head -n 1)" = "failed 2" ] || fail "a read-only target: $out"
echo "$out" | grep -q 'synced\\Tavik.cfg' || fail "the message does not name the target: $out"
[ "$(md5sum <../synced/Tavik.cfg)" = "$before" ] || fail "the read-only target was written"
[ -L Tavik.cfg ] || fail "the link went"
chmod 644 ../synced/Tavik.cfg
rm Tavik.cfg

# 3. A link planted as the temporary file is never written through, nor its target deleted.
# Windows deletes a link it marks as one; wine sees a Unix link as the file it leads to, so
# the save leaves it and says what is in the way.
data >Tavik.cfg
echo "someone else's" >victim.txt
ln -s victim.txt Tavik.cfg.new
out=$(run Tavik.cfg save 1)
[ "$(cat victim.txt 2>/dev/null)" = "someone else's" ] || fail "the save wrote through the planted link"
[ "$(echo "$out" | head -n 1)" = "failed 4" ] || fail "a planted link: $out"
echo "$out" | grep -q 'Tavik.cfg.new' || fail "the message does not name the temporary file: $out"
[ -L Tavik.cfg.new ] || fail "the planted link went"
[ "$(run Tavik.cfg open)" = "tasks 0" ] || fail "the start took the planted link's file"
[ "$(cat victim.txt 2>/dev/null)" = "someone else's" ] || fail "the start deleted the planted link's target"
rm Tavik.cfg.new
[ "$(run Tavik.cfg save 1)" = saved ] || fail "saving with the way clear failed"

# 4. A folder under the temporary file's name: the message names it, not the program's folder.
mkdir Tavik.cfg.new
out=$(run Tavik.cfg save 2)
[ "$(echo "$out" | head -n 1)" = "failed 4" ] || fail "a folder in the way: $out"
echo "$out" | grep -q 'Tavik.cfg.new' || fail "the message does not name the temporary file: $out"
rmdir Tavik.cfg.new

# 5. A file only its owner may read keeps its access list through a save.
chmod 600 Tavik.cfg
list=$(run Tavik.cfg access)
[ "$(run Tavik.cfg save 3)" = saved ] || fail "saving a private file failed"
[ "$(run Tavik.cfg access)" = "$list" ] || fail "the save changed who may use the file"
echo "links, a read-only target, planted and blocking temporary files, access lists: all kept"
