// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/host_process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>

#include "platform/linux/desktop_player.h"
#include "platform/runtime_error.h"
#include "tests/host/host_test_support.h"

namespace lyrabox::host {
namespace {

using platform::WindowState;
using testing::ReadFile;
using testing::TemporaryFolder;
using testing::WaitForFile;
using testing::WriteFile;

// Kills and reaps a forked child however the test leaves.
struct ChildGuard {
  pid_t pid;
  ~ChildGuard() {
    if (pid > 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
  }
};

class InstanceLockTest : public ::testing::Test {
 protected:
  TemporaryFolder runtime;
  DriveFolders drives{runtime.path()};
  std::filesystem::path lockFile = runtime.path() / "lyrabox.lock";

  std::unique_ptr<HostProcess> Instance(const std::filesystem::path& lock) {
    return std::make_unique<HostProcess>(std::vector<std::string>{}, drives, 'd', lock);
  }
};

TEST_F(InstanceLockTest, FirstInstanceKeepsTheLockUntilItGoes) {
  auto first = Instance(lockFile);
  EXPECT_FALSE(first->OtherInstanceRunning());
  EXPECT_FALSE(first->OtherInstanceRunning());  // asking again does not see itself
  auto second = Instance(lockFile);
  EXPECT_TRUE(second->OtherInstanceRunning());
  first.reset();
  EXPECT_FALSE(second->OtherInstanceRunning());
}

TEST_F(InstanceLockTest, LockIsReleasedWhenTheHolderDies) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  ChildGuard child{::fork()};
  ASSERT_GE(child.pid, 0);
  if (child.pid == 0) {
    auto holder = Instance(lockFile);
    char answer = holder->OtherInstanceRunning() ? 'y' : 'n';
    ssize_t ignored = ::write(ready[1], &answer, 1);
    (void)ignored;
    for (;;) ::pause();  // until killed, as by a crash
  }
  ::close(ready[1]);
  char answer = 0;
  ASSERT_EQ(::read(ready[0], &answer, 1), 1);
  ::close(ready[0]);
  EXPECT_EQ(answer, 'n');

  auto next = Instance(lockFile);
  EXPECT_TRUE(next->OtherInstanceRunning());
  ::kill(child.pid, SIGKILL);
  ASSERT_EQ(::waitpid(child.pid, nullptr, 0), child.pid);
  child.pid = 0;
  EXPECT_FALSE(next->OtherInstanceRunning());
}

TEST_F(InstanceLockTest, UnusableLockFileLetsThePlayerRun) {
  auto instance = Instance(runtime.path() / "no such folder" / "lyrabox.lock");
  EXPECT_FALSE(instance->OtherInstanceRunning());
  // A link planted at the lock's name is not followed.
  std::filesystem::create_symlink(runtime.path() / "elsewhere", lockFile);
  EXPECT_FALSE(Instance(lockFile)->OtherInstanceRunning());
  EXPECT_FALSE(std::filesystem::exists(runtime.path() / "elsewhere"));
}

TEST(ArgumentText, ArgumentsJoinedBySingleBlanks) {
  DriveFolders drives{"/nonexistent"};
  HostProcess none({}, drives, 'd', "/nonexistent/lock");
  EXPECT_EQ(none.ArgumentText(), "");
  HostProcess some({"x", "/Play", "y z"}, drives, 'd', "/nonexistent/lock");
  EXPECT_EQ(some.ArgumentText(), "x /Play y z");
}

TEST(EndNow, FlushesBufferedOutputAndExitsWithTheStatusGiven) {
  int output[2];
  ASSERT_EQ(::pipe(output), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::dup2(output[1], STDOUT_FILENO);
    std::setvbuf(stdout, nullptr, _IOFBF, 4096);
    std::printf("still in the buffer");
    DriveFolders drives{"/nonexistent"};
    HostProcess process({}, drives, 'd', "/nonexistent/lock");
    process.EndNow(platform::ExitStatus::Failure);
  }
  ::close(output[1]);
  std::string text;
  char block[256];
  for (ssize_t got; (got = ::read(output[0], block, sizeof block)) > 0;) text.append(block, got);
  ::close(output[0]);
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
  EXPECT_EQ(text, "still in the buffer");
}

// What a started recorder script saw.
struct Recorded {
  std::string state;
  std::vector<std::string> arguments;
  std::vector<std::string> openFiles;
  bool sessionLeader = false;
};

Recorded ReadRecord(const std::filesystem::path& file) {
  Recorded recorded;
  std::istringstream lines(ReadFile(file));
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("state=", 0) == 0) recorded.state = line.substr(6);
    if (line.rfind("arg=", 0) == 0) recorded.arguments.push_back(line.substr(4));
    if (line.rfind("fd=", 0) == 0) recorded.openFiles.push_back(line.substr(3));
    if (line.rfind("stat=", 0) == 0) {
      // pid (name) state ppid pgrp session ...; the name may hold blanks.
      std::istringstream before(line.substr(5));
      long pid = 0;
      before >> pid;
      std::istringstream after(line.substr(line.rfind(')') + 1));
      std::string state;
      long parent = 0, group = 0, session = 0;
      after >> state >> parent >> group >> session;
      recorded.sessionLeader = pid != 0 && session == pid;
    }
  }
  return recorded;
}

