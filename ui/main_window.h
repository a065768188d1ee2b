// SPDX-License-Identifier: GPL-3.0-or-later
// The main window (Form1): the player's one window, drawn with Qt. It lays out the
// controls from the layout table, forwards its events (the load, the poll timer's tick,
// the buttons, the menu item, the close box, the end of the session) to the controller
// it owns, and shows what the logic writes, and on the time display's tooltip the names
// of the current track from the controller's view. A screen reader is given words for
// every control (ui/layout/accessible_names.h, engine/spoken.h). The rules of the window
// live in the controller (engine/player_controller.h).
//
// Sizes: the window's layout is given in twips; at 15 twips a pixel the client area is
// 339 x 130 pixels below the menu bar. Qt scales logical pixels on dense screens, so the
// same numbers hold there.
//
// Thread: the user-interface thread only.
#pragma once

#include <QMainWindow>
#include <array>
#include <cstddef>

#include "engine/player_controller.h"
#include "engine/window.h"
#include "platform/platform.h"
#include "ui/layout/main_window_layout.h"

class QAction;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;

namespace lyrabox {

// The number of pixels that `twips` make at 15 twips a pixel (Qt scales these logical
// pixels on dense screens itself).
constexpr int TwipsToPixels(int twips) { return layout::PixelsAt(twips, 96); }

class MainWindow final : public QMainWindow, public Window {
  Q_OBJECT

 public:
  explicit MainWindow(platform::Platform& platform, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The load event. Returns when the window is to be shown; a load sequence that ends
  // the program never returns.
  void Load() { controller_.Load(); }
  // Centres the window on its screen and shows it; called after Load has returned.
  void ShowCentred();
  // Brings the window to the front, restored if it was minimised.
  void Raise();

  PlayerController& controller() { return controller_; }

  // The given name's control ("stopbtn") as its widget.
  QWidget* ControlWidget(Control control) const;

  // --- Window ---------------------------------------------------------------------
  void SetEnabled(Control control, bool enabled) override;
  void SetText(Control control, std::string_view text) override;
  void SetTimerEnabled(bool enabled) override;
  platform::WindowHandle NativeHandle() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  // The buttons' keys: Enter presses the focused button.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls(QWidget* client);
  void BuildMenu();
  void WireEvents();
  // From the view: the time display's tooltip, and what a screen reader says of the
  // displays and the buttons.
  void ShowView(const PlayerView& view);

  PlayerController controller_;

  QLineEdit* timeWindow_ = nullptr;
  QPushButton* play_ = nullptr;
  QPushButton* pause_ = nullptr;
  QPushButton* stopbtn_ = nullptr;
  QPushButton* btrack_ = nullptr;
  QPushButton* ftrack_ = nullptr;
  QPushButton* rew_ = nullptr;
  QPushButton* ff_ = nullptr;
  QPushButton* eject_ = nullptr;
  QLabel* totalplay_ = nullptr;
  QLabel* tracktime_ = nullptr;
  QPushButton* Bookmark_ = nullptr;
  QMenu* options_ = nullptr;
  QAction* ffspeed_ = nullptr;
  QAction* about_ = nullptr;
  QTimer* pollTimer_ = nullptr;
};

}  // namespace lyrabox
