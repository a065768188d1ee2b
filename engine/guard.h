// SPDX-License-Identifier: GPL-3.0-or-later
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
    platform.process.EndNow(platform::ExitStatus::Failure);
  }
}

// The window runs one event at a time. A box of an event runs a nested event loop, and
// an event that arrives there (a timer tick, a click, a close) is dropped, so that a
// poll never runs in the middle of a command. The player's controller keeps the gate.
class EventGate {
 public:
  // Runs `operation` through RunGuarded unless another event is running; false when
  // it was dropped.
  template <typename Operation>
  bool Run(platform::Platform& platform, Operation&& operation) {
    if (running_) return false;
    running_ = true;
    struct Leave {
      bool& running;
      ~Leave() { running = false; }
    } leave{running_};
    RunGuarded(platform, operation);
    return true;
  }

  bool Running() const { return running_; }

 private:
  bool running_ = false;
};

}  // namespace lyrabox
