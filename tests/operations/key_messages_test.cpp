#include "operations/key_messages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace qs {
namespace {

TEST(KeyMessages, EveryFailureHasItsOwnText) {
  EXPECT_STREQ(MessageText(KeyOutcome::kOk), "");
  std::set<std::string> texts;
  const auto last = static_cast<int>(KeyOutcome::kFolderBusy);
  for (int i = 1; i <= last; ++i) {
    const std::string text = MessageText(static_cast<KeyOutcome>(i));
    EXPECT_FALSE(text.empty()) << i;
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), static_cast<std::size_t>(last));
  EXPECT_STREQ(MessageText(KeyOutcome::kTrustedKeyNotSaved), "Kunde inte spara certifieringsnyckeln!");
}

// These three once lacked their "inte" and so said that the failure had succeeded.
TEST(KeyMessages, FailuresToReadOrSaveSayTheyFailed) {
  EXPECT_STREQ(MessageText(KeyOutcome::kBackupUnreadable), "Fel: Kunde inte läsa säkerhetskopian.");
  EXPECT_STREQ(MessageText(KeyOutcome::kStoredTrustedKeyUnreadable), "Kunde inte läsa lagrad nyckel!");
  EXPECT_STREQ(MessageText(KeyOutcome::kKeyPairNotSaved), "Fel: Kunde inte spara krypteringsnyckeln.");
}

}  // namespace
}  // namespace qs
