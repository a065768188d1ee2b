// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows host on the system itself (run under Wine by scripts/windows-tests.sh).
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "cdaudio/demo_disc.h"
#include "cdaudio/clock.h"
#include "cdaudio/device.h"
#include "cdaudio/transport.h"
#include "platform/runtime_error.h"
#include "platform/windows/windows_host.h"

namespace lyrabox::windows {
namespace {

class WindowsHost : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder = std::string(temp) + "lyrabox host test " + std::to_string(GetCurrentProcessId()) +
             "." + std::to_string(GetTickCount64());
    disks.CreateFolders(folder + "\\sub\\deeper");
  }
  void Write(const std::string& name, const std::string& text, DWORD attributes = 0) {
    disks.ReplaceFile(folder + "\\" + name, text);
    if (attributes != 0) SetFileAttributesA((folder + "\\" + name).c_str(), attributes);
  }
  static ErrorNumber ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const RuntimeError& error) {
      return error.number();
    }
    return ErrorNumber{};
  }
  WindowsDisks disks;
  std::string folder;
};

TEST_F(WindowsHost, OnlyOrdinaryFilesCountForTheSearch) {
  Write("hidden.cda", "h", FILE_ATTRIBUTE_HIDDEN);
  Write("system.cda", "s", FILE_ATTRIBUTE_SYSTEM);
  CreateDirectoryA((folder + "\\folder.cda").c_str(), nullptr);
  for (const char* name : {"hidden.cda", "system.cda", "folder.cda", "sub", "none.cda"}) {
    EXPECT_FALSE(disks.OrdinaryFileExists(folder + "\\" + name)) << name;
  }
  EXPECT_FALSE(disks.OrdinaryFileMatches(folder + "\\*.CDA"));
  Write("Track01.cda", "t");
  EXPECT_TRUE(disks.OrdinaryFileMatches(folder + "\\*.CDA"));
  EXPECT_TRUE(disks.OrdinaryFileExists(folder + "\\track01.CDA"));
  EXPECT_FALSE(disks.OrdinaryFileExists(folder + "\\*.cda"));  // an exact path has no wildcard
}

TEST_F(WindowsHost, ReplaceIsAllOrNothing) {
  Write("A1B2", "1\r\n2\r\n3\r\n");
  Write("A1B2", "4\r\n5\r\n6\r\n");
  EXPECT_EQ(disks.ReadTextFile(folder + "\\A1B2"), "4\r\n5\r\n6\r\n");
  {
    // Held open without leave to delete, the file cannot be replaced: the old content
    // stays whole and nothing is left beside it.
    HANDLE held = CreateFileA((folder + "\\A1B2").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ErrorOf([&] { Write("A1B2", "7\r\n8\r\n9\r\n"); }), ErrorNumber::PermissionDenied);
    CloseHandle(held);
  }
  EXPECT_EQ(disks.ReadTextFile(folder + "\\A1B2"), "4\r\n5\r\n6\r\n");
  EXPECT_FALSE(disks.OrdinaryFileMatches(folder + "\\A1B2?*"));
  EXPECT_EQ(ErrorOf([&] { Write("gone\\A1B2", "1"); }), ErrorNumber::PathNotFound);
  EXPECT_EQ(ErrorOf([&] { disks.ReadTextFile(folder + "\\none"); }), ErrorNumber::FileNotFound);
  EXPECT_EQ(ErrorOf([&] { disks.ReadTextFile(folder + "\\gone\\x"); }),
            ErrorNumber::PathNotFound);
}

// A read that fails is an error, as on Linux, never a file that seems shorter: here
// a pipe whose other end is cut off as soon as it is opened.
TEST_F(WindowsHost, AReadThatFailsIsAnErrorNotAShorterFile) {
  const std::string name = "\\\\.\\pipe\\lyrabox-test-" + std::to_string(GetCurrentProcessId());
  HANDLE pipe = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 64, 64, 0,
                                 nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  std::thread cut([pipe] {
    ConnectNamedPipe(pipe, nullptr);
    DisconnectNamedPipe(pipe);
  });
  EXPECT_EQ(ErrorOf([&] { disks.ReadTextFile(name); }), ErrorNumber::PermissionDenied);
  cut.join();
  CloseHandle(pipe);
}

TEST_F(WindowsHost, TheDemoDiscIsSeenInItsDrive) {
  auto device = std::make_unique<cdaudio::CdAudioDevice>(
      std::make_shared<cdaudio::DemoDrive>(),
      std::make_unique<cdaudio::ClockTransport>(std::make_shared<cdaudio::ManualClock>()));
  CoreDrive core(std::move(device), 'q');
  WindowsDisks onCore(&core);
  // The demo disc's id on Linux too, where the host computes it on its own.
  EXPECT_EQ(onCore.VolumeSerialNumber("Q:\\"), 0x1112503u);
  EXPECT_TRUE(onCore.OrdinaryFileMatches("q:\\*.CDA"));
  EXPECT_TRUE(onCore.OrdinaryFileExists("q:\\track01.cda"));
  EXPECT_FALSE(onCore.OrdinaryFileMatches("q:\\*.txt"));
}

TEST(WindowsProcessTest, OneInstanceByNamedMutexUntilItEnds) {
  const std::string name = "Lyrabox.Test." + std::to_string(GetCurrentProcessId());
  auto first = std::make_unique<WindowsProcess>(name);
  EXPECT_FALSE(first->OtherInstanceRunning());
  EXPECT_TRUE(WindowsProcess(name).OtherInstanceRunning());
  first.reset();
  EXPECT_FALSE(WindowsProcess(name).OtherInstanceRunning());
}

