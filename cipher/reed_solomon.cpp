// SPDX-License-Identifier: GPL-3.0-or-later
#include "reed_solomon.h"

#include <array>

namespace veltrin::reedSolomon {
namespace {

struct Tables
{
    std::array<std::uint8_t, 512> exp{}; // doubled, so a sum of two logs needs no modulo
    std::array<int, 256> log{};

    constexpr Tables()
    {
        int x = 1;
        for (int i = 0; i < 255; ++i) {
            exp[i] = static_cast<std::uint8_t>(x);
            log[x] = i;
            x <<= 1;
            if (x & 0x100)
                x ^= 0x11D;
        }
        for (int i = 255; i < 512; ++i)
            exp[i] = exp[i - 255];
    }
};
constexpr Tables tables;

std::uint8_t mul(std::uint8_t a, std::uint8_t b)
{
    return a && b ? tables.exp[tables.log[a] + tables.log[b]] : 0;
}

std::uint8_t divide(std::uint8_t a, std::uint8_t b) // b != 0
{
    return a ? tables.exp[tables.log[a] + 255 - tables.log[b]] : 0;
}

// Lowest power first.
std::uint8_t evaluateLowFirst(std::span<const std::uint8_t> poly, std::uint8_t x)
{
    std::uint8_t y = 0;
    for (std::size_t i = poly.size(); i-- > 0;)
        y = static_cast<std::uint8_t>(mul(y, x) ^ poly[i]);
    return y;
}

// Syndrome j is the sum of byte i times alpha^(j (n - 1 - i)). Each byte's
// terms are taken in the log domain, its power growing by a fixed step from
// one syndrome to the next: no chain of multiplications from byte to byte,
// which made this most of what reading a large picture cost.
std::vector<std::uint8_t> syndromes(std::span<const std::uint8_t> codeword, int parity)
{
    std::vector<std::uint8_t> s(static_cast<std::size_t>(parity));
    const int n = static_cast<int>(codeword.size());
    for (int i = 0; i < n; ++i) {
        if (!codeword[std::size_t(i)])
            continue;
        const int step = (n - 1 - i) % 255;
        int at = tables.log[codeword[std::size_t(i)]];
        for (int j = 0; j < parity; ++j) {
            s[std::size_t(j)] ^= tables.exp[std::size_t(at)];
            at += step;
            if (at >= 255)
                at -= 255;
        }
    }
    return s;
}

} // namespace

std::uint8_t multiply(std::uint8_t a, std::uint8_t b)
{
    return mul(a, b);
}

std::uint8_t power(int exponent)
{
    return tables.exp[((exponent % 255) + 255) % 255];
}

std::vector<std::uint8_t> generator(int parity)
{
    std::vector<std::uint8_t> g{1};
    for (int i = 0; i < parity; ++i) {
        // g *= (x - alpha^i)
        std::vector<std::uint8_t> next(g.size() + 1, 0);
        for (std::size_t k = 0; k < g.size(); ++k) {
            next[k] ^= g[k];
            next[k + 1] ^= mul(g[k], tables.exp[i]);
        }
        g = std::move(next);
    }
    return g;
}

std::vector<std::uint8_t> parity(std::span<const std::uint8_t> data, int parity)
{
    const std::vector<std::uint8_t> g = generator(parity);
    std::vector<std::uint8_t> remainder(std::size_t(parity), 0);
    for (std::uint8_t byte : data) {
        const std::uint8_t factor = byte ^ remainder[0];
        for (int k = 0; k + 1 < parity; ++k)
            remainder[std::size_t(k)] =
                remainder[std::size_t(k) + 1] ^ mul(g[std::size_t(k) + 1], factor);
        remainder[std::size_t(parity) - 1] = mul(g[std::size_t(parity)], factor);
    }
    return remainder;
}

bool correct(std::span<std::uint8_t> codeword, int parity)
{
    return correct(codeword, parity, {});
}

bool correct(std::span<std::uint8_t> codeword, int parity, std::span<const int> erasures)
{
    const int n = static_cast<int>(codeword.size());
    const int erased = static_cast<int>(erasures.size());
    if (parity <= 0 || n > 255 || n <= parity || erased > parity)
        return false;
    const std::vector<std::uint8_t> s = syndromes(codeword, parity);
    bool clean = true;
    for (std::uint8_t v : s)
        clean = clean && v == 0;
    if (clean)
        return true;

    // Berlekamp-Massey, started from the erasures' locator so that it finds
    // the errors besides them: the errata locator, lowest power first.
    std::vector<std::uint8_t> locator{1};
    for (int i : erasures) {
        if (i < 0 || i >= n)
            return false;
        const std::uint8_t x = power(n - 1 - i);
        locator.push_back(0);
        for (std::size_t k = locator.size() - 1; k > 0; --k)
            locator[k] ^= mul(locator[k - 1], x);
    }
    std::vector<std::uint8_t> previous = locator;
    int length = erased, shift = 1;
    std::uint8_t lastDiscrepancy = 1;
    for (int r = erased; r < parity; ++r) {
        std::uint8_t d = s[std::size_t(r)];
        for (int i = 1; i <= length && i < static_cast<int>(locator.size()); ++i)
            d ^= mul(locator[std::size_t(i)], s[std::size_t(r - i)]);
        if (d == 0) {
            ++shift;
            continue;
        }
        const std::uint8_t factor = divide(d, lastDiscrepancy);
        std::vector<std::uint8_t> updated = locator;
        if (updated.size() < previous.size() + std::size_t(shift))
            updated.resize(previous.size() + std::size_t(shift), 0);
        for (std::size_t i = 0; i < previous.size(); ++i)
            updated[i + std::size_t(shift)] ^= mul(factor, previous[i]);
        if (2 * length <= r + erased) {
            previous = std::move(locator);
            length = r + 1 + erased - length;
            lastDiscrepancy = d;
            shift = 1;
        } else {
            ++shift;
        }
        locator = std::move(updated);
    }
    // Each error costs two parity bytes, each erasure one.
    if (2 * length - erased > parity)
        return false;
    locator.resize(std::size_t(length) + 1);

    // Chien search: position i carries X = alpha^(n - 1 - i).
    std::vector<int> positions;
    for (int i = 0; i < n; ++i)
        if (evaluateLowFirst(locator, power(-(n - 1 - i))) == 0)
            positions.push_back(i);
    if (static_cast<int>(positions.size()) != length)
        return false;

    // Forney, with the first root alpha^0: e = X * omega(1/X) / locator'(1/X).
    std::vector<std::uint8_t> omega(std::size_t(parity), 0);
    for (int i = 0; i < parity; ++i)
        for (int j = 0; j <= i && j <= length; ++j)
            omega[std::size_t(i)] ^= mul(locator[std::size_t(j)], s[std::size_t(i - j)]);
    std::vector<std::uint8_t> derivative(std::size_t(length), 0);
    for (int i = 1; i <= length; i += 2)
        derivative[std::size_t(i) - 1] = locator[std::size_t(i)];
    std::vector<std::uint8_t> repaired(codeword.begin(), codeword.end());
    for (int i : positions) {
        const std::uint8_t x = power(n - 1 - i);
        const std::uint8_t xInverse = power(-(n - 1 - i));
        const std::uint8_t denominator = evaluateLowFirst(derivative, xInverse);
        if (denominator == 0)
            return false;
        repaired[std::size_t(i)] ^= mul(x, divide(evaluateLowFirst(omega, xInverse), denominator));
    }
    for (std::uint8_t v : syndromes(repaired, parity))
        if (v != 0)
            return false;
    std::copy(repaired.begin(), repaired.end(), codeword.begin());
    return true;
}

} // namespace veltrin::reedSolomon
