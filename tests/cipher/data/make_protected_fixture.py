#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes protected_fixture.bmp straight from docs/protected-picture.md with
# libsodium through ctypes, independently of Veltrin's own code: the salt is
# the bytes 0 to 15, the nonce 16 to 39, as the tests' counting random source
# gives them. Run once; the test checks Veltrin against the file.
import ctypes
import ctypes.util
import math
import struct
import sys

PASSWORD = b"Veltrin2026"
TEXT = "Veltrin 你好\r\n😀 protected".encode("utf-8")
OPS, MEM = 2, 64 * 1024

sodium = ctypes.CDLL(ctypes.util.find_library("sodium"))
assert sodium.sodium_init() >= 0

salt = bytes(range(16))
nonce = bytes(range(16, 40))
padded = len(TEXT) // 256 * 256 + 256
plain = TEXT + b"\x80" + bytes(padded - len(TEXT) - 1)
sealed_length = padded + 16
header = (b"\xff\xff\xffVELTRINP" + bytes([1, 2]) + struct.pack("<IQI", OPS, MEM, sealed_length)
          + salt + nonce)
assert len(header) == 69

key = ctypes.create_string_buffer(32)
assert sodium.crypto_pwhash(key, ctypes.c_ulonglong(32), PASSWORD, ctypes.c_ulonglong(len(PASSWORD)),
                            salt, ctypes.c_ulonglong(OPS), ctypes.c_size_t(MEM), ctypes.c_int(2)) == 0
sealed = ctypes.create_string_buffer(sealed_length)
written = ctypes.c_ulonglong(0)
assert sodium.crypto_aead_xchacha20poly1305_ietf_encrypt(
    sealed, ctypes.byref(written), plain, ctypes.c_ulonglong(len(plain)), header,
    ctypes.c_ulonglong(len(header)), None, nonce, key) == 0

data = header + sealed.raw
pixels = (len(data) + 2) // 3
width = math.isqrt(pixels - 1) + 1
height = (pixels + width - 1) // width
data += bytes(width * height * 3 - len(data))

# A 24-bit BMP: rows bottom-up, blue green red, each row padded to 4 bytes.
row = (width * 3 + 3) // 4 * 4
body = b""
for y in reversed(range(height)):
    line = b"".join(bytes(reversed(data[(y * width + x) * 3:(y * width + x) * 3 + 3]))
                    for x in range(width))
    body += line + bytes(row - len(line))
bmp = (b"BM" + struct.pack("<IHHI", 54 + len(body), 0, 0, 54)
       + struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 3780, 3780, 0, 0)
       + body)
with open(sys.argv[1] if len(sys.argv) > 1 else "protected_fixture.bmp", "wb") as out:
    out.write(bmp)
