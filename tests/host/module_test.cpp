// SPDX-License-Identifier: GPL-3.0-or-later
// The loader of the player's modules, on a module of the tests' own beside the test:
// an entry that is there is called; a module without the entry asked for is given back
// at once; a module that is not there is said to be missing.
#include "base/module.h"

#include <dlfcn.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace lyrabox::modules {
namespace {

constexpr char kModule[] = "lyrabox-test-module";

TEST(ModuleTest, AnEntryIsFoundAndAModuleWithoutItIsGivenBack) {
  const std::string file =
      (std::filesystem::read_symlink("/proc/self/exe").parent_path() / kModule).string() + ".so";
  std::string why;
  EXPECT_EQ(Entry<int()>(kModule, "lyrabox_no_such_entry", why), nullptr);
  EXPECT_EQ(why, file + " has no lyrabox_no_such_entry");
  EXPECT_EQ(::dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "the module stayed loaded";

  int (*const entry)() = Entry<int()>(kModule, "lyrabox_test_entry", why);
  ASSERT_NE(entry, nullptr) << why;
  EXPECT_EQ(entry(), 42);

  EXPECT_EQ(Entry<int()>("lyrabox-no-such-module", "lyrabox_test_entry", why), nullptr);
  EXPECT_EQ(why, "the module lyrabox-no-such-module.so is not installed beside the program");
}

}  // namespace
}  // namespace lyrabox::modules
