// SPDX-License-Identifier: GPL-3.0-or-later
// The start by AutoPlay: the hand-over of a disc without a bookmark to the other
// player, and the resume at the bookmark of a disc that has one.
#include <string>

#include "base/ascii.h"
#include "engine/fixed_texts.h"
#include "engine/lifecycle.h"
#include "platform/runtime_error.h"

namespace lyrabox {
namespace {

// The 1-based position of the first `needle` in `text`, letters of either case
// matching; 0 when there is none.
std::size_t FindIgnoringCase(std::string_view text, std::string_view needle) {
  const std::size_t found = ascii::FindIgnoringCase(text, needle);
  return found == std::string_view::npos ? 0 : found + 1;
}

}  // namespace

void Lifecycle::AutoPlayCheck() {
  autoPlayIndicator_ =
      FindIgnoringCase(player_.platform().process.ArgumentText(), fixed::kAutoPlayMark);
  if (autoPlayIndicator_ != 0) LoadPassThru();
}

void Lifecycle::LoadPassThru() {
  platform::Process& process = player_.platform().process;

  if (!player_.ReadBookmark()) {
    // Not our disc: the other player takes it, and we were never here. A player that
    // cannot be started is the guard's to report; the program ends all the same.
    BusyPause(fixed::kHandOverPauseSteps);
    process.HandOverDisc(fixed::kPlayerCommandLine);
    process.EndNow(platform::ExitStatus::Success);
  }

  // The desktop may start the other player for this disc as well; starting it
  // ourselves and then the kill program twice closes it again before it plays.
  if (player_.platform().disks.OrdinaryFileExists(fixed::kKillProgramFile) &&
      FindIgnoringCase(fixed::kPlayerCommandLine, fixed::kPlayerProgramName) != 0) {
    constexpr auto kMinimised = platform::WindowState::MinimisedWithFocus;
    StartReportingFailure(fixed::kPlayerCommandLine, kMinimised);
    StartReportingFailure(fixed::kKillCommandLine, kMinimised);
    BusyPause(fixed::kKillPauseSteps);
    StartReportingFailure(fixed::kKillCommandLine, kMinimised);
    BusyPause(fixed::kKillPauseSteps);
  }
}

void Lifecycle::AutoPlayResume() {
  if (autoPlayIndicator_ == 0 || player_.state.BmTrack == 0) return;
  player_.ResumeAtBookmark();
}

void Lifecycle::BusyPause(std::uint32_t steps) {
  // A pause measured in work, not in time, with no event handled meanwhile. The
  // counter is volatile so that the optimiser cannot drop the empty loop.
  volatile std::uint32_t step = 1;
  while (step <= steps) step = step + 1;
}

void Lifecycle::StartReportingFailure(std::string_view commandLine,
                                      platform::WindowState state) {
  try {
    player_.platform().process.StartProgram(commandLine, state);
  } catch (const RuntimeError& error) {
    std::string text = error.BoxText();
    if (text.find(commandLine) == std::string::npos) text += "\n\n" + std::string(commandLine);
    player_.platform().boxes.Message(text);
  }
}

}  // namespace lyrabox
