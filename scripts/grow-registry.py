#!/usr/bin/env python3
"""Grows a machine folder's registry.reg by many product keys, for timing the
bench on a machine of realistic size.

    agentca init big && scripts/grow-registry.py big 10000

Adds KEYS keys HKEY_LOCAL_MACHINE\\SOFTWARE\\VendorNN\\ProductNNNN (100 per
vendor), each with a display name, an install path, a DWORD and a 16-byte
binary value, in the file's own format (Version 5 or REGEDIT4). 10,000 keys
make a Version 5 file of about 5 MB.
"""
import sys
from pathlib import Path

PER_VENDOR = 100


def key_text(i: int) -> str:
    vendor, product = i // PER_VENDOR, i % PER_VENDOR
    signature = ",".join(f"{(i * 7 + b) & 0xff:02x}" for b in range(16))
    return (
        f"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor{vendor:02d}\\Product{product:04d}]\r\n"
        f'"DisplayName"="Product {product:04d} of Vendor {vendor:02d}"\r\n'
        f'"InstallPath"="C:\\\\Program Files\\\\Vendor{vendor:02d}\\\\Product {product:04d}"\r\n'
        f'"Version"=dword:{i:08x}\r\n'
        f'"Signature"=hex:{signature}\r\n'
    )


def main() -> int:
    if len(sys.argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    registry = Path(sys.argv[1]) / "registry.reg"
    keys = int(sys.argv[2])
    raw = registry.read_bytes()
    wide = raw.startswith(b"\xff\xfe")
    text = raw[2:].decode("utf-16-le") if wide else raw.decode("latin-1")
    if not text.endswith("\r\n"):
        text += "\r\n"
    text += "".join(key_text(i) for i in range(keys))
    registry.write_bytes(b"\xff\xfe" + text.encode("utf-16-le") if wide else text.encode("latin-1"))
    print(f"{registry}: {keys} keys added, {registry.stat().st_size} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
