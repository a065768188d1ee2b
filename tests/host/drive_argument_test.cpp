// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/drive_argument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lyrabox::host {
namespace {

using Arguments = std::vector<std::string>;

TEST(TakeDriveArgument, TheDesktopsLocationIsTheDriveAndNotTheLogicsText) {
  const std::string mounts =
      "/dev/sda1 / ext4 rw 0 0\n"
      "/dev/sr1 /media/me/Playlists iso9660 ro 0 0\n"
      "/dev/sr0 /media/me/My\\040Disc iso9660 ro 0 0\n"
      "tmpfs /media/me/ram tmpfs rw 0 0\n";
  struct Case {
    Arguments arguments;
    Arguments logic;  // what the logic searches for "/Play"
    std::string drive;
  };
  const Case cases[] = {
      {{"/Play", "cdda://sr1/"}, {"/Play"}, "/dev/sr1"},
      {{"/Play", "CDDA://sr0"}, {"/Play"}, "/dev/sr0"},
      {{"/Play", "/dev/sr1"}, {"/Play"}, "/dev/sr1"},
      {{"/Play", "/media/me/Playlists"}, {"/Play"}, "/dev/sr1"},
      {{"/Play", "/media/me/Playlists/"}, {"/Play"}, "/dev/sr1"},
      {{"/Play", "file:///media/me/My%20Disc/"}, {"/Play"}, "/dev/sr0"},
      {{"/Play", "/run/user/1000/gvfs/cdda:host=sr1"}, {"/Play"}, "/dev/sr1"},
      // A mount point named like the mark starts nothing by itself.
      {{"/media/me/Playlists"}, {}, "/dev/sr1"},
      // Locations that name no drive are taken out all the same.
      {{"/Play", "/media/me/ram"}, {"/Play"}, ""},
      {{"/Play", "/home/me"}, {"/Play"}, ""},
      {{"/Play", "cdda://"}, {"/Play"}, ""},
      // No location: the first drive, as before; other words stay in order.
      {{"/Play"}, {"/Play"}, ""},
      {{"x", "/Play", "y"}, {"x", "/Play", "y"}, ""},
      {{}, {}, ""},
      // The first location that names a drive wins.
      {{"/Play", "/home/me", "cdda://sr0/", "/dev/sr1"}, {"/Play"}, "/dev/sr0"},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& argument : c.arguments) shown += argument + " ";
    SCOPED_TRACE(shown);
    PlayerArguments taken = TakeDriveArgument(c.arguments, mounts);
    EXPECT_EQ(taken.logic, c.logic);
    EXPECT_EQ(taken.drive, c.drive);
  }
}

}  // namespace
}  // namespace lyrabox::host
