// SPDX-License-Identifier: GPL-3.0-or-later
#include "robust_locator.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace veltrin::robustPicture::locator {
namespace {

// The smallest robust picture a screenshot shows: 1272 pixels at a third,
// the screenshot then scaled to 1280 pixels from 2400.
constexpr int shortestStretch = 120;
constexpr int edgeStep = 64;     // luma levels across two pixels that make an edge
constexpr int busyContrast = 80; // darkest to lightest in a cell's neighbourhood
// Cells of at least 6 pixels, a 320th of the longest side: a 16-pixel
// module keeps its neighbourhood busy, and a large image costs no more.
int cellOf(const Picture &image)
{
    return std::max(6, std::max(image.width, image.height) / 320);
}
constexpr int smallestBox = 160;
constexpr int rise = 64;       // the quiet zone above the frame, in luma levels
constexpr int darkFrame = 100; // the frame's mean luma at most
// Beyond this the locator does not look: a screenshot is far smaller, and
// the loader caps what it opens anyway.
constexpr std::size_t mostPixels = std::size_t(40) << 20;

int luma(const std::uint8_t *p)
{
    return (77 * p[0] + 150 * p[1] + 29 * p[2]) >> 8;
}

// Black, white and the greys JPEG makes between them; chroma 4:2:0 smears a
// little colour over the edges.
bool neutral(const std::uint8_t *p)
{
    return std::abs(p[0] - p[1]) <= 48 && std::abs(p[1] - p[2]) <= 48;
}

struct Component
{
    int count = 0;
    int left = 0, top = 0, right = 0, bottom = 0; // cells, inclusive
};

// Along a profile taken from inside the picture outward: the frame is the
// first dark dip followed by a rise to the quiet zone. The edge lies where the
// profile crosses midway between the dip and the rise's peak.
double outerEdge(const std::vector<int> &profile, int within, bool &found)
{
    found = false;
    int lowest = 255, lowestAt = 0;
    for (int t = 0; t < static_cast<int>(profile.size()); ++t) {
        const int v = profile[std::size_t(t)];
        if (v < lowest) {
            lowest = v;
            lowestAt = t;
        }
        if (lowest > darkFrame || v - lowest < rise || t - lowestAt > within)
            continue;
        int peak = v;
        for (int u = t; u < std::min<int>(t + 3, static_cast<int>(profile.size())); ++u)
            peak = std::max(peak, profile[std::size_t(u)]);
        const double middle = (lowest + peak) / 2.0;
        for (int u = lowestAt + 1; u <= t; ++u) {
            const double a = profile[std::size_t(u - 1)], b = profile[std::size_t(u)];
            if (b >= middle) {
                found = true;
                return u - 1 + (b != a ? (middle - a) / (b - a) : 0.5);
            }
        }
    }
    return 0;
}

} // namespace

bool worthALook(const Picture &image)
{
    if (image.width < shortestStretch || image.height < shortestStretch ||
        image.rgb.size() != image.pixelCount() * 3 || image.pixelCount() > mostPixels)
        return false;
    constexpr int rowsLooked = 32;
    for (int k = 0; k < rowsLooked; ++k) {
        const int y = int((2 * long(k) + 1) * image.height / (2 * rowsLooked));
        const std::uint8_t *row = &image.rgb[std::size_t(y) * std::size_t(image.width) * 3];
        int start = 0, edges = 0, lastEdge = -2;
        for (int x = 0; x + 2 < image.width; ++x) {
            const std::uint8_t *p = row + std::size_t(x) * 3;
            if (!neutral(p)) {
                start = x + 1;
                edges = 0;
                continue;
            }
            if (std::abs(luma(p + 6) - luma(p)) >= edgeStep && x - lastEdge > 1) {
                ++edges;
                lastEdge = x;
            }
            if (x - start >= shortestStretch && edges >= 16)
                return true;
        }
    }
    return false;
}

