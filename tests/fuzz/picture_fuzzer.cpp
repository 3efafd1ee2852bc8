// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target over what Open and the Decrypt button do with a file: load
// it, show it on the opened-picture surface, decrypt it with and without a
// password, catching run-time errors as the window does, and open it as a
// protected picture. The first byte of an input picks the file name's suffix,
// the rest is the file.
#include "cipher_members.h"
#include "code_page.h"
#include "decryptor.h"
#include "formats.h"
#include "fuzz_suffixes.h"
#include "picture_io.h"
#include "picture_kind.h"
#include "picture_samples.h"
#include "picture_surface.h"
#include "protected_picture.h"
#include "qt_adapters.h"
#include "robust_picture.h"
#include "runtime_error.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace veltrin;

// Every pixel of an opened picture must come from the file. The loader
// hands TGA files and 16-bit PNG files with a transparent colour to Qt in
// another form, so their raw bytes are no measure.
void expectDefinedPixels(const QByteArray &bytes, const OpenedPicture &opened)
{
    const auto png = pictures::measurePng(bytes);
    if (opened.format == "tga" || (png && png->rgb16Transparent))
        return;
    if (testing::definedPixels(bytes, opened.format) == false) {
        std::fprintf(stderr, "opened a %s picture with pixels the reader never wrote\n",
                     opened.format.constData());
        std::abort();
    }
}

void decrypt(const Surface &source, const std::u16string &password)
{
    CipherMembers members;
    members.writeX = 30;
    members.readX = 30;
    Decryptor decryptor(members, codePage936());
    try {
        decryptor.run(
            DecryptPage{password, source, [](const std::u16string &) {}, [](bool) {}, [](bool) {}});
    } catch (const RuntimeError &) {
        // Reported in a message box; the window goes on.
    }
}

// The window's path for a protected picture, with a bound cheap enough for
// millions of runs; the reference picture (2 passes over 64 KiB) is within it.
void openProtected(const Picture &image)
{
    using namespace protectedPicture;
    constexpr KdfCost fuzzBound{2, 64 * 1024};
    const Failure refusal = recognise(image, fuzzBound).refusal(u"Veltrin2026");
    const Opened opened = open(image, u"Veltrin2026", fuzzBound);
    if (opened.failure == Failure::None && refusal != Failure::None) {
        std::fprintf(stderr, "opened a protected picture whose header is refused\n");
        std::abort();
    }
}

// The detector and the decoder on any picture the loader gives: a grid the
// detector finds must be one the decoder accepts.
void decodeRobust(const Picture &image)
{
    const robustPicture::Detected detected = robustPicture::detect(image);
    const robustPicture::Decoded decoded = robustPicture::decode(image);
    if (decoded.failure == robustPicture::Failure::None && !detected.grid) {
        std::fprintf(stderr, "decoded a robust picture the detector did not find\n");
        std::abort();
    }
    // A sealed payload goes the protected picture's way.
    if (!decoded.sealed.isNull())
        openProtected(decoded.sealed);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Qt's readers warn about every broken file; the fuzzer makes millions.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    // Load Qt's image plugins and the code page once, outside any input.
    codePage936();
    QtPictureLoader loader;
    for (const testing::PictureSample &sample : testing::pictureSamples())
        loader.loadBytes(sample.bytes, sample.suffix);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const QString suffix = fuzzSuffix(data[0]);
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1),
                           static_cast<qsizetype>(size - 1));
    QtPictureLoader loader;
    const PictureLoad load = loader.loadBytes(bytes, suffix);
    if (!load.picture)
        return 0;
    expectDefinedPixels(bytes, *load.picture);

    PictureSurface picture4(2520, 465);
    picture4.setPicture(load.picture->image);
    decrypt(picture4, u"");
    decrypt(picture4, u"Zz9");
    openProtected(picture4.pixels());
    decodeRobust(toPicture(load.picture->image));
    return 0;
}
