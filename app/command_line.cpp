#include "app/command_line.h"

#include <array>
#include <cstddef>
#include <utility>

#include "app/texts.h"
#include "base/utf8.h"
#include "platform/file.h"

namespace qs {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Where the arguments begin: after the program's name and the blanks behind it. The name is
// quoted as a whole or not at all; a backslash in it is a folder separator, never an escape.
std::size_t SkipProgramName(std::u16string_view line) {
  std::size_t i = 0;
  if (i < line.size() && line[i] == u'"') {
    i = line.find(u'"', 1);
    i = i == std::u16string_view::npos ? line.size() : i + 1;
  }
  while (i < line.size() && !IsBlank(line[i])) ++i;
  while (i < line.size() && IsBlank(line[i])) ++i;
  return i;
}

constexpr std::array<std::pair<std::string_view, FileVerb>, 4> kVerbs{{
    {"/kryptera", FileVerb::kEncrypt},
    {"/dekryptera", FileVerb::kDecrypt},
    {"/signera", FileVerb::kSign},
    {"/verifiera", FileVerb::kVerify},
}};

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::optional<FileVerb> VerbNamed(std::string_view word) {
  std::string lower(word);
  for (char& c : lower) c = LowerAscii(c);
  for (const auto& [name, verb] : kVerbs) {
    if (lower == name) return verb;
  }
  return std::nullopt;
}

// "/kryptera", but not "/tmp/a.txt": one word after the slash.
bool IsVerbWord(std::string_view argument) {
  return argument.starts_with('/') && argument.find_first_of("/\\", 1) == std::string_view::npos;
}

CommandLine Refuse(const std::string& why) { return {{}, why + "\n\n" + text::kCommandLineUsage}; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::u16string_view line) {
  std::vector<std::string> arguments;
  std::size_t i = SkipProgramName(line);
  while (i < line.size()) {
    std::u16string argument;
    bool quoted = false;
    for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
      if (line[i] == u'\\') {
        std::size_t backslashes = 0;
        for (; i < line.size() && line[i] == u'\\'; ++i) ++backslashes;
        const bool beforeQuote = i < line.size() && line[i] == u'"';
        argument.append(beforeQuote ? backslashes / 2 : backslashes, u'\\');
        if (beforeQuote && backslashes % 2 == 1) {
          argument.push_back(u'"');
        } else {
          --i;  // the quote, or whatever follows, is looked at next
        }
      } else if (line[i] == u'"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
          argument.push_back(u'"');
          ++i;
        } else {
          quoted = !quoted;
        }
      } else {
        argument.push_back(line[i]);
      }
    }
    arguments.push_back(Utf16ToUtf8(argument));
    while (i < line.size() && IsBlank(line[i])) ++i;
  }
  return arguments;
}

CommandLine ReadCommandLine(const std::vector<std::string>& arguments) {
  CommandLine command;
  std::string verbWord;
  for (const std::string& argument : arguments) {
    if (IsVerbWord(argument)) {
      const std::optional<FileVerb> verb = VerbNamed(argument);
      if (!verb) return Refuse(text::kUnknownCommandLineVerb + argument);
      if (command.request.verb) return Refuse(text::kOneVerbOneFile);
      command.request.verb = verb;
      verbWord = argument;
    } else {
      if (command.request.file) return Refuse(text::kOneVerbOneFile);
      command.request.file = argument;
    }
  }
  if (command.request.verb && !command.request.file) return Refuse(text::kVerbWithoutFile + verbWord);
  if (command.request.file && !platform::FileExists(*command.request.file)) {
    return Refuse(text::kNoSuchFile + *command.request.file);
  }
  return command;
}

}  // namespace qs
