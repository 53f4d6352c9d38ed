#!/usr/bin/env python3
"""What each archive member costs in a GNU ld map (only sections kept in the output)."""
import collections
import re
import sys

lines = open(sys.argv[1], errors="replace").read().splitlines()
start = next(i for i, l in enumerate(lines) if l.startswith("Linker script and memory map"))
by_member, by_archive = collections.Counter(), collections.Counter()
pending = None
for line in lines[start:]:
    m = re.match(r"^ (\.\S+)(?:\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S+))?\s*$", line)
    if m and m.group(2) is None:
        pending = m.group(1)
        continue
    if m:
        section, size, obj = m.group(1), int(m.group(3), 16), m.group(4)
    else:
        m = re.match(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S+)\s*$", line)
        if not (m and pending):
            pending = None
            continue
        section, size, obj = pending, int(m.group(2), 16), m.group(3)
        pending = None
    if section.startswith(".debug") or size == 0:
        continue
    member = obj.split("/")[-1]
    by_member[member] += size
    by_archive[re.sub(r"\(.*", "", member)] += size
count = int(sys.argv[2]) if len(sys.argv) > 2 else 25
for name, size in by_archive.most_common(12):
    print(f"{size:8d}  {name}")
print()
for name, size in by_member.most_common(count):
    print(f"{size:8d}  {name}")
