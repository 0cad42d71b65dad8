#!/usr/bin/env python3
"""Packs the game's images for the page: OUT.data holds the files one after
another, OUT.json their names and sizes in the same order. The page unpacks
them into the game's in-memory file system, in assets/, as their bytes
arrive, while the game reads them; so they are packed in the order the game
reads them: by name, with the numbers in names counted as numbers (ship2
before ship10). The same images always make the same bytes.

Usage: pack_assets.py ASSETS_DIR OUT
"""
import json
import os
import re
import sys

folder, out = sys.argv[1], sys.argv[2]
def in_reading_order(name):
    return [int(part) if part.isdigit() else part for part in re.split(r"(\d+)", name)]


names = sorted((name for name in os.listdir(folder) if name.endswith(".png")), key=in_reading_order)
sizes = []
with open(out + ".data", "wb") as data:
    for name in names:
        with open(os.path.join(folder, name), "rb") as image:
            sizes.append(data.write(image.read()))
with open(out + ".json", "w") as listing:
    json.dump([[name, size] for name, size in zip(names, sizes)], listing, separators=(",", ":"))
