#include "platform/working_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/file.h"
#include "tests/support/temp_folder.h"

namespace qs::platform {
namespace {

#ifdef _WIN32
TEST(WorkingFolder, LivesInTheLocalApplicationDataFolder) {
  const std::optional<std::string> folder = ChooseWorkingFolder();
  ASSERT_TRUE(folder);
  EXPECT_NE(folder->find("AppData\\Local\\QS_wd"), std::string::npos) << *folder;
  EXPECT_TRUE(FileExists(*folder));
  EXPECT_EQ(ChooseWorkingFolder(), folder);  // an existing folder is simply entered
  EXPECT_EQ(JoinPath(*folder, "config.bin"), *folder + "\\config.bin");
}
#else
class EnvironmentVariable {
 public:
  explicit EnvironmentVariable(const char* name) : name_(name) {
    if (const char* v = std::getenv(name)) saved_ = v;
  }
  ~EnvironmentVariable() { saved_ ? setenv(name_, saved_->c_str(), 1) : unsetenv(name_); }
  void set(const std::string& value) { setenv(name_, value.c_str(), 1); }
  void unset() { unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

TEST(WorkingFolder, FollowsXdgDataHomeElseHome) {
  test::TempFolder dir;
  EnvironmentVariable xdg("XDG_DATA_HOME");
  EnvironmentVariable home("HOME");
  xdg.set(dir.file("data"));
  ASSERT_TRUE(CreateFolder(dir.file("data")));
  EXPECT_EQ(ChooseWorkingFolder(), dir.file("data/QS_wd"));
  EXPECT_TRUE(FileExists(dir.file("data/QS_wd")));
  EXPECT_EQ(ChooseWorkingFolder(), dir.file("data/QS_wd"));

  xdg.set("relative/ignored");
  home.set(dir.path());
  EXPECT_EQ(ChooseWorkingFolder(), dir.file(".local/share/QS_wd"));

  xdg.unset();
  home.unset();
  EXPECT_EQ(ChooseWorkingFolder(), std::nullopt);
}

TEST(WorkingFolder, JoinPathAddsOneSeparator) {
  EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
  EXPECT_EQ(JoinPath("", "b"), "b");
}
#endif

}  // namespace
}  // namespace qs::platform