class StartProgramTest : public ::testing::Test {
 protected:
  TemporaryFolder home;
  DriveFolders drives{home.path()};
  std::filesystem::path results = home.path() / "results";
  HostProcess process{{}, drives, 'd', home.path() / "lyrabox.lock"};

  void SetUp() override { std::filesystem::create_directories(results); }

  // A script that records its window state, session, open files and arguments in
  // results/<name>, moved into place when complete.
  void PlaceRecorder(const std::filesystem::path& at, const std::string& name,
                     bool hashBang = true) {
    std::string script = hashBang ? "#!/bin/sh\n" : "";
    script += "r='" + results.string() + "'\n" +
              "{\n"
              "  echo \"state=$LYRABOX_WINDOW_STATE\"\n"
              "  read -r stat < /proc/$$/stat; echo \"stat=$stat\"\n"
              "  for fd in /proc/$$/fd/*; do echo \"fd=$(readlink \"$fd\")\"; done\n"
              "  for a in \"$@\"; do echo \"arg=$a\"; done\n"
              "} > \"$r/" + name + ".part\"\n"
              "mv \"$r/" + name + ".part\" \"$r/" + name + "\"\n";
    WriteFile(at, script, std::filesystem::perms(0755));
  }

  Recorded WaitForRecord(const std::string& name) {
    EXPECT_TRUE(WaitForFile(results / name, std::chrono::seconds(20))) << name << " never came";
    return ReadRecord(results / name);
  }

  // The error number and box text of a start that must fail.
  std::pair<ErrorNumber, std::string> FailedStart(const std::string& line) {
    try {
      process.StartProgram(line, WindowState::NormalWithFocus);
    } catch (const RuntimeError& error) {
      return {error.number(), error.BoxText()};
    }
    ADD_FAILURE() << "started: " << line;
    return {};
  }
};

TEST_F(StartProgramTest, PlayerStartsDetachedFromItsMappedPathWithWindowsArguments) {
  ASSERT_FALSE(process.OtherInstanceRunning());  // hold the lock, as the player does
  PlaceRecorder(home.path() / "drive_e" / "Program Files" / "PLUS!" / "DeluxeCD" / "DeluxeCD.EXE",
                "player");
  process.StartProgram("E:\\program files\\Plus!\\DeluxeCD\\deluxecd.exe /play G:\\",
                       WindowState::NormalWithFocus);
  // Not our child: nothing of it is left for us to reap, now or later.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);

  Recorded recorded = WaitForRecord("player");
  EXPECT_EQ(recorded.state, "normal");
  EXPECT_EQ(recorded.arguments, (std::vector<std::string>{"/play", "G:\\"}));
  EXPECT_TRUE(recorded.sessionLeader);
  for (const std::string& open : recorded.openFiles) {
    EXPECT_EQ(open.find("lyrabox.lock"), std::string::npos) << "the lock went along";
  }
}

// What the player blocks or ignores (SDL and Qt set up signals of their own) must not
// reach the started program, which would then never hear them.
TEST_F(StartProgramTest, StartedProgramGetsACleanSignalMask) {
  sigset_t blocked, before;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGUSR1);
  ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &blocked, &before), 0);
  auto* const oldHandler = ::signal(SIGUSR2, SIG_IGN);
  // Perl, not the shell: dash clears its own mask when it starts and would hide ours.
  WriteFile(home.path() / "drive_c" / "tools" / "signals.exe",
            "#!/usr/bin/perl\n"
            "open(my $in, '<', '/proc/self/status') or die;\n"
            "my @lines = grep { /^Sig(Blk|Ign):/ } <$in>;\n"
            "open(my $out, '>', '" + (results / "signals.part").string() + "') or die;\n"
            "print $out @lines; close($out);\n"
            "rename('" + (results / "signals.part").string() + "', '" +
                (results / "signals").string() + "');\n",
            std::filesystem::perms(0755));
  process.StartProgram("c:\\tools\\signals", WindowState::NormalWithFocus);
  ::signal(SIGUSR2, oldHandler);
  ::pthread_sigmask(SIG_SETMASK, &before, nullptr);

  ASSERT_TRUE(WaitForFile(results / "signals", std::chrono::seconds(20)));
  // The masks as the kernel shows them: hexadecimal, bit n-1 for signal n.
  std::istringstream record(ReadFile(results / "signals"));
  std::map<std::string, unsigned long long> masks;
  for (std::string name, value; record >> name >> value;) masks[name] = std::stoull(value, nullptr, 16);
  ASSERT_EQ(masks.size(), 2u);
  EXPECT_EQ(masks["SigBlk:"], 0u);
  EXPECT_EQ(masks["SigIgn:"] & (1ull << (SIGUSR2 - 1)), 0u);
}

