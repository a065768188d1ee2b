// Form1: the player's one window. It owns the Player (the state and every operation a
// window event runs) and the Lifecycle (load and unload), lays out the controls, and
// runs each event's operation through the event guard.
//
// Sizes: the window's layout is given in twips; at 15 twips a pixel the client area is
// 339 x 130 pixels below the menu bar. Qt scales logical pixels on dense screens, so the
// same numbers hold there.
//
// Thread: the user-interface thread only. An event that arrives while another event's
// operation is still running (possible only inside the nested event loop of a modal
// box) is dropped, so no poll or command ever starts in the middle of another one.
#pragma once

#include <QMainWindow>
#include <array>
#include <cstddef>

#include "engine/guard.h"
#include "engine/lifecycle.h"  // the load and unload sequences, below the window
#include "engine/player.h"
#include "engine/window.h"
#include "platform/platform.h"
#include "ui/layout/form1_layout.h"

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

class Form1 final : public QMainWindow, public Window {
  Q_OBJECT

 public:
  explicit Form1(platform::Platform& platform, QWidget* parent = nullptr);
  ~Form1() override;

  // The load event: runs the load sequence through the guard. Returns when the window
  // is to be shown; a load sequence that ends the program never returns.
  void Load();
  // Centres the window on its screen and shows it; called after Load has returned.
  void ShowCentred();

  // The tick of Timer1: the status poll, unless a box is open or the window has been
  // unloaded. Public so that a test can run one tick without a wall clock.
  void OnTimer1Tick();

  Player& player() { return player_; }

  // The given name's control ("stopbtn") as its widget.
  QWidget* ControlWidget(Control control) const;

  // --- Window ---------------------------------------------------------------------
  void SetEnabled(Control control, bool enabled) override;
  void SetText(Control control, std::string_view text) override;
  void SetTimerEnabled(bool enabled) override;
  platform::WindowHandle NativeHandle() override;

 signals:
  // An event's operation has run to its end (or was ended by an error the guard
  // showed): what the window shows may have changed. Not sent for dropped events.
  void EventRan();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Runs one event's operation through the guard, unless another event's operation is
  // still running: the event is then dropped.
  template <typename Operation>
  void RunEvent(Operation&& operation);

  void BuildControls(QWidget* client);
  void BuildMenu();
  void WireEvents();

  platform::Platform& platform_;
  Player player_;
  Lifecycle lifecycle_;

  EventGate events_;
  // The close prompt and the unload sequence ran; later close requests only close.
  bool unloaded_ = false;

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
  QTimer* Timer1_ = nullptr;
};

}  // namespace lyrabox
