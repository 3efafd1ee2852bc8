// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "message_box.h"
#include "random_source.h"
#include "tick_counter.h"

#include <QString>

#include <cstdint>
#include <deque>
#include <vector>

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

// A clock that moves only when the test says so, or by a fixed step per reading.
class FakeTickCounter final : public TickCounter
{
public:
    explicit FakeTickCounter(std::uint32_t start = 0, std::uint32_t stepPerReading = 0)
        : now(start), step(stepPerReading)
    {}
    std::uint32_t GetTickCount() override
    {
        const std::uint32_t value = now;
        now += step;
        ++readings;
        return value;
    }

    std::uint32_t now;
    std::uint32_t step;
    int readings = 0;
};

struct ShownMessage
{
    QString text;
    QString caption;
    int style;
};

// Records every message; answers with the scripted buttons in order, then OK.
class RecordingMessageBox final : public MessageBox
{
public:
    int show(const QString &text, const QString &caption, int style) override
    {
        shown.push_back({text, caption, style});
        if (answers.empty())
            return Ok;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<ShownMessage> shown;
    std::deque<int> answers;
};

} // namespace veltrin::testing
