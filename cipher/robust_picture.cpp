// SPDX-License-Identifier: GPL-3.0-or-later
#include "robust_picture.h"

#include "protected_picture.h"
#include "reed_solomon.h"
#include "robust_locator.h"
#include "utf8.h"

#include <zstd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace veltrin::robustPicture {
namespace {

constexpr int headerData = 10;
constexpr int headerParity = 16;
constexpr int headerBytes = headerData + headerParity;
constexpr int smallestGrid = 21;
constexpr int largestGrid = 639; // 2-pixel modules on 1280 pixels, made odd
constexpr int smallestModule = 2;
constexpr int largestModule = 8;
// Parity bytes per block: the floor every picture gets, and the most it spends.
constexpr int leastParity = 48;
constexpr int mostParity = 160;
constexpr std::size_t longestUtf8 = longestText * 3;
constexpr std::uint8_t dark = 0, light = 255;
constexpr int quietZone = 2; // light modules around a version 2 grid

// Version 1 has its timing on the picture's edge, row and column 0; version
// 2 inside a dark frame, row and column 1. The data follows the timing.
int timingOf(int version)
{
    return version == 1 ? 0 : 1;
}

int innerOf(int grid, int version)
{
    return grid - 2 - timingOf(version);
}

int dataModules(int grid, int version = robustPicture::version)
{
    return innerOf(grid, version) * innerOf(grid, version);
}

int blocksFor(int payload, int parity)
{
    const int data = 255 - parity;
    return std::max(1, (payload + data - 1) / data);
}

int bytesFor(int payload, int parity)
{
    return headerBytes + payload + blocksFor(payload, parity) * parity;
}

bool fits(int payload, int parity, int grid, int version = robustPicture::version)
{
    return bytesFor(payload, parity) * 8 <= dataModules(grid, version);
}

int oddAtMost(int n)
{
    return n % 2 ? n : n - 1;
}

// Whitening keeps runs short whatever the bytes, so no region turns flat and
// the threshold holds everywhere.
class Whitening
{
public:
    bool next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state & 1;
    }

private:
    std::uint32_t state = 0x56454C54;
};

std::vector<bool> bitsOf(std::span<const std::uint8_t> bytes, int count)
{
    std::vector<bool> bits(static_cast<std::size_t>(count));
    Whitening mask;
    for (int i = 0; i < count; ++i) {
        const bool bit =
            std::size_t(i / 8) < bytes.size() && (bytes[std::size_t(i / 8)] >> (7 - i % 8) & 1);
        bits[std::size_t(i)] = bit != mask.next();
    }
    return bits;
}

struct Layout
{
    int blocks = 0;
    std::vector<int> lengths; // each block's codeword, data then parity
};

Layout layoutOf(int payload, int parity)
{
    Layout layout;
    layout.blocks = blocksFor(payload, parity);
    const int base = payload / layout.blocks, extra = payload % layout.blocks;
    for (int b = 0; b < layout.blocks; ++b)
        layout.lengths.push_back(base + (b < extra ? 1 : 0) + parity);
    return layout;
}

// Byte k of the stream after the header is byte j of block b, taken column by
// column, so a run of damaged modules spreads over every block.
template <typename Visit> void interleave(const Layout &layout, Visit visit)
{
    const int longest = *std::max_element(layout.lengths.begin(), layout.lengths.end());
    int k = 0;
    for (int j = 0; j < longest; ++j)
        for (int b = 0; b < layout.blocks; ++b)
            if (j < layout.lengths[std::size_t(b)])
                visit(k++, b, j);
}

std::array<std::uint8_t, headerData> headerOf(const Grid &grid)
{
    return {0x56,
            0x52,
            static_cast<std::uint8_t>(grid.version),
            static_cast<std::uint8_t>(grid.packing),
            static_cast<std::uint8_t>(grid.payload >> 16),
            static_cast<std::uint8_t>(grid.payload >> 8),
            static_cast<std::uint8_t>(grid.payload),
            static_cast<std::uint8_t>(grid.parity),
            static_cast<std::uint8_t>(grid.modules >> 8),
            static_cast<std::uint8_t>(grid.modules)};
}

struct Payload
{
    std::vector<std::uint8_t> bytes;
    Packing packing = Packing::Plain;
};

Payload payloadOf(std::u16string_view text)
{
    const std::string utf8 = utf8::encode(text);
    Payload payload{{utf8.begin(), utf8.end()}, Packing::Plain};
    std::vector<std::uint8_t> packed(ZSTD_compressBound(utf8.size()));
    const std::size_t size =
        ZSTD_compress(packed.data(), packed.size(), utf8.data(), utf8.size(), 19);
    // An empty text still needs a payload byte: its frame says the length is 0.
    if (!ZSTD_isError(size) && (size < utf8.size() || utf8.empty())) {
        packed.resize(size);
        payload = {std::move(packed), Packing::Zstd};
    }
    return payload;
}

