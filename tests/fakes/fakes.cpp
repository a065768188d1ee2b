// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/fakes/fakes.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/ascii.h"
#include "platform/runtime_error.h"

namespace lyrabox::testing {
namespace {

void Note(Journal* journal, std::string line) {
  if (journal != nullptr) journal->push_back(std::move(line));
}

void RunOnce(std::function<void()>& action) {
  if (std::function<void()> now = std::exchange(action, nullptr)) now();
}

}  // namespace

// --- FakeDevice -----------------------------------------------------------------------

void FakeDevice::On(const std::string& command, std::string reply, platform::MciResult code) {
  script_[command].push_back(Answer{std::move(reply), code});
}

void FakeDevice::Fail(const std::string& command, platform::MciResult code) {
  script_[command].push_back(Answer{std::nullopt, code});
}

void FakeDevice::Set(const std::string& command, std::string reply, platform::MciResult code) {
  script_[command].assign(1, Answer{std::move(reply), code});
}

platform::MciResult FakeDevice::SendString(std::string_view command, char* reply,
                                           std::uint32_t replyLength,
                                           platform::WindowHandle callback) {
  sent.push_back(SentCommand{std::string(command), replyLength, callback});
  Answer answer = unscripted;
  auto found = script_.find(std::string(command));
  if (found != script_.end() && !found->second.empty()) {
    answer = found->second.front();
    if (found->second.size() > 1) found->second.pop_front();
  }
  Note(journal, "mci " + std::string(command));
  // As the real channel: a refusal or an empty answer writes nothing at all.
  if (answer.code == 0 && answer.reply && !answer.reply->empty() && replyLength > 0) {
    std::size_t n = std::min<std::size_t>(answer.reply->size(), replyLength - 1);
    std::memcpy(reply, answer.reply->data(), n);
    reply[n] = '\0';
  }
  return answer.code;
}

bool FakeDevice::GetErrorString(platform::MciResult code, char* text, std::uint32_t length) {
  auto found = errorTexts.find(code);
  if (found == errorTexts.end() || length == 0) return false;
  std::size_t n = std::min<std::size_t>(found->second.size(), length - 1);
  std::memcpy(text, found->second.data(), n);
  text[n] = '\0';
  return true;
}

std::vector<std::string> FakeDevice::Commands() const {
  std::vector<std::string> commands;
  for (const auto& s : sent) commands.push_back(s.command);
  return commands;
}

// --- FakeDisks ------------------------------------------------------------------------

std::string FakeDisks::Key(std::string_view path) {
  std::string key(path);
  for (char& c : key) c = ascii::ToLower(c);
  while (key.size() > 3 && key.back() == '\\') key.pop_back();  // "c:\x\" is "c:\x"
  return key;
}

std::string FakeDisks::Parent(const std::string& key) {
  std::size_t cut = key.find_last_of('\\');
  if (cut == std::string::npos) return "";
  if (cut == 2) return key.substr(0, 3);  // the root "c:\"
  return key.substr(0, cut);
}

bool FakeDisks::FolderExists(const std::string& key) const {
  if (key.size() == 3 && key[1] == ':') return true;  // every root exists
  auto found = entries_.find(key);
  return found != entries_.end() && found->second.kind == Kind::Folder;
}

void FakeDisks::AddFolder(const std::string& path) {
  std::string key = Key(path);
  if (key.size() <= 3) return;
  AddFolder(Parent(key));
  entries_[key] = Entry{Kind::Folder, ""};
}

void FakeDisks::AddFile(const std::string& path, std::string content, Kind kind) {
  std::string key = Key(path);
  AddFolder(Parent(key));
  entries_[key] = Entry{kind, std::move(content)};
}

void FakeDisks::Remove(const std::string& path) { entries_.erase(Key(path)); }

bool FakeDisks::Has(const std::string& path) const { return entries_.count(Key(path)) > 0; }

std::string FakeDisks::Content(const std::string& path) const {
  auto found = entries_.find(Key(path));
  return found == entries_.end() ? "" : found->second.content;
}

std::vector<std::string> FakeDisks::Files() const {
  std::vector<std::string> files;
  for (const auto& [key, entry] : entries_) {
    if (entry.kind != Kind::Folder) files.push_back(key);
  }
  return files;
}

std::optional<std::uint32_t> FakeDisks::VolumeSerialNumber(std::string_view root) {
  auto found = serials_.find(Key(root));
  if (found == serials_.end()) return std::nullopt;
  return found->second;
}

bool FakeDisks::OrdinaryFileExists(std::string_view path) {
  auto found = entries_.find(Key(path));
  return found != entries_.end() && found->second.kind == Kind::Ordinary;
}

bool FakeDisks::OrdinaryFileMatches(std::string_view pattern) {
  std::string key = Key(pattern);
  std::string folder = Parent(key);
  std::string namePattern = key.substr(key.find_last_of('\\') + 1);
  for (const auto& [path, entry] : entries_) {
    if (entry.kind != Kind::Ordinary || Parent(path) != folder) continue;
    if (ascii::MatchesIgnoringCase(path.substr(path.find_last_of('\\') + 1), namePattern)) {
      return true;
    }
  }
  return false;
}

std::string FakeDisks::ReadTextFile(std::string_view path) {
  std::string key = Key(path);
  if (!FolderExists(Parent(key))) throw RuntimeError(ErrorNumber::PathNotFound, std::string(path));
  auto found = entries_.find(key);
  if (found == entries_.end() || found->second.kind == Kind::Folder) {
    throw RuntimeError(ErrorNumber::FileNotFound, std::string(path));
  }
  return found->second.content.substr(0, platform::kTextFileReadLimit);
}

void FakeDisks::ReplaceFile(std::string_view path, std::string_view content) {
  std::string key = Key(path);
  if (!FolderExists(Parent(key))) throw RuntimeError(ErrorNumber::PathNotFound, std::string(path));
  ++replaceCount;
  if (failNextReplaceWith) {
    // The content went to a file beside the target; the target is untouched.
    entries_[key + ".new"] = Entry{Kind::Ordinary, std::string(content)};
    auto number = static_cast<ErrorNumber>(*failNextReplaceWith);
    failNextReplaceWith.reset();
    throw RuntimeError(number, std::string(path));
  }
  entries_[key] = Entry{Kind::Ordinary, std::string(content)};
}

void FakeDisks::CreateFolders(std::string_view path) { AddFolder(std::string(path)); }

// --- FakeProcess ----------------------------------------------------------------------

void FakeProcess::StartProgram(std::string_view commandLine, platform::WindowState state) {
  std::string line(commandLine);
  Note(journal, std::string("start ") +
                    (state == platform::WindowState::NormalWithFocus ? "normal " : "minimised ") +
                    line);
  if (unstartable.count(line) > 0) throw RuntimeError(ErrorNumber::FileNotFound, line);
  starts.push_back(Start{line, state});
}

void FakeProcess::EndNow(platform::ExitStatus status) {
  ended = true;
  exitStatus = status;
  Note(journal, "end");
  throw ProgramEnded{};
}

// --- FakeBoxes ------------------------------------------------------------------------

void FakeBoxes::Message(std::string_view text) {
  shown.push_back(Shown{Kind::Message, std::string(text), "", ""});
  Note(journal, "message " + std::string(text));
  RunOnce(whileOpen);
}

bool FakeBoxes::Question(std::string_view text) {
  shown.push_back(Shown{Kind::Question, std::string(text), "", ""});
  bool answer = false;
  if (!answers.empty()) {
    answer = answers.front();
    answers.pop_front();
  }
  Note(journal, "question " + std::string(text) + (answer ? " -> yes" : " -> no"));
  RunOnce(whileOpen);
  return answer;
}

std::string FakeBoxes::Input(std::string_view prompt, std::string_view title,
                             std::string_view defaultText) {
  shown.push_back(
      Shown{Kind::Input, std::string(prompt), std::string(title), std::string(defaultText)});
  std::string answer;
  if (!inputs.empty()) {
    answer = inputs.front();
    inputs.pop_front();
  }
  Note(journal, "input " + std::string(prompt) + " -> " + answer);
  RunOnce(whileOpen);
  return answer;
}

std::vector<std::string> FakeBoxes::Messages() const {
  std::vector<std::string> texts;
  for (const auto& s : shown) {
    if (s.kind == Kind::Message) texts.push_back(s.text);
  }
  return texts;
}

std::vector<std::string> FakeBoxes::Questions() const {
  std::vector<std::string> texts;
  for (const auto& s : shown) {
    if (s.kind == Kind::Question) texts.push_back(s.text);
  }
  return texts;
}

// --- WindowRecorder -------------------------------------------------------------------

void WindowRecorder::SetEnabled(Control control, bool on) {
  enabled[control] = on;
  log.push_back(std::string(on ? "enable " : "disable ") + ControlName(control));
  Note(journal, log.back());
}

void WindowRecorder::SetText(Control control, std::string_view text) {
  texts[control] = std::string(text);
  log.push_back(std::string("text ") + ControlName(control) + "=" + std::string(text));
  Note(journal, log.back());
}

void WindowRecorder::SetTimerEnabled(bool on) {
  timerEnabled = on;
  log.push_back(on ? "timer on" : "timer off");
  Note(journal, log.back());
}

bool WindowRecorder::IsEnabled(Control control) const {
  auto found = enabled.find(control);
  return found != enabled.end() && found->second;
}

std::string WindowRecorder::Text(Control control) const {
  auto found = texts.find(control);
  return found == texts.end() ? "" : found->second;
}

// --- The scripted disc ---------------------------------------------------------------

void InsertAudioDisc(FakeWorld& world, const AudioDisc& disc) {
  const int tracks = static_cast<int>(disc.trackLengths.size());
  world.disks.SetSerial(disc.drive, disc.serial);
  if (disc.dataFolder) world.disks.AddFolder("c:\\lyrabox");
  world.device.Set("status cd media present", "true");
  // The count as the device writes it, without padding: "9" over an older, longer
  // reply is what the poll must read right.
  world.device.Set("status cd number of tracks wait", std::to_string(tracks));
  world.device.Set("status cd length wait", disc.totalLength);
  for (int n = 1; n <= tracks; ++n) {
    world.device.Set("status cd length track " + std::to_string(n),
                     disc.trackLengths[static_cast<std::size_t>(n - 1)]);
    world.disks.AddFile(disc.drive + "Track" + (n < 10 ? "0" : "") + std::to_string(n) + ".cda",
                        std::string(44, 'x'));
  }
  world.device.Set("status cd position", disc.position);
  world.device.Set("status cd mode", disc.mode);
}

void InsertPlayingDisc(FakeWorld& world) {
  AudioDisc disc;
  disc.position = "02:03:30:00";
  disc.mode = "playing";
  disc.dataFolder = true;
  InsertAudioDisc(world, disc);
  world.device.On("status cd position wait", "905000");
}

}  // namespace lyrabox::testing
