#!/usr/bin/env python3
"""Writes the stand-in SCSI driver images of data/scsi-drivers/.

The eight SCSI drivers that zorv knows, and the block-0 patch that goes with
the LaCie Silverlining driver, are copyrighted binaries that the repository
cannot carry. It carries these stand-ins instead: files of the exact sizes the
driver catalog expects, so that the build, the catalog and every device image
built with them are complete in structure. They do not boot a real Macintosh.

Each stand-in starts with an ASCII marker that names it, so that no two of
them share their first 40 bytes (the shortest prefix the catalog compares when
it identifies a driver), followed by bytes drawn from SHA-256 over the file's
name: deterministic, never all zero, and different from file to file.

Usage: scripts/make-standin-drivers.py [output folder]
(default: data/scsi-drivers next to this script's folder). Existing files are
overwritten, so run it only to restore the stand-ins.
"""

import hashlib
import pathlib
import sys

# file name, short tag (inside the first 40 bytes), what the file stands for, size in bytes
STAND_INS = [
    ("apple-drive-setup-1.5.bin", "DS15", "Apple Drive Setup 1.5 driver", 16384),
    ("apple-drive-setup-1.7.3.bin", "DS173", "Apple Drive Setup 1.7.3 driver", 18944),
    ("apple-chained-driver.bin", "CHAINED", "Apple Chained Driver (Drive Setup 1.7.3)", 27648),
    ("apple-hd-sc-setup-2.0.3.bin", "HDSC203", "Apple HD SC Setup 2.0.3 driver", 16384),
    ("apple-hd-sc-setup-7.2.2.bin", "HDSC722", "Apple HD SC Setup 7.2.2 driver", 16384),
    ("apple-hd-sc-setup-7.3.5.bin", "HDSC735", "Apple HD SC Setup 7.3.5 driver", 16384),
    ("lido.bin", "LIDO", "Lido driver", 16384),
    ("lacie-silverlining-5.31.bin", "SL531", "LaCie Silverlining 5.31 driver", 16384),
    ("lacie-silverlining-5.31-block0-patch.bin", "SL531-PATCH",
     "LaCie Silverlining 5.31 block-0 patch", 219),
]


def stand_in(file_name, tag, what, size):
    marker = (f"ZORV STAND-IN {tag}: not the genuine {what}; "
              "replace with the real bytes and rebuild.\0").encode("ascii")
    data = bytearray(marker[:size])
    counter = 0
    while len(data) < size:
        block = hashlib.sha256(f"{file_name}:{counter}".encode("ascii")).digest()
        data.extend(block[: size - len(data)])
        counter += 1
    return bytes(data)


def main():
    default = pathlib.Path(__file__).resolve().parent.parent / "data" / "scsi-drivers"
    folder = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else default
    folder.mkdir(parents=True, exist_ok=True)
    images = {}
    for file_name, tag, what, size in STAND_INS:
        data = stand_in(file_name, tag, what, size)
        assert len(data) == size and any(data)
        images[file_name] = data
        (folder / file_name).write_bytes(data)
        print(f"{file_name}: {size} bytes")
    prefixes = [data[:40] for data in images.values()]
    assert len(set(prefixes)) == len(prefixes), "two stand-ins share their first 40 bytes"


if __name__ == "__main__":
    main()