struct Choice
{
    int module = 0;
    int grid = 0;
    int parity = 0;
    int version = robustPicture::version;
};

// The largest modules first, since they outlast scaling; then all the room
// left goes to parity.
std::optional<Choice> choose(int payload, int version = robustPicture::version)
{
    for (int module = largestModule; module >= smallestModule; --module) {
        const int quiet = version == 1 ? 0 : quietZone;
        const int grid = oddAtMost(std::min(largestGrid, longestSide / module - 2 * quiet));
        if (!fits(payload, leastParity, grid, version))
            continue;
        int parity = leastParity;
        while (parity + 2 <= mostParity && fits(payload, parity + 2, grid, version))
            parity += 2;
        return Choice{module, grid, parity, version};
    }
    return std::nullopt;
}

bool textFits(std::u16string_view text)
{
    return text.size() <= longestText && choose(static_cast<int>(payloadOf(text).bytes.size()));
}

std::size_t longestFitting(std::u16string_view text)
{
    std::size_t low = 0, high = std::min(text.size(), longestText);
    while (low < high) {
        std::size_t mid = (low + high + 1) / 2;
        if (mid < text.size() && mid > 0 && text[mid - 1] >= 0xD800 && text[mid - 1] < 0xDC00)
            --mid; // never split a surrogate pair
        if (mid <= low) {
            high = low;
            break;
        }
        if (textFits(text.substr(0, mid)))
            low = mid;
        else
            high = mid - 1;
    }
    return low;
}

