#!/usr/bin/env python3
"""Prints the version of a Windows program as its version resource gives it: the
"ProductVersion" text of the string table (1.02), else the fixed file version (1.0.2.0).

Usage: program-version.py PROGRAM.exe
"""

import struct
import sys


def string_value(data, key):
    """The value of a String structure with this key (wLength, wValueLength, wType, the
    key in UTF-16 ending in a zero, padding to four bytes, the value in UTF-16)."""
    pattern = (key + '\0').encode('utf-16-le')
    at = data.find(pattern)
    while at >= 6:
        start = at - 6
        length, value_length, kind = struct.unpack_from('<HHH', data, start)
        if kind == 1 and 0 < value_length and start + length <= len(data):
            value_at = (at + len(pattern) + 3) & ~3
            value = data[value_at:value_at + 2 * value_length].decode('utf-16-le')
            return value.rstrip('\0')
        at = data.find(pattern, at + 1)
    return None


def fixed_version(data):
    at = data.find(struct.pack('<I', 0xFEEF04BD))
    if at < 0:
        return None
    ms, ls = struct.unpack_from('<II', data, at + 8)
    return '%d.%d.%d.%d' % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def main():
    with open(sys.argv[1], 'rb') as f:
        data = f.read()
    version = string_value(data, 'ProductVersion') or fixed_version(data)
    if not version:
        sys.exit('%s: no version resource' % sys.argv[1])
    print(version)


if __name__ == '__main__':
    main()
