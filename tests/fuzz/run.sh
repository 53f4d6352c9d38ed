#!/usr/bin/env bash
# Fuzzes the data file's load and save together, and the recovery of a save's copy, with
# libFuzzer (clang and its fuzzer runtime, Debian's clang and libclang-rt-14-dev).
# Usage: tests/fuzz/run.sh [seconds]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
out=build/fuzz
mkdir -p "$out/corpus"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
  tests/fuzz/load_save_fuzz.cpp core/ansi.cpp core/ansi_iconv.cpp core/codec.cpp core/ini_file.cpp \
  core/data_file_text.cpp core/task_data.cpp -o "$out/load_save_fuzz"
printf '[Data]\r\nData=mdG6mZa7SRVrRBU3o2fIyW==,\r\n' >"$out/corpus/one-task"
printf '\xFF\xFE[\0D\0a\0t\0a\0]\0\r\0\n\0' >"$out/corpus/utf-16"
printf '[Data]\r\nData=\r\n\r\n;Tavik save 0000000A 0123456789ABCDEF\r\n' >"$out/corpus/sealed"
printf '\xEF\xBB\xBF[Other]\r\nx=1,\r[Data]\nData=mdG6mZa7SRVrRBU3o5Data==,\r\n' >"$out/corpus/odd"
cp tests/fuzz/regressions/* "$out/corpus/"
"$out/load_save_fuzz" -max_total_time="$seconds" -max_len=4096 "$out/corpus"
