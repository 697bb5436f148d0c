#!/usr/bin/env python3
"""Writes the stand-in ProDOS boot loader, data/prodos/prodos-boot-loader.bin.

Every blank ProDOS volume that zorv makes carries a boot loader in blocks 0
and 1. The genuine ProDOS loader is Apple's code, which the repository cannot
carry; it carries this stand-in instead: 1,024 bytes that begin with the four
bytes zorv recognises ProDOS volumes by (01 38 B0 03), followed by a few 6502
instructions that clear the screen, print "THIS DISK HAS NO PRODOS BOOT
LOADER" and enter the monitor. It does not load ProDOS.

Usage: scripts/make-standin-prodos-boot-loader.py [output file]
(default: data/prodos/prodos-boot-loader.bin next to this script's folder).
An existing file is overwritten, so run it only to restore the stand-in.
"""

import standin

SIZE = 1024
MESSAGE = b"THIS DISK HAS NO PRODOS BOOT LOADER"

# Loaded at $800 by the disk controller's boot ROM, which runs it from $801.
CODE = bytes([
    0x01,              # $800: sectors for the boot ROM to load
    0x38,              # $801: SEC
    0xB0, 0x03,        # $802: BCS $807
    0x4C, 0x07, 0x08,  # $804: JMP $807 (entry of block-device boot ROMs)
    0x20, 0x58, 0xFC,  # $807: JSR HOME
    0xA2, 0x00,        # $80A: LDX #0
    0xBD, 0x1B, 0x08,  # $80C: LDA $81B,X
    0xF0, 0x06,        # $80F: BEQ $817
    0x20, 0xED, 0xFD,  # $811: JSR COUT
    0xE8,              # $814: INX
    0xD0, 0xF5,        # $815: BNE $80C
    0x4C, 0x69, 0xFF,  # $817: JMP MONZ
    0x00,              # $81A: unused
])


def stand_in():
    assert len(CODE) == 0x1B, "the message must start at $81B"
    return standin.padded(CODE + standin.apple2_text(MESSAGE), SIZE)


def main():
    standin.write(stand_in(), "data/prodos/prodos-boot-loader.bin")


if __name__ == "__main__":
    main()
