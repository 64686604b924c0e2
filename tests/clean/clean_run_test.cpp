#include "clean/clean_run.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "clean/system_files.h"
#include "clean/texts.h"
#include "tests/clean/spy_files.h"
#include "tests/support/temp_folder.h"

namespace qs::clean::test {
namespace {

using qs::test::ListFolder;
using qs::test::ReadRaw;
using qs::test::TempFolder;
using qs::test::WriteRaw;

// Records every box as "OK <text>", "? <text>" (question icon) or "! <text>" (warning icon)
// and answers the questions from a queue.
class FakeHost final : public CleanHost {
 public:
  void tell(std::string_view text) override { shown.push_back("OK " + std::string(text)); }
  bool ask(std::string_view text, QuestionIcon icon) override {
    shown.push_back((icon == QuestionIcon::kQuestion ? "? " : "! ") + std::string(text));
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text;
      return true;  // keep the keys: the answer that touches nothing
    }
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  bool removeBackupTask() override {
    ++taskRemovals;
    return schedulerReachable;
  }
  std::optional<std::string> workingFolder() override { return folder; }

  std::vector<std::string> shown;
  std::deque<bool> answers;
  bool schedulerReachable = true;
  int taskRemovals = 0;
  std::optional<std::string> folder;
};

const std::string kKeep = "? " + std::string(texts::kKeepKeys);
const std::string kConfirm = "! " + std::string(texts::kConfirmOverwrite);
const std::string kAllFiles = "cert_key_list.bin\nconfig.bin\npriv_key.bin\nrand.bin\n";
constexpr bool kYes = true;
constexpr bool kNo = false;

class CleanRun : public ::testing::Test {
 protected:
  CleanRun() {
    std::filesystem::create_directory(dir_.file("QS_wd"));
    for (const char* name : {"priv_key.bin", "cert_key_list.bin", "config.bin", "rand.bin"}) {
      WriteRaw(dir_.file("QS_wd/") + name, "content of " + std::string(name));
    }
    host_.folder = dir_.file("QS_wd");
  }
  int run(std::wstring_view word, std::deque<bool> answers) {
    host_.answers = std::move(answers);
    std::uint64_t position = 0;
    const int code = RunClean(word, host_, files_, StreamFill(position));
    EXPECT_TRUE(host_.answers.empty()) << "questions left unasked";
    return code;
  }
  std::string workingFolder() const {
    return Exists(dir_.file("QS_wd")) ? ListFolder(dir_.file("QS_wd")) : "gone";
  }

