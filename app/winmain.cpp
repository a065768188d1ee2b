// SPDX-License-Identifier: GPL-3.0-or-later
// Lyrabox for Windows: the program's start. The Windows host, the CD audio device the
// environment picks, and the one native window; everything else lives in the libraries.
//
// The device: the system's own MCI CD audio device, unless LYRABOX_CD=demo asks for
// the built-in demo disc on our portable device core, made as the Linux program makes
// it (cdaudio/device_setup.h): it plays silently on its clock, comes back after an
// eject, and is seen in drive LYRABOX_CD_DRIVE ("d:" when unset). LYRABOX_MCI_LOG=FILE
// appends every command string sent to the device, either one, its result code and
// reply.
#include <windows.h>

#include <cstdlib>
#include <memory>

#include "base/ascii.h"
#include "base/environment_names.h"
#include "cdaudio/device_setup.h"
#include "platform/platform.h"
#include "platform/windows/windows_host.h"
#include "ui/windows/main_window.h"

namespace {

constexpr char kInstanceMutex[] = LYRABOX_INSTANCE_MUTEX;  // cmake/windows.cmake

// The letter of the drive the demo disc is seen in.
char CoreDriveLetter() {
  const char* named = std::getenv(lyrabox::kCdDriveVariable);
  const char letter = named != nullptr ? lyrabox::ascii::DriveLetterOf(named) : 0;
  return letter != 0 ? letter : 'd';
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // A drive without a disc answers "not ready" instead of asking the user to insert one.
  SetErrorMode(SEM_FAILCRITICALERRORS);
  // The window lays itself out at the screen's real dots per inch, so the system must
  // not scale it again (the call exists from Windows Vista on).
  if (FARPROC dpiAware = GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDPIAware")) {
    reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void (*)()>(dpiAware))();
  }

  std::unique_ptr<lyrabox::windows::CoreDrive> core;
  if (lyrabox::cdaudio::DemoDiscAsked()) {
    core = std::make_unique<lyrabox::windows::CoreDrive>(lyrabox::cdaudio::OpenDevice(),
                                                         CoreDriveLetter());
  }
  // The core device logs itself (device_setup.h); the system's is logged here.
  lyrabox::windows::MciDevice mci(core == nullptr ? lyrabox::cdaudio::MciLog::FromEnvironment()
                                                  : nullptr);
  lyrabox::platform::DeviceCommands& device =
      core != nullptr ? static_cast<lyrabox::platform::DeviceCommands&>(core->channel()) : mci;

  lyrabox::windows::WindowsDisks disks(core.get());
  lyrabox::windows::WindowsBoxes boxes;
  lyrabox::windows::WindowsProcess process(kInstanceMutex);
  lyrabox::platform::Platform platform{device, disks, process, boxes};

  lyrabox::windows::MainWindow form(platform, instance);
  boxes.SetOwner(form.hwnd());
  form.Load();
  form.ShowCentred();
  return form.Run();
}
