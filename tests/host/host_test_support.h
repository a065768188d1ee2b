// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the host tests: a real temporary folder, file writing, a small scripted
// CD device, and a wait for a file that another process writes.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cdaudio/cdaudio.h"

namespace lyrabox::host::testing {

// A fresh folder under the system's temporary folder, removed with all it holds.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Writes `content` at `file`, making its folders; `mode` for its permission bits.
void WriteFile(const std::filesystem::path& file, const std::string& content,
               std::filesystem::perms mode = std::filesystem::perms(0644));
std::string ReadFile(const std::filesystem::path& file);

// Waits until `file` exists (another process makes it by a rename into place), at
// most `limit`. Woken by the kernel's file events, so nothing sleeps.
bool WaitForFile(const std::filesystem::path& file, std::chrono::milliseconds limit);

// A CD device that answers from a table and records what it was sent.
class ScriptedCdDevice : public cdaudio::Device {
 public:
  struct Answer {
    std::uint32_t code = 0;
    std::string reply;  // handed back even with a failure code, to see it is not used
  };
  std::map<std::string, Answer> answers;  // anything else: 261 and no reply
  std::vector<std::string> received;
  std::optional<cdaudio::TableOfContents> disc;

  std::uint32_t Send(std::string_view command, std::string& reply) override;
  std::optional<cdaudio::TableOfContents> Contents() override { return disc; }
};

}  // namespace lyrabox::host::testing
