// SPDX-License-Identifier: GPL-3.0-or-later
// The device the player's main makes on first use: nothing happens before the first
// call, and then exactly one device answers everything.
#include "cdaudio/deferred_device.h"

#include <gtest/gtest.h>

#include "test_discs.h"

namespace lyrabox::cdaudio {
namespace {

class CountingDevice final : public Device {
 public:
  explicit CountingDevice(int& calls) : calls_(calls) {}
  std::uint32_t Send(std::string_view command, std::string& reply) override {
    ++calls_;
    reply = "sent " + std::string(command);
    return 0;
  }
  std::optional<TableOfContents> Contents() override { return testing::ThreeTrackDisc(); }

 private:
  int& calls_;
};

TEST(DeferredDeviceTest, MakesTheDeviceOnceAtItsFirstUseAndForwardsEverything) {
  int made = 0;
  int sends = 0;
  DeferredDevice device([&] {
    ++made;
    return std::make_unique<CountingDevice>(sends);
  });
  EXPECT_EQ(made, 0);
  EXPECT_FALSE(device.Made());

  EXPECT_EQ(device.Contents(), testing::ThreeTrackDisc());
  EXPECT_EQ(made, 1);
  std::string reply;
  EXPECT_EQ(device.Send("status cd mode", reply), 0u);
  EXPECT_EQ(reply, "sent status cd mode");
  EXPECT_EQ(made, 1);
  EXPECT_EQ(sends, 1);
}

}  // namespace
}  // namespace lyrabox::cdaudio
