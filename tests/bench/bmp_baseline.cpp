// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for veltrin-cli's benchmark: a minimal Qt program that writes
// (`write PATH`) or reads (`read PATH`) a 110 x 110 BMP with QImage, the size
// of the picture of a 12000-character text.
#include <QCoreApplication>
#include <QImage>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 2 && arguments.at(1) == u"start")
        return 0;
    if (arguments.size() != 3)
        return 2;
    if (arguments.at(1) == u"write") {
        QImage image(110, 110, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(x, y, (x * y) & 0xFF));
        return image.save(arguments.at(2), "BMP") ? 0 : 1;
    }
    const QImage image(arguments.at(2));
    unsigned sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += image.pixel(x, y);
    std::printf("%u\n", sum);
    return image.isNull() ? 1 : 0;
}
