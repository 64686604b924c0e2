#pragma once
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace qs::cli {

// A mistake in how the command was called; the program prints it and exits with 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct OptionSpec {
  const char* name;    // long name without the dashes, "workdir"
  char shortName = 0;  // 'o' for -o, or 0
  bool takesValue = false;
  bool repeatable = false;
  bool optionalValue = false;  // without takesValue: "--name=value" or bare "--name" (value "")
};

// Options and positional words of one command level. Options may stand anywhere among the
// positionals; "--name=value" and "--name value" both work; "--" ends the options.
class ParsedArgs {
 public:
  bool has(const std::string& name) const { return options_.count(name) != 0; }
  std::optional<std::string> value(const std::string& name) const;
  const std::vector<std::string>& values(const std::string& name) const;
  // The value of an option the command cannot do without; a usage error when it is missing.
  std::string required(const std::string& name) const;
  const std::vector<std::string>& positionals() const { return positionals_; }

  // Parses every word; unknown options are usage errors.
  static ParsedArgs parse(std::span<const std::string> words, std::span<const OptionSpec> specs);
  // Parses options up to the first positional word and returns how many words it took.
  static ParsedArgs parseLeading(std::span<const std::string> words, std::span<const OptionSpec> specs,
                                 std::size_t& consumed);

 private:
  static ParsedArgs parseWords(std::span<const std::string> words, std::span<const OptionSpec> specs,
                               bool stopAtPositional, std::size_t& consumed);

  std::map<std::string, std::vector<std::string>> options_;
  std::vector<std::string> positionals_;
};

}  // namespace qs::cli
