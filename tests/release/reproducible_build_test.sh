#!/usr/bin/env bash
# The same sources built twice, in two folders of different paths, give the same bytes: the
# program and the publisher. Anyone can then rebuild a release and compare it with the one
# published. Usage: reproducible_build_test.sh <build dir> <source dir>
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
toolchain=$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$build/CMakeCache.txt")
work="$build/reproducible"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# A copy of the sources as a clone has them (the tracked files when there is a repository),
# laid out under two paths of different lengths.
copy_sources() {
  mkdir -p "$1"
  if git -C "$src" rev-parse --show-toplevel >/dev/null 2>&1; then
    (cd "$src" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$1")
  else
    (cd "$src" && tar --exclude=./build -cf - .) | tar -C "$1" -xf -
  fi
}

build_in() {
  local tree=$1
  copy_sources "$tree/src"
  # As a release is built: with a public key (each tree's own copy, so its path differs too).
  cmake -S "$tree/src" -B "$tree/out" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTAVIK_HOME_URL=https://tavik.example/ \
    -DTAVIK_UPDATE_PUBLIC_KEY="$tree/src/tests/configure/test-key.pem" >/dev/null
  cmake --build "$tree/out" --target Tavik tavik-publish >/dev/null
}

build_in "$work/a"
build_in "$work/a-second-tree-with-a-longer-path"

status=0
for f in Tavik.exe tavik-publish.exe; do
  one="$work/a/out/$f"
  two="$work/a-second-tree-with-a-longer-path/out/$f"
  if cmp -s "$one" "$two"; then
    echo "$f: the same bytes in both builds ($(sha256sum <"$one" | cut -d' ' -f1))"
  else
    echo "$f differs between the two builds:" >&2
    cmp -l "$one" "$two" | head -n 20 >&2 || true
    status=1
  fi
done
exit $status
