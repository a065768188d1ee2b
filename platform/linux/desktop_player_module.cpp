// SPDX-License-Identifier: GPL-3.0-or-later
// The module lyrabox-desktop.so (desktop_player.h): the desktop's CD players through
// GIO, which brings GObject and its own libraries along.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>
#include <set>
#include <type_traits>
#include <vector>

#include "base/identity.h"
#include "base/module.h"
#include "base/tell_user.h"
#include "platform/linux/desktop_player.h"

namespace lyrabox::host {
namespace {

struct Unreference {
  void operator()(GAppInfo* app) const { g_object_unref(app); }
};
using Application = std::unique_ptr<GAppInfo, Unreference>;

std::string IdOf(GAppInfo* app) {
  const char* id = g_app_info_get_id(app);
  return id != nullptr ? id : "";
}

// Handing the disc to ourselves would start the hand-over again, for ever.
bool IsLyrabox(GAppInfo* app) {
  const char* executable = g_app_info_get_executable(app);
  return IdOf(app).starts_with(identity::kDesktopId) ||
         (executable != nullptr && std::filesystem::path(executable).filename() == "lyrabox");
}

// The desktop's handlers for audio CDs in its order of preference, Lyrabox left out.
std::vector<Application> Players() {
  std::vector<Application> found;
  if (GAppInfo* preferred = g_app_info_get_default_for_type(kAudioCdContentType, FALSE)) {
    found.emplace_back(preferred);
  }
  GList* all = g_app_info_get_all_for_type(kAudioCdContentType);
  for (GList* item = all; item != nullptr; item = item->next) {
    found.emplace_back(G_APP_INFO(item->data));  // takes over the list's reference
  }
  g_list_free(all);

  std::vector<Application> players;
  std::set<std::string> seen;
  for (Application& app : found) {
    if (!IsLyrabox(app.get()) && seen.insert(IdOf(app.get())).second) {
      players.push_back(std::move(app));
    }
  }
  return players;
}

bool Start(GAppInfo* app, const std::string& location) {
  GList* uris = nullptr;
  if (!location.empty()) uris = g_list_append(uris, const_cast<char*>(location.c_str()));
  GError* error = nullptr;
  const bool started = g_app_info_launch_uris(app, uris, nullptr, &error) != FALSE;
  g_list_free(uris);
  if (!started) {
    TellUser("the desktop's CD player " + IdOf(app) + " could not be started" +
             (error != nullptr ? std::string(": ") + error->message : std::string()));
  }
  if (error != nullptr) g_error_free(error);
  // A player started by a message on the session bus only gets it once the message
  // has left, and the player ends straight after the hand-over.
  if (started && G_IS_DESKTOP_APP_INFO(app) &&
      g_desktop_app_info_get_boolean(G_DESKTOP_APP_INFO(app), "DBusActivatable")) {
    if (GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
      g_dbus_connection_flush_sync(bus, nullptr, nullptr);
      g_object_unref(bus);
    }
  }
  return started;
}

}  // namespace

}  // namespace lyrabox::host

LYRABOX_MODULE_ENTRY bool lyrabox_start_desktop_cd_player(const std::string& location,
                                                         std::string& id) {
  for (const lyrabox::host::Application& player : lyrabox::host::Players()) {
    if (lyrabox::host::Start(player.get(), location)) {
      id = lyrabox::host::IdOf(player.get());
      return true;
    }
  }
  return false;
}
static_assert(std::is_same_v<decltype(lyrabox_start_desktop_cd_player),
                             lyrabox::host::StartDesktopPlayerEntry>);
