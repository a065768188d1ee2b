#include "platform/linux/desktop_player.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <filesystem>
#include <memory>
#include <set>
#include <vector>

#include "base/identity.h"
#include "base/tell_user.h"

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

std::string CddaLocation(const std::string& node) {
  std::error_code error;
  std::filesystem::path drive = std::filesystem::canonical(node, error);
  if (error) drive = node;
  return "cdda://" + drive.filename().string() + "/";
}

std::optional<std::string> StartDesktopCdPlayer(const std::string& location) {
  for (const Application& player : Players()) {
    if (Start(player.get(), location)) return IdOf(player.get());
  }
  return std::nullopt;
}

}  // namespace lyrabox::host
