// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/windows/main_window.h"

#include <commctrl.h>

#include <cmath>
#include <string>

#include "engine/spoken.h"
#include "ui/layout/accessible_names.h"
#include "ui/windows/wide_text.h"

namespace lyrabox::windows {
namespace {

constexpr char kClassName[] = "LyraboxMainWindow";
// A fixed single border, a system menu with the close box, and minimise (of the two,
// minimise is the one offered).
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

const char* FaceName(layout::Face face) {
  return face == layout::Face::Arial ? layout::kArialFace : layout::kSansSerifFace;
}

HFONT MakeFont(const layout::ControlLayout& control, int dotsPerInch) {
  const int height = -static_cast<int>(std::lround(control.points * dotsPerInch / 72.0));
  return CreateFontA(height, 0, 0, 0, control.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, FaceName(control.face));
}

int ScreenDotsPerInch() {
  HDC screen = GetDC(nullptr);
  const int dotsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dotsPerInch > 0 ? dotsPerInch : 96;
}

}  // namespace

MainWindow::MainWindow(platform::Platform& platform, HINSTANCE instance)
    : controller_(platform, *this) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &MainWindow::Procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // the arrow
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  RegisterClassExA(&windowClass);

  const int dotsPerInch = ScreenDotsPerInch();
  RECT frame{0, 0, layout::PixelsAt(layout::kClientWidth, dotsPerInch),
             layout::PixelsAt(layout::kClientHeight, dotsPerInch)};
  AdjustWindowRectEx(&frame, kStyle, TRUE, 0);
  window_ = CreateWindowExA(0, kClassName, layout::kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr,
                            nullptr, instance, this);
  BuildMenu();
  // The menu bar may take more than one line's room after all: make the client area
  // exactly the designed size below it.
  RECT client{};
  GetClientRect(window_, &client);
  RECT outer{};
  GetWindowRect(window_, &outer);
  const int wantWidth = layout::PixelsAt(layout::kClientWidth, dotsPerInch);
  const int wantHeight = layout::PixelsAt(layout::kClientHeight, dotsPerInch);
  SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left + wantWidth - client.right,
               outer.bottom - outer.top + wantHeight - client.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  BuildControls(instance, dotsPerInch);
  BuildTooltip(instance);
  controller_.Observe([this](const PlayerView& view) { ShowView(view); });
}

MainWindow::~MainWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
  for (HFONT font : fonts_) DeleteObject(font);
}

void MainWindow::BuildControls(HINSTANCE instance, int dotsPerInch) {
  // Made in tab order: the dialog keys move through the controls in the order made.
  for (const layout::ControlLayout& control : layout::kControls) {
    const char* windowClass = "BUTTON";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD extended = 0;
    switch (control.kind) {
      case layout::Kind::TextBox:
        windowClass = "EDIT";
        style |= ES_CENTER | ES_READONLY | ES_AUTOHSCROLL;
        extended = WS_EX_CLIENTEDGE;
        break;
      case layout::Kind::Label:
        windowClass = "STATIC";
        style |= SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX;
        break;
      case layout::Kind::Button:
        style |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
    }
    if (!control.enabled) style |= WS_DISABLED;
    HWND child = CreateWindowExA(
        extended, windowClass, control.caption, style, layout::PixelsAt(control.left, dotsPerInch),
        layout::PixelsAt(control.top, dotsPerInch), layout::PixelsAt(control.width, dotsPerInch),
        layout::PixelsAt(control.height, dotsPerInch), window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(control.control))), instance,
        nullptr);
    HFONT font = MakeFont(control, dotsPerInch);
    fonts_.push_back(font);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    controls_[static_cast<std::size_t>(control.control)] = child;
  }
}

void MainWindow::BuildTooltip(HINSTANCE instance) {
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&classes);
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
  // The display is disabled, and a disabled window gets no mouse messages: the tool is
  // its rectangle on this window, which gets them instead.
  HWND display = ControlWindow(Control::timeWindow);
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V1_SIZE;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = static_cast<UINT_PTR>(ControlId(Control::timeWindow));
  GetWindowRect(display, &tool.rect);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&tool.rect), 2);
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  // A long name wraps at the width of the window rather than running off the screen.
  RECT client{};
  GetClientRect(window_, &client);
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, client.right);
}

