// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fakes.h"
#include "file_dialogs.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace veltrin::testing {

// One answer of a dialog: what it returns, the path it confirms, how long the
// user took, which moves the fake clock, and the filter the user left chosen
// (counted from 1; 0: the dialog does not say).
struct DialogStep
{
    int result = 0;
    QString path;
    std::uint32_t takesMs = 1000;
    std::uint32_t filterIndex = 0;
};

struct DialogCall
{
    bool save;
    OPENFILENAME record; // as the dialog received it
};

class ScriptedFileDialogs final : public FileDialogs
{
public:
    explicit ScriptedFileDialogs(FakeTickCounter &clock) : clock_(clock) {}

    int GetOpenFileNameA(OPENFILENAME &ofn) override { return answer(false, ofn); }
    int GetSaveFileNameA(OPENFILENAME &ofn) override { return answer(true, ofn); }

    void confirm(const QString &path, std::uint32_t takesMs = 1000)
    {
        steps.push_back({1, path, takesMs});
    }
    void confirmWithFilter(const QString &path, std::uint32_t filterIndex)
    {
        steps.push_back({1, path, 1000, filterIndex});
    }
    void cancel(std::uint32_t takesMs = 1000) { steps.push_back({0, {}, takesMs}); }

    std::deque<DialogStep> steps;
    std::vector<DialogCall> calls;

private:
    int answer(bool save, OPENFILENAME &ofn)
    {
        calls.push_back({save, ofn});
        if (steps.empty()) {
            ADD_FAILURE() << "a dialog was shown that the test did not expect";
            return 0;
        }
        const DialogStep step = steps.front();
        steps.pop_front();
        clock_.now += step.takesMs;
        if (step.result == 1) {
            const qsizetype room = qsizetype(ofn.nMaxFile) - step.path.size();
            ofn.lpstrFile = step.path + QString(std::max<qsizetype>(room, 0), QChar(u'\0'));
            if (step.filterIndex != 0)
                ofn.nFilterIndex = step.filterIndex;
        }
        return step.result;
    }

    FakeTickCounter &clock_;
};

} // namespace veltrin::testing
