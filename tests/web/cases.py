# SPDX-License-Identifier: GPL-3.0-or-later
# The page's round trips and refusals, one list that every engine runs with
# case.js: the picture to open (a file, or one the page makes and saves), the
# password, and the text shown or the words the message holds ("" for none).
import zlib

from PIL import Image

STRONG = "Tq7Vx2Lm9Rk4Wb8Zc3Nf"


def mixed(length, seed):
    """Letters, digits, Chinese and punctuation code page 936 stores."""
    alphabet = "aZ09你好世界，。汉字测试！？《》·—" + "壹贰叁肆伍陆柒捌玖"
    return "".join(alphabet[(i * 7 + seed) % len(alphabet)] for i in range(length))


def cases(dir, cli):
    def made(path, text, password="", *flags):
        run = cli("encrypt", "-f", "-p", password, "-o", str(path), *flags, text=text)
        assert run.returncode == 0, run.stderr.decode()
        return path

    def write(name, data):
        (dir / name).write_bytes(data)
        return dir / name

    def case(name, password, text, words="", **more):
        return dict(name=name, password=password, text=text, words=words, **more)

    def page(name, text, password, protect=False, robust=False, format="png", by_cli=True):
        make = dict(text=text, password=password, protect=protect, robust=robust, format=format)
        return case(name, password, text, make=make, cli=by_cli)

    listed = []
    for text, password, protect in (("你好，Veltrin", "", False), ("第一行\n第二行\n\n3", "Pass1234", False),
                                    ("受保护的信 😀\n第二行", STRONG, True)):
        listed += [page(f"page.{f}", text, password, protect, format=f) for f in ("png", "bmp")]
    for first in ("\ufeff", "\ufffe"):  # texts keep every code unit
        for protect, robust in ((True, False), (False, True), (True, True)):
            listed.append(page("units.png", first + "abcdefghijklmnopqrstuvwxyz" * 2, STRONG if protect else "",
                               protect, robust, by_cli=False))  # its standard output is UTF-8

    for length, password, protect, extension in ((1, "", False, "bmp"), (3, "abc", False, "png"),
                                                 (12000, "abcdefghij0123456789", False, "bmp"),
                                                 (16, "", False, "png"), (300, STRONG, True, "png")):
        text = mixed(length, length)
        if protect:
            text = text[:100] + "\n😀🎉\n" + text[100:]
        elif length > 10:
            text = text[:5] + "\n" + text[7:]
        name = f"cli-{length}.{extension}"
        listed.append(case(name, password, text, open=made(dir / name, text, password,
                                                            *(["--protect"] if protect else []))))

    # Chunks a colour-managing decoder would act on change no pixel.
    text = mixed(2000, 4)
    data = made(dir / "plain.png", text, "abc").read_bytes()
    after_header = 8 + 8 + 13 + 4
    chunk = lambda kind, body: (len(body).to_bytes(4, "big") + kind + body +
                                zlib.crc32(kind + body).to_bytes(4, "big"))
    for name, extra in (("gamma-1.0", chunk(b"gAMA", (100000).to_bytes(4, "big"))),
                        ("gamma-0.1", chunk(b"gAMA", (1000000).to_bytes(4, "big"))),
                        ("chromaticities", chunk(b"cHRM", b"".join(v.to_bytes(4, "big") for v in (
                            31270, 32900, 70000, 29000, 14000, 80000, 5000, 1000))))):
        listed.append(case(name + ".png", "abc", text,
                           open=write(name + ".png", data[:after_header] + extra + data[after_header:])))

    # Robust pictures outlast JPEG, as chat programs send it, and carry protected ones.
    import random
    draw = random.Random(11)  # random characters, so zstd leaves modules of 4 and 5 pixels, not 8
    text = "".join(chr(0x4E00 + draw.randrange(3000)) for _ in range(3000)) + "\n第二行 😀 end"
    for password, protect, kind in (("", False, "经得起转发的图片"), (STRONG, True, "经得起转发的受保护图片：要有密码")):
        png = made(dir / f"robust-{protect}.png", text, password, "--robust", *(["--protect"] if protect else []))
        with Image.open(png) as image:
            rgb = image.convert("RGB")
        jpeg, damaged = dir / f"robust-{protect}.jpg", dir / f"robust-{protect}-damaged.jpg"
        rgb.save(jpeg, quality=50, subsampling=2)  # 4:2:0
        w, h = rgb.size
        rgb.paste((255, 255, 255), (w // 10, h * 3 // 10, w * 9 // 10, h * 9 // 10))
        rgb.save(damaged, quality=50, subsampling=2)
        listed += [case(png.name, password, text, open=png, kind=kind),
                   case(jpeg.name, password, text, open=jpeg, kind=kind),
                   case(damaged.name, password, None, "损坏得太厉害", open=damaged, kind=kind)]
        if protect:
            listed += [case(jpeg.name, "WrongPassword123", None, "密码不对", open=jpeg, kind=kind),
                       case(jpeg.name, "", None, "要有密码才能解开", open=jpeg, kind=kind)]

    # Refusals, explained in Chinese within two seconds; one that needs the key
    # waits for Argon2id, a second or more on a busy machine.
    classic = made(dir / "refuse-classic.bmp", mixed(50, 1), "right1")
    sealed = made(dir / "refuse-protected.bmp", mixed(50, 2), STRONG, "--protect")
    data = bytearray(sealed.read_bytes())
    data[-5] ^= 0x01  # a fill pixel near the end, after the seal
    changed = write("refuse-changed.bmp", data)
    data = bytearray(classic.read_bytes())
    width, height = int.from_bytes(data[18:22], "little"), int.from_bytes(data[22:26], "little")
    top = 54 + (width * 3 + 3) // 4 * 4 * (height - 1)
    data[top:top + 3] = bytes((0x00, 0x20, 0x00))  # length cell: 8192 characters
    past = write("refuse-past.bmp", data)
    with Image.open(classic) as image:
        image.save(dir / "refuse.jpg", quality=90)
        image.save(dir / "refuse.tif")  # none of these engines decodes TIFF, as Safari does
    derives = 8.0
    for picture, password, words, seconds in (
            (classic, "wrong1", "没有解出文字", 2.0),
            (sealed, "WrongPassword123", "密码不对，或者图片被改动过", derives),
            (sealed, "", "要有密码才能解开", 2.0),
            (changed, STRONG, "被改动过", derives),
            (past, "right1", "运行时错误 '9'", 2.0),
            (dir / "refuse.jpg", "right1", "JPEG 格式", 2.0),
            (dir / "refuse.tif", "right1", "读不出 TIFF 格式的图片", 2.0),
            (write("refuse-garbage.png", b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 4), "", "不是 Veltrin 能读取的图片", 2.0),
            (write("refuse-huge.png", b"\x89PNG\r\n\x1a\n\0\0\0\rIHDR" + (40000).to_bytes(4, "big") * 2 +
                   b"\x08\x02\0\0\0" + bytes(4)), "", "图片太大", 2.0)):
        listed.append(case(picture.name, password, None, words, open=picture, seconds=seconds))

    # Pictures too large or of unknown size are refused before decoding.
    be, le = lambda n, k=2: n.to_bytes(k, "big"), lambda n, k=2: n.to_bytes(k, "little")
    box = lambda kind, body: be(8 + len(body), 4) + kind + body
    riff = lambda *chunks: (b"RIFF" + le(4 + sum(map(len, chunks)), 4) + b"WEBP" + b"".join(chunks))
    chunk = lambda kind, body: kind + le(len(body), 4) + body
    ihdr = b"\x89PNG\r\n\x1a\n\0\0\0\rIHDR" + be(20000, 4) * 2 + b"\x08\x02\0\0\0" + bytes(4)
    sof = b"\xff\xc0\0\x11\x08" + be(20000) * 2 + b"\x03\x01\x22\0\x02\x11\x01\x03\x11\x01"
    for name, data, words in (
            ("jpg", b"\xff\xd8\xff\xe0\0\x04ab" + sof + b"\xff\xd9", "20000 x 20000"),
            ("webp", riff(chunk(b"VP8 ", b"\x50\x01\0\x9d\x01\x2a" + le(16000) * 2)), "16000 x 16000"),
            ("lossless.webp", riff(chunk(b"VP8L", b"\x2f" + le(15999 | 15999 << 14, 4) + bytes(3))), "16000 x 16000"),
            ("extended.webp", riff(chunk(b"VP8X", bytes(4) + le(19999, 3) * 2)), "20000 x 20000"),
            ("avif", box(b"ftyp", b"avif" + bytes(4) + b"mif1") + box(b"meta", bytes(4) + box(
                b"iprp", box(b"ipco", box(b"ispe", bytes(4) + be(20000, 4) * 2)))), "20000 x 20000"),
            ("core.bmp", b"BM" + le(26 + 3, 4) + bytes(4) + le(26, 4) + le(12, 4) + le(20000) * 2 + le(1) + le(24)
             + bytes(3), "20000 x 20000"),
            ("gif", b"GIF89a" + le(1) * 2 + bytes(3) + b"\x2c" + bytes(4) + le(20000) * 2 + b"\0\x02\x02\x44\x01\0;",
             "20000 x 20000"),
            ("ico", bytes(2) + le(1) * 2 + bytes(4) + le(1) + le(32) + le(len(ihdr), 4) + le(22, 4) + ihdr,
             "20000 x 20000"),
            ("tif", b"II*\0" + le(8, 4) + le(2) + le(256) + le(4) + le(1, 4) + le(20000, 4) + le(257) + le(4)
             + le(1, 4) + le(20000, 4) + bytes(4), "20000 x 20000"),
            ("be.tif", b"MM\0*" + be(8, 4) + be(2) + be(256) + be(3) + be(1, 4) + be(20000) + bytes(2) + be(257)
             + be(3) + be(1, 4) + be(20000) + bytes(6), "20000 x 20000"),
            ("cut.jpg", b"\xff\xd8\xff\xe0\0\x10ab", "读不出图片的大小"),
            ("unknown.webp", riff(chunk(b"ABCD", bytes(8))), "读不出图片的大小")):
        listed.append(case(f"claims.{name}", "", None, words, open=write(f"claims.{name}", data)))
    return listed
