#!/usr/bin/env python3
"""Includes run one way: app/ -> widget/, editing/, online/, schedule/ -> controls/ -> core/.

Reads every #include "folder/..." of the program's folders and fails, naming each, when one
points at a folder on the same floor (other than its own) or above its own; online/ also
includes no control, since what it shows goes through its host.
Usage: include_direction_test.py SOURCE_FOLDER
"""
import pathlib
import re
import sys

FLOORS = {"core": 0, "controls": 1, "widget": 2, "editing": 2, "online": 2, "schedule": 2, "app": 3}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^/"]+)/')


def against(root):
    found = []
    for folder, floor in FLOORS.items():
        for path in sorted((root / folder).glob("*")):
            if path.suffix not in (".h", ".cpp", ".inc"):
                continue
            for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
                match = INCLUDE.match(line)
                target = match and match.group(1)
                if not target or target == folder or target not in FLOORS:
                    continue
                if FLOORS[target] >= floor or (folder == "online" and target == "controls"):
                    found.append(f"{path.relative_to(root)}:{number}: {line.strip()}")
    return found


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    if not (root / "core").is_dir():
        print(f"no core/ under {root}")
        return 2
    found = against(root)
    for line in found:
        print(line)
    print(f"{len(found)} includes against the direction")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
