// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture_io.h"

#include <QString>

#include <optional>

namespace veltrin::cli {

// The format `encrypt` writes to `output` ("-": standard output): `asked`, the
// value of --format, when given, else what the name's extension says, else
// `unnamed`. A name whose extension says another format, and a format
// veltrin-cli does not write, are refused with CliError(Usage).
PictureFormat outputFormat(const QString &output, const std::optional<QString> &asked,
                           PictureFormat unnamed = PictureFormat::Bmp);

} // namespace veltrin::cli
