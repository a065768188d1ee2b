// SPDX-License-Identifier: GPL-3.0-or-later
// The start's timeline: with kTimelineVariable set, each step of the start is written
// to standard error with the milliseconds since the process began, so that a slow
// start can be taken apart without a profiler:
//
//   lyrabox: timeline    21.4 ms  libraries loaded
//
// Off (the default) a step costs one test of a flag. Linux only: the process's age
// comes from the kernel.
//
// Thread: any; the steps of the start all come from the user-interface thread.
#pragma once

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "base/environment_names.h"
#include "base/tell_user.h"

namespace lyrabox::timeline {
namespace detail {

inline double Milliseconds(clockid_t clock) {
  timespec now{};
  ::clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// When the process began, in milliseconds on the boot clock. The kernel keeps the start
// in clock ticks (10 ms); within that tick, the CPU time spent so far places it: until
// the program's own code runs, the process does nothing but run (the loader maps and
// links the libraries), so its CPU time is its age.
inline double ProcessStart() {
  const double now = Milliseconds(CLOCK_BOOTTIME);
  const double used = Milliseconds(CLOCK_PROCESS_CPUTIME_ID);
  std::ifstream file("/proc/self/stat");
  std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // The fields after the program's name, which may hold blanks and parentheses.
  const std::size_t nameEnd = stat.rfind(')');
  if (nameEnd == std::string::npos) return now - used;
  std::istringstream fields(stat.substr(nameEnd + 1));
  std::string field;
  // The state is field 3 of the line; the start time is field 22.
  for (int i = 3; i < 22 && (fields >> field); ++i) {
  }
  unsigned long long ticks = 0;
  const long perSecond = ::sysconf(_SC_CLK_TCK);
  if (!(fields >> ticks) || perSecond <= 0) return now - used;
  const double tick = 1e3 / static_cast<double>(perSecond);
  const double earliest = static_cast<double>(ticks) * tick;
  return std::clamp(now - used, earliest, earliest + tick);
}

struct State {
  bool on = false;
  double start = 0;
};

inline State& Get() {
  static State state = [] {
    State made;
    const char* value = std::getenv(kTimelineVariable);
    made.on = value != nullptr && *value != '\0';
    if (made.on) made.start = ProcessStart();
    return made;
  }();
  return state;
}

}  // namespace detail

// Whether the timeline is written.
inline bool On() { return detail::Get().on; }

// Writes `step` with the time since the process began, when the timeline is on. The
// first call, at the top of main, also writes the process's start.
inline void Mark(std::string_view step) {
  static bool started = false;
  detail::State& state = detail::Get();
  if (!state.on) return;
  char stamp[32];
  if (!started) {
    started = true;
    TellUser("timeline     0.0 ms  process started");
  }
  std::snprintf(stamp, sizeof stamp, "%8.1f ms  ",
                detail::Milliseconds(CLOCK_BOOTTIME) - state.start);
  TellUser(std::string("timeline ") + stamp + std::string(step));
}

}  // namespace lyrabox::timeline
