#pragma once
// quillseal.exe's command line: Explorer starts the program with a file, and with a verb
// for the command to run on it ("/dekryptera FILE" for a double-clicked ".encrypted").
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

// The four file commands of the main window, each with its own button.
enum class FileVerb { kEncrypt, kDecrypt, kSign, kVerify };

// What the program does once the main window is open: nothing, or put the file where a drop
// puts it and then, with a verb, run that command as its button does.
struct StartRequest {
  std::optional<std::string> file;  // UTF-8
  std::optional<FileVerb> verb;
};

struct CommandLine {
  StartRequest request;
  std::string refusal;  // why the program cannot follow the command line; empty when it can
};

// The arguments after the program's name of a Windows command line (UTF-16, as the system
// hands it over), split as the C runtime splits argv: blanks separate arguments outside
// double quotes; 2n backslashes before a quote give n and the quote opens or closes,
// 2n + 1 give n and a literal quote; "" inside quotes is a literal quote. The program's name
// itself ends at its closing quote or first blank. UTF-8 out.
std::vector<std::string> SplitCommandLine(std::u16string_view commandLine);

// Nothing, one file, or one verb ("/kryptera", "/dekryptera", "/signera", "/verifiera", in
// any case) and one file, in either order. An argument of "/" and one word is a verb, known
// or not; "/tmp/a.txt" is a file. Anything else, and a file that does not exist, is refused
// with the message to show.
CommandLine ReadCommandLine(const std::vector<std::string>& arguments);

}  // namespace qs
