#include "cdaudio/mci_log.h"

#include <cerrno>
#include <cstring>

#include "base/tell_user.h"

namespace lyrabox::cdaudio {

LoggingDevice::LoggingDevice(std::unique_ptr<Device> inner, std::FILE* log)
    : inner_(std::move(inner)), log_(log) {}

std::unique_ptr<Device> LoggingDevice::Wrap(std::unique_ptr<Device> inner,
                                            const std::string& path) {
  std::FILE* log = std::fopen(path.c_str(), "a");
  if (log == nullptr) {
    const int error = errno;
    TellUser("The command log " + path + " cannot be opened (" + std::strerror(error) +
             "); commands are not logged.");
    return inner;
  }
  return std::make_unique<LoggingDevice>(std::move(inner), log);
}

std::uint32_t LoggingDevice::Send(std::string_view command, std::string& reply) {
  const std::uint32_t code = inner_->Send(command, reply);
  // One write per line, so that programs sharing the file never mix their lines.
  std::string line;
  line.reserve(command.size() + reply.size() + 16);
  line.append(command).append("\t").append(std::to_string(code)).append("\t").append(reply);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), log_.get());
  std::fflush(log_.get());
  return code;
}

}  // namespace lyrabox::cdaudio
