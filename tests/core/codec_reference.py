#!/usr/bin/env python3
"""The decoding steps of the program's codec written out again, independently of the C++ code,
with Python's own GBK/GB18030 codec for the text's bytes. Prints the vectors that
codec_test.cpp checks: each input text and the bytes its decoding yields (before they become
text again)."""

ALPHABET = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"

def swap(ch):
    if "A" <= ch <= "Z" or "a" <= ch <= "z":
        return ch.swapcase()
    return ch

def utf16_units(text):
    return len(text.encode("utf-16-le")) // 2

def decode(text):
    swapped = "".join(swap(c) for c in text)                        # 1. on the characters
    data = swapped.encode("gb18030")                                # 2. the text's bytes
    head = swapped.split("=", 1)[0]
    length = utf16_units(head)                                      # 3. characters before "="
    out = bytearray(3 * length // 4)
    for k, off in enumerate(range(0, length, 4)):                   # 4. groups of four bytes
        n = 0
        for j in range(4):
            pos = off + j
            v = 0
            if pos < len(data):
                c = chr(data[pos])
                v = ALPHABET.index(c) if c in ALPHABET else 63
            n = n << 6 | v
        for b in range(3):
            if 3 * k + b < len(out):
                out[3 * k + b] = n >> (16 - 8 * b) & 0xFF
    return bytes(out)

INPUTS = ["丄", "丄丄丄丄", "ywjJ丄", "中文=ywjJ", "ywjJ=中文", "Ж", "aGVsbG8中", "不循环", "☃☃=",
          "\U0001F600ywjJ", "ySbB丄yWjJ"]
for text in INPUTS:
    print('{u"%s", "%s"},' % (text.encode("unicode_escape").decode().replace("\\x", "\\u00"),
                              "".join("\\x%02X" % b for b in decode(text))))
