// SPDX-License-Identifier: GPL-3.0-or-later
// The main window (Form1) as a native Windows window: the same controls, captions,
// fonts, tab order, menu and timer as the Qt window, from the one layout table
// (ui/layout/), the same controller behind its events (engine/player_controller.h),
// which keeps the rules of the window, the same tooltip on the time display naming the
// current track, from the controller's view (the system's tooltip control), and the same
// words for a screen reader (accessible_annotations.h).
//
// Sizes: twips become pixels at the screen's dots per inch (15 twips a pixel at 96).
//
// Thread: the user-interface thread only.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "engine/player_controller.h"
#include "engine/window.h"
#include "platform/platform.h"
#include "ui/layout/main_window_layout.h"
#include "ui/windows/accessible_annotations.h"

namespace lyrabox::windows {

class MainWindow final : public Window {
 public:
  // Creates the window, hidden, with every control in its starting state. The program
  // file's icon (resource 1) is the window's icon.
  MainWindow(platform::Platform& platform, HINSTANCE instance);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // The load event. Returns when the window is to be shown; a load sequence that ends
  // the program never returns.
  void Load() { controller_.Load(); }
  // Centres the window on the screen's work area and shows it.
  void ShowCentred();
  // Runs the window until it has closed; returns the program's exit status.
  int Run();

  HWND hwnd() const { return window_; }
  PlayerController& controller() { return controller_; }
  HWND ControlWindow(Control control) const;
  // The command identifier of a control's click (also the control's identifier).
  static int ControlId(Control control) { return kFirstControlId + static_cast<int>(control); }
  static constexpr int kFfspeedId = 200;
  static constexpr int kAboutId = 201;

  // --- Window ---------------------------------------------------------------------
  void SetEnabled(Control control, bool enabled) override;
  void SetText(Control control, std::string_view text) override;
  void SetTimerEnabled(bool enabled) override;
  platform::WindowHandle NativeHandle() override;

 private:
  static constexpr int kFirstControlId = 100;
  static constexpr UINT_PTR kPollTimer = 1;

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void BuildControls(HINSTANCE instance, int dotsPerInch);
  void BuildMenu();
  void BuildTooltip(HINSTANCE instance);
  void OnCommand(int id);
  // From the view: the time display's tooltip, and what a screen reader says of the
  // displays and the buttons.
  void ShowView(const PlayerView& view);

  // Before the controller, whose view they show, and gone after the window.
  AccessibleAnnotations annotations_;
  PlayerController controller_;
  HWND window_ = nullptr;
  std::array<HWND, layout::kControls.size()> controls_{};
  // The tooltip control, owned by the window; its one tool is the time display, by the
  // display's id on this window.
  HWND tooltip_ = nullptr;
  std::wstring tooltipText_;  // what it shows now
  std::vector<HFONT> fonts_;
  bool timerOn_ = false;
};

}  // namespace lyrabox::windows