// Luma as JPEG computes it, in 8.8 fixed point.
int luma(const Picture &image, int x, int y)
{
    const std::uint8_t *p =
        &image.rgb[(std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 3];
    return (77 * p[0] + 150 * p[1] + 29 * p[2]) >> 8;
}

// Where module `i` begins along one axis: offset + i * step.
struct Axis
{
    double offset = 0;
    double step = 1;
};

// The module boundaries along an edge, from where its timing pattern crosses
// its mean: a scaler that rounds the picture's size (1275 px halved to 638)
// leaves the grid short of the edge, and width / grid then drifts by half a
// pixel at the far end, a third of a small module.
// How the reader spaces the modules: from the timing edges, or evenly over
// the picture, which holds where a scaler's rounding blurs the timing.
enum class Spacing { Timing, Even };
constexpr Spacing spacings[] = {Spacing::Timing, Spacing::Even};

// Where a timing line crosses its mean luma, interpolated between pixels,
// with a hysteresis of 24 levels so that JPEG's ringing splits no run.
std::vector<double> crossingsOf(const std::vector<int> &values, double mid)
{
    const int length = static_cast<int>(values.size());
    const int margin = 24;
    std::vector<double> crossings;
    int state = -1; // unknown, then 0 dark or 1 light, with hysteresis
    int changedAt = 0;
    for (int i = 0; i < length; ++i) {
        const int v = values[std::size_t(i)];
        const int now = v < mid - margin ? 0 : v > mid + margin ? 1 : state;
        if (now == state || now == -1)
            continue;
        if (state != -1) {
            // Back to the last pixel on the old side of the mean: the edge lies
            // between it and the next, where the values cross the mean.
            int j = i - 1;
            while (j > changedAt && (values[std::size_t(j)] < mid ? 0 : 1) != state)
                --j;
            const double a = values[std::size_t(j)], b = values[std::size_t(j + 1)];
            crossings.push_back(j + 0.5 + (b != a ? (mid - a) / (b - a) : 0.5));
        }
        state = now;
        changedAt = i;
    }
    return crossings;
}

Axis axisOf(const Picture &image, bool alongTop, int grid, Spacing spacing)
{
    const int length = alongTop ? image.width : image.height;
    const Axis even{0, double(length) / grid};
    if (spacing == Spacing::Even)
        return even;
    std::vector<int> values(static_cast<std::size_t>(length));
    long sum = 0;
    for (int i = 0; i < length; ++i) {
        values[std::size_t(i)] = alongTop ? luma(image, i, 0) : luma(image, 0, i);
        sum += values[std::size_t(i)];
    }
    const std::vector<double> crossings = crossingsOf(values, double(sum) / length);
    if (static_cast<int>(crossings.size()) != grid - 1)
        return even;
    // Least squares through crossing k at offset + k * step, k = 1 .. grid - 1.
    const double n = grid - 1, meanK = grid / 2.0;
    double meanX = 0;
    for (double x : crossings)
        meanX += x / n;
    double covariance = 0, variance = 0;
    for (int k = 1; k < grid; ++k) {
        covariance += (k - meanK) * (crossings[std::size_t(k - 1)] - meanX);
        variance += (k - meanK) * (k - meanK);
    }
    const Axis fitted{meanX - covariance / variance * meanK, covariance / variance};
    if (std::abs(fitted.step - even.step) > 0.05 * even.step ||
        std::abs(fitted.offset) > 0.5 * even.step)
        return even;
    return fitted;
}

// Where the modules of a grid lie in the picture.
struct Placement
{
    int grid = 0;
    int version = 1;
    Axis x, y;
};

Placement placementOf(const Picture &image, int grid, Spacing spacing)
{
    return {grid, 1, axisOf(image, true, grid, spacing), axisOf(image, false, grid, spacing)};
}

// A located grid's axis fitted to its timing: each crossing of the timing
// line is matched to the module boundary the frame puts nearest it, and a
// least-squares line through those replaces the frame's spacing, which a
// scaler's rounding can leave a fraction of a module off at the far end.
Axis refined(const Picture &image, const Placement &placement, bool alongTop)
{
    const Axis along = alongTop ? placement.x : placement.y;
    const Axis across = alongTop ? placement.y : placement.x;
    const int line = int(across.offset + 1.5 * across.step);
    const int limit = alongTop ? image.height : image.width;
    if (line < 0 || line >= limit)
        return along;
    const int length = alongTop ? image.width : image.height;
    const int from = std::clamp(int(along.offset), 0, length - 1);
    const int to = std::clamp(int(along.offset + along.step * placement.grid), from, length - 1);
    std::vector<int> values;
    long sum = 0;
    for (int i = from; i <= to; ++i) {
        values.push_back(alongTop ? luma(image, i, line) : luma(image, line, i));
        sum += values.back();
    }
    if (values.empty())
        return along;
    double n = 0, sumK = 0, sumX = 0, sumKK = 0, sumKX = 0;
    for (double crossing : crossingsOf(values, double(sum) / double(values.size()))) {
        const double x = from + crossing;
        const double k = std::round((x - along.offset) / along.step);
        if (k < 1 || k > placement.grid - 1 ||
            std::abs(x - along.offset - k * along.step) > 0.3 * along.step)
            continue;
        n += 1;
        sumK += k;
        sumX += x;
        sumKK += k * k;
        sumKX += k * x;
    }
    if (n < placement.grid / 4.0 || n * sumKK - sumK * sumK <= 0)
        return along;
    const double step = (n * sumKX - sumK * sumX) / (n * sumKK - sumK * sumK);
    const Axis fitted{(sumX - step * sumK) / n, step};
    if (std::abs(fitted.step - along.step) > 0.02 * along.step ||
        std::abs(fitted.offset - along.offset) > 0.5 * along.step)
        return along;
    return fitted;
}

Placement placementOf(const Grid &grid)
{
    return {grid.modules,
            grid.version,
            {grid.left, (grid.right - grid.left) / grid.modules},
            {grid.top, (grid.bottom - grid.top) / grid.modules}};
}

class Sampler
{
public:
    Sampler(const Picture &image, const Placement &placement)
        : image(image), grid(placement.grid), timing(timingOf(placement.version)), x(placement.x),
          y(placement.y)
    {}

    // The mean luma of the module's middle half: its edges blur into the neighbours.
    int module(int column, int row) const
    {
        const auto [x0, x1] = span(column, x, image.width);
        const auto [y0, y1] = span(row, y, image.height);
        // At most 4 x 4 pixels, so a huge picture costs no more than a small one.
        const int strideX = (x1 - x0) / 4 + 1, strideY = (y1 - y0) / 4 + 1;
        int sum = 0, count = 0;
        for (int y = y0; y <= y1; y += strideY)
            for (int x = x0; x <= x1; x += strideX) {
                sum += luma(image, x, y);
                ++count;
            }
        return sum / count;
    }

    // The timing edges' mean dark and mean light modules.
    std::pair<int, int> levels() const
    {
        long darkSum = 0, lightSum = 0;
        int darkCount = 0, lightCount = 0;
        for (int i = timing; i < grid - timing; ++i)
            for (int value : {module(i, timing), module(timing, i)}) {
                if (i % 2 == 0) {
                    darkSum += value;
                    ++darkCount;
                } else {
                    lightSum += value;
                    ++lightCount;
                }
            }
        return {int(darkSum / darkCount), int(lightSum / lightCount)};
    }

private:
    // The pixels whose centres lie in the module's middle half, or, when the
    // module is too small for any, the one under its centre: at 1.25 pixels a
    // module, the pixels it merely touches are mostly its neighbours'.
    static std::pair<int, int> span(int index, const Axis &axis, int limit)
    {
        const double from = axis.offset + (index + 0.25) * axis.step;
        const double to = axis.offset + (index + 0.75) * axis.step;
        int first = int(std::ceil(from - 0.5)), last = int(std::floor(to - 0.5));
        if (first > last)
            first = last = int(std::floor(axis.offset + (index + 0.5) * axis.step));
        first = std::clamp(first, 0, limit - 1);
        last = std::clamp(last, first, limit - 1);
        return {first, last};
    }

    const Picture &image;
    int grid, timing;
    Axis x, y;
};

// The stream's first bytes as read, each with how far its least certain
// module sampled from the threshold.
struct Read
{
    std::vector<std::uint8_t> bytes;
    std::vector<int> margins;
    int band = 0; // a margin below this makes the byte doubtful
};

// Reads the first `count` bytes of the stream; the module order is the writer's.
Read readBytes(const Picture &image, const Placement &placement, int count)
{
    const Sampler sampler(image, placement);
    const auto [darkLevel, lightLevel] = sampler.levels();
    const int threshold = (darkLevel + lightLevel) / 2;
    Read read{std::vector<std::uint8_t>(std::size_t(count), 0),
              std::vector<int>(std::size_t(count), 255), std::max(1, (lightLevel - darkLevel) / 6)};
    Whitening mask;
    const int inner = innerOf(placement.grid, placement.version);
    const int origin = timingOf(placement.version) + 1;
    for (int i = 0; i < count * 8; ++i) {
        const int value = sampler.module(origin + i % inner, origin + i / inner);
        const bool isDark = value < threshold;
        if (isDark != mask.next())
            read.bytes[std::size_t(i / 8)] |= static_cast<std::uint8_t>(1 << (7 - i % 8));
        int &margin = read.margins[std::size_t(i / 8)];
        margin = std::min(margin, std::abs(value - threshold));
    }
    return read;
}

// Whether a module of the frame or the timing is dark; -1 for the data.
int knownModule(int column, int row, int grid, int version)
{
    const int timing = timingOf(version), last = grid - 1;
    if (row == last || column == last || (version != 1 && (row == 0 || column == 0)))
        return 1;
    if (row == timing)
        return column % 2 == 0;
    if (column == timing)
        return row % 2 == 0;
    return -1;
}

// How much of pixel `pixel` each of modules index - 1, index and index + 1
// covers along one axis.
std::array<double, 3> overlaps(int pixel, int index, const Axis &axis)
{
    std::array<double, 3> share{};
    for (int k = -1; k <= 1; ++k) {
        const double from = axis.offset + (index + k) * axis.step;
        const double to = from + axis.step;
        share[std::size_t(k + 1)] =
            std::max(0.0, std::min<double>(pixel + 1, to) - std::max<double>(pixel, from));
    }
    return share;
}

// The stream read again with the neighbours' part of each sample taken out.
// A module of little more than a pixel that a box filter scaled shares the
// pixel under its centre with up to eight neighbours at full contrast, and a
// light one among dark ones samples near the threshold; JPEG's noise then
// turns it. Each module is read from that one pixel, less what its
// neighbours, as read the first time, put into it, as their share of its
// area; twice, the second time with the first's better guesses.
Read equalisedBytes(const Picture &image, const Placement &placement, int count)
{
    const Sampler sampler(image, placement);
    const std::pair<int, int> levels = sampler.levels();
    const int darkLevel = levels.first, lightLevel = levels.second;
    const int threshold = (darkLevel + lightLevel) / 2;
    const int grid = placement.grid;
    const auto at = [grid](int column, int row) {
        return std::size_t(row) * std::size_t(grid) + std::size_t(column);
    };
    std::vector<std::uint8_t> darkModules(std::size_t(grid) * std::size_t(grid));
    std::vector<int> values(darkModules.size());
    for (int row = 0; row < grid; ++row)
        for (int column = 0; column < grid; ++column) {
            const int known = knownModule(column, row, grid, placement.version);
            values[at(column, row)] = known >= 0 ? 0 : sampler.module(column, row) - threshold;
            darkModules[at(column, row)] =
                known >= 0 ? std::uint8_t(known) : values[at(column, row)] < 0;
        }
    const auto pixelOf = [](int index, const Axis &axis, int limit) {
        return std::clamp(int(std::floor(axis.offset + (index + 0.5) * axis.step)), 0, limit - 1);
    };
    // A neighbour outside the grid is the quiet zone, or for version 1 what
    // lies beyond the picture, taken as light.
    const auto level = [&](const std::vector<std::uint8_t> &dark, int column, int row) {
        if (column < 0 || row < 0 || column >= grid || row >= grid)
            return double(lightLevel);
        return double(dark[at(column, row)] ? darkLevel : lightLevel);
    };
    const int inner = innerOf(grid, placement.version);
    const int origin = timingOf(placement.version) + 1;
    const int modules = std::min(count * 8, inner * inner);
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<std::uint8_t> next = darkModules;
        for (int i = 0; i < modules; ++i) {
            const int column = origin + i % inner, row = origin + i / inner;
            const int px = pixelOf(column, placement.x, image.width);
            const int py = pixelOf(row, placement.y, image.height);
            const std::array<double, 3> wx = overlaps(px, column, placement.x);
            const std::array<double, 3> wy = overlaps(py, row, placement.y);
            double others = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (dx || dy)
                        others += wx[std::size_t(dx + 1)] * wy[std::size_t(dy + 1)] *
                                  level(darkModules, column + dx, row + dy);
            const double own = wx[1] * wy[1];
            const double estimate = own > 0.2 ? (luma(image, px, py) - others) / own : threshold;
            values[at(column, row)] = int(std::lround((estimate - threshold) * own));
            next[at(column, row)] = estimate < threshold;
        }
        darkModules = std::move(next);
    }
    Read read{std::vector<std::uint8_t>(std::size_t(count), 0),
              std::vector<int>(std::size_t(count), 255), std::max(1, (lightLevel - darkLevel) / 6)};
    Whitening mask;
    for (int i = 0; i < count * 8; ++i) {
        const int column = origin + i % inner, row = origin + i / inner;
        if (row >= grid - 1)
            break;
        if (bool(darkModules[at(column, row)]) != mask.next())
            read.bytes[std::size_t(i / 8)] |= static_cast<std::uint8_t>(1 << (7 - i % 8));
        int &margin = read.margins[std::size_t(i / 8)];
        margin = std::min(margin, std::abs(values[at(column, row)]));
    }
    return read;
}

