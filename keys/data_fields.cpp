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

DecodedDataFields DecodeDataFields(const ByteBuffer& record) {
  ByteStream in(record);
  DecodedDataFields decoded;
  decoded.timestamp = in.readU32();
  const std::uint16_t count = in.readU16();
  // A damaged count must not make a list of 65535 empty pairs out of nothing.
  for (std::uint16_t i = 0; i < count && in.remaining() > 0; ++i) {
    DataField field;
    field.name = WideText::fromRecordBytes(in.readField());
    field.value = WideText::fromRecordBytes(in.readField());
    decoded.fields.push_back(std::move(field));
  }
  return decoded;
}

}  // namespace qs
