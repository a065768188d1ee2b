// The one guard every window event runs through.
#pragma once

#include <new>

#include "platform/platform.h"
#include "platform/runtime_error.h"

namespace lyrabox {

// Runs `operation`. A run-time error it raises is shown in a box titled "Lyrabox"
// and ends the program; nothing of the event runs after it. Memory that runs out is
// the run-time error "Out of memory" (the failed allocation is given back by then, so
// the box can be shown), never an abort.
template <typename Operation>
void RunGuarded(platform::Platform& platform, Operation&& operation) {
  try {
    try {
      operation();
    } catch (const std::bad_alloc&) {
      throw RuntimeError(ErrorNumber::OutOfMemory);
    }
  } catch (const RuntimeError& error) {
    platform.boxes.Message(error.BoxText());
    platform.process.EndNow();
  }
}

}  // namespace lyrabox