// Corrects a codeword, then, when it has more wrong bytes than its parity
// mends, again with its doubtful bytes named as erasures, which cost half as
// much: the least certain first, a growing share of the parity.
bool corrected(std::span<std::uint8_t> codeword, std::span<const int> margins, int band, int parity)
{
    if (reedSolomon::correct(codeword, parity))
        return true;
    std::vector<int> doubtful;
    for (int i = 0; i < static_cast<int>(codeword.size()); ++i)
        if (margins[std::size_t(i)] < band)
            doubtful.push_back(i);
    if (doubtful.empty())
        return false;
    std::stable_sort(doubtful.begin(), doubtful.end(), [&](int a, int b) {
        return margins[std::size_t(a)] < margins[std::size_t(b)];
    });
    int tried = 0;
    for (const int share : {2, 3, 4}) {
        const int count = std::min(static_cast<int>(doubtful.size()), parity * share / 4 - 2);
        if (count <= tried)
            continue;
        tried = count;
        std::vector<int> erasures(doubtful.begin(), doubtful.begin() + count);
        if (reedSolomon::correct(codeword, parity, erasures))
            return true;
    }
    return false;
}

// The header behind a grid's timing, tried at each placement in turn.
std::optional<Grid> headerAt(const Picture &image, std::span<const Placement> placements,
                             Failure &failure)
{
    std::vector<std::uint8_t> header;
    const Placement *at = nullptr;
    for (const Placement &placement : placements) {
        const Read read = readBytes(image, placement, headerBytes);
        header = read.bytes;
        if (corrected(header, read.margins, read.band, headerParity) && header[0] == 0x56 &&
            header[1] == 0x52) {
            at = &placement;
            break;
        }
    }
    if (!at)
        return std::nullopt;
    if (header[2] > version) {
        failure = Failure::NewerVersion;
        return std::nullopt;
    }
    Grid found;
    found.version = header[2];
    found.packing = static_cast<Packing>(header[3]);
    found.payload = header[4] << 16 | header[5] << 8 | header[6];
    found.parity = header[7];
    found.modules = header[8] << 8 | header[9];
    // A neighbouring guess of the grid may still read the header right.
    if (found.version != at->version || found.modules != at->grid) {
        if (failure != Failure::NotConforming)
            failure = Failure::Damaged;
        return std::nullopt;
    }
    if (header[3] > std::uint8_t(Packing::Sealed) || found.parity < 2 ||
        found.parity > mostParity || found.parity % 2 || found.payload < 1 ||
        !fits(found.payload, found.parity, found.modules, found.version)) {
        failure = Failure::NotConforming;
        return std::nullopt;
    }
    found.left = at->x.offset;
    found.top = at->y.offset;
    found.right = at->x.offset + at->x.step * found.modules;
    found.bottom = at->y.offset + at->y.step * found.modules;
    return found;
}