std::vector<Box> boxes(const Picture &image)
{
    if (!worthALook(image))
        return {};
    const int width = image.width, height = image.height;
    const int cell = cellOf(image), step = std::max(2, cell / 3);
    // Each cell's darkest and lightest neutral pixel, of a pixel in every
    // third of a cell each way.
    const int columns = (width + cell - 1) / cell, rows = (height + cell - 1) / cell;
    std::vector<std::uint8_t> darkest(std::size_t(columns) * std::size_t(rows), 255),
        lightest(darkest.size(), 0);
    for (int y = 0; y < height; y += step) {
        const std::uint8_t *row = &image.rgb[std::size_t(y) * std::size_t(width) * 3];
        std::uint8_t *low = &darkest[std::size_t(y / cell) * std::size_t(columns)];
        std::uint8_t *high = &lightest[std::size_t(y / cell) * std::size_t(columns)];
        for (int x = 0; x < width; x += step) {
            const std::uint8_t *p = row + std::size_t(x) * 3;
            if (!neutral(p))
                continue;
            const auto v = static_cast<std::uint8_t>(luma(p));
            low[x / cell] = std::min(low[x / cell], v);
            high[x / cell] = std::max(high[x / cell], v);
        }
    }
    const auto lumaAt = [&](int x, int y) {
        return luma(&image.rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3]);
    };
    const auto search = [&](const std::vector<std::uint8_t> &darkest,
                            const std::vector<std::uint8_t> &lightest, int columns, int rows,
                            int cell) {
        // Busy: black and white within the cell. Text, a bubble's border or a
        // status bar a few pixels away stay apart from the picture.
        std::vector<int> label(darkest.size(), 0); // -1 busy unlabelled, 0 quiet, else component
        for (std::size_t i = 0; i < label.size(); ++i)
            if (lightest[i] >= darkest[i] + busyContrast)
                label[i] = -1;

        std::vector<Component> components;
        std::vector<int> stack;
        for (std::size_t start = 0; start < label.size(); ++start) {
            if (label[start] != -1)
                continue;
            Component component{0, columns, rows, -1, -1};
            const int id = static_cast<int>(components.size()) + 1;
            label[start] = id;
            stack.assign(1, static_cast<int>(start));
            while (!stack.empty()) {
                const int i = stack.back();
                stack.pop_back();
                const int r = i / columns, c = i % columns;
                ++component.count;
                component.left = std::min(component.left, c);
                component.right = std::max(component.right, c);
                component.top = std::min(component.top, r);
                component.bottom = std::max(component.bottom, r);
                const int next[4][2] = {{r - 1, c}, {r + 1, c}, {r, c - 1}, {r, c + 1}};
                for (const auto &[rr, cc] : next)
                    if (rr >= 0 && rr < rows && cc >= 0 && cc < columns &&
                        label[std::size_t(rr) * std::size_t(columns) + std::size_t(cc)] == -1) {
                        label[std::size_t(rr) * std::size_t(columns) + std::size_t(cc)] = id;
                        stack.push_back(rr * columns + cc);
                    }
            }
            components.push_back(component);
        }
        // Square enough and busy enough (large modules leave their middles
        // quiet); a caption or a border that touches the
        // picture may stretch it a little.
        std::erase_if(components, [cell](const Component &k) {
            const int w = k.right - k.left + 1, h = k.bottom - k.top + 1;
            return w * cell < smallestBox || h * cell < smallestBox || w * 10 < h * 7 ||
                   h * 10 < w * 7 || k.count * 10 < w * h * 3;
        });
        std::stable_sort(components.begin(), components.end(),
                         [](const Component &a, const Component &b) { return a.count > b.count; });
        if (components.size() > 3)
            components.resize(3);

        // Each component from three cells inside its busy box, then, should
        // none of those hold a grid, from six: a dark bubble round the picture
        // on a light screen is busy too, and three cells inside it the profile
        // may start beyond the frame, in the quiet zone, and take the bubble
        // for the frame.
        std::vector<Box> found;
        for (std::size_t n = 0; n < 2 * components.size(); ++n) {
            const Component &k = components[n % components.size()];
            const int depth = n < components.size() ? 3 : 6;

            const int x0 = k.left * cell, x1 = std::min(width, (k.right + 1) * cell);
            const int y0 = k.top * cell, y1 = std::min(height, (k.bottom + 1) * cell);
            const int w = x1 - x0, h = y1 - y0;
            const int margin = 8 + std::max(w, h) / 50;
            // Profiles from inside the box outward, each point the mean
            // of the middle three fifths of the box across, at most 256 pixels of
            // it, read row by row.
            const auto profile = [&](bool vertical, int from, int to) {
                const int across0 = vertical ? x0 + w / 5 : y0 + h / 5;
                const int across1 = vertical ? x1 - w / 5 : y1 - h / 5;
                const int stride = std::max(1, (across1 - across0) / 256);
                const int step = to >= from ? 1 : -1, length = std::abs(to - from) + 1;
                std::vector<long> sums(std::size_t(length), 0);
                int count = 0;
                if (vertical) {
                    for (int t = 0; t < length; ++t)
                        for (int a = across0; a < across1; a += stride)
                            sums[std::size_t(t)] += lumaAt(a, from + t * step);
                } else {
                    for (int a = across0; a < across1; a += stride)
                        for (int t = 0; t < length; ++t)
                            sums[std::size_t(t)] += lumaAt(from + t * step, a);
                }
                for (int a = across0; a < across1; a += stride)
                    ++count;
                std::vector<int> values(std::size_t(length), 255);
                if (count)
                    for (int t = 0; t < length; ++t)
                        values[std::size_t(t)] = int(sums[std::size_t(t)] / count);
                return values;
            };
            bool ok = true;
            const auto edge = [&](bool vertical, int from, int limit) {
                const std::vector<int> values = profile(vertical, from, limit);
                bool found = false;
                const double t = outerEdge(values, std::max(4, (vertical ? h : w) / 40), found);
                ok = ok && found;

                // Pixel t of the profile has its centre at from +- t + 1/2; the
                // edge between two pixels is where their centres' values cross.
                return limit >= from ? from + t + 0.5 : from - t + 0.5;
            };
            Box box;
            // From three cells inside the busy box, whose edge is the frame's
            // give or take a cell: the fewer rows of data a profile crosses,
            // the less chance that a dark one beside a light one looks like it.
            const int inside = std::min(depth * cell, std::min(w, h) / 4);
            box.top = edge(true, y0 + inside, std::max(0, y0 - margin));
            box.bottom = edge(true, y1 - 1 - inside, std::min(height - 1, y1 + margin));
            box.left = edge(false, x0 + inside, std::max(0, x0 - margin));
            box.right = edge(false, x1 - 1 - inside, std::min(width - 1, x1 + margin));
            const double bw = box.right - box.left, bh = box.bottom - box.top;
            const auto same = [&box](const Box &b) {
                return std::abs(b.left - box.left) + std::abs(b.top - box.top) +
                           std::abs(b.right - box.right) + std::abs(b.bottom - box.bottom) <
                       1;
            };
            if (ok && bw > 0 && bh > 0 && std::abs(bw - bh) <= 0.03 * std::max(bw, bh) + 3 &&
                std::none_of(found.begin(), found.end(), same))
                found.push_back(box);
        }
        return found;
    };
    std::vector<Box> found = search(darkest, lightest, columns, rows, cell);
    if (!found.empty())
        return found;
    // Cells twice as large, for modules that leave the small ones quiet.
    const int wide = (columns + 1) / 2, high = (rows + 1) / 2;
    std::vector<std::uint8_t> darker(std::size_t(wide) * std::size_t(high), 255),
        lighter(darker.size(), 0);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const std::size_t from = std::size_t(r) * std::size_t(columns) + std::size_t(c);
            const std::size_t to = std::size_t(r / 2) * std::size_t(wide) + std::size_t(c / 2);
            darker[to] = std::min(darker[to], darkest[from]);
            lighter[to] = std::max(lighter[to], lightest[from]);
        }
    return search(darker, lighter, wide, high, 2 * cell);
}

} // namespace veltrin::robustPicture::locator
