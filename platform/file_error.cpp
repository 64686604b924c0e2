#include "platform/file_error.h"

namespace qs::platform {
namespace {

// Per thread: the chunked pipelines read and write on one thread while others compute.
thread_local FileError g_last = FileError::kNone;

}  // namespace

FileError LastFileError() { return g_last; }

void SetLastFileError(FileError error) { g_last = error; }

}  // namespace qs::platform
