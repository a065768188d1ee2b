// SPDX-License-Identifier: GPL-3.0-or-later
// The names lookup as the player makes it (names_lookup.h), for main to hand to the
// player's controller: its settings from the environment (LYRABOX_LOOKUP,
// LYRABOX_LOOKUP_SERVICE), the client of the service from the module lyrabox-names.so,
// loaded with the first request.
#pragma once

#include <memory>

#include "engine/names_source.h"
#include "platform/platform.h"

namespace lyrabox::names {

// `disks` keeps the names found, and must outlive what this returns.
std::unique_ptr<NamesSource> NamesFromEnvironment(platform::Disks& disks);

}  // namespace lyrabox::names
