// SPDX-License-Identifier: GPL-3.0-or-later
// Moved to tests/support/ so that every suite shares it; kept here under its old
// name until the cdaudio tests include it from there.
#pragma once

#include "tests/support/scoped_environment.h"

namespace lyrabox::cdaudio::testing {
using ::lyrabox::testing::ScopedEnvironment;
}  // namespace lyrabox::cdaudio::testing
