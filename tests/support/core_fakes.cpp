// SPDX-License-Identifier: GPL-3.0-or-later
#include "core_fakes.h"

#include <gtest/gtest.h>

namespace veltrin::testing {

double ScriptedRandom::next()
{
    if (values_.empty()) {
        ADD_FAILURE() << "ScriptedRandom ran out of numbers";
        return 0.0;
    }
    const double value = values_.front();
    values_.pop_front();
    return value;
}

} // namespace veltrin::testing
