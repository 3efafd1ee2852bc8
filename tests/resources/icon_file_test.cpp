// SPDX-License-Identifier: GPL-3.0-or-later
// Reads veltrin.ico back with a parser of its own, independent of the program
// that writes it, and with Qt's ico reader.

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace {

const QString iconPath = QStringLiteral(VELTRIN_ICON_FILE);

class Bytes
{
public:
    explicit Bytes(QByteArray data) : data_(std::move(data)) {}

    qsizetype size() const { return data_.size(); }

    // Little-endian; nothing when the field runs past the end.
    std::optional<std::uint32_t> read(qsizetype offset, int width) const
    {
        if (offset < 0 || offset + width > data_.size()) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (int i = width - 1; i >= 0; --i) {
            value = value << 8 | static_cast<std::uint8_t>(data_[offset + i]);
        }
        return value;
    }
    std::uint32_t u8(qsizetype offset) const { return read(offset, 1).value_or(0xdeadbeef); }
    std::uint32_t u16(qsizetype offset) const { return read(offset, 2).value_or(0xdeadbeef); }
    std::uint32_t u32(qsizetype offset) const { return read(offset, 4).value_or(0xdeadbeef); }
    std::int32_t s32(qsizetype offset) const { return static_cast<std::int32_t>(u32(offset)); }

private:
    QByteArray data_;
};

struct DirectoryEntry
{
    int index;
    int width;
    int height;
    int colourCount;
    int reserved;
    int planes;
    int bitCount;
    std::uint32_t bytes;
    std::uint32_t offset;
};

struct IconFile
{
    Bytes bytes{{}};
    int reserved = -1;
    int type = -1;
    std::vector<DirectoryEntry> entries;
};

IconFile readIconFile()
{
    QFile file(iconPath);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot open " << iconPath.toStdString();
        return {};
    }
    IconFile icon;
    icon.bytes = Bytes(file.readAll());
    const Bytes &b = icon.bytes;
    icon.reserved = static_cast<int>(b.u16(0));
    icon.type = static_cast<int>(b.u16(2));
    const int count = static_cast<int>(b.u16(4));
    for (int i = 0; i < count && 6 + 16 * (i + 1) <= b.size(); ++i) {
        const qsizetype at = 6 + 16 * i;
        // A width or height byte of 0 means 256.
        const auto dimension = [](std::uint32_t v) { return v == 0 ? 256 : static_cast<int>(v); };
        icon.entries.push_back({i, dimension(b.u8(at)), dimension(b.u8(at + 1)),
                                static_cast<int>(b.u8(at + 2)), static_cast<int>(b.u8(at + 3)),
                                static_cast<int>(b.u16(at + 4)), static_cast<int>(b.u16(at + 6)),
                                b.u32(at + 8), b.u32(at + 12)});
    }
    return icon;
}

struct Expected
{
    int size;
    int bitCount;
};

void PrintTo(const Expected &e, std::ostream *os)
{
    *os << e.size << 'x' << e.size << " at " << e.bitCount << " bits";
}

const std::vector<Expected> expectedImages{{32, 1},   {48, 4},  {48, 8},  {32, 8}, {16, 8},
                                           {128, 32}, {48, 32}, {32, 32}, {16, 32}};

int stride(int width, int bitCount)
{
    return (width * bitCount + 31) / 32 * 4;
}

TEST(IconFile, HoldsExactlyTheNineImagesInNonOverlappingPlaces)
{
    const IconFile icon = readIconFile();
    EXPECT_EQ(icon.reserved, 0);
    EXPECT_EQ(icon.type, 1) << "1 is an icon, 2 a cursor";
    ASSERT_EQ(icon.entries.size(), expectedImages.size());

    std::vector<std::tuple<int, int, int>> found;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;
    for (const DirectoryEntry &e : icon.entries) {
        found.emplace_back(e.width, e.height, e.bitCount);
        ranges.emplace_back(e.offset, e.offset + e.bytes);
        EXPECT_GE(e.offset, 6u + 16u * icon.entries.size()) << "image " << e.index;
        EXPECT_LE(qsizetype(e.offset) + e.bytes, icon.bytes.size()) << "image " << e.index;
    }
    std::vector<std::tuple<int, int, int>> wanted;
    for (const Expected &e : expectedImages) {
        wanted.emplace_back(e.size, e.size, e.bitCount);
    }
    std::sort(found.begin(), found.end());
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(found, wanted);

    std::sort(ranges.begin(), ranges.end());
    for (std::size_t i = 1; i < ranges.size(); ++i) {
        EXPECT_LE(ranges[i - 1].second, ranges[i].first) << "two images share bytes";
    }
}

class IconImage : public ::testing::TestWithParam<Expected>
{
protected:
    void SetUp() override
    {
        icon_ = readIconFile();
        const Expected want = GetParam();
        const auto it = std::find_if(icon_.entries.begin(), icon_.entries.end(), [&](auto &e) {
            return e.width == want.size && e.height == want.size && e.bitCount == want.bitCount;
        });
        ASSERT_NE(it, icon_.entries.end()) << "no such image in the directory";
        entry_ = *it;
    }

    std::uint32_t at(qsizetype offsetInBitmap, int width) const
    {
        return icon_.bytes.read(entry_.offset + offsetInBitmap, width).value_or(0xdeadbeef);
    }
    int paletteSize() const
    {
        if (entry_.bitCount > 8) {
            return 0;
        }
        const auto used = static_cast<int>(at(32, 4));
        return used != 0 ? used : 1 << entry_.bitCount;
    }
    qsizetype colourBitsOffset() const { return 40 + 4 * paletteSize(); }
    qsizetype maskOffset() const
    {
        return colourBitsOffset() +
               qsizetype(stride(entry_.width, entry_.bitCount)) * entry_.height;
    }

