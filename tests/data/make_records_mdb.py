#!/usr/bin/env python3
"""Writes records.mdb: the smallest Jet 4 database the import test reads, an
MSysObjects catalog naming one table, Records, with the store's columns (plus an ID
column the import has no use for) and three rows, the third with NULLs.

Page layout (4096 bytes each): 0 header, 1 the tables' page maps, 2 and 3 the
catalog's definition and rows, 4 and 5 the Records table's definition and rows.
"""
import struct
import sys

PAGE = 4096
LONG, INT, SINGLE, DATETIME, TEXT, OLE = 0x04, 0x03, 0x06, 0x08, 0x0A, 0x0B
SIZES = {LONG: 4, INT: 2, SINGLE: 4, DATETIME: 8}


def rc4(key, data):
    state = list(range(256))
    j = 0
    for i in range(256):
        j = (j + state[i] + key[i % len(key)]) % 256
        state[i], state[j] = state[j], state[i]
    out, i, j = bytearray(), 0, 0
    for byte in data:
        i = (i + 1) % 256
        j = (j + state[i]) % 256
        state[i], state[j] = state[j], state[i]
        out.append(byte ^ state[(state[i] + state[j]) % 256])
    return bytes(out)


def header_page():
    page = bytearray(PAGE)
    page[0:4] = b"\x00\x01\x00\x00"
    page[4:20] = b"Standard Jet DB\x00"
    page[0x14] = 1  # Jet 4
    # The header is kept scrambled; all zeros once unscrambled: no encryption key.
    page[0x18:0x18 + 128] = rc4(struct.pack("<I", 0x6B39DAC7), bytes(128))
    return page


def data_page(owner, rows):
    """A data page of `owner` (its definition's page) holding `rows`, row 0 last."""
    page = bytearray(PAGE)
    page[0:2] = b"\x01\x01"
    struct.pack_into("<I", page, 4, owner)
    struct.pack_into("<H", page, 0x0C, len(rows))
    end = PAGE
    for index, row in enumerate(rows):
        end -= len(row)
        page[end:end + len(row)] = row
        struct.pack_into("<H", page, 0x0E + 2 * index, end)
    struct.pack_into("<H", page, 2, end - 0x0E - 2 * len(rows))
    return page


def usage_map(pages):
    bitmap = bytearray(1)
    for number in pages:
        bitmap[0] |= 1 << number
    return b"\x00" + struct.pack("<I", 0) + bytes(bitmap)


def definition_page(columns, row_count, map_row, free_row, system):
    """columns: (name, type) in column order; fixed ones first in the row."""
    page = bytearray(PAGE)
    page[0:2] = b"\x02\x01"
    var_count = sum(1 for _, kind in columns if kind not in SIZES)
    struct.pack_into("<I", page, 16, row_count)
    page[40] = 0x53 if system else 0x4E
    struct.pack_into("<H", page, 41, len(columns))
    struct.pack_into("<H", page, 43, var_count)
    struct.pack_into("<H", page, 45, len(columns))
    struct.pack_into("<I", page, 55, (1 << 8) | map_row)
    struct.pack_into("<I", page, 59, (1 << 8) | free_row)
    position, fixed_offset, var_number = 63, 0, 0
    for number, (name, kind) in enumerate(columns):
        entry = bytearray(25)
        entry[0] = kind
        struct.pack_into("<H", entry, 5, number)
        struct.pack_into("<H", entry, 9, number)
        if kind in SIZES:
            entry[15] = 0x03  # fixed, may be NULL
            struct.pack_into("<H", entry, 21, fixed_offset)
            struct.pack_into("<H", entry, 23, SIZES[kind])
            fixed_offset += SIZES[kind]
        else:
            entry[15] = 0x02
            struct.pack_into("<H", entry, 7, var_number)
            struct.pack_into("<H", entry, 23, 510 if kind == TEXT else 0)
            var_number += 1
        page[position:position + 25] = entry
        position += 25
    for name, _ in columns:
        encoded = name.encode("utf-16-le")
        struct.pack_into("<H", page, position, len(encoded))
        page[position + 2:position + 2 + len(encoded)] = encoded
        position += 2 + len(encoded)
    struct.pack_into("<I", page, 8, position)
    return page


