// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/player_controller.h"

#include <string_view>

#include "base/identity.h"

namespace lyrabox {
namespace {

using PlayerOperation = void (Player::*)();

// Which operation of the player each button's click runs.
struct ClickOperation {
  Control control;
  PlayerOperation operation;
};
constexpr ClickOperation kClicks[] = {
    {Control::play, &Player::Play},
    {Control::pause, &Player::Pause},
    {Control::stopbtn, &Player::Stop},
    {Control::eject, &Player::Eject},
    {Control::ff, &Player::FastForward},
    {Control::rew, &Player::Rewind},
    {Control::ftrack, &Player::NextTrack},
    {Control::btrack, &Player::PreviousTrack},
    {Control::Bookmark, &Player::StopAndBookmark},
};

}  // namespace

void PlayerController::Controls::SetEnabled(Control control, bool on) {
  enabled[static_cast<std::size_t>(control)] = on;
  face_.SetEnabled(control, on);
}

void PlayerController::Controls::SetText(Control control, std::string_view text) {
  face_.SetText(control, text);
}

void PlayerController::Boxes::Message(std::string_view text) {
  if (!unseen) face_.Message(text);
}

bool PlayerController::Boxes::Question(std::string_view text) {
  return !unseen && face_.Question(text);
}

std::string PlayerController::Boxes::Input(std::string_view prompt, std::string_view title,
                                          std::string_view defaultText) {
  return unseen ? std::string() : face_.Input(prompt, title, defaultText);
}

PlayerController::PlayerController(platform::Platform& platform, Window& face)
    : controls_(face),
      boxes_(platform.boxes),
      platform_{platform.device, platform.disks, platform.process, boxes_},
      player_(platform_, controls_),
      lifecycle_(player_) {}

template <typename Operation>
void PlayerController::Run(Operation&& operation) {
  if (unloaded_) return;
  if (!events_.Run(platform_, operation)) return;
  FollowDisc();
  Publish();
}

void PlayerController::Load() {
  Run([this] { lifecycle_.Load(); });
}

void PlayerController::Tick() {
  Run([this] { player_.TimerTick(); });
}

Refusal PlayerController::Refuses(Control control) const {
  if (unloaded_) return Refusal::Unloaded;
  if (events_.Running()) return Refusal::AnotherEvent;
  if (!controls_.enabled[static_cast<std::size_t>(control)]) return Refusal::Disabled;
  return Refusal::None;
}

bool PlayerController::Click(Control control) {
  if (Refuses(control) != Refusal::None) return false;
  for (const ClickOperation& click : kClicks) {
    if (click.control != control) continue;
    Run([this, &click] { (player_.*click.operation)(); });
    return true;
  }
  return false;
}

bool PlayerController::Seek(std::chrono::seconds offset) {
  if (Refuses(offset < std::chrono::seconds(0) ? Control::rew : Control::ff) != Refusal::None) {
    return false;
  }
  Run([this, offset] { player_.MoveBy(offset); });
  return true;
}

void PlayerController::ChooseFastForwardSpeed() {
  Run([this] { player_.FastForwardStep(); });
}

void PlayerController::About() {
  Run([this] { boxes_.Message(identity::kAbout); });
}

bool PlayerController::CloseRequest() {
  if (unloaded_) return true;
  if (events_.Running()) return false;
  Run([this] { player_.ClosePrompt(); });
  Run([this] { lifecycle_.Unload(); });
  Unload();
  return true;
}

void PlayerController::SessionQuery() {
  Run([this] { player_.ClosePrompt(); });
}

void PlayerController::SessionEnd() {
  if (unloaded_) return;
  boxes_.unseen = true;
  // Not through the gate, which holds the event whose box is open.
  RunGuarded(platform_, [this] { lifecycle_.Unload(); });
  Unload();
}

void PlayerController::Unload() {
  unloaded_ = true;
  controls_.SetTimerEnabled(false);
  Publish();
}

std::size_t PlayerController::Observe(std::function<void(const PlayerView&)> observer) {
  observers_.emplace(nextObserver_, std::move(observer));
  return nextObserver_++;
}

void PlayerController::StopObserving(std::size_t key) { observers_.erase(key); }

void PlayerController::FollowDisc() {
  if (player_.disc == followed_) return;
  followed_ = player_.disc;
  ++discsFollowed_;
  names_ = {};
  if (!followed_ || !followed_->snapshot) return;
  const platform::DiscSnapshot& disc = *followed_->snapshot;
  if (!disc.text.Empty()) {
    names_ = disc.text;
    return;
  }
  if (namesSource_ == nullptr) return;
  namesSource_->Find(disc, [self = std::weak_ptr(self_), asked = discsFollowed_](DiscText found) {
    const std::shared_ptr<PlayerController*> alive = self.lock();
    if (!alive) return;
    PlayerController& controller = **alive;
    // Another disc since, or the window gone: nobody is left to show these to.
    if (asked != controller.discsFollowed_ || controller.unloaded_) return;
    controller.names_ = std::move(found);
    controller.Publish();
  });
}

void PlayerController::Publish() {
  view_ = Read();
  // An observer may stop observing from its call.
  const auto observers = observers_;
  for (const auto& [key, observer] : observers) observer(view_);
}

PlayerView PlayerController::Read() const {
  const PlayerState& state = player_.state;
  PlayerView view;
  view.mode = player_.mode;
  view.playing = state.Playing;
  view.fastForwardStep = std::chrono::seconds(state.FFSpeed);
  view.enabled = controls_.enabled;
  if (!state.DiscReady) return view;

  if (player_.disc) {
    view.discId = player_.disc->id;
    view.discLength = player_.disc->length;
  }
  view.trackCount = state.TrackCount;
  view.track = state.CurTrack;
  if (state.CurTrack >= 1 && static_cast<std::size_t>(state.CurTrack) < state.TrackLength.size()) {
    view.trackLength = LengthOfText(state.TrackLength[static_cast<std::size_t>(state.CurTrack)])
                           .value_or(Frames(0));
  }
  view.position = std::chrono::minutes(state.CurMin) + std::chrono::seconds(state.CurSec);
  const TitleAndPerformer own = names_.Track(state.CurTrack);
  view.names = {names_.album.title, names_.album.performer, own.title,
                own.performer.empty() ? names_.album.performer : own.performer};
  return view;
}

}  // namespace lyrabox
