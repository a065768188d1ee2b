// Placeholders for operations not written yet, so that everything links meanwhile.
// Whoever writes an operation removes its line here; this file goes when empty.
#include <stdexcept>

#include "engine/player.h"

namespace lyrabox {
namespace {
[[noreturn]] void Pending(const char* what) { throw std::logic_error(what); }
}  // namespace

void Player::Play() { Pending("Play"); }
void Player::Stop() { Pending("Stop"); }
void Player::Pause() { Pending("Pause"); }
void Player::Eject() { Pending("Eject"); }
void Player::FastForward() { Pending("FastForward"); }
void Player::Rewind() { Pending("Rewind"); }
void Player::NextTrack() { Pending("NextTrack"); }
void Player::PreviousTrack() { Pending("PreviousTrack"); }
void Player::FastForwardStep() { Pending("FastForwardStep"); }
void Player::MoveBy(std::int64_t) { Pending("MoveBy"); }

}  // namespace lyrabox
