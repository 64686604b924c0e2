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

}  // namespace qs