TEST_F(StartProgramTest, KillProgramGetsExeAddedAndStartsMinimised) {
  PlaceRecorder(home.path() / "drive_c" / "LyraBox" / "KILLAPP.exe", "kill");
  // A command line names a program without its ".exe": a file of the bare name is
  // never the program.
  PlaceRecorder(home.path() / "drive_c" / "LyraBox" / "killapp", "bare");
  process.StartProgram("c:\\lyrabox\\killapp MMFRAME* *Deluxe*", WindowState::MinimisedWithFocus);
  Recorded recorded = WaitForRecord("kill");
  EXPECT_EQ(recorded.state, "minimised");
  EXPECT_EQ(recorded.arguments, (std::vector<std::string>{"MMFRAME*", "*Deluxe*"}));
  EXPECT_FALSE(std::filesystem::exists(results / "bare"));
}

TEST_F(StartProgramTest, LongestRunThatNamesAFileIsTheProgram) {
  PlaceRecorder(home.path() / "drive_c" / "tools" / "run.exe", "short");
  PlaceRecorder(home.path() / "drive_c" / "tools" / "run me.exe", "long");
  process.StartProgram("c:\\tools\\run me now", WindowState::NormalWithFocus);
  EXPECT_EQ(WaitForRecord("long").arguments, (std::vector<std::string>{"now"}));
  EXPECT_FALSE(std::filesystem::exists(results / "short"));
}

TEST_F(StartProgramTest, QuotedPathAndAScriptWithoutInterpreterLine) {
  PlaceRecorder(home.path() / "drive_c" / "my tools" / "Run Me.exe", "quoted", false);
  process.StartProgram(R"("c:\my tools\run me" "a b" c\"d)", WindowState::NormalWithFocus);
  EXPECT_EQ(WaitForRecord("quoted").arguments, (std::vector<std::string>{"a b", "c\"d"}));
}

TEST_F(StartProgramTest, ProgramThatIsNotThereOrCannotRunIsFileNotFound) {
  const std::string player = "E:\\program files\\Plus!\\DeluxeCD\\deluxecd.exe /play G:\\";
  auto [number, box] = FailedStart(player);
  EXPECT_EQ(number, ErrorNumber::FileNotFound);
  EXPECT_NE(box.find(player), std::string::npos) << box;

  WriteFile(home.path() / "drive_c" / "lyrabox" / "killapp.exe", "#!/bin/sh\nexit 0\n",
            std::filesystem::perms(0644));
  EXPECT_EQ(FailedStart("c:\\lyrabox\\killapp MMFRAME* *Deluxe*").first, ErrorNumber::FileNotFound);

  std::filesystem::create_directories(home.path() / "drive_c" / "folder.exe");
  EXPECT_EQ(FailedStart("c:\\folder").first, ErrorNumber::FileNotFound);
  EXPECT_EQ(FailedStart("d:\\Track01.cda").first, ErrorNumber::FileNotFound);
  EXPECT_EQ(FailedStart("").first, ErrorNumber::FileNotFound);
  EXPECT_EQ(FailedStart("/bin/true").first, ErrorNumber::FileNotFound);
}

// With no other player's program and no CD player on the desktop, the box says so
// plainly and where the program would go, unless that is on the CD drive; when the
// desktop's players cannot be looked up at all (their module is not there beside this
// test), it says that instead.
TEST_F(StartProgramTest, HandOverWithNoPlayerAnywhereSaysWhyAndWhereOneGoes) {
  const auto box = [this](char cdDrive) -> std::string {
    process.SetCdDrive(cdDrive);
    try {
      process.HandOverDisc("E:\\program files\\Plus!\\DeluxeCD\\deluxecd.exe /play G:\\");
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.number(), ErrorNumber::FileNotFound);
      return error.BoxText();
    }
    ADD_FAILURE() << "handed over";
    return "";
  };
  const std::string where =
      (home.path() / "drive_e" / "program files" / "Plus!" / "DeluxeCD" / "deluxecd.exe").string();
  process.startDesktopCdPlayer = [](std::string&) { return false; };
  const std::string onFolder = box('d');
  EXPECT_TRUE(onFolder.starts_with("No other CD player is set up to take this disc.")) << onFolder;
  EXPECT_TRUE(onFolder.ends_with("\n" + where)) << onFolder;
  EXPECT_EQ(box('e').find("drive_e"), std::string::npos);

  process.startDesktopCdPlayer = [](std::string& why) { return StartDesktopCdPlayer("", why); };
  const std::string noModule = box('d');
  EXPECT_TRUE(noModule.starts_with("The desktop's CD players could not be looked up: the module "
                                   "lyrabox-desktop.so is not installed beside the program."))
      << noModule;
  EXPECT_TRUE(noModule.ends_with("\n" + where)) << noModule;
}

}  // namespace
}  // namespace lyrabox::host
