#pragma once
#include <optional>
#include <span>
#include <string>

#include "cli/args.h"
#include "cli/session.h"
#include "operations/file_operation.h"

namespace qs::cli {

// "-" as an input reads standard input, as -o's value writes standard output; a file of that
// name is reached as "./-".
inline bool IsStandardStream(const std::string& word) { return word == "-"; }

// The usage errors of the streams for a command's inputs and -o: standard input named twice,
// or beside other inputs when the input is to have an output of its own (the stream has no
// name to give one in a folder), and standard output for several inputs.
void RefuseStreamMisuse(std::span<const std::string> inputs, const std::optional<std::string>& output,
                        bool inputHasOutput);

// Points the request at the streams its source and target name, which are then given their
// messages' names; a verification's target is its signature file, never a stream.
void DirectStreams(OperationRequest& request, const std::string& source, const std::string& target);

// Whether a command's output goes to standard output: -o -, or "-" as the input without -o.
bool OutputIsStandardOutput(const ParsedArgs& args);

// A command whose output goes to standard output tells everything else (approvals, lines
// about files) on standard error, in a session of its own, so that the output stays whole.
template <int (*Run)(Session&, const ParsedArgs&)>
int KeepingStandardOutputForTheOutput(Session& session, const ParsedArgs& args) {
  if (!OutputIsStandardOutput(args)) return Run(session, args);
  Io& io = session.io();
  Io toldOnError{io.in, io.err, io.err, io.inputIsTerminal, io.errorIsTerminal};
  Session told(toldOnError, session.options());
  return Run(told, args);
}

}  // namespace qs::cli
