// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/host/host_test_support.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace lyrabox::host::testing {

TemporaryFolder::TemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lyrabox-host-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::filesystem::path& file, const std::string& content,
               std::filesystem::perms mode) {
  std::filesystem::create_directories(file.parent_path());
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + file.string());
  }
  std::filesystem::permissions(file, mode);
}

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool WaitForFile(const std::filesystem::path& file, std::chrono::milliseconds limit) {
  int events = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (events < 0) throw std::runtime_error("inotify_init1 failed");
  ::inotify_add_watch(events, file.parent_path().c_str(), IN_MOVED_TO | IN_CLOSE_WRITE | IN_CREATE);
  auto deadline = std::chrono::steady_clock::now() + limit;
  bool there = false;
  // Checked after the watch is set, so a file made in between is not missed.
  while (!(there = std::filesystem::exists(file))) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd wait{events, POLLIN, 0};
    if (::poll(&wait, 1, static_cast<int>(left.count())) > 0) {
      char buffer[4096];
      while (::read(events, buffer, sizeof buffer) > 0) {
      }
    }
  }
  ::close(events);
  return there;
}

std::uint32_t ScriptedCdDevice::Send(std::string_view command, std::string& reply) {
  received.emplace_back(command);
  auto found = answers.find(std::string(command));
  if (found == answers.end()) {
    reply.clear();
    return 261;
  }
  reply = found->second.reply;
  return found->second.code;
}

}  // namespace lyrabox::host::testing
