// SPDX-License-Identifier: GPL-3.0-or-later
#include "screenshot.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace veltrin::testing {

Screenshot randomScreenshot(std::mt19937 &random)
{
    const auto uniform = [&](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    const QColor backgrounds[] = {Qt::white, QColor(240, 240, 240), QColor(17, 17, 17),
                                  QColor(0, 0, 0)};
    const QColor bubbles[] = {Qt::white, QColor(149, 236, 105), QColor(40, 40, 40),
                              QColor(220, 235, 255)};
    Screenshot shot;
    shot.scale = uniform(0.35, 2.0);
    shot.background = backgrounds[random() % 4];
    shot.bubble = bubbles[random() % 4];
    shot.radius = int(random() % 33);
    shot.quality = random() % 3 == 0 ? -1 : int(50 + random() % 41);
    shot.longSide = random() % 2 ? 1280 : 0;
    shot.seed = unsigned(random());
    return shot;
}

QImage screenshotOf(const QImage &picture, const Screenshot &shot, QRectF *placed)
{
    std::mt19937 random(shot.seed);
    QImage screen(1080, 2400, QImage::Format_RGB32);
    screen.fill(shot.background);
    const QColor ink =
        shot.background.lightness() > 128 ? QColor(30, 30, 30) : QColor(230, 230, 230);
    QPainter painter(&screen);
    painter.fillRect(0, 0, 1080, 80, shot.background.darker(110));
    // Lines of "text": words of glyph-sized blocks.
    const auto textLine = [&](int x, int y, int width) {
        for (int at = x; at < x + width - 30;) {
            const int word = 20 + int(random() % 120);
            for (int g = at; g < std::min(at + word, x + width); g += 30)
                painter.fillRect(g + 2, y + int(random() % 4), 24, 22 + int(random() % 6), ink);
            at += word + 15;
        }
    };
    const int side = int(picture.width() * shot.scale);
    const int width = std::min(side, 1040);
    const QImage scaled =
        picture.scaled(width, width, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const int x = 20 + int(random() % std::max(1, 1040 - width));
    const int y = 200 + int(random() % std::max(1, 2400 - 260 - width));
    for (int line = 100; line < y - 60; line += 48)
        textLine(20, line, 1000);
    for (int line = y + width + 40; line < 2360; line += 48)
        textLine(20, line, 1000);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(shot.bubble.darker(130), 1));
    painter.setBrush(shot.bubble);
    painter.drawRoundedRect(QRectF(x - 12.5, y - 12.5, width + 25, width + 25), 24, 24);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(x, y, width, width), shot.radius, shot.radius);
    painter.setClipPath(clip);
    painter.drawImage(x, y, scaled);
    painter.end();

    QRectF where(x, y, width, width);
    if (shot.longSide) {
        const double factor = double(shot.longSide) / 2400;
        screen = screen.scaled(1080 * shot.longSide / 2400, shot.longSide, Qt::IgnoreAspectRatio,
                               Qt::SmoothTransformation);
        where = QRectF(x * factor, y * factor, width * factor, width * factor);
    }
    if (placed)
        *placed = where;
    if (shot.quality < 0)
        return screen;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    screen.save(&buffer, "JPEG", shot.quality);
    return QImage::fromData(bytes, "JPEG");
}

} // namespace veltrin::testing
