// The one guard every window event runs through.
#pragma once

#include "platform/platform.h"
#include "platform/runtime_error.h"

namespace lyrabox {

// Runs `operation`. A run-time error it raises is shown in a box titled "Lyrabox"
// and ends the program; nothing of the event runs after it.
template <typename Operation>
void RunGuarded(platform::Platform& platform, Operation&& operation) {
  try {
    operation();
  } catch (const RuntimeError& error) {
    platform.boxes.Message(error.BoxText());
    platform.process.EndNow();
  }
}

}  // namespace lyrabox
