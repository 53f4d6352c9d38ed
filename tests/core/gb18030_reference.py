#!/usr/bin/env python3
"""An independent statement of how the text layer stores every Unicode scalar value, built on
Python's own codecs: what GBK holds as GBK bytes (the euro sign as 0x80), the private-use
characters as code page 936 has them, the characters GB18030-2005 put on code page 936's
private-use codes under their partner's four-byte code, everything else as GB18030.
Prints the CRC-32 of all of them in code point order, which ansi_test.cpp expects."""
import zlib

def four_byte_index(b):
    return (((b[0] - 0x81) * 10 + (b[1] - 0x30)) * 126 + (b[2] - 0x81)) * 10 + (b[3] - 0x30)

def four_bytes(index):
    b3 = 0x30 + index % 10; index //= 10
    b2 = 0x81 + index % 126; index //= 126
    b1 = 0x30 + index % 10
    return bytes([0x81 + index // 10, b1, b2, b3])

# The two-byte codes GB18030-2005 took from code page 936's private-use characters.
codes = []
for lead in range(0x81, 0xFF):
    for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFF)):
        b = bytes([lead, trail])
        try:
            b.decode("gbk"); continue
        except UnicodeDecodeError:
            pass
        try:
            ch = b.decode("gb18030")
        except UnicodeDecodeError:
            continue
        if len(ch) == 1 and not 0xE000 <= ord(ch) <= 0xF8FF:
            codes.append(b)
puas = [cp for cp in range(0xE000, 0xE865) if len(chr(cp).encode("gb18030")) == 4]
pua_code = dict(zip(puas, codes))
moved = {ord(b.decode("gb18030")): four_bytes(four_byte_index(chr(p).encode("gb18030")))
         for p, b in pua_code.items() if b.decode("gb18030") != "\u20ac"}

crc = 0
for cp in range(0x110000):
    if 0xD800 <= cp <= 0xDFFF:
        continue
    ch = chr(cp)
    if cp == 0x20AC:
        b = b"\x80"
    elif cp in pua_code:
        b = pua_code[cp]
    elif cp in moved:
        b = moved[cp]
    else:
        try:
            b = ch.encode("gbk")
        except UnicodeEncodeError:
            b = ch.encode("gb18030")
    crc = zlib.crc32(b, crc)
print("%08X" % crc)
