// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mpris/session_bus.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDBusConnection>
#include <cstdlib>
#include <optional>
#include <string>

namespace lyrabox {
namespace {

constexpr char kBusAddressVariable[] = "DBUS_SESSION_BUS_ADDRESS";

// Where libdbus looks when no address is given: the socket "bus" in the user's runtime
// folder, which the session's service manager provides.
bool RuntimeFolderHoldsTheBus() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || *runtime == '\0') return false;
  struct stat info {};
  return ::stat((std::string(runtime) + "/bus").c_str(), &info) == 0 && S_ISSOCK(info.st_mode) &&
         info.st_uid == ::getuid();
}

}  // namespace

void PreventSessionBusAutolaunch() {
  const char* address = std::getenv(kBusAddressVariable);
  if ((address != nullptr && *address != '\0') || RuntimeFolderHoldsTheBus()) return;
  const std::optional<std::string> before =
      address != nullptr ? std::optional<std::string>(address) : std::nullopt;
  // An address of no known kind fails at once, where no address at all would start a
  // bus. Qt keeps the connection it makes now for the rest of the run, so the address
  // is needed only while it is made.
  ::setenv(kBusAddressVariable, "disabled:", 1);
  QDBusConnection::sessionBus();
  if (before) {
    ::setenv(kBusAddressVariable, before->c_str(), 1);
  } else {
    ::unsetenv(kBusAddressVariable);
  }
}

}  // namespace lyrabox
