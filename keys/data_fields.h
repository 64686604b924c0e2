#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "base/byte_buffer.h"
#include "base/wide_text.h"

namespace qs {

// One name/value pair that a certification authority vouches for.
struct DataField {
  WideText name;
  WideText value;
};

inline constexpr std::uint32_t kMaxDataFields = 20;
inline constexpr std::uint32_t kMaxFieldNameCharacters = 20;
inline constexpr std::uint32_t kMaxFieldValueCharacters = 150;

// The "DataFields" record (no tag; text is 16-bit units, high byte first):
//   u32    timestamp, seconds since 1970-01-01 00:00 UTC
//   u16    count
//   count × (field name text, field value text), each a u32 length and its bytes
// Fails for more than 20 fields, a name over 20 or a value over 150 characters.
std::optional<ByteBuffer> EncodeDataFields(const std::vector<DataField>& fields, std::uint32_t timestamp);

struct DecodedDataFields {
  std::uint32_t timestamp = 0;
  std::vector<DataField> fields;
};

// Nothing unless the record is exactly this layout: every text complete and of whole 16-bit
// units, and no byte after the last pair. The record is signed right after the key record,
// so bytes that parse loosely could have been moved across that boundary.
std::optional<DecodedDataFields> DecodeDataFields(const ByteBuffer& record);

}  // namespace qs
