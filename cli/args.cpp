#include "cli/args.h"

#include "cli/messages.h"

namespace qs::cli {
namespace {

const OptionSpec* FindLong(std::span<const OptionSpec> specs, const std::string& name) {
  for (const OptionSpec& s : specs) {
    if (name == s.name) return &s;
  }
  return nullptr;
}

const OptionSpec* FindShort(std::span<const OptionSpec> specs, char c) {
  for (const OptionSpec& s : specs) {
    if (s.shortName != 0 && s.shortName == c) return &s;
  }
  return nullptr;
}

bool IsOptionWord(const std::string& w) { return w.size() > 1 && w[0] == '-'; }

}  // namespace

std::optional<std::string> ParsedArgs::value(const std::string& name) const {
  const auto it = options_.find(name);
  if (it == options_.end() || it->second.empty()) return std::nullopt;
  return it->second.back();
}

std::string ParsedArgs::required(const std::string& name) const {
  const std::optional<std::string> v = value(name);
  if (!v) throw UsageError("--" + name + cli_text::kMustBeGiven);
  return *v;
}

const std::vector<std::string>& ParsedArgs::values(const std::string& name) const {
  static const std::vector<std::string> kNone;
  const auto it = options_.find(name);
  return it == options_.end() ? kNone : it->second;
}

ParsedArgs ParsedArgs::parseWords(std::span<const std::string> words, std::span<const OptionSpec> specs,
                                  bool stopAtPositional, std::size_t& consumed) {
  ParsedArgs parsed;
  std::size_t i = 0;
  bool optionsEnded = false;
  for (; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (optionsEnded || !IsOptionWord(w)) {
      if (stopAtPositional) break;
      parsed.positionals_.push_back(w);
      continue;
    }
    if (w == "--") {
      optionsEnded = true;
      continue;
    }
    const OptionSpec* option = nullptr;
    std::optional<std::string> inlineValue;
    std::string shown = w;
    if (w.rfind("--", 0) == 0) {
      std::string name = w.substr(2);
      if (const std::size_t eq = name.find('='); eq != std::string::npos) {
        inlineValue = name.substr(eq + 1);
        name = name.substr(0, eq);
        shown = "--" + name;
      }
      option = FindLong(specs, name);
    } else if (w.size() == 2) {
      option = FindShort(specs, w[1]);
    }
    if (option == nullptr) throw UsageError(cli_text::kUnknownOption + shown);
    std::vector<std::string>& slot = parsed.options_[option->name];
    if (!slot.empty() && !option->repeatable)
      throw UsageError(cli_text::kOptionNamed + shown + cli_text::kGivenTwice);
    if (!option->takesValue) {
      if (inlineValue && !option->optionalValue)
        throw UsageError(cli_text::kOptionNamed + shown + cli_text::kTakesNoValue);
      if (inlineValue && inlineValue->empty())
        throw UsageError(cli_text::kOptionNamed + shown + cli_text::kNeedsValueAfterEquals);
      slot.push_back(inlineValue.value_or(""));
      continue;
    }
    if (inlineValue) {
      slot.push_back(*inlineValue);
    } else if (i + 1 < words.size()) {
      slot.push_back(words[++i]);
    } else {
      throw UsageError(cli_text::kOptionNamed + shown + cli_text::kNeedsValue);
    }
  }
  consumed = i;
  return parsed;
}

ParsedArgs ParsedArgs::parse(std::span<const std::string> words, std::span<const OptionSpec> specs) {
  std::size_t consumed = 0;
  return parseWords(words, specs, false, consumed);
}

ParsedArgs ParsedArgs::parseLeading(std::span<const std::string> words, std::span<const OptionSpec> specs,
                                    std::size_t& consumed) {
  return parseWords(words, specs, true, consumed);
}

}  // namespace qs::cli
