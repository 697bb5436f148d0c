#!/usr/bin/env python3
"""Writes the stand-in Amiga boot program, data/amiga/amiga-boot-block-code.bin.

A bootable Amiga volume carries a boot program in its boot block, from byte
12 to byte 1,023. The standard AmigaDOS program is Commodore's code, which
the repository cannot carry; it carries this stand-in instead: 1,012 bytes
whose first two 68000 instructions end the boot with a failure
(moveq #-1,d0; rts), so that Kickstart goes on to its next boot device or
shows its insert-disk screen, followed by a note in ASCII and zeros.

Usage: scripts/make-standin-amiga-boot-code.py [output file]
(default: data/amiga/amiga-boot-block-code.bin next to this script's folder).
An existing file is overwritten, so run it only to restore the stand-in.
"""

import standin

SIZE = 1012
CODE = bytes([
    0x70, 0xFF,  # moveq #-1,d0: the boot failed
    0x4E, 0x75,  # rts
])
NOTE = b"zorv stand-in: no AmigaDOS boot program in this boot block\x00"


def stand_in():
    return standin.padded(CODE + NOTE, SIZE)


def main():
    standin.write(stand_in(), "data/amiga/amiga-boot-block-code.bin")


if __name__ == "__main__":
    main()
