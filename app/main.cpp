// Lyrabox: a desktop player for audio CDs that keeps one bookmark per disc.
//
// The program's start: Qt, the Linux host with the CD audio device the environment
// picks, the Qt boxes, and the one window. Everything else lives in the libraries.
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "cdaudio/cdaudio.h"
#include "platform/linux/linux_host.h"
#include "platform/platform.h"
#include "ui/form1.h"
#include "ui/icon.h"
#include "ui/qt_boxes.h"

namespace {

// LYRABOX_SCREENSHOT=FILE: after LYRABOX_SCREENSHOT_DELAY seconds (3 when unset) the
// window is saved to FILE as a picture and closed the usual way. This is how run.sh
// shows the window on a machine without a display.
void ArrangeScreenshot(lyrabox::Form1& form) {
  const char* file = std::getenv("LYRABOX_SCREENSHOT");
  if (file == nullptr || *file == '\0') return;
  int delaySeconds = 3;
  if (const char* delay = std::getenv("LYRABOX_SCREENSHOT_DELAY")) {
    char* end = nullptr;
    const long parsed = std::strtol(delay, &end, 10);
    if (end != delay && *end == '\0' && parsed >= 0 && parsed <= 3600) {
      delaySeconds = static_cast<int>(parsed);
    }
  }
  const std::string path = file;
  QTimer::singleShot(delaySeconds * 1000, &form, [&form, path] {
    if (!form.grab().save(QString::fromStdString(path))) {
      std::fprintf(stderr, "The screenshot could not be saved to %s.\n", path.c_str());
    }
    form.close();
  });
}

}  // namespace

int main(int argc, char** argv) {
  // Qt takes its own arguments (-platform, -display ...) out of argv first, so the
  // argument text the logic searches for "/Play" holds only the player's.
  QApplication application(argc, argv);
  QApplication::setApplicationName("Lyrabox");
  QGuiApplication::setDesktopFileName("io.github.lyrabox.Lyrabox");
  QApplication::setWindowIcon(lyrabox::LyraboxIcon());

  lyrabox::LinuxHost host(argc, argv, lyrabox::cdaudio::OpenFromEnvironment());
  lyrabox::QtBoxes boxes;
  lyrabox::platform::Platform platform{host.device(), host.disks(), host.process(), boxes};

  lyrabox::Form1 form(platform);
  form.Load();
  form.ShowCentred();
  ArrangeScreenshot(form);
  return QApplication::exec();
}