void MainWindow::ShowView(const PlayerView& view) {
  // The names are UTF-8; the window is otherwise in the system's ANSI character set.
  std::wstring text = FromUtf8(TrackTooltip(view));
  if (text != tooltipText_) {
    tooltipText_ = std::move(text);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V1_SIZE;
    tool.hwnd = window_;
    tool.uId = static_cast<UINT_PTR>(ControlId(Control::timeWindow));
    tool.lpszText = tooltipText_.data();
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }

  // What a screen reader says, as in the Qt window: the time display's name runs with
  // the position (it never takes the focus, so it is read, not announced); its
  // description changes once for each change of the mode or the track.
  annotations_.Set(ControlWindow(Control::timeWindow), SpokenPosition(view), SpokenState(view));
  annotations_.Set(ControlWindow(Control::totalplay), SpokenTotals(view), "");
  annotations_.Set(ControlWindow(Control::tracktime), SpokenTrackLength(view), "");
  for (const layout::AccessibleText& text : layout::kAccessibleTexts) {
    annotations_.Set(ControlWindow(text.control), text.name,
                     layout::AccessibleDescription(text, view.fastForwardStep));
  }
}

void MainWindow::BuildMenu() {
  HMENU bar = CreateMenu();
  HMENU options = CreatePopupMenu();
  AppendMenuA(options, MF_STRING, kFfspeedId, layout::kFfspeedItem);
  AppendMenuA(options, MF_STRING, kAboutId, layout::kAboutItem);
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(options), layout::kOptionsMenu);
  SetMenu(window_, bar);
}

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* form = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (form == nullptr || form->window_ != window) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return form->Handle(message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = window_;
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == 0) OnCommand(LOWORD(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == kPollTimer) controller_.Tick();
      return 0;
    case WM_CTLCOLORSTATIC:
      // The time display: the system's window-text colour as its ground, its
      // scroll-bar colour for the digits.
      if (reinterpret_cast<HWND>(lParam) == ControlWindow(Control::timeWindow)) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_SCROLLBAR));
        SetBkColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOWTEXT));
      }
      break;
    case WM_CLOSE:
      if (controller_.CloseRequest()) DestroyWindow(window_);
      return 0;
    case WM_QUERYENDSESSION:
      // Log-off or shutdown asks first: the close question now, while a box may still
      // be shown. Nothing stops yet: another program may still cancel the end.
      controller_.SessionQuery();
      return TRUE;
    case WM_ENDSESSION:
      // The end after all, which does not wait for a box of ours: the unload, so that a
      // disc playing through the drive's own output stops with the session, then the
      // window goes. Cancelled (FALSE), the disc plays on.
      if (wParam) {
        controller_.SessionEnd();
        DestroyWindow(window_);
      }
      return 0;
    case WM_DESTROY:
      KillTimer(window_, kPollTimer);
      annotations_.Clear();
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void MainWindow::OnCommand(int id) {
  if (id == kFfspeedId) {
    controller_.ChooseFastForwardSpeed();
    return;
  }
  if (id == kAboutId) {
    controller_.About();
    return;
  }
  // Enter, which the dialog keys turn into IDOK in a window without a default button:
  // it presses the button that has the focus, as Space does.
  if (id == IDOK) {
    HWND focus = GetFocus();
    if (focus == nullptr || GetParent(focus) != window_) return;
    id = GetDlgCtrlID(focus);
  }
  for (const layout::ControlLayout& control : layout::kControls) {
    if (id == ControlId(control.control)) controller_.Click(control.control);
  }
}

void MainWindow::ShowCentred() {
  RECT area{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT outer{};
  GetWindowRect(window_, &outer);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
}

int MainWindow::Run() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    // The dialog keys: Tab and Shift+Tab move through the controls in tab order.
    if (window_ != nullptr && IsDialogMessageA(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

HWND MainWindow::ControlWindow(Control control) const {
  return controls_[static_cast<std::size_t>(control)];
}

void MainWindow::SetEnabled(Control control, bool enabled) {
  EnableWindow(ControlWindow(control), enabled ? TRUE : FALSE);
}

void MainWindow::SetText(Control control, std::string_view text) {
  SetWindowTextA(ControlWindow(control), std::string(text).c_str());
}

void MainWindow::SetTimerEnabled(bool enabled) {
  // Switching on a running timer leaves its next tick where it was.
  if (enabled && !timerOn_) {
    SetTimer(window_, kPollTimer, layout::kPollIntervalMs, nullptr);
  } else if (!enabled) {
    KillTimer(window_, kPollTimer);
  }
  timerOn_ = enabled;
}

platform::WindowHandle MainWindow::NativeHandle() {
  return reinterpret_cast<platform::WindowHandle>(window_);
}

}  // namespace lyrabox::windows
