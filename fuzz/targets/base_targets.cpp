// The record reader and the whole-file container.
#include "base/byte_stream.h"
#include "base/whole_file.h"
#include "fuzz/fuzz_target.h"

// The first byte chooses a reading program, the rest is the record: every read past the end
// must yield zeros or an empty field, never touch memory beyond the buffer.
QS_FUZZ_TARGET(byte_stream) {
  if (data.empty()) return;
  const std::uint8_t program = data[0];
  qs::ByteStream in(qs::ByteBuffer(data.subspan(1)));
  for (int step = 0; step < 64 && (in.remaining() > 0 || step < 4); ++step) {
    switch ((program >> (step % 4 * 2)) & 3) {
      case 0:
        in.readU8();
        in.readU16();
        break;
      case 1:
        in.readU32();
        break;
      case 2:
        if (in.readField().length() > data.size()) qs::fuzz::Fail("field longer than the record");
        break;
      default:
        if (auto field = in.readCompleteField(); field && field->length() > data.size()) {
          qs::fuzz::Fail("complete field longer than the record");
        }
        in.skipField();
        break;
    }
  }
}

QS_FUZZ_TARGET(whole_file) {
  qs::ByteStream stream;
  // A file shorter than the prefix reads as empty content.
  if (qs::ReadWholeFile(stream, qs::fuzz::WriteInputFile(data)) && stream.bytes.length() > 0 &&
      stream.bytes.length() + 4 > data.size()) {
    qs::fuzz::Fail("content longer than the file");
  }
}