    // Rows are stored bottom-up.
    bool maskBit(int x, int y) const
    {
        const qsizetype row =
            maskOffset() + qsizetype(entry_.height - 1 - y) * stride(entry_.width, 1);
        return (at(row + x / 8, 1) >> (7 - x % 8) & 1) != 0;
    }
    // Red, green, blue and alpha; palette colours get alpha 255.
    std::array<int, 4> colour(int x, int y) const
    {
        const qsizetype row = colourBitsOffset() + qsizetype(entry_.height - 1 - y) *
                                                       stride(entry_.width, entry_.bitCount);
        if (entry_.bitCount == 32) {
            const std::uint32_t bgra = at(row + 4 * x, 4);
            return {int(bgra >> 16 & 0xff), int(bgra >> 8 & 0xff), int(bgra & 0xff),
                    int(bgra >> 24)};
        }
        const int bits = entry_.bitCount;
        const int perByte = 8 / bits;
        const std::uint32_t byte = at(row + x / perByte, 1);
        const int index = int(byte >> ((perByte - 1 - x % perByte) * bits)) & ((1 << bits) - 1);
        EXPECT_LT(index, paletteSize()) << "pixel " << x << ',' << y;
        const std::uint32_t bgr0 = at(40 + 4 * index, 4);
        return {int(bgr0 >> 16 & 0xff), int(bgr0 >> 8 & 0xff), int(bgr0 & 0xff), 255};
    }

    IconFile icon_;
    DirectoryEntry entry_{};
};

TEST_P(IconImage, DirectoryEntryAgreesWithTheBitmapHeader)
{
    const DirectoryEntry &e = entry_;
    const int bits = e.bitCount;
    EXPECT_EQ(e.colourCount, bits < 8 ? 1 << bits : 0);
    EXPECT_EQ(e.reserved, 0);
    EXPECT_EQ(e.planes, 1);

    EXPECT_EQ(at(0, 4), 40u) << "biSize: a BITMAPINFOHEADER";
    EXPECT_EQ(static_cast<std::int32_t>(at(4, 4)), e.width) << "biWidth";
    EXPECT_EQ(static_cast<std::int32_t>(at(8, 4)), 2 * e.height) << "biHeight covers both masks";
    EXPECT_EQ(at(12, 2), 1u) << "biPlanes";
    EXPECT_EQ(at(14, 2), std::uint32_t(bits)) << "biBitCount";
    EXPECT_EQ(at(16, 4), 0u) << "biCompression: BI_RGB";
    if (bits <= 8) {
        EXPECT_EQ(paletteSize(), 1 << bits) << "biClrUsed";
    } else {
        EXPECT_EQ(at(32, 4), 0u) << "biClrUsed";
    }

    const qsizetype colourBytes = qsizetype(stride(e.width, bits)) * e.height;
    const qsizetype maskBytes = qsizetype(stride(e.width, 1)) * e.height;
    EXPECT_EQ(qsizetype(e.bytes), 40 + 4 * paletteSize() + colourBytes + maskBytes);
    const std::uint32_t sizeImage = at(20, 4);
    if (sizeImage != 0) {
        EXPECT_EQ(qsizetype(sizeImage), colourBytes + maskBytes) << "biSizeImage";
    }
}

TEST_P(IconImage, MaskCutsTheCornersAndLeavesTheScreenUnchangedThere)
{
    const int last = entry_.width - 1;
    for (const auto &[x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}}) {
        EXPECT_TRUE(maskBit(x, y)) << "corner " << x << ',' << y;
    }
    EXPECT_FALSE(maskBit(entry_.width / 2, entry_.height / 2)) << "centre";

    QSet<int> opaqueColours;
    for (int y = 0; y < entry_.height; ++y) {
        for (int x = 0; x < entry_.width; ++x) {
            const auto [r, g, b, a] = colour(x, y);
            if (entry_.bitCount == 32) {
                // Readers that ignore alpha fall back on the mask: same shape.
                if (a == 0) {
                    EXPECT_TRUE(maskBit(x, y)) << x << ',' << y;
                } else if (a == 255) {
                    EXPECT_FALSE(maskBit(x, y)) << x << ',' << y;
                }
            } else if (maskBit(x, y)) {
                // The screen is ANDed with the mask, then XORed with the colour:
                // only black keeps it unchanged.
                EXPECT_EQ(r | g | b, 0) << "masked pixel " << x << ',' << y << " is not black";
            }
            if (!maskBit(x, y)) {
                opaqueColours.insert(r << 16 | g << 8 | b);
            }
        }
    }
    EXPECT_GE(opaqueColours.size(), 2) << "the picture is blank";
}

TEST_P(IconImage, QtDecodesItAtItsSize)
{
    QImageReader reader(iconPath, "ico");
    ASSERT_EQ(reader.imageCount(), int(expectedImages.size()));
    ASSERT_TRUE(reader.jumpToImage(entry_.index));
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(image.size(), QSize(GetParam().size, GetParam().size));
    EXPECT_LT(qAlpha(image.pixel(0, 0)), 128) << "corner";
    EXPECT_EQ(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 255) << "centre";
}

INSTANTIATE_TEST_SUITE_P(AllImages, IconImage, ::testing::ValuesIn(expectedImages),
                         [](const auto &info) {
                             return std::to_string(info.param.size) + "px" +
                                    std::to_string(info.param.bitCount) + "bit";
                         });

} // namespace
