// SPDX-License-Identifier: GPL-3.0-or-later
// The environment variables the programs read, named once. Settings never travel in
// the argument text, which the logic searches for "/Play"; the manual page
// (docs/man/lyrabox.1) says what each one does.
#pragma once

#include <cstdlib>
#include <string>
#include <string_view>

namespace lyrabox {

// Which disc: a device node, a disc image or kDemoDisc, in any letter case.
inline constexpr char kDiscVariable[] = "LYRABOX_CD";
inline constexpr std::string_view kDemoDisc = "demo";
// Which sound output: kSilentOutput (any letter case) plays silently.
inline constexpr char kAudioVariable[] = "LYRABOX_AUDIO";
inline constexpr std::string_view kSilentOutput = "none";
// The file every device command is logged to.
inline constexpr char kMciLogVariable[] = "LYRABOX_MCI_LOG";
// The letter of the drive in which the disc is seen ("d:" when unset).
inline constexpr char kCdDriveVariable[] = "LYRABOX_CD_DRIVE";
// The folder holding one folder per drive letter (Linux).
inline constexpr char kHomeVariable[] = "LYRABOX_HOME";
// Tells a program the player starts how to show its window (Linux).
inline constexpr char kWindowStateVariable[] = "LYRABOX_WINDOW_STATE";
// A picture of the window saved to this file after kScreenshotDelayVariable seconds.
inline constexpr char kScreenshotVariable[] = "LYRABOX_SCREENSHOT";
inline constexpr char kScreenshotDelayVariable[] = "LYRABOX_SCREENSHOT_DELAY";
// Set (to anything but empty), the steps of the start are written to standard error
// with their times (base/start_timeline.h).
inline constexpr char kTimelineVariable[] = "LYRABOX_TIMELINE";

// The value of the environment variable `name`; empty when it is not set.
inline std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace lyrabox
