// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <random>
#include <span>

namespace veltrin {

// The uniform random source: each draw gives u with 0 <= u < 1.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual void seedFromTimer() = 0;
    virtual double next() = 0;
};

// Unpredictable bytes for salts and nonces; the real one is the cipher's,
// from libsodium, and tests hand in fixed bytes.
class RandomBytes
{
public:
    virtual ~RandomBytes() = default;
    virtual void fill(std::span<unsigned char> bytes) = 0;
};

class SystemRandomSource final : public RandomSource
{
public:
    void seedFromTimer() override;
    double next() override;

private:
    std::mt19937_64 engine_{0};
};

} // namespace veltrin
