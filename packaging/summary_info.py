#!/usr/bin/python3
"""Mends an installer's summary information for a French package, in place.

wixl stores the summary's strings as UTF-8 under code page 1252, so Explorer
shows "fenÃªtres", and its Template always names language 1033. This stores
every string in code page 1252 and sets the Template's language. msibuild
cannot replace the stream (`-a` adds a second one of the same name), so the
new stream, padded to the old one's size, is written over the old one's
bytes in the file: a stream this small lies in 64-byte mini sectors, each
found by its unique content.

    summary_info.py PACKAGE.msi LANGUAGE
"""
import struct
import subprocess
import sys

VT_LPSTR = 30
PID_TEMPLATE = 7
# Each property's value is sized by its type (VT_I2 is padded to four bytes).
FIXED_SIZES = {2: 4, 3: 4, 64: 8}


def properties(stream):
    """The (id, type, value bytes) of the one section of a property set."""
    (section,) = struct.unpack_from("<I", stream, 44)
    _, count = struct.unpack_from("<II", stream, section)
    for i in range(count):
        pid, at = struct.unpack_from("<II", stream, section + 8 + 8 * i)
        at += section
        (vt,) = struct.unpack_from("<I", stream, at)
        if vt == VT_LPSTR:
            (size,) = struct.unpack_from("<I", stream, at + 4)
            yield pid, vt, stream[at + 8:at + 8 + size].rstrip(b"\0").decode("utf-8")
        else:
            yield pid, vt, stream[at + 4:at + 4 + FIXED_SIZES[vt]]


def value_bytes(vt, value):
    if vt != VT_LPSTR:
        return struct.pack("<I", vt) + value
    text = value.encode("cp1252") + b"\0"
    text += b"\0" * (-len(text) % 4)
    return struct.pack("<II", vt, len(text)) + text


def rewrite(stream, language):
    entries = []
    for pid, vt, value in properties(stream):
        if pid == PID_TEMPLATE:
            value = value.split(";")[0] + ";" + language
        entries.append((pid, value_bytes(vt, value)))
    table_size = 8 + 8 * len(entries)
    offsets, body = [], b""
    for pid, data in entries:
        offsets.append(struct.pack("<II", pid, table_size + len(body)))
        body += data
    section = struct.pack("<II", table_size + len(body), len(entries)) + b"".join(offsets) + body
    # The header (byte order, version, system, class) and the section's
    # format id are kept; the one section starts right after them.
    return stream[:44] + struct.pack("<I", 48) + section


STREAM = "\x05SummaryInformation"
MINI_SECTOR = 64


def extract(package):
    return subprocess.run(["msiinfo", "extract", package, STREAM], check=True,
                          stdout=subprocess.PIPE).stdout


def main(package, language):
    old = extract(package)
    new = rewrite(old, language)
    if len(new) > len(old):
        sys.exit(f"{package}: the mended summary is larger than wixl's")
    new += b"\0" * (len(old) - len(new))
    with open(package, "r+b") as file:
        data = bytearray(file.read())
        for at in range(0, len(old), MINI_SECTOR):
            before, after = old[at:at + MINI_SECTOR], new[at:at + MINI_SECTOR]
            if before == after:
                continue
            found = data.find(before)
            if found < 0 or data.find(before, found + 1) >= 0:
                sys.exit(f"{package}: summary bytes at {at} not found once")
            data[found:found + len(after)] = after
        file.seek(0)
        file.write(data)
    if extract(package) != new:
        sys.exit(f"{package}: the summary was not rewritten")


if __name__ == "__main__":
    main(*sys.argv[1:])
