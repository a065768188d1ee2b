// SPDX-License-Identifier: GPL-3.0-or-later
// Lyrabox: a desktop player for audio CDs that keeps one bookmark per disc.
//
// The program's start: Qt, the Linux host with the CD audio device the environment
// picks, the Qt boxes, and the one window. Everything else lives in the libraries.
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/environment_names.h"
#include "base/identity.h"
#include "base/start_timeline.h"
#include "base/tell_user.h"
#include "cdaudio/cdaudio.h"
#include "cdaudio/deferred_device.h"
#include "cdaudio/linux/environment.h"
#include "cdaudio/linux/sound_module.h"
#include "platform/linux/desktop_player.h"
#include "platform/linux/drive_argument.h"
#include "names/environment.h"
#include "platform/linux/linux_host.h"
#include "platform/platform.h"
#include "ui/first_shown.h"
#include "ui/main_window.h"
#include "ui/mpris/media_controls.h"
#include "ui/mpris/session_bus.h"
#include "ui/qt_boxes.h"
#include "ui/window_style.h"

namespace {

// LYRABOX_SCREENSHOT=FILE: after LYRABOX_SCREENSHOT_DELAY seconds (3 when unset) what
// the user would see is saved to FILE as a picture, and the player ends the usual way.
// This is how run.sh shows the window on a machine without a display, where nobody can
// answer a box: a box that is open then (a device that cannot be opened, an error of
// the first poll) is pictured instead of the window and dismissed the way a user
// closing it would, and so is every box after it, until the window has closed.
// Armed before the load event, so that a box of start-up cannot hold the run forever.
void ArrangeScreenshot(lyrabox::MainWindow& form) {
  const char* file = std::getenv(lyrabox::kScreenshotVariable);
  if (file == nullptr || *file == '\0') return;
  int delaySeconds = 3;
  if (const char* delay = std::getenv(lyrabox::kScreenshotDelayVariable)) {
    char* end = nullptr;
    const long parsed = std::strtol(delay, &end, 10);
    if (end != delay && *end == '\0' && parsed >= 0 && parsed <= 3600) {
      delaySeconds = static_cast<int>(parsed);
    }
  }
  const std::string path = file;
  constexpr int kEndingStepMs = 50;
  auto* ending = new QTimer(&form);
  ending->setInterval(kEndingStepMs);
  QObject::connect(ending, &QTimer::timeout, &form, [&form, path, saved = false]() mutable {
    QWidget* box = QApplication::activeModalWidget();
    if (!saved) {
      QWidget* seen = box != nullptr ? box : &form;
      if (!seen->grab().save(QString::fromStdString(path))) {
        lyrabox::TellUser("The screenshot could not be saved to " + path + ".");
      }
      saved = true;
    }
    if (box != nullptr) {
      box->close();
      return;
    }
    // Ignored while another event's operation still runs; the next step tries again.
    // Posted, not called: the close may ask its question (the disc is playing), and a
    // box opened inside this timer's own tick would never see the next tick, which is
    // the one that dismisses it.
    QMetaObject::invokeMethod(&form, [&form] { form.close(); }, Qt::QueuedConnection);
  });
  QTimer::singleShot(delaySeconds * 1000, ending, [ending] { ending->start(); });
}

}  // namespace

int main(int argc, char** argv) {
  lyrabox::timeline::Mark("libraries loaded");
  // Qt takes its own arguments (-platform, -display ...) out of argv first, so the
  // argument text the logic searches for "/Play" holds only the player's.
  QApplication application(argc, argv);
  lyrabox::timeline::Mark("display connected");
  lyrabox::PreventSessionBusAutolaunch();
  QApplication::setApplicationName(lyrabox::identity::kTitle);
  QGuiApplication::setDesktopFileName(lyrabox::identity::kDesktopId);
  lyrabox::UseWindowStyle();

  // The drive the desktop inserted a disc into is the one played and identified; it
  // wins over the first drive, and a disc named on purpose by LYRABOX_CD wins over it
  // (set but empty, it names none).
  lyrabox::host::PlayerArguments arguments = lyrabox::host::PlayerArgumentsOf(argc, argv);
  const char* named = std::getenv(lyrabox::kDiscVariable);
  if (!arguments.drive.empty() && (named == nullptr || *named == '\0')) {
    ::setenv(lyrabox::kDiscVariable, arguments.drive.c_str(), /*overwrite=*/1);
  }

  // The device is made when the logic first talks to it (the disc id, or the open),
  // after the instance check, so a second start touches no drive and no sound output.
  // Its sound output is loaded once the window is shown, and opened by the first Play
  // (sound_module.h).
  lyrabox::cdaudio::SoundModule sound;
  auto device = std::make_unique<lyrabox::cdaudio::DeferredDevice>(
      [&sound] { return lyrabox::cdaudio::OpenFromEnvironment(sound.Opener()); });
  lyrabox::LinuxHost host(std::move(arguments.logic), std::move(device));
  host.SetCdDriveNode(&lyrabox::cdaudio::DriveNodeFromEnvironment);
  lyrabox::QtBoxes boxes;
  lyrabox::platform::Platform platform{host.device(), host.disks(), host.process(), boxes};

  // The names of a disc without text of its own are looked up from the event loop, so
  // nothing of the lookup runs before the window is shown.
  const std::unique_ptr<lyrabox::NamesSource> names =
      lyrabox::names::NamesFromEnvironment(host.disks());
  lyrabox::MainWindow form(platform);
  form.controller().FindNamesWith(*names);
  lyrabox::timeline::Mark("window built");
  ArrangeScreenshot(form);
  lyrabox::timeline::Mark("load sequence begun");
  form.Load();
  lyrabox::timeline::Mark("load sequence ended");
  form.ShowCentred();
  // On the bus once the window is on the screen: nobody need wait for the name before
  // seeing the window. Without a bus the player runs on.
  std::unique_ptr<lyrabox::MediaControls> mediaControls;
  lyrabox::AfterFirstShown(form, [&] {
    sound.WarmInBackground();
    mediaControls = std::make_unique<lyrabox::MediaControls>(
        form.controller(),
        lyrabox::WindowRequests{[&form] { form.Raise(); }, [&form] { form.close(); }});
    mediaControls->Publish();
    lyrabox::timeline::Mark("bus name taken");
  });
  const int status = QApplication::exec();
  // The close has run its course: the bookmark is written and the unload has stopped
  // the disc. What is left open (the sound output, the drive, the display) the system
  // closes at once as the process ends, where closing each in turn would keep the user
  // waiting: SDL lets its output drain for 70 ms.
  host.process().EndNow(status == 0 ? lyrabox::platform::ExitStatus::Success
                                    : lyrabox::platform::ExitStatus::Failure);
}
