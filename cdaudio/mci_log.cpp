// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/mci_log.h"

#include <cerrno>
#include <cstring>

#include "base/tell_user.h"

namespace lyrabox::cdaudio {

std::unique_ptr<MciLog> MciLog::Open(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "a");
  if (file == nullptr) {
    const int error = errno;
    TellUser("The command log " + path + " cannot be opened (" + std::strerror(error) +
             "); commands are not logged.");
    return nullptr;
  }
  return std::unique_ptr<MciLog>(new MciLog(file));
}

void MciLog::Append(std::string_view command, std::uint32_t code, std::string_view reply) {
  // One write per line, so that programs sharing the file never mix their lines.
  std::string line;
  line.reserve(command.size() + reply.size() + 16);
  line.append(command).append("\t").append(std::to_string(code)).append("\t").append(reply);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), file_.get());
  std::fflush(file_.get());
}

std::unique_ptr<MciLog> MciLog::FromEnvironment() {
  const std::string path = EnvironmentValue(kMciLogVariable);
  return path.empty() ? nullptr : Open(path);
}

std::unique_ptr<Device> LoggingDevice::Wrap(std::unique_ptr<Device> inner,
                                            std::unique_ptr<MciLog> log) {
  if (!log) return inner;
  return std::make_unique<LoggingDevice>(std::move(inner), std::move(log));
}

std::uint32_t LoggingDevice::Send(std::string_view command, std::string& reply) {
  const std::uint32_t code = inner_->Send(command, reply);
  log_->Append(command, code, reply);
  return code;
}

}  // namespace lyrabox::cdaudio
