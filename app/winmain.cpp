// Lyrabox for Windows: the program's start. The Windows host, the CD audio device the
// environment picks, and the one native window; everything else lives in the libraries.
//
// The device: the system's own MCI CD audio device, unless LYRABOX_CD=demo asks for
// the built-in demo disc on our portable device core (it plays silently on its clock
// and is seen in drive LYRABOX_CD_DRIVE, "d:" when unset). LYRABOX_MCI_LOG=FILE
// appends every command string sent to the device, either one, its result code and
// reply.
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "base/ascii.h"
#include "cdaudio/clock.h"
#include "cdaudio/demo_disc.h"
#include "cdaudio/device.h"
#include "cdaudio/mci_log.h"
#include "cdaudio/transport.h"
#include "platform/platform.h"
#include "platform/windows/windows_host.h"
#include "ui/windows/form1.h"

namespace {

constexpr char kInstanceMutex[] = "Lyrabox.SingleInstance";

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::unique_ptr<lyrabox::windows::CoreDevice> DemoDevice() {
  using namespace lyrabox::cdaudio;
  auto drive = std::make_shared<DemoDrive>();
  std::unique_ptr<Device> device =
      std::make_unique<CdAudioDevice>(drive, std::make_unique<ClockTransport>(
                                                 std::make_shared<SteadyClock>()));
  const std::string log = Environment(kMciLogVariable);
  if (!log.empty()) device = LoggingDevice::Wrap(std::move(device), log);
  std::string letter = Environment("LYRABOX_CD_DRIVE");
  if (letter.empty()) letter = "d:";
  return std::make_unique<lyrabox::windows::CoreDevice>(std::move(device),
                                                        letter.substr(0, 2) + "\\");
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

  std::unique_ptr<lyrabox::windows::CoreDevice> core;
  if (lyrabox::ascii::EqualsIgnoringCase(Environment("LYRABOX_CD"), "demo")) core = DemoDevice();
  const std::string log = Environment(lyrabox::cdaudio::kMciLogVariable);
  lyrabox::windows::MciDevice mci(core == nullptr && !log.empty() ? lyrabox::cdaudio::MciLog::Open(log)
                                                                   : nullptr);
  lyrabox::platform::DeviceCommands& device =
      core != nullptr ? static_cast<lyrabox::platform::DeviceCommands&>(*core) : mci;

  lyrabox::windows::WindowsDisks disks(core.get());
  lyrabox::windows::WindowsBoxes boxes;
  lyrabox::windows::WindowsProcess process(kInstanceMutex, &boxes);
  lyrabox::platform::Platform platform{device, disks, process, boxes};

  lyrabox::windows::Form1 form(platform, instance);
  boxes.SetOwner(form.hwnd());
  form.Load();
  form.ShowCentred();
  return form.Run();
}
