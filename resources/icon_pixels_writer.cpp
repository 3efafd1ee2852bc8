// SPDX-License-Identifier: GPL-3.0-or-later
#include "icon_pixels_writer.h"

#include <QImage>
#include <QString>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace veltrin {

int writeIconPixelsSource(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.cpp PNG...\n",
                     argc > 0 ? argv[0] : "embed_icon_pixels");
        return 2;
    }
    std::vector<QImage> images;
    for (int i = 2; i < argc; ++i) {
        const QImage image(QString::fromLocal8Bit(argv[i]));
        if (image.isNull() || image.width() != image.height()) {
            std::fprintf(stderr, "embed_icon_pixels: %s is no square picture\n", argv[i]);
            return 1;
        }
        images.push_back(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }

    // Written beside the output and renamed, so that a failed run leaves no
    // half file for the next build to take as done.
    const std::filesystem::path path(argv[1]);
    std::filesystem::path partial = path;
    partial += ".part";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << "// Written by embed_icon_pixels; do not edit.\n"
           "#include \"icon_pixels.h\"\n\n"
           "#include <array>\n\n"
           "namespace veltrin {\n\nnamespace {\n\n";
    for (std::size_t n = 0; n < images.size(); ++n) {
        const QImage &image = images[n];
        out << "constexpr std::array<std::uint32_t, " << image.width() * image.height() << "> image"
            << n << "{{\n";
        for (int y = 0; y < image.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                out << "0x" << std::hex << line[x] << std::dec << (x % 8 == 7 ? ",\n" : ",");
        }
        out << "}};\n\n";
    }
    out << "constexpr std::array<IconPixels, " << images.size() << "> images{{\n";
    for (std::size_t n = 0; n < images.size(); ++n)
        out << "    {" << images[n].width() << ", image" << n << ".data()},\n";
    out << "}};\n\n} // namespace\n\n"
           "std::span<const IconPixels> windowIconPixels()\n{\n    return images;\n}\n\n"
           "} // namespace veltrin\n";
    out.close();
    std::error_code error;
    if (!out || (std::filesystem::rename(partial, path, error), error)) {
        std::fprintf(stderr, "embed_icon_pixels: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

} // namespace veltrin
