// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "random_source.h"

#include <cstddef>
#include <deque>
#include <initializer_list>
#include <random>
#include <span>
#include <string>

namespace veltrin::testing {

// Hands out the numbers it was given, in order; running dry is a test fault.
class ScriptedRandom final : public RandomSource
{
public:
    ScriptedRandom() = default;
    ScriptedRandom(std::initializer_list<double> values) : values_(values) {}

    void push(double value) { values_.push_back(value); }
    void seedFromTimer() override { ++seeds; }
    double next() override;

    std::size_t remaining() const { return values_.size(); }
    int seeds = 0;

private:
    std::deque<double> values_;
};

// Counts up from `next`, one byte at a time, so every salt and nonce is known.
class SequenceRandomBytes final : public RandomBytes
{
public:
    void fill(std::span<unsigned char> bytes) override
    {
        for (unsigned char &byte : bytes)
            byte = next++;
    }
    unsigned char next = 0;
};

// Han characters drawn at random: zstd cannot pack them, so they are the
// worst case for the robust picture's room.
inline std::u16string hanText(std::size_t length, unsigned seed)
{
    std::mt19937 random(seed);
    std::u16string text(length, u' ');
    for (auto &ch : text)
        ch = static_cast<char16_t>(0x4E00 + random() % 0x5000);
    return text;
}

} // namespace veltrin::testing