// The brightness along the top row or the left column, and its mean.
struct EdgeProfile
{
    std::vector<int> values;
    int mean = 0;
};

EdgeProfile edgeProfile(const Picture &image, bool alongTop)
{
    const int length = alongTop ? image.width : image.height;
    EdgeProfile edge{std::vector<int>(static_cast<std::size_t>(length)), 0};
    long sum = 0;
    for (int i = 0; i < length; ++i) {
        edge.values[std::size_t(i)] = alongTop ? luma(image, i, 0) : luma(image, 0, i);
        sum += edge.values[std::size_t(i)];
    }
    edge.mean = int(sum / length);
    return edge;
}

// Runs of dark and light along an edge: the timing modules counted, whatever
// the scale. The hysteresis keeps JPEG's ringing from splitting a run.
int runs(const Picture &image, bool alongTop)
{
    const EdgeProfile edge = edgeProfile(image, alongTop);
    const std::vector<int> &values = edge.values;
    const int mid = edge.mean, margin = 24;
    int count = 0;
    int state = -1; // unknown
    for (int v : values) {
        const int now = v < mid - margin ? 0 : v > mid + margin ? 1 : state;
        if (now != state && now != -1) {
            ++count;
            state = now;
        }
    }
    return count;
}

// The odd grid whose timing square wave best matches the edge: where a
// module is little more than a pixel, scaling greys out some of the timing's
// runs and counting them comes up short.
int matchedGrid(const Picture &image, bool alongTop, int counted)
{
    const int length = alongTop ? image.width : image.height;
    const EdgeProfile edge = edgeProfile(image, alongTop);
    const std::vector<int> &values = edge.values;
    const int mean = edge.mean;
    int best = 0;
    long bestScore = 0;
    const int most = std::min({largestGrid, length, counted + counted / 8 + 4});
    for (int grid = std::max(smallestGrid, counted - 4) | 1; grid <= most; grid += 2) {
        long score = 0;
        for (int i = 0; i < length; ++i) {
            const long module = (2 * long(i) + 1) * grid / (2 * long(length));
            score += module % 2 ? values[std::size_t(i)] - mean : mean - values[std::size_t(i)];
        }
        if (score > bestScore) {
            bestScore = score;
            best = grid;
        }
    }
    return best;
}

