#pragma once
#include <string>

#include "keys/data_fields.h"

namespace qs::cli {

// One "--NAME NAMN=VÄRDE" word as record text: the field's name is what stands before the
// first '=' and must not be empty; anything else is a usage error.
DataField FieldOption(const std::string& word, const std::string& option);

// The text of an option that a record is to hold. A character Windows-1252 has no byte for
// would be stored as '?': a usage error that names it, before anything is written.
const std::string& StorableText(const std::string& text, const std::string& option);

}  // namespace qs::cli
