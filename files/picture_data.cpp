// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_data.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QUrl>

#include <algorithm>
#include <vector>

namespace veltrin {

namespace {

// Lower comes first: JPEG always changes the pixels, WebP may.
int lossRank(const QByteArray &format)
{
    if (format == "jpeg" || format == "jpg")
        return 2;
    return format == "webp" ? 1 : 0;
}

} // namespace

QString singleLocalFile(const QMimeData &data)
{
    if (!data.hasUrls())
        return {};
    const QList<QUrl> urls = data.urls();
    if (urls.size() != 1 || !urls.constFirst().isLocalFile())
        return {};
    return urls.constFirst().toLocalFile();
}

PictureLoad pictureFromData(const QMimeData &data, PictureLoader &loader)
{
    struct Candidate
    {
        QString mimeType;
        QByteArray format;
    };
    std::vector<Candidate> candidates;
    for (const QString &mimeType : data.formats()) {
        const QList<QByteArray> formats =
            QImageReader::imageFormatsForMimeType(mimeType.toLatin1());
        if (!formats.isEmpty())
            candidates.push_back({mimeType, formats.constFirst()});
    }
    std::stable_sort(candidates.begin(), candidates.end(), [](const auto &a, const auto &b) {
        return lossRank(a.format) < lossRank(b.format);
    });

    PictureLoad last;
    for (const Candidate &candidate : candidates) {
        last =
            loader.loadBytes(data.data(candidate.mimeType), QString::fromLatin1(candidate.format));
        if (last)
            return last;
    }
    if (data.hasImage()) {
        QImage image = qvariant_cast<QImage>(data.imageData());
        if (!image.isNull())
            return {OpenedPicture{std::move(image), {}, false}, 0, {}};
    }
    return last;
}

std::unique_ptr<QMimeData> pictureAsData(const QImage &image)
{
    auto data = std::make_unique<QMimeData>();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (QImageWriter(&buffer, "png").write(image))
        data->setData(QStringLiteral("image/png"), png);
    data->setImageData(image);
    return data;
}

} // namespace veltrin