  TempFolder dir_;
  FakeHost host_;
  SystemFiles files_;
};

TEST_F(CleanRun, UnknownWordIsRefusedWithExitCodeOneAndTouchesNothing) {
  for (const wchar_t* word : {L"", L"clean_folder ", L"Remove_task", L"\"no_remove_task\"", L"wipe"}) {
    FakeHost host;
    host.folder = host_.folder;
    std::uint64_t position = 0;
    EXPECT_EQ(RunClean(word, host, files_, StreamFill(position)), 1) << word;
    EXPECT_EQ(host.shown, std::vector<std::string>{"OK " + std::string(texts::kBadParameter)}) << word;
    EXPECT_EQ(host.taskRemovals, 0);
  }
  EXPECT_EQ(workingFolder(), kAllFiles);
}

TEST_F(CleanRun, KeepingTheKeysDeletesNothingNotEvenSettingsOrSeed) {
  for (const wchar_t* word : {L"clean_folder", L"no_remove_task", L"remove_task"}) {
    host_.shown.clear();
    EXPECT_EQ(run(word, {kYes}), 0) << word;
    EXPECT_EQ(host_.shown, std::vector<std::string>{kKeep}) << word;
  }
  EXPECT_EQ(workingFolder(), kAllFiles);
}

TEST_F(CleanRun, DecliningTheWarningDeletesNothing) {
  EXPECT_EQ(run(L"clean_folder", {kNo, kNo}), 0);
  EXPECT_EQ(host_.shown, (std::vector<std::string>{kKeep, kConfirm}));
  EXPECT_EQ(workingFolder(), kAllFiles);
}

TEST_F(CleanRun, ConfirmedWipeRemovesTheWorkingFolderAndLeavesTheTaskAlone) {
  EXPECT_EQ(run(L"no_remove_task", {kNo, kYes}), 0);
  EXPECT_EQ(host_.shown, (std::vector<std::string>{kKeep, kConfirm}));
  EXPECT_EQ(host_.taskRemovals, 0);
  EXPECT_EQ(workingFolder(), "gone");
}

TEST_F(CleanRun, RemoveTaskRemovesTheTaskFirstAndSaysNothingWhenTheSchedulerAnswers) {
  EXPECT_EQ(run(L"remove_task", {kNo, kYes}), 0);
  EXPECT_EQ(host_.taskRemovals, 1);
  EXPECT_EQ(host_.shown, (std::vector<std::string>{kKeep, kConfirm}));
  EXPECT_EQ(workingFolder(), "gone");
}

TEST_F(CleanRun, UnreachableSchedulerIsReportedAndTheWipeStillHappens) {
  host_.schedulerReachable = false;
  EXPECT_EQ(run(L"remove_task", {kNo, kYes}), 0);
  EXPECT_EQ(host_.shown,
            (std::vector<std::string>{"OK " + std::string(texts::kTaskNotRemoved), kKeep, kConfirm}));
  EXPECT_EQ(workingFolder(), "gone");
}

TEST_F(CleanRun, MissingApplicationDataFolderEndsWithExitCodeOne) {
  host_.folder.reset();
  EXPECT_EQ(run(L"clean_folder", {kNo, kYes}), 1);
  EXPECT_EQ(host_.shown,
            (std::vector<std::string>{kKeep, kConfirm, "OK " + std::string(texts::kNoWorkingFolder)}));
}

TEST_F(CleanRun, MissingWorkingFolderCannotBeListedAndEndsWithExitCodeOne) {
  host_.folder = dir_.file("elsewhere");
  EXPECT_EQ(run(L"clean_folder", {kNo, kYes}), 1);
  EXPECT_EQ(host_.shown,
            (std::vector<std::string>{kKeep, kConfirm, "OK " + std::string(texts::kCannotDelete)}));
  EXPECT_EQ(workingFolder(), kAllFiles);
}

TEST_F(CleanRun, FileThatCannotBeOverwrittenIsReportedOnceAndTheRunStillSucceeds) {
  SetReadOnly(dir_.file("QS_wd/priv_key.bin"), true);
  EXPECT_EQ(run(L"clean_folder", {kNo, kYes}), 0);
  SetReadOnly(dir_.file("QS_wd/priv_key.bin"), false);
  EXPECT_EQ(host_.shown,
            (std::vector<std::string>{kKeep, kConfirm, "OK " + std::string(texts::kCannotDeleteAll)}));
  EXPECT_EQ(workingFolder(), "priv_key.bin\n");
}

TEST_F(CleanRun, FileWithASecondNameIsReportedByNameAndItsDataKept) {
  WriteRaw(dir_.file("backup.bin"), "the user's own copy");
  std::filesystem::remove(dir_.file("QS_wd/priv_key.bin"));
  std::filesystem::create_hard_link(dir_.file("backup.bin"), dir_.file("QS_wd/priv_key.bin"));
  EXPECT_EQ(run(L"clean_folder", {kNo, kYes}), 0);
  EXPECT_EQ(host_.shown,
            (std::vector<std::string>{
                kKeep, kConfirm,
                "OK Filen \"priv_key.bin\" har flera namn och har varken skrivits över eller raderats!"}));
  EXPECT_EQ(workingFolder(), "priv_key.bin\n");
  EXPECT_EQ(ReadRaw(dir_.file("backup.bin")), "the user's own copy");
}

#ifndef _WIN32
TEST_F(CleanRun, WorkingFolderThatIsALinkIsRefusedWithExitCodeOneAndItsTargetUntouched) {
  std::filesystem::create_directory(dir_.file("documents"));
  WriteRaw(dir_.file("documents/letter.txt"), "the user's own file");
  std::filesystem::rename(dir_.file("QS_wd"), dir_.file("QS_wd.old"));
  std::filesystem::create_directory_symlink(dir_.file("documents"), dir_.file("QS_wd"));
  EXPECT_EQ(run(L"clean_folder", {kNo, kYes}), 1);
  EXPECT_EQ(host_.shown,
            (std::vector<std::string>{kKeep, kConfirm, "OK " + std::string(texts::kWorkingFolderIsLink)}));
  EXPECT_EQ(ListFolder(dir_.file("documents")), "letter.txt\n");
  EXPECT_EQ(ReadRaw(dir_.file("documents/letter.txt")), "the user's own file");
}
#endif

}  // namespace
}  // namespace qs::clean::test
