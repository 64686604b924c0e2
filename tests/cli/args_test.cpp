#include "cli/args.h"

#include <gtest/gtest.h>

namespace qs::cli {
namespace {

const OptionSpec kSpecs[] = {
    {"to", 0, true},
    {"output", 'o', true},
    {"field", 0, true, true},
    {"force"},
    {"compress", 0, false, false, true},
};

ParsedArgs Parse(std::vector<std::string> words) { return ParsedArgs::parse(words, kSpecs); }

TEST(Args, OptionsMayStandAnywhereInEitherForm) {
  const ParsedArgs a = Parse({"in.txt", "--to", "bob.certificate", "-o", "out", "--force", "--field=a=b",
                              "--field", "c=d", "--", "--literal"});
  EXPECT_EQ(a.value("to"), "bob.certificate");
  EXPECT_EQ(a.value("output"), "out");
  EXPECT_TRUE(a.has("force"));
  EXPECT_EQ(a.values("field"), (std::vector<std::string>{"a=b", "c=d"}));
  EXPECT_EQ(a.positionals(), (std::vector<std::string>{"in.txt", "--literal"}));
  EXPECT_FALSE(a.has("missing"));
  EXPECT_EQ(a.value("missing"), std::nullopt);
  EXPECT_TRUE(a.values("missing").empty());
  EXPECT_EQ(Parse({"-"}).positionals(), std::vector<std::string>{"-"});
}

TEST(Args, MistakesAreUsageErrors) {
  EXPECT_THROW(Parse({"--unknown"}), UsageError);
  EXPECT_THROW(Parse({"-x"}), UsageError);
  EXPECT_THROW(Parse({"--to"}), UsageError);
  EXPECT_THROW(Parse({"--to", "a", "--to", "b"}), UsageError);
  EXPECT_THROW(Parse({"--force=yes"}), UsageError);
  EXPECT_THROW(Parse({"--compress="}), UsageError);
  EXPECT_THROW(Parse({"--compress=a", "--compress"}), UsageError);
}

TEST(Args, AnOptionalValueComesOnlyAfterAnEqualsSign) {
  EXPECT_EQ(Parse({"--compress=strong", "in"}).value("compress"), "strong");
  const ParsedArgs bare = Parse({"--compress", "in"});
  EXPECT_TRUE(bare.has("compress"));
  EXPECT_EQ(bare.value("compress"), "");
  EXPECT_EQ(bare.positionals(), std::vector<std::string>{"in"});
}

TEST(Args, LeadingOptionsStopAtTheCommandWord) {
  const std::vector<std::string> words = {"--force", "--to", "x", "encrypt", "--force"};
  std::size_t consumed = 0;
  const ParsedArgs global = ParsedArgs::parseLeading(words, kSpecs, consumed);
  EXPECT_EQ(consumed, 3u);
  EXPECT_TRUE(global.has("force"));
  EXPECT_TRUE(global.positionals().empty());
}

}  // namespace
}  // namespace qs::cli
