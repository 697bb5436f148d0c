"""What the stand-in writers share: padding a stand-in to the size of the
genuine bytes, Apple II screen text, and writing the file."""

import pathlib
import sys


def apple2_text(message):
    """Text as the Apple II screen shows it (high bit set), ending in a 0."""
    return bytes(byte | 0x80 for byte in message) + b"\x00"


def padded(data, size):
    """The bytes, then zeros up to the size of the genuine file."""
    assert len(data) <= size, f"{len(data)} bytes do not fit in {size}"
    return data + bytes(size - len(data))


def write(data, default):
    """Writes the stand-in to the path given as the first argument, or to
    `default` (relative to the repository) when none is given."""
    repository = pathlib.Path(__file__).resolve().parent.parent
    target = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else repository / default
    target.parent.mkdir(parents=True, exist_ok=True)
    target.write_bytes(data)
    print(f"wrote {target} ({len(data)} bytes)")
