// SPDX-License-Identifier: GPL-3.0-or-later
// The single-instance lock: an exclusive flock on one file per user. The kernel
// drops it when the holding process ends in any way, so a crash never blocks the
// next start. The descriptor is closed on exec, so programs the player starts never
// hold it.
#pragma once

#include <filesystem>

namespace lyrabox::host {

class InstanceLock {
 public:
  explicit InstanceLock(std::filesystem::path file) : file_(std::move(file)) {}
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  enum class State {
    Held,           // this object holds the lock (taken now or before)
    HeldElsewhere,  // another open of the file holds it: another instance runs
    Unavailable,    // the file cannot be opened or locked, or belongs to another user
  };
  // Takes the lock when it is free; keeps it until this object goes.
  State TryTake();

  const std::filesystem::path& file() const { return file_; }

 private:
  std::filesystem::path file_;
  int fd_ = -1;
};

}  // namespace lyrabox::host