TEST(WindowsProcessTest, ArgumentTextFollowsTheProgramName) {
  EXPECT_EQ(ArgumentsAfterProgram("\"c:\\my dir\\lyrabox.exe\"  /Play d:\\"), "/Play d:\\");
  EXPECT_EQ(ArgumentsAfterProgram("lyrabox.exe /play"), "/play");
  EXPECT_EQ(ArgumentsAfterProgram("lyrabox.exe"), "");
}

// This program copied to a path with blanks, started by its unquoted path the way the
// system's own command lines name programs; the copy tells how its window was to be
// shown and signals the event.
TEST_F(WindowsHost, StartsAProgramWhosePathHoldsBlanksInTheAskedState) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string program = folder + "\\sub\\child prog.exe";
  ASSERT_TRUE(CopyFileA(self, program.c_str(), FALSE));
  WindowsProcess process("unused");
  SetEnvironmentVariableA("LYRABOX_TEST_CHILD", "1");
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string shownFile = std::string(temp) + "lyrabox-shown-" + std::to_string(GetCurrentProcessId());
  for (auto [state, shown] : {std::pair{platform::WindowState::NormalWithFocus, SW_SHOWNORMAL},
                              std::pair{platform::WindowState::MinimisedWithFocus,
                                        SW_SHOWMINIMIZED}}) {
    const std::string event = "Lyrabox.Child." + std::to_string(shown);
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    process.StartProgram(program + " --child " + event + " " + shownFile, state);
    ASSERT_EQ(WaitForSingleObject(done, 60000), WAIT_OBJECT_0);
    CloseHandle(done);
    EXPECT_EQ(disks.ReadTextFile(shownFile), std::to_string(shown));
  }
  EXPECT_EQ(ErrorOf([&] {
              process.StartProgram(folder + "\\no such.exe /play", platform::WindowState{});
            }),
            ErrorNumber::FileNotFound);
}

// Adds a control's kind and text to the string at `out`. The system calls it with its
// own calling convention (CALLBACK), which a lambda cannot have on 32-bit Windows.
BOOL CALLBACK RecordChild(HWND child, LPARAM out) {
  char text[256], kind[32];
  GetClassNameA(child, kind, sizeof kind);
  GetWindowTextA(child, text, sizeof text);
  *reinterpret_cast<std::string*>(out) += std::string(kind) + ":" + text + ";";
  return TRUE;
}

// Answers the next box titled `title` like a user: types `typed` (if an edit is there)
// and presses `button`; records the box's texts and whether `absent` was offered.
void Answer(const char* title, int button, std::string* seen, const char* typed = nullptr) {
  std::thread([=] {
    HWND box = nullptr;
    while ((box = FindWindowA("#32770", title)) == nullptr || !IsWindowVisible(box)) Sleep(20);
    EnumChildWindows(box, RecordChild, reinterpret_cast<LPARAM>(seen));
    if (typed != nullptr) SetDlgItemTextA(box, 100, typed);
    PostMessageA(box, WM_COMMAND, button, 0);
  }).detach();
}

TEST(WindowsBoxesTest, TextsTitlesAndButtons) {
  WindowsBoxes boxes;
  std::string seen;
  Answer("Lyrabox", IDYES, &seen);
  EXPECT_TRUE(boxes.Question("Bookmark this spot now ?"));
  EXPECT_NE(seen.find("Bookmark this spot now ?"), std::string::npos) << seen;
  EXPECT_NE(seen.find("&Yes"), std::string::npos) << seen;
  EXPECT_NE(seen.find("&No"), std::string::npos) << seen;
  Answer("Lyrabox", IDNO, &(seen = ""));
  EXPECT_FALSE(boxes.Question("Bookmark & Save before Closing ?"));
  Answer("Lyrabox", IDOK, &(seen = ""));
  boxes.Message("The device driver is not ready.");
  EXPECT_NE(seen.find("The device driver is not ready."), std::string::npos) << seen;
  EXPECT_EQ(seen.find("&No"), std::string::npos) << seen;
  Answer("Fast Forward Speed", IDOK, &(seen = ""), "12");
  EXPECT_EQ(boxes.Input("Enter the new speed in seconds", "Fast Forward Speed", "5"), "12");
  EXPECT_NE(seen.find("Enter the new speed in seconds"), std::string::npos) << seen;
  Answer("Fast Forward Speed", IDCANCEL, &(seen = ""), "13");
  EXPECT_EQ(boxes.Input("Enter the new speed in seconds", "Fast Forward Speed", "5"), "");
}

}  // namespace
}  // namespace lyrabox::windows

int main(int argc, char** argv) {
  // The started copy: its own path splits into several arguments, so look for the mark.
  for (int i = 1; i + 2 < argc; ++i) {
    if (std::string(argv[i]) != "--child") continue;
    STARTUPINFOA startup{};
    GetStartupInfoA(&startup);
    lyrabox::windows::WindowsDisks().ReplaceFile(argv[i + 2],
                                                 std::to_string(startup.wShowWindow));
    SetEvent(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[i + 1]));
    return 0;
  }
  // A started copy never runs the tests (which would start copies in turn).
  if (std::getenv("LYRABOX_TEST_CHILD") != nullptr) return 1;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
