#include "cli/standard_streams.h"

#include <algorithm>

#include "cli/args.h"
#include "cli/messages.h"

namespace qs::cli {

void RefuseStreamMisuse(std::span<const std::string> inputs, const std::optional<std::string>& output,
                        bool inputHasOutput) {
  const auto streams = std::count_if(inputs.begin(), inputs.end(), IsStandardStream);
  if (streams > 1) throw UsageError(cli_text::kStandardInputTwice);
  if (streams == 1 && inputHasOutput && inputs.size() > 1) throw UsageError(cli_text::kStandardInputAlone);
  if (output && IsStandardStream(*output) && inputs.size() > 1)
    throw UsageError(cli_text::kStandardOutputOneInput);
}

bool OutputIsStandardOutput(const ParsedArgs& args) {
  if (const std::optional<std::string> output = args.value("output")) return IsStandardStream(*output);
  const std::vector<std::string>& inputs = args.positionals();
  return !args.has("check") && std::any_of(inputs.begin(), inputs.end(), IsStandardStream);
}

void DirectStreams(OperationRequest& request, const std::string& source, const std::string& target) {
  request.sourceIsStandardInput = IsStandardStream(source);
  request.targetIsStandardOutput = request.code != OperationCode::kVerify && IsStandardStream(target);
  request.sourceName = request.sourceIsStandardInput ? cli_text::kStandardInputName : source;
  request.targetName = request.targetIsStandardOutput ? cli_text::kStandardOutputName : target;
}

}  // namespace qs::cli
