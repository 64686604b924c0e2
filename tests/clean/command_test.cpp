#include "clean/command.h"

#include <gtest/gtest.h>

namespace qs::clean {
namespace {

TEST(CommandWord, FollowsTheProgramNameAndItsBlanksAndKeepsTrailingBlanks) {
  const struct {
    const wchar_t* line;
    const wchar_t* word;
  } cases[] = {
      {L"rw_clean.exe clean_folder", L"clean_folder"},
      {L"\"C:\\Program Files\\Quillseal\\rw_clean.exe\" \t remove_task", L"remove_task"},
      {L"\"C:\\a b\\rw_clean.exe\"no_remove_task", L"no_remove_task"},
      {L"rw_clean.exe clean_folder ", L"clean_folder "},
      {L"rw_clean.exe \"clean_folder\"", L"\"clean_folder\""},
      {L"rw_clean.exe", L""},
      {L"rw_clean.exe   ", L""},
      {L"\"C:\\a b\\rw_clean.exe", L""},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(CommandWordOf(c.line), std::wstring_view(c.word)) << c.line;
}

TEST(CommandWord, OnlyTheThreeExactWordsAreKnown) {
  EXPECT_EQ(ParseCommand(L"clean_folder"), Command::kCleanFolder);
  EXPECT_EQ(ParseCommand(L"no_remove_task"), Command::kNoRemoveTask);
  EXPECT_EQ(ParseCommand(L"remove_task"), Command::kRemoveTask);
  for (const wchar_t* word : {L"", L"clean_folder ", L" clean_folder", L"Clean_folder", L"\"remove_task\"",
                              L"remove_task no_remove_task", L"clean", L"clean_folder\t"}) {
    EXPECT_EQ(ParseCommand(word), Command::kUnknown) << word;
  }
}

}  // namespace
}  // namespace qs::clean
