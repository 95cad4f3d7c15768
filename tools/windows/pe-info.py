#!/usr/bin/env python3
"""Prints what a Windows program says of itself, read from its PE headers and resources:
    subsystem=GUI|CUI
    version:<key>=<value>     each text of the version resource (ProductName, CompanyName, ...)
    manifest=<text>           the application manifest, on one line
Used by tools/windows/check-package.sh; a byte search of the file could find a text anywhere,
this finds it where Windows (Explorer's properties, the loader) reads it."""
import struct
import sys

RT_VERSION, RT_MANIFEST = 16, 24
SUBSYSTEMS = {2: "GUI", 3: "CUI"}


def sections_and_resources(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit("not a PE file")
    count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic, = struct.unpack_from("<H", data, optional)
    subsystem, = struct.unpack_from("<H", data, optional + 68)
    directories = optional + (112 if magic == 0x20B else 96)
    resource_rva, = struct.unpack_from("<I", data, directories + 2 * 8)
    sections = []
    for i in range(count):
        size, rva, raw_size, raw = struct.unpack_from("<4I", data, optional + optional_size + 40 * i + 8)
        sections.append((rva, max(size, raw_size), raw))
    return subsystem, resource_rva, sections


def resources(data, resource_rva, sections):
    """Yields (type id, bytes) of every resource."""
    def offset(rva):
        for start, size, raw in sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError("RVA outside the sections")
    base = offset(resource_rva)

    def walk(directory, depth, kind):
        named, ids = struct.unpack_from("<12xHH", data, base + directory)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + directory + 16 + 8 * i)
            here = kind if depth else name
            if target & 0x80000000:
                yield from walk(target & 0x7FFFFFFF, depth + 1, here)
            else:
                rva, size = struct.unpack_from("<II", data, base + target)
                yield here, data[offset(rva):offset(rva) + size]
    if resource_rva:
        yield from walk(0, 0, None)


def version_texts(block, out):
    """The VS_VERSIONINFO tree: each node is length, value length, type, key, value, children."""
    length, value_length, kind = struct.unpack_from("<HHH", block, 0)
    end = block.index(b"\0\0", 6)
    while (end - 6) % 2:
        end = block.index(b"\0\0", end + 1)
    key = block[6:end].decode("utf-16-le")
    position = (end + 2 + 3) & ~3
    value_bytes = value_length * 2 if kind == 1 else value_length
    if kind == 1 and value_length:
        out.append((key, block[position:position + value_bytes].decode("utf-16-le").rstrip("\0")))
    position = (position + value_bytes + 3) & ~3
    while position < length:
        child_length, = struct.unpack_from("<H", block, position)
        if child_length == 0:
            break
        version_texts(block[position:position + child_length], out)
        position = (position + child_length + 3) & ~3


def main():
    data = open(sys.argv[1], "rb").read()
    subsystem, resource_rva, sections = sections_and_resources(data)
    print("subsystem=" + SUBSYSTEMS.get(subsystem, str(subsystem)))
    for kind, block in resources(data, resource_rva, sections):
        if kind == RT_VERSION:
            texts = []
            version_texts(block, texts)
            for key, value in texts:
                print(f"version:{key}={value}")
        elif kind == RT_MANIFEST:
            print("manifest=" + " ".join(block.decode("utf-8").split()))


main()
