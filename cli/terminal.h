// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace veltrin::cli {

// Shows `prompt` on the controlling terminal and reads one line there with
// echo off, so that standard input stays free for the text or the picture.
// Nothing when the process has no terminal.
std::optional<QString> askWithoutEcho(const QString &prompt);

} // namespace veltrin::cli
