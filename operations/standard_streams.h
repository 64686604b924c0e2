#pragma once
#include <optional>
#include <string>

#include "formats/file_result.h"
#include "platform/file.h"

namespace qs {

// The bytes of standard input, read to its end into a new temporary file beside the given
// name (the file holds only what the pipe carried), closed so that a pipeline can open it by
// name. Nothing when standard input or the file fails; why then says which, on sourceName.
std::optional<platform::TemporaryFile> KeepStandardInput(const std::string& beside,
                                                         const std::string& sourceName, FileResult& why);

// Copies the named file to standard output; a failure is the target's, named targetName.
FileResult CopyToStandardOutput(const std::string& path, const std::string& targetName);

// A cause that names a temporary file, named instead as the stream it stands for.
FileCause NamedAsStream(FileCause cause, const std::string& temporary, const std::string& streamName);

}  // namespace qs
