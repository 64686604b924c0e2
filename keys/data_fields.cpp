#include "keys/data_fields.h"

#include "base/byte_stream.h"

namespace qs {

std::optional<ByteBuffer> EncodeDataFields(const std::vector<DataField>& fields, std::uint32_t timestamp) {
  if (fields.size() > kMaxDataFields) return std::nullopt;
  ByteBuffer record;
  record.appendU32(timestamp);
  record.appendU16(static_cast<std::uint16_t>(fields.size()));
  for (const DataField& field : fields) {
    if (field.name.count() > kMaxFieldNameCharacters || field.value.count() > kMaxFieldValueCharacters) {
      return std::nullopt;
    }
    record.appendField(field.name.toRecordBytes());
    record.appendField(field.value.toRecordBytes());
  }
  return record;
}

namespace {

std::optional<WideText> ReadText(ByteStream& in) {
  const std::optional<ByteBuffer> bytes = in.readCompleteField();
  if (!bytes || bytes->length() % 2 != 0) return std::nullopt;
  return WideText::fromRecordBytes(*bytes);
}

}  // namespace

std::optional<DecodedDataFields> DecodeDataFields(const ByteBuffer& record) {
  ByteStream in(record);
  if (in.remaining() < 6) return std::nullopt;
  DecodedDataFields decoded;
  decoded.timestamp = in.readU32();
  const std::uint16_t count = in.readU16();
  // Each pair takes at least 8 bytes, so a damaged count ends the loop at the record's end.
  for (std::uint16_t i = 0; i < count; ++i) {
    std::optional<WideText> name = ReadText(in);
    std::optional<WideText> value = ReadText(in);
    if (!name || !value) return std::nullopt;
    decoded.fields.push_back(DataField{std::move(*name), std::move(*value)});
  }
  if (in.remaining() != 0) return std::nullopt;
  return decoded;
}

}  // namespace qs
