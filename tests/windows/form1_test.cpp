// The native window as a face of its controller (run under Wine): the end of the
// session in its two steps; the tooltip shows the view's names. The rules themselves
// are tested once, with the controller; the clicks end to end (windows-tests.sh).
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fakes/fakes.h"
#include "ui/windows/form1.h"

namespace lyrabox::windows {
namespace {

using lyrabox::testing::FakeWorld;

// Handles every message waiting for this thread, the posted close included.
void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// The end of the session in its two steps: WM_QUERYENDSESSION asks the close question
// and answers TRUE, stopping nothing; WM_ENDSESSION with TRUE unloads, and the window
// goes; with FALSE (another program cancelled the shutdown) the disc plays on.
TEST(WindowsForm1, TheSessionsQueryAsksAndItsEndUnloadsUnlessCancelled) {
  const std::string asked = "question Bookmark & Save before Closing ? -> no";
  const struct {
    const char* what;
    bool query;
    WPARAM end;
    std::vector<std::string> journal;
  } cases[] = {
      {"query, then the end", true, TRUE, {asked, "mci stop cd wait", "mci close all"}},
      {"query, then the end cancelled", true, FALSE, {asked}},
      {"the end alone", false, TRUE, {"mci stop cd wait", "mci close all"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeWorld world;
    testing::InsertPlayingDisc(world);
    Form1 form(world.platform, GetModuleHandleA(nullptr));
    HWND window = form.hwnd();
    form.Load();
    SendMessageA(window, WM_TIMER, 1, 0);  // Timer1's tick: the poll scans the disc
    ASSERT_TRUE(form.controller().View().playing);

    world.journal.clear();
    if (c.query) {
      EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
      Pump();
      EXPECT_EQ(world.journal, std::vector<std::string>{asked});  // nothing stopped yet
      ASSERT_TRUE(IsWindow(window));
    }
    SendMessageA(window, WM_ENDSESSION, c.end, ENDSESSION_LOGOFF);
    Pump();

    EXPECT_EQ(world.journal, c.journal);
    EXPECT_EQ(IsWindow(window) != FALSE, c.end == FALSE);
    if (IsWindow(window)) {
      SendMessageA(window, WM_TIMER, 1, 0);  // plays on: the poll runs
      EXPECT_EQ(world.journal.back(), "mci status cd mode");
      DestroyWindow(window);
      Pump();
    }
  }
}

// The time display's tooltip names the current track from the controller's view: the
// disc's own text, where the device gives one, in the system's tooltip control.
TEST(WindowsForm1, TheTooltipNamesTheCurrentTrack) {
  FakeWorld world;
  testing::InsertPlayingDisc(world);  // playing track 2
  DiscText text;
  text.album = {"Songs", "The Fixtures"};
  text.tracks[2] = {"Green Bar", ""};
  world.device.disc = platform::DiscSnapshot{1, {{Frames(150), true}}, Frames(80000), text};
  Form1 form(world.platform, GetModuleHandleA(nullptr));
  HWND tooltip = nullptr;  // the window's own
  for (HWND w = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); w != nullptr;
       w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) {
    if (GetWindow(w, GW_OWNER) == form.hwnd()) tooltip = w;
  }
  ASSERT_NE(tooltip, nullptr);
  const auto tip = [&form, tooltip] {
    wchar_t text[256] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V1_SIZE;
    tool.hwnd = form.hwnd();
    tool.uId = static_cast<UINT_PTR>(Form1::ControlId(Control::timeWindow));
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return std::wstring(text);
  };
  form.Load();
  EXPECT_EQ(tip(), L"");
  SendMessageA(form.hwnd(), WM_TIMER, 1, 0);  // the poll scans the disc
  EXPECT_EQ(tip(), L"Track 2: Green Bar, The Fixtures");

  text.tracks[2].title = "Caf\xc3\xa9";  // UTF-8, shown as such
  world.device.disc->text = text;
  world.device.Set("status cd media present", "false");
  SendMessageA(form.hwnd(), WM_TIMER, 1, 0);
  EXPECT_EQ(tip(), L"");
  world.device.Set("status cd media present", "true");
  SendMessageA(form.hwnd(), WM_TIMER, 1, 0);
  EXPECT_EQ(tip(), L"Track 2: Caf\u00e9, The Fixtures");
  DestroyWindow(form.hwnd());
  Pump();  // its end posts the quit, which no later box of this thread must see
}

}  // namespace
}  // namespace lyrabox::windows
