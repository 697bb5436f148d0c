#!/usr/bin/env python3
"""Writes the stand-in DOS 3.3 boot image, data/dos33/dos33-boot-image.bin.

Every blank DOS 3.3 disk that zorv makes carries DOS itself on tracks 0 and 1
and sectors 0 to 4 of track 2 (9,472 bytes), as a disk initialised by DOS 3.3
does. DOS is Apple's code, which the repository cannot carry; it carries this
stand-in instead: a boot sector whose few 6502 instructions clear the screen,
print "THIS DISK HAS NO DOS 3.3" and enter the monitor, followed by zeros. It
does not load DOS.

Usage: scripts/make-standin-dos33-boot-image.py [output file]
(default: data/dos33/dos33-boot-image.bin next to this script's folder).
An existing file is overwritten, so run it only to restore the stand-in.
"""

import standin

SIZE = 9472
MESSAGE = b"THIS DISK HAS NO DOS 3.3"

# The Disk II boot ROM loads sector 0 of track 0 at $800 and runs it from $801.
CODE = bytes([
    0x01,              # $800: sectors for the boot ROM to load
    0x20, 0x58, 0xFC,  # $801: JSR HOME
    0xA2, 0x00,        # $804: LDX #0
    0xBD, 0x14, 0x08,  # $806: LDA $814,X
    0xF0, 0x06,        # $809: BEQ $811
    0x20, 0xED, 0xFD,  # $80B: JSR COUT
    0xE8,              # $80E: INX
    0xD0, 0xF5,        # $80F: BNE $806
    0x4C, 0x69, 0xFF,  # $811: JMP MONZ
])


def stand_in():
    assert len(CODE) == 0x14, "the message must start at $814"
    return standin.padded(CODE + standin.apple2_text(MESSAGE), SIZE)


def main():
    standin.write(stand_in(), "data/dos33/dos33-boot-image.bin")


if __name__ == "__main__":
    main()
