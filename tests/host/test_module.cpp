// SPDX-License-Identifier: GPL-3.0-or-later
// The module the loader's test loads (module_test.cpp).
#include "base/module.h"

LYRABOX_MODULE_ENTRY int lyrabox_test_entry() { return 42; }
