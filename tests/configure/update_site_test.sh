#!/usr/bin/env bash
# Configure refuses a build that would update from a real site without the owner's key, or
# from a real site over plain http, and says why; test sites on this machine and the default
# address that reaches no one configure. Usage: update_site_test.sh SOURCE_DIR SCRATCH_DIR
set -u
src=$1
scratch=$2
key="$src/tests/configure/test-key.pem"  # a public key whose private half no one kept
fails=0

# expect OUTCOME TEXT ARGS...: configures with ARGS; OUTCOME is ok or refused; TEXT must be in
# the output ("" for nothing in particular).
expect() {
  local outcome=$1 text=$2
  shift 2
  rm -rf "$scratch"
  local out rc
  out=$(env -u CC -u CXX cmake -S "$src" -B "$scratch" -G Ninja -DBUILD_TESTING=OFF "$@" 2>&1)
  rc=$?
  local got=ok
  [ $rc -eq 0 ] || got=refused
  if [ "$got" != "$outcome" ] || { [ -n "$text" ] && ! grep -qF -- "$text" <<<"$out"; }; then
    echo "FAIL: $* -> $got (wanted $outcome${text:+ saying \"$text\"})" >&2
    echo "$out" | tail -n 15 >&2
    fails=$((fails + 1))
  else
    echo "ok: $* -> $got"
  fi
}

expect ok "" -DTAVIK_HOME_URL=https://tavik.invalid/
expect ok "" -DTAVIK_HOME_URL=http://tavik.invalid/
expect ok "" -DTAVIK_HOME_URL=http://127.0.0.1:8080/
expect ok "" -DTAVIK_HOME_URL=http://localhost/tavik/
expect ok "" "-DTAVIK_HOME_URL=http://[::1]:80/"
expect ok "" -DTAVIK_HOME_URL=https://tavik.example/ -DTAVIK_UPDATE_PUBLIC_KEY="$key"
expect refused "TAVIK_ALLOW_UNSIGNED_UPDATES" -DTAVIK_HOME_URL=https://tavik.example/
expect refused "TAVIK_UPDATE_PUBLIC_KEY" -DTAVIK_HOME_URL=https://127.0.0.1.evil.example/
expect ok "Unsigned updates" -DTAVIK_HOME_URL=https://tavik.example/ -DTAVIK_ALLOW_UNSIGNED_UPDATES=ON
expect refused "plain http" -DTAVIK_HOME_URL=http://tavik.example/ -DTAVIK_UPDATE_PUBLIC_KEY="$key"
expect refused "plain http" -DTAVIK_HOME_URL=http://tavik.example/ -DTAVIK_ALLOW_UNSIGNED_UPDATES=ON
rm -rf "$scratch"
exit $((fails > 0))
