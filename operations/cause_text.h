#pragma once
#include <cstdint>
#include <string>

#include "formats/file_result.h"
#include "keys/key_result.h"
#include "platform/file_error.h"

namespace qs {

// A count with its digits in groups of three, as Swedish writes them: "209 715 904".
std::string GroupedDigits(std::uint64_t n);

// What the system said about a file, in Swedish (UTF-8); empty for kNone.
std::string FileErrorText(platform::FileError error);

// The second line both front ends show after a failure: the file, as its path was given, and
// what was wrong with it, such as "x.encrypted: filen är krypterad för en annan nyckel".
// Empty when there is no cause to name.
std::string CauseText(const FileCause& cause);

// What the system said about the file its last failing call was on, as CauseText; empty when
// that call recorded no error.
std::string SystemCauseText(const std::string& file);

// The same for a key file: what its content was instead, or else CauseText of its file
// cause, such as "x.public_cert_key: filen är en certifieringsnyckel, inte ett certifikat".
std::string KeyCauseText(const KeyCause& cause);

}  // namespace qs