bool darkEdge(const Picture &image, bool bottom)
{
    const int length = bottom ? image.width : image.height;
    int darkCount = 0;
    for (int i = 0; i < length; ++i)
        darkCount +=
            (bottom ? luma(image, i, image.height - 1) : luma(image, image.width - 1, i)) < 96;
    return darkCount * 10 >= length * 9;
}

// The payload as read and corrected; none when a block is beyond repair.
std::optional<std::vector<std::uint8_t>> payloadAt(const Picture &image, const Grid &grid,
                                                   const Placement &placement, bool equalised)
{
    const int total = bytesFor(grid.payload, grid.parity);
    const Read read =
        equalised ? equalisedBytes(image, placement, total) : readBytes(image, placement, total);
    const Layout layout = layoutOf(grid.payload, grid.parity);
    std::vector<std::vector<std::uint8_t>> blocks;
    std::vector<std::vector<int>> margins;
    for (int length : layout.lengths) {
        blocks.emplace_back(std::size_t(length));
        margins.emplace_back(std::size_t(length));
    }
    interleave(layout, [&](int k, int b, int j) {
        blocks[std::size_t(b)][std::size_t(j)] = read.bytes[std::size_t(headerBytes + k)];
        margins[std::size_t(b)][std::size_t(j)] = read.margins[std::size_t(headerBytes + k)];
    });
    std::vector<std::uint8_t> payload;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        std::vector<std::uint8_t> &block = blocks[b];
        if (!corrected(block, margins[b], read.band, grid.parity))
            return std::nullopt;
        payload.insert(payload.end(), block.begin(), block.end() - grid.parity);
    }
    return payload;
}

