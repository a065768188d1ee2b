// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/program_start.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

extern char** environ;

namespace lyrabox::host {
namespace {

// Texts kept alive, and the NULL-ended array of pointers that exec wants.
class TextArray {
 public:
  void Add(std::string text) { texts_.push_back(std::move(text)); }
  char** Pointers() {
    pointers_.clear();
    for (std::string& text : texts_) pointers_.push_back(text.data());
    pointers_.push_back(nullptr);
    return pointers_.data();
  }

 private:
  std::vector<std::string> texts_;
  std::vector<char*> pointers_;
};

TextArray Environment(const DetachedStart& start) {
  TextArray environment;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    std::string_view text = *entry;
    bool replaced = false;
    for (const auto& [name, value] : start.environment) {
      replaced = replaced || (text.size() > name.size() && text.substr(0, name.size()) == name &&
                              text[name.size()] == '=');
    }
    if (!replaced) environment.Add(std::string(text));
  }
  for (const auto& [name, value] : start.environment) environment.Add(name + "=" + value);
  return environment;
}

// Only async-signal-safe calls from here on: the player has other threads, and after
// a fork only the calling one exists.
[[noreturn]] void ReportAndExit(int pipe, int error) {
  ssize_t ignored = ::write(pipe, &error, sizeof error);
  (void)ignored;
  ::_exit(127);
}

[[noreturn]] void RunProgram(int pipe, char** arguments, char** shellArguments,
                             char** environment, int highestDescriptor) {
  ::setsid();
  // A clean start: no signal blocked or ignored because the player had it so.
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  for (int signal = 1; signal < NSIG; ++signal) ::sigaction(signal, &standard, nullptr);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  // Descriptors opened without close-on-exec elsewhere (the CD drive, the sound
  // output) must not stay open in the started program.
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
    for (int fd = 3; fd <= highestDescriptor; ++fd) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  ::execve(arguments[0], arguments, environment);
  if (errno == ENOEXEC) ::execve(shellArguments[0], shellArguments, environment);
  ReportAndExit(pipe, errno);
}

}  // namespace

int StartDetached(const DetachedStart& start) {
  // Everything the children need is made before the fork.
  TextArray arguments;
  TextArray shellArguments;
  arguments.Add(start.program.string());
  shellArguments.Add("/bin/sh");
  shellArguments.Add(start.program.string());
  for (const std::string& argument : start.arguments) {
    arguments.Add(argument);
    shellArguments.Add(argument);
  }
  TextArray environment = Environment(start);
  char** argumentPointers = arguments.Pointers();
  char** shellPointers = shellArguments.Pointers();
  char** environmentPointers = environment.Pointers();
  long openMax = ::sysconf(_SC_OPEN_MAX);
  int highestDescriptor = (openMax <= 0 || openMax > 65536) ? 65535 : static_cast<int>(openMax) - 1;

  // The program writes its errno here when its exec fails; a successful exec closes
  // the pipe, and the read below sees its end.
  int failure[2];
  if (::pipe2(failure, O_CLOEXEC) != 0) return errno;

  pid_t middle = ::fork();
  if (middle < 0) {
    int error = errno;
    ::close(failure[0]);
    ::close(failure[1]);
    return error;
  }
  if (middle == 0) {
    // The middle process starts the program and ends at once, so the program is
    // handed to init and never becomes our zombie.
    ::close(failure[0]);
    pid_t program = ::fork();
    if (program < 0) ReportAndExit(failure[1], errno);
    if (program == 0) {
      RunProgram(failure[1], argumentPointers, shellPointers, environmentPointers,
                 highestDescriptor);
    }
    ::_exit(0);
  }

  ::close(failure[1]);
  while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  std::size_t got = 0;
  auto* bytes = reinterpret_cast<char*>(&error);
  while (got < sizeof error) {
    ssize_t n = ::read(failure[0], bytes + got, sizeof error - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(failure[0]);
  return got == sizeof error ? error : 0;
}

}  // namespace lyrabox::host
