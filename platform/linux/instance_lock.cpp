// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace lyrabox::host {

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

InstanceLock::State InstanceLock::TryTake() {
  if (fd_ >= 0) return State::Held;
  // No following of links: in a shared /tmp, a link planted by someone else must
  // not make us create or lock a file of their choosing.
  int fd = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return State::Unavailable;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid() || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return State::Unavailable;
  }
  int result;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? State::HeldElsewhere : State::Unavailable;
  }
  fd_ = fd;
  return State::Held;
}

}  // namespace lyrabox::host