Picture drawn(const Payload &payload, const Choice &choice)
{
    const int size = static_cast<int>(payload.bytes.size());
    const Grid grid{choice.grid, choice.parity, size, payload.packing, choice.version};

    const auto header = headerOf(grid);
    std::vector<std::uint8_t> stream(header.begin(), header.end());
    const auto headerCheck = reedSolomon::parity(header, headerParity);
    stream.insert(stream.end(), headerCheck.begin(), headerCheck.end());

    const Layout layout = layoutOf(size, choice.parity);
    std::vector<std::vector<std::uint8_t>> blocks;
    int offset = 0;
    for (int length : layout.lengths) {
        const int data = length - choice.parity;
        std::vector<std::uint8_t> block(payload.bytes.begin() + offset,
                                        payload.bytes.begin() + offset + data);
        const auto check = reedSolomon::parity(block, choice.parity);
        block.insert(block.end(), check.begin(), check.end());
        blocks.push_back(std::move(block));
        offset += data;
    }
    const std::size_t start = stream.size();
    stream.resize(start + std::size_t(bytesFor(size, choice.parity) - headerBytes));
    interleave(layout, [&](int k, int b, int j) {
        stream[start + std::size_t(k)] = blocks[std::size_t(b)][std::size_t(j)];
    });

    const int g = choice.grid, m = choice.module, inner = innerOf(g, choice.version);
    const int quiet = choice.version == 1 ? 0 : quietZone;
    const int timing = timingOf(choice.version), origin = timing + 1;
    const std::vector<bool> bits = bitsOf(stream, dataModules(g, choice.version));
    const int side = (g + 2 * quiet) * m;
    Picture image(side, side);
    std::fill(image.rgb.begin(), image.rgb.end(), light);
    auto fill = [&](int column, int row, bool isDark) {
        const int x0 = (column + quiet) * m, y0 = (row + quiet) * m;
        for (int y = y0; y < y0 + m; ++y)
            for (int x = x0; x < x0 + m; ++x) {
                std::uint8_t *p =
                    &image.rgb[(std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 3];
                p[0] = p[1] = p[2] = isDark ? dark : light;
            }
    };
    // Version 2's frame is dark all round, so that a rounded corner or a dark
    // background leaves the middles of its sides to find it by; version 1
    // darkens only the bottom and right, its timing being the other edges.
    for (int i = 0; i < g; ++i) {
        fill(i, g - 1, true);
        fill(g - 1, i, true);
        if (choice.version != 1) {
            fill(i, 0, true);
            fill(0, i, true);
        }
    }
    for (int i = timing; i < g - 1; ++i) {
        fill(i, timing, i % 2 == 0);
        fill(timing, i, i % 2 == 0);
    }
    for (int i = 0; i < dataModules(g, choice.version); ++i)
        fill(origin + i % inner, origin + i / inner, bits[std::size_t(i)]);
    return image;
}

// The odd grid whose timing square wave best matches a located frame's
// timing row and column, the corners left out since a chat may round them.
std::vector<int> gridsIn(const Picture &image, const locator::Box &box)
{
    const double width = box.right - box.left, height = box.bottom - box.top;
    std::vector<std::pair<double, int>> scored;
    // Up to 24 pixels a module: 8 shown at three screen pixels a pixel.
    const int least = std::max(smallestGrid, int(width / 25)) | 1;
    const int most = std::min(largestGrid, int(width / 0.9));
    for (int grid = least; grid <= most; grid += 2) {
        const double pitchX = width / grid, pitchY = height / grid;
        const int row = std::clamp(int(box.top + 1.5 * pitchY), 0, image.height - 1);
        const int column = std::clamp(int(box.left + 1.5 * pitchX), 0, image.width - 1);
        long score = 0;
        int count = 0;
        for (int x = int(box.left + width / 10); x < int(box.right - width / 10); ++x) {
            if (x < 0 || x >= image.width)
                continue;
            const int module = int((x + 0.5 - box.left) / pitchX);
            score += (module % 2 ? 1 : -1) * luma(image, x, row);
            ++count;
        }
        for (int y = int(box.top + height / 10); y < int(box.bottom - height / 10); ++y) {
            if (y < 0 || y >= image.height)
                continue;
            const int module = int((y + 0.5 - box.top) / pitchY);
            score += (module % 2 ? 1 : -1) * luma(image, column, y);
            ++count;
        }
        if (count)
            scored.emplace_back(double(score) / count, grid);
    }
    std::sort(scored.begin(), scored.end(), std::greater<>());
    std::vector<int> grids;
    for (std::size_t i = 0; i < std::min<std::size_t>(3, scored.size()); ++i)
        grids.push_back(scored[i].second);
    return grids;
}

// A version 2 picture anywhere in the image: the locator's boxes, each with
// the grids its timing suggests.
Detected locate(const Picture &image)
{
    Failure failure = Failure::NotRobust;
    for (const locator::Box &box : locator::boxes(image)) {
        std::vector<int> tried;
        for (const int matched : gridsIn(image, box))
            for (const int delta : {0, -2, 2}) {
                const int grid = matched + delta;
                if (grid < smallestGrid || grid > largestGrid ||
                    std::find(tried.begin(), tried.end(), grid) != tried.end())
                    continue;
                tried.push_back(grid);
                const Placement placement{grid,
                                          version,
                                          {box.left, (box.right - box.left) / grid},
                                          {box.top, (box.bottom - box.top) / grid}};
                const Placement placements[] = {{grid, version, refined(image, placement, true),
                                                 refined(image, placement, false)},
                                                placement};
                if (std::optional<Grid> found = headerAt(image, placements, failure))
                    return {found, Failure::None};
            }
    }
    return {std::nullopt, failure};
}

} // namespace

Encoded encode(std::u16string_view text, int formatVersion)
{
    if (formatVersion < 1 || formatVersion > version)
        return {{}, Failure::NewerVersion, 0};
    // Version 2's quiet zone leaves less room, so what fits it fits version 1.
    if (text.size() > longestText || !textFits(text))
        return {{}, Failure::TextTooLong, longestFitting(text)};
    const Payload payload = payloadOf(text);
    return {drawn(payload, *choose(static_cast<int>(payload.bytes.size()), formatVersion)),
            Failure::None, text.size()};
}

Encoded encodeSealed(const Picture &sealed)
{
    Payload payload{protectedPicture::streamOf(sealed), Packing::Sealed};
    const std::optional<Choice> choice = choose(static_cast<int>(payload.bytes.size()));
    if (payload.bytes.empty() || !choice)
        return {{}, Failure::TextTooLong, 0};
    return {drawn(payload, *choice), Failure::None, 0};
}