def row(columns, values):
    """A row image: column count, fixed data, variable data, their offsets, NULL mask."""
    image = bytearray(struct.pack("<H", len(columns)))
    fixed = [(c, v) for c, v in zip(columns, values) if c[1] in SIZES]
    variable = [(c, v) for c, v in zip(columns, values) if c[1] not in SIZES]
    formats = {LONG: "<i", INT: "<h", SINGLE: "<f", DATETIME: "<d"}
    for (_, kind), value in fixed:
        image += struct.pack(formats[kind], 0 if value is None else value)
    offsets = []
    for (_, kind), value in variable:
        offsets.append(len(image))
        if value is not None:
            image += value.encode("utf-16-le")
    if variable:
        end = len(image)
        image += struct.pack("<H", end)
        for offset in reversed(offsets):
            image += struct.pack("<H", offset)
        image += struct.pack("<H", len(variable))
    mask = bytearray((len(columns) + 7) // 8)
    for number, value in enumerate(values):
        if value is not None:
            mask[number // 8] |= 1 << (number % 8)
    return bytes(image + mask)


CATALOG = [("Id", LONG), ("Type", INT), ("Flags", LONG), ("Name", TEXT), ("LvProp", OLE)]
RECORDS = [("ID", LONG), ("Time", DATETIME), ("Interval", LONG), ("InTemp", SINGLE),
           ("InHumi", LONG), ("OutTemp", SINGLE), ("OutHumi", LONG),
           ("RelPressure", SINGLE), ("AbsPressure", SINGLE), ("Wind", SINGLE),
           ("Gust", SINGLE), ("WindDirection", LONG), ("DewPoint", SINGLE),
           ("WindChill", SINGLE), ("Rain", SINGLE), ("Rcount", LONG), ("Rain1", SINGLE),
           ("Rain2", SINGLE), ("Rain3", SINGLE), ("Rain4", SINGLE), ("Rain5", SINGLE),
           ("Light", SINGLE), ("UV", LONG)]
# 2024-03-05 09:07:00, 09:12:00 and 09:17:30 as OLE dates.
MORNING = 45356 + (9 * 3600 + 7 * 60) / 86400
ROWS = [
    [1, MORNING, 5, 21.5, 45, -7.25, 88, 1013.25, 990.75, 3.5, 6.75, 11, -9.5, -12.5,
     0.25, 123, 1.5, 3.25, 5.5, 7.75, 901.25, 5432.5, 4],
    [2, MORNING + 300 / 86400, 5, 21.5, 45, 65535.0, 65535, 1013.25, 990.75, 3.5, 6.75,
     16, -9.5, -12.5, 0.0, 124, 1.5, 3.25, 5.5, 7.75, 901.25, 5432.5, 65535],
    [3, MORNING + 630 / 86400, None, None, None, None, None, None, None, None, None, None,
     None, None, None, None, None, None, None, None, None, None, None],
]


def main(path):
    maps = data_page(0, [usage_map([3]), usage_map([]), usage_map([5]), usage_map([])])
    catalog = data_page(2, [row(CATALOG, [4, 1, 0, "Records", None])])
    records = data_page(4, [row(RECORDS, values) for values in ROWS])
    pages = [header_page(), maps,
             definition_page(CATALOG, 1, 0, 1, system=True), catalog,
             definition_page(RECORDS, len(ROWS), 2, 3, system=False), records]
    with open(path, "wb") as out:
        for page in pages:
            out.write(page)


if __name__ == "__main__":
    main(sys.argv[1])
