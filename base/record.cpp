#include "base/record.h"

namespace qs {

void AppendRecordHeader(ByteBuffer& out, const char* tag) {
  out.appendField(ByteBuffer::fromText(tag));
  out.appendU16(kRecordVersion);
}

bool ReadRecordHeader(ByteStream& in, const char* tag) {
  const bool tagMatches = in.readField().equals(ByteBuffer::fromText(tag));
  const bool versionMatches = in.readU16() == kRecordVersion;
  return tagMatches && versionMatches;
}

bool HasRecordTag(const ByteBuffer& record, const char* tag) {
  ByteStream in(record);
  const std::optional<ByteBuffer> first = in.readCompleteField();
  return first && first->equals(ByteBuffer::fromText(tag));
}

}  // namespace qs
