// SPDX-License-Identifier: GPL-3.0-or-later
// The player's controller: the rules of its window (Form1), kept once for every face of
// the player.
//
// A face (the Qt window in ui/, the native Windows window in ui/windows/) draws the
// controls from the layout table, forwards its events here and shows what the logic
// writes. The desktop's media controls (ui/mpris/) observe the view published here and
// press buttons through Click. Every face reads the player's state and the disc's
// names from that view (engine/player_view.h) alone. The rules:
//
// - One event at a time. A box runs a nested event loop; an event that arrives there
//   (a tick, a click, the menu item, a close request) is dropped, so that no poll or
//   command ever starts in the middle of another. Boxes open only inside events, so
//   the poll never runs while a box is open.
// - A control ignores its click while it is disabled, whoever delivers the click (a
//   message posted to a disabled button, the media controls); the media controls are
//   told that the click was refused, and why (Refuses).
// - A close request runs the close prompt, then the unload sequence, and then nothing
//   more: later ticks, clicks and close requests run nothing.
// - The end of the session (log-off, shutdown) comes in two steps: the query, which may
//   ask the close question but ends nothing, since the end may yet be cancelled, and
//   the end, which unloads at once (SessionQuery, SessionEnd).
// - A run-time error that an event raises is shown in a box and ends the program
//   (engine/guard.h).
// - The names of a disc are its own text, taken when the poll scans it; for a disc
//   without any, what the names source finds (FindNamesWith), once it has.
//
// Thread: the user-interface thread only.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "base/disc_text.h"
#include "engine/guard.h"
#include "engine/lifecycle.h"
#include "engine/names_source.h"
#include "engine/player.h"
#include "engine/player_view.h"
#include "engine/window.h"
#include "platform/platform.h"

namespace lyrabox {

// Why the controller does not run a click now.
enum class Refusal {
  None,          // it runs it
  AnotherEvent,  // another event runs (its box is open)
  Disabled,      // the control is disabled, or is no button
  Unloaded,      // the window has closed
};

class PlayerController final {
 public:
  // `face` draws what the logic writes and gives the window's native handle;
  // `platform` is the world, its boxes the face's own. Both must outlive this object.
  PlayerController(platform::Platform& platform, Window& face);
  PlayerController(const PlayerController&) = delete;
  PlayerController& operator=(const PlayerController&) = delete;

  // The load event, before the window is first shown. Returns when the window is to
  // be shown; a load sequence that ends the program never returns.
  void Load();
  // A tick of Timer1: the status poll.
  void Tick();
  // Whether a click of `control` would run now, and why not.
  Refusal Refuses(Control control) const;
  // A click of `control`: the operation of that button, unless the controller refuses
  // it (Refuses). True when it ran.
  bool Click(Control control);
  // A move of the play position by `offset`, back when negative: the move of fast
  // forward and rewind (Player::MoveBy) by the amount asked instead of their step,
  // refused as a click of ff (forward) or rew (back) is. True when it ran.
  bool Seek(std::chrono::seconds offset);
  // The "Fast forward speed" item of the "Options" menu.
  void ChooseFastForwardSpeed();
  // The "About" item of the "Options" menu: identity::kAbout in a message box.
  void About();
  // A request to close the window (its close box, its system menu, the media
  // controls' Quit). True when the window may go: the close prompt and the unload
  // sequence have run, now or before. False while another event runs (its box is
  // open): the window stays, and that event finishes first.
  bool CloseRequest();
  // The session asks whether it may end (Qt's commitDataRequest, Windows'
  // WM_QUERYENDSESSION): the close prompt, as a close request asks it (Yes saves the
  // bookmark), unless another event runs (its box is open). Nothing stops and nothing
  // is unloaded: another program may still cancel the end, and the disc plays on.
  void SessionQuery();
  // The session ends (Qt's aboutToQuit, Windows' WM_ENDSESSION with wParam TRUE): the
  // unload sequence, without a question, at once, even in the middle of the event
  // whose box is open, so that the disc never plays on after the session; from then on
  // no box appears (the rest of that event is answered No, Cancel and OK unseen) and
  // nothing more runs. The face then goes. Nothing once the window has been unloaded.
  void SessionEnd();

  // Where the names of a disc without text of its own are looked up; none until this
  // is called. `source` must outlive this object.
  void FindNamesWith(NamesSource& source) { namesSource_ = &source; }

  // The view as it stood after the last event that ran, or the names found since.
  const PlayerView& View() const { return view_; }
  // Calls `observer` with the view after each event that ran (not for dropped ones),
  // and when the names of the disc have been found. Returns the key that
  // StopObserving takes.
  std::size_t Observe(std::function<void(const PlayerView&)> observer);
  void StopObserving(std::size_t key);

  bool Unloaded() const { return unloaded_; }

 private:
  // Between the player and the face: keeps what the controls' state is and draws it.
  class Controls final : public Window {
   public:
    explicit Controls(Window& face) : face_(face) {}
    void SetEnabled(Control control, bool enabled) override;
    void SetText(Control control, std::string_view text) override;
    void SetTimerEnabled(bool enabled) override { face_.SetTimerEnabled(enabled); }
    platform::WindowHandle NativeHandle() override { return face_.NativeHandle(); }
    std::array<bool, PlayerView::kControls> enabled{};

   private:
    Window& face_;
  };
  // The face's boxes, or none at all once the session is ending.
  class Boxes final : public platform::Boxes {
   public:
    explicit Boxes(platform::Boxes& face) : face_(face) {}
    void Message(std::string_view text) override;
    bool Question(std::string_view text) override;
    std::string Input(std::string_view prompt, std::string_view title,
                      std::string_view defaultText) override;
    bool unseen = false;

   private:
    platform::Boxes& face_;
  };

  // Runs one event's operation through the gate and the guard, unless the window has
  // been unloaded; then publishes the view.
  template <typename Operation>
  void Run(Operation&& operation);
  void Unload();
  // Follows the disc the last event left scanned: its own names, or a lookup of them.
  void FollowDisc();
  void Publish();
  PlayerView Read() const;

  Controls controls_;
  Boxes boxes_;
  platform::Platform platform_;
  Player player_;
  Lifecycle lifecycle_;
  EventGate events_;
  bool unloaded_ = false;
  PlayerView view_;
  std::map<std::size_t, std::function<void(const PlayerView&)>> observers_;
  std::size_t nextObserver_ = 0;

  NamesSource* namesSource_ = nullptr;
  std::optional<ScannedDisc> followed_;  // the disc whose names these are
  std::uint64_t discsFollowed_ = 0;      // tells a lookup's late answer from a stale one
  DiscText names_;
  // What a lookup's answer holds on to: it finds nothing to answer once this is gone.
  std::shared_ptr<PlayerController*> self_ = std::make_shared<PlayerController*>(this);
};

}  // namespace lyrabox