Detected detect(const Picture &image)
{
    if (image.isNull() || image.width < smallestGrid || image.height < smallestGrid ||
        image.rgb.size() != image.pixelCount() * 3)
        return {};
    if (!darkEdge(image, true) || !darkEdge(image, false))
        return locate(image);
    const int across = runs(image, true), down = runs(image, false);
    Failure failure = Failure::NotRobust;
    std::vector<int> tried;
    const auto attempt = [&](int count) -> std::optional<Grid> {
        // A run lost or split in the timing costs a retry, not the picture.
        for (int delta : {0, -2, 2, -1, 1, -4, 4}) {
            const int grid = count + delta;
            if (grid % 2 == 0 || grid < smallestGrid || grid > largestGrid || grid > image.width ||
                grid > image.height || std::find(tried.begin(), tried.end(), grid) != tried.end())
                continue;
            tried.push_back(grid);
            const Placement placements[] = {placementOf(image, grid, Spacing::Timing),
                                            placementOf(image, grid, Spacing::Even)};
            if (std::optional<Grid> found = headerAt(image, placements, failure))
                return found;
        }
        return std::nullopt;
    };
    for (int count : {across, down})
        if (std::optional<Grid> found = attempt(count))
            return {found, Failure::None};
    for (int count : {matchedGrid(image, true, across), matchedGrid(image, false, down)})
        if (std::optional<Grid> found = attempt(count))
            return {found, Failure::None};
    // Dark edges that are no version 1 grid may still frame a version 2 one.
    if (const Detected located = locate(image); located.grid)
        return located;
    return {std::nullopt, failure};
}

Decoded decode(const Picture &image)
{
    const Detected detected = detect(image);
    if (!detected.grid)
        return {{}, {}, detected.failure};
    return decode(image, *detected.grid);
}

Decoded decode(const Picture &image, const Grid &grid)
{
    // A grid is the detector's, but may come from anywhere: half a pixel a
    // module at least, inside the picture.
    const bool placed =
        grid.version == 1 ||
        (grid.version == 2 && grid.left >= -1 && grid.top >= -1 && grid.right <= image.width + 1 &&
         grid.bottom <= image.height + 1 && grid.right - grid.left >= grid.modules / 2.0 &&
         grid.bottom - grid.top >= grid.modules / 2.0);
    if (!placed || grid.modules < smallestGrid || grid.modules > largestGrid ||
        grid.modules > image.width || grid.modules > image.height || grid.parity < 2 ||
        grid.parity > mostParity || grid.payload < 1 ||
        !fits(grid.payload, grid.parity, grid.modules, grid.version) ||
        image.rgb.size() != image.pixelCount() * 3)
        return {{}, {}, Failure::Damaged};
    std::vector<Placement> placements;
    if (grid.version == 1)
        for (const Spacing spacing : spacings)
            placements.push_back(placementOf(image, grid.modules, spacing));
    else {
        const Placement located = placementOf(grid);
        placements.push_back(
            {grid.modules, 2, refined(image, located, true), refined(image, located, false)});
        placements.push_back(located);
    }
    // Modules of less than two pixels may have been blurred into each other:
    // those pictures get a second reading with the blur taken out.
    std::optional<std::vector<std::uint8_t>> corrected;
    for (const bool equalised : {false, true})
        for (const Placement &placement : placements)
            if (!corrected && (!equalised || std::min(placement.x.step, placement.y.step) < 2) &&
                (corrected = payloadAt(image, grid, placement, equalised)))
                break;
    if (!corrected)
        return {{}, {}, Failure::Damaged};
    std::vector<std::uint8_t> payload = *std::move(corrected);
    if (grid.packing == Packing::Sealed) {
        // Opened as any protected picture, which checks its own header.
        Picture sealed = protectedPicture::pictureOf(payload);
        if (!protectedPicture::hasSignature(sealed))
            return {{}, {}, Failure::NotConforming};
        return {{}, std::move(sealed), Failure::None};
    }
    if (grid.packing == Packing::Zstd) {
        const unsigned long long claimed = ZSTD_getFrameContentSize(payload.data(), payload.size());
        if (claimed == ZSTD_CONTENTSIZE_ERROR || claimed == ZSTD_CONTENTSIZE_UNKNOWN ||
            claimed > longestUtf8)
            return {{}, {}, Failure::NotConforming};
        std::vector<std::uint8_t> text(std::size_t(claimed) + 1);
        const std::size_t size =
            ZSTD_decompress(text.data(), text.size(), payload.data(), payload.size());
        if (ZSTD_isError(size) || size != claimed)
            return {{}, {}, Failure::NotConforming};
        text.resize(size);
        payload = std::move(text);
    }
    std::optional<std::u16string> text = utf8::decode(payload);
    if (!text || text->size() > longestText)
        return {{}, {}, Failure::NotConforming};
    return {std::move(*text), {}, Failure::None};
}

} // namespace veltrin::robustPicture
