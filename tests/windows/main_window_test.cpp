// SPDX-License-Identifier: GPL-3.0-or-later
// The native window as a face of its controller (run under Wine): the end of the
// session, its query asking the close question and its end unloading, before the window
// goes; the words a screen reader is given for each control; Enter on a button. The
// rules themselves are tested once, with the controller; the clicks, the tooltip and a
// cancelled end end to end (tests/windows/demo_end_to_end.sh).
#include <windows.h>
// The window's own translation unit defines oleacc's GUIDs; these refer to them.
#include <oleacc.h>

#include <chrono>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fakes/fakes.h"
#include "engine/spoken.h"
#include "ui/layout/accessible_names.h"
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

// The system's annotation service as the window meets it through COM, registered for
// this process in its place, recording what each control is given. (Wine's own takes
// nothing: its SetHwndPropStr is not implemented.)
class RecordedAnnotations final : public IAccPropServices, public IClassFactory {
 public:
  // Per control, the last "name" and "description" given; how many were.
  std::map<HWND, std::map<std::string, std::string>> given;
  int count = 0;

  RecordedAnnotations() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CoRegisterClassObject(CLSID_AccPropServices, static_cast<IClassFactory*>(this),
                          CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
  }
  ~RecordedAnnotations() {
    CoRevokeClassObject(cookie_);
    CoUninitialize();
  }

  HRESULT WINAPI QueryInterface(REFIID id, void** object) override {
    *object = nullptr;
    if (IsEqualIID(id, IID_IClassFactory)) *object = static_cast<IClassFactory*>(this);
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IAccPropServices)) {
      *object = static_cast<IAccPropServices*>(this);
    }
    return *object != nullptr ? S_OK : E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return 2; }  // lives on the test's stack
  ULONG WINAPI Release() override { return 1; }
  HRESULT WINAPI CreateInstance(IUnknown*, REFIID id, void** object) override {
    return QueryInterface(id, object);
  }
  HRESULT WINAPI LockServer(BOOL) override { return S_OK; }

  HRESULT WINAPI SetHwndPropStr(HWND control, DWORD object, DWORD child, MSAAPROPID property,
                                LPCWSTR text) override {
    EXPECT_EQ(object, static_cast<DWORD>(OBJID_CLIENT));
    EXPECT_EQ(child, static_cast<DWORD>(CHILDID_SELF));
    std::string narrow;
    for (const wchar_t* c = text; *c != 0; ++c) narrow += static_cast<char>(*c);
    given[control][IsEqualGUID(property, PROPID_ACC_NAME) ? "name" : "description"] = narrow;
    ++count;
    return S_OK;
  }
  HRESULT WINAPI ClearHwndProps(HWND, DWORD, DWORD, const MSAAPROPID*, int) override {
    return S_OK;
  }
  // Not used by the window.
  HRESULT WINAPI SetPropValue(const BYTE*, DWORD, MSAAPROPID, VARIANT) override { return E_FAIL; }
  HRESULT WINAPI SetPropServer(const BYTE*, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                               AnnoScope) override { return E_FAIL; }
  HRESULT WINAPI ClearProps(const BYTE*, DWORD, const MSAAPROPID*, int) override { return E_FAIL; }
  HRESULT WINAPI SetHwndProp(HWND, DWORD, DWORD, MSAAPROPID, VARIANT) override { return E_FAIL; }
  HRESULT WINAPI SetHwndPropServer(HWND, DWORD, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                                   AnnoScope) override { return E_FAIL; }
  HRESULT WINAPI ComposeHwndIdentityString(HWND, DWORD, DWORD, BYTE**, DWORD*) override {
    return E_FAIL;
  }
  HRESULT WINAPI DecomposeHwndIdentityString(const BYTE*, DWORD, HWND*, DWORD*, DWORD*) override {
    return E_FAIL;
  }
  HRESULT WINAPI SetHmenuProp(HMENU, DWORD, MSAAPROPID, VARIANT) override { return E_FAIL; }
  HRESULT WINAPI SetHmenuPropStr(HMENU, DWORD, MSAAPROPID, LPCWSTR) override { return E_FAIL; }
  HRESULT WINAPI SetHmenuPropServer(HMENU, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                                    AnnoScope) override { return E_FAIL; }
  HRESULT WINAPI ClearHmenuProps(HMENU, DWORD, const MSAAPROPID*, int) override { return E_FAIL; }
  HRESULT WINAPI ComposeHmenuIdentityString(HMENU, DWORD, BYTE**, DWORD*) override {
    return E_FAIL;
  }
  HRESULT WINAPI DecomposeHmenuIdentityString(const BYTE*, DWORD, HMENU*, DWORD*) override {
    return E_FAIL;
  }

 private:
  DWORD cookie_ = 0;
};

TEST(WindowsMainWindow, ScreenReadersAreGivenTheWordsOfTheQtWindow) {
  RecordedAnnotations annotations;
  FakeWorld world;
  testing::InsertPlayingDisc(world);
  MainWindow form(world.platform, GetModuleHandleA(nullptr));
  form.Load();
  SendMessageA(form.hwnd(), WM_TIMER, 1, 0);

  for (const layout::AccessibleText& text : layout::kAccessibleTexts) {
    HWND button = form.ControlWindow(text.control);
    EXPECT_EQ(annotations.given[button]["name"], text.name);
    EXPECT_EQ(annotations.given[button]["description"],
              layout::AccessibleDescription(text, std::chrono::seconds(5)));
  }
  HWND display = form.ControlWindow(Control::timeWindow);
  EXPECT_EQ(annotations.given[display]["name"], SpokenPosition(form.controller().View()));
  EXPECT_EQ(annotations.given[display]["description"], "Playing, track 2");
  EXPECT_EQ(annotations.given[form.ControlWindow(Control::totalplay)]["name"],
            SpokenTotals(form.controller().View()));

  // Another poll that finds the same: nothing is given again, so nothing is announced.
  const int given = annotations.count;
  SendMessageA(form.hwnd(), WM_TIMER, 1, 0);
  EXPECT_EQ(annotations.count, given);

  // Enter on the focused Pause button, as the dialog keys deliver it, presses it.
  SetFocus(form.ControlWindow(Control::pause));
  world.device.ClearLog();
  MSG enter{form.ControlWindow(Control::pause), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_TRUE(IsDialogMessageA(form.hwnd(), &enter));
  EXPECT_EQ(world.device.Commands().front(), "pause cd");

  // Gone, with the quit it posts taken, so that no later box of this thread sees it.
  DestroyWindow(form.hwnd());
  Pump();
}

}  // namespace
}  // namespace lyrabox::windows
