// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core_fakes.h"
#include "message_box.h"
#include "tick_counter.h"

#include <QString>

#include <cstdint>
#include <deque>
#include <vector>

namespace veltrin::testing {

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
