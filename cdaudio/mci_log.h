// The command log that LYRABOX_MCI_LOG asks for: a diagnostic for users and for
// end-to-end tests, kept the same by the player and lyrabox-mci.
//
// One line per command, in the order sent: the command string exactly as sent, a
// tab, the result code in decimal, a tab, the reply text (empty when none). Lines are
// appended and flushed one by one, so that several programs can share one file and a
// crash loses nothing already answered.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "base/environment_names.h"
#include "cdaudio/cdaudio.h"

namespace lyrabox::cdaudio {

class LoggingDevice final : public Device {
 public:
  // `log` is written and closed by this device.
  LoggingDevice(std::unique_ptr<Device> inner, std::FILE* log);

  // `inner` with every command logged to the file at `path`, opened for appending.
  // When the file cannot be opened, one line on standard error says so and `inner`
  // is returned as it is: the log is a diagnostic, never a reason not to play.
  static std::unique_ptr<Device> Wrap(std::unique_ptr<Device> inner, const std::string& path);

  std::uint32_t Send(std::string_view command, std::string& reply) override;
  std::optional<TableOfContents> Contents() override { return inner_->Contents(); }
  SharedDiscText Text() override { return inner_->Text(); }
  void AwaitSettled() override { inner_->AwaitSettled(); }

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<Device> inner_;
  std::unique_ptr<std::FILE, FileCloser> log_;
};

}  // namespace lyrabox::cdaudio
