// SPDX-License-Identifier: GPL-3.0-or-later
// The player: its state, its reply buffers, the device channel and every operation that
// a window event runs. The player's controller owns one Player for the window's whole
// life; the logic here touches the world only through platform::Platform and the Window
// interface.
//
// Every operation runs on the user-interface thread and blocks until the device has
// answered. Failures that end the program are thrown as RuntimeError and reach the
// event guard (guard.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/reply_buffer.h"
#include "engine/window.h"
#include "platform/platform.h"

namespace lyrabox {

// A truth value of the player state: 16 bits, true is all bits set, false is 0.
class Flag {
 public:
  constexpr Flag(bool value = false) : bits_(value ? -1 : 0) {}
  constexpr operator bool() const { return bits_ != 0; }

 private:
  std::int16_t bits_;
};

struct PlayerState {
  std::int32_t FFSpeed = 0;  // seconds that fast forward and rewind move
  Flag Playing;              // the program's belief that the disc is playing
  Flag DiscReady;            // the disc now in the drive has been scanned
  std::int16_t TrackCount = 0;
  // Each track's length as the device's reply text; index 0 is unused so that
  // TrackLength[n] is track n (indices 1 to TrackCount).
  std::vector<std::string> TrackLength;
  std::int16_t CurTrack = 0;
  std::int16_t CurMin = 0;
  std::int16_t CurSec = 0;
  std::string MciCmd;  // the command text last composed
  std::int16_t BmMin = 0;
  std::int16_t BmTrack = 0;
  std::int16_t BmSec = 0;
};

// The disc the scan found, as it was then: its id and one look at it through the
// device channel.
struct ScannedDisc {
  std::string id;  // GetDiscId's
  Frames length{0};  // the whole disc's, as the scan read it; 0 when not readable
  // Nothing from a device that tells no more than its command strings.
  std::optional<platform::DiscSnapshot> snapshot;
  bool operator==(const ScannedDisc&) const = default;
};

// The device's mode as the status poll last read it. Playing and paused are told
// apart; every other mode (stopped, seeking, open, not ready) and no disc at all count
// as stopped.
enum class PlayMode { Stopped, Playing, Paused };

// The command texts that more than one operation sends.
namespace command {
inline constexpr std::string_view kOpen = "open cdaudio alias cd wait shareable";
inline constexpr std::string_view kTimeFormatTmsfWait = "set cd time format tmsf wait";
inline constexpr std::string_view kStopWait = "stop cd wait";
inline constexpr std::string_view kCloseAll = "close all";
inline constexpr std::string_view kSeekToStart = "seek cd to 1";
inline constexpr std::string_view kPosition = "status cd position";
inline constexpr std::string_view kPlayFrom = "play cd from ";
inline constexpr std::string_view kSeekTo = "seek cd to ";
}  // namespace command

// The CD drive's root when no drive setting names one.
inline constexpr std::string_view kDefaultCdDrive = "d:\\";

// The fast-forward and rewind step, in seconds, at every start.
inline constexpr std::int32_t kStartingFastForwardSeconds = 5;

class Player {
 public:
  Player(platform::Platform& platform, Window& window);

  PlayerState state;

  // The root path of the CD drive with its trailing backslash ("d:\"); set once by
  // the load sequence.
  std::string CdDrive{kDefaultCdDrive};

  // The mode the poll last read, parsed where it reads it; what the desktop is shown.
  PlayMode mode = PlayMode::Stopped;

  // The disc in the drive, taken once when the poll scans it; nothing while no disc
  // is scanned (exactly while DiscReady is false).
  std::optional<ScannedDisc> disc;

  // Persistent buffers; each belongs to one operation and nothing clears them.
  std::int32_t MciError = 0;           // SendMci's last result code
  ReplyBuffer<200> MciErrorText;       // SendMci's error text
  ReplyBuffer<30> StatusReply;         // the status poll's replies
  ReplyBuffer<30> BookmarkReply;       // the bookmark save's position reply

  // --- The device channel ---------------------------------------------------------
  // The checked send: the result code lands in MciError; with reportErrors and a
  // failure, the device's error text is shown in a box. True on success.
  bool SendMci(std::string_view command, bool reportErrors);
  // The direct send: no reply, no callback window, the result dropped.
  void DirectSend(std::string_view command);
  // A status query into `buffer`, with no callback window; a failed query leaves the
  // buffer as it was. The result code never reaches MciError and nothing is shown;
  // it is returned for the readers that must not trust a failed query's buffer (the
  // poll, the scan, fast forward and rewind, the bookmark save).
  template <std::size_t N>
  platform::MciResult StatusQuery(std::string_view query, ReplyBuffer<N>& buffer) {
    return platform_.device.SendString(query, buffer.chars.data(),
                                       static_cast<std::uint32_t>(N), 0);
  }

  // --- The status poll --------------------------------------------------------------
  void RefreshStatus();
  void TimerTick();  // the tick of Timer1: the poll and nothing else

  // --- Transport commands -----------------------------------------------------------
  void Play();
  void Stop();
  void Pause();
  void Eject();

  // --- Seek and skip ----------------------------------------------------------------
  void FastForward();  // MoveBy the step FFSpeed
  void Rewind();       // MoveBy the step FFSpeed back
  // Moves the play position by `offset`, back when negative: while playing it plays
  // from the new place, otherwise it only seeks there. A place before the start or past
  // the end of the disc is refused by the device, silently: nothing moves. The display
  // is brought up to date (RefreshStatus).
  void MoveBy(std::chrono::seconds offset);
  void NextTrack();
  void PreviousTrack();
  void FastForwardStep();  // the "Fast forward speed" menu item

  // --- Start-up ---------------------------------------------------------------------
  // The state every start begins with: no bookmark, no scanned disc, the default
  // drive and the starting fast-forward step.
  void ResetForStart();
  // The resume of a start by AutoPlay: the display brought up to date, the disc to
  // its start, then played from the bookmark in BmTrack, BmMin, BmSec. A refused play
  // shows nothing: the next poll reads the true mode back.
  void ResumeAtBookmark();

  // --- Bookmarks --------------------------------------------------------------------
  // Reads the current disc's bookmark into BmTrack, BmMin, BmSec; false (fields
  // untouched) when the disc has none. A bookmark file that cannot be read, or holds
  // fewer than three fields, counts as none; nothing is shown.
  bool ReadBookmark();
  // Saves the current position, less three seconds, as the disc's bookmark, making
  // the data directory when it is missing and replacing the file atomically. True
  // when the bookmark was written; BmTrack, BmMin, BmSec then hold it.
  // When the position cannot be read (the device refuses the query or answers with
  // something that is not a position) or the file cannot be written, nothing is
  // written, the old bookmark file and the three fields stay as they were, one box
  // says that the bookmark was not saved and why (with the device's error text when
  // it has one), and the result is false. It never ends the program.
  bool BookMarkSave();
  // The "Stop && Bookmark" button: saves, then stops the disc even when the save
  // failed.
  void StopAndBookmark();
  // A close request of the window: while playing, offers to save. Never cancels
  // the close.
  void ClosePrompt();

  platform::Platform& platform() { return platform_; }
  Window& window() { return window_; }

 private:
  // The disc scan of the status poll; false when the disc has no audio track files
  // and stays unscanned.
  bool ScanDisc();
  // Reads the position and mode of a scanned disc and redraws the time displays.
  void ShowPosition();
  // Plays from the bookmark in BmTrack, BmMin, BmSec by a direct send, and believes
  // the disc is playing.
  void PlayFromBookmark();

  platform::Platform& platform_;
  Window& window_;
};

}  // namespace lyrabox
