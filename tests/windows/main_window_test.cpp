// The native window as a face of its controller (run under Wine): the end of the
// session, its query asking the close question and its end unloading, before the window
// goes. The rules themselves are tested once, with the controller; the clicks, the
// tooltip and a cancelled end end to end (tests/windows/demo_end_to_end.sh).
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fakes/fakes.h"
#include "ui/windows/main_window.h"

namespace lyrabox::windows {
namespace {

using lyrabox::testing::FakeWorld;

// Handles every message waiting for this thread, the posted close included.
void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

TEST(WindowsMainWindow, TheEndOfTheSessionRunsTheClosePathAndTheWindowGoes) {
  FakeWorld world;
  testing::InsertPlayingDisc(world);
  MainWindow form(world.platform, GetModuleHandleA(nullptr));
  HWND window = form.hwnd();
  form.Load();
  SendMessageA(window, WM_TIMER, 1, 0);  // the poll timer's tick: the poll scans the disc
  ASSERT_TRUE(form.controller().View().playing);

  world.journal.clear();
  EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  SendMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  Pump();

  EXPECT_EQ(world.journal, (std::vector<std::string>{
                               "question Bookmark & Save before Closing ? -> no",
                               "mci stop cd wait", "mci close all"}));
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace lyrabox::windows
