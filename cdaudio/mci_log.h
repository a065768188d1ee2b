// SPDX-License-Identifier: GPL-3.0-or-later
// The command log that LYRABOX_MCI_LOG asks for: a diagnostic for users and for
// end-to-end tests, kept the same by the player (on our device and on the system's)
// and lyrabox-mci.
//
// One line per command, in the order sent: the command string exactly as sent, a
// tab, the result code in decimal, a tab, the reply text (empty when none). Lines are
// appended and flushed one by one, so that several programs can share one file and a
// crash loses nothing already answered.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "base/environment_names.h"
#include "cdaudio/cdaudio.h"

namespace lyrabox::cdaudio {

class MciLog {
 public:
  // The log file at `path`, opened for appending. When it cannot be opened, one line
  // on standard error says so and there is none: the log is a diagnostic, never a
  // reason not to play.
  static std::unique_ptr<MciLog> Open(const std::string& path);
  // The log that kMciLogVariable names, opened as Open opens it; none when the
  // variable is unset or empty.
  static std::unique_ptr<MciLog> FromEnvironment();

  void Append(std::string_view command, std::uint32_t code, std::string_view reply);

 private:
  explicit MciLog(std::FILE* file) : file_(file) {}
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, FileCloser> file_;
};

class LoggingDevice final : public Device {
 public:
  LoggingDevice(std::unique_ptr<Device> inner, std::unique_ptr<MciLog> log)
      : inner_(std::move(inner)), log_(std::move(log)) {}

  // `inner` with every command logged to `log`; `inner` as it is without a log.
  static std::unique_ptr<Device> Wrap(std::unique_ptr<Device> inner, std::unique_ptr<MciLog> log);

  std::uint32_t Send(std::string_view command, std::string& reply) override;
  std::optional<TableOfContents> Contents() override { return inner_->Contents(); }
  std::optional<ReadyDisc> Disc() override { return inner_->Disc(); }
  void AwaitSettled() override { inner_->AwaitSettled(); }
  std::string ErrorText(std::uint32_t code) override { return inner_->ErrorText(code); }

 private:
  std::unique_ptr<Device> inner_;
  std::unique_ptr<MciLog> log_;
};

}  // namespace lyrabox::cdaudio
