// SPDX-License-Identifier: GPL-3.0-or-later
#include "code_page_936_iconv.h"

int main(int argc, char *argv[])
{
    return veltrin::writeCp936TablesSource(argc, argv);
}
