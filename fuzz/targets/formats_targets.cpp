// The signature record, the native header, table and chunks, and the OKI record.
#include "codec/chunk_codec.h"
#include "crypto/encrypted_data.h"
#include "formats/encrypted_file_header.h"
#include "formats/encrypted_file_stream.h"
#include "formats/signing_context.h"
#include "fuzz/fuzz_target.h"

// The signed data is the word "data"; the seeds sign it with the fixed key.
QS_FUZZ_TARGET(signature_record) {
  qs::SigningContext context(nullptr);
  const std::uint8_t signedData[] = {'d', 'a', 't', 'a'};
  if (!context.setLabel(qs::TextString(qs::kSignedFileLabel)) || !context.addData(signedData)) {
    qs::fuzz::Fail("signing context");
  }
  std::uint32_t timestamp = 0;
  qs::WideText message;
  context.verify(qs::ByteBuffer(data), qs::fuzz::FixedKeys().publicRecord, timestamp, message);
}

QS_FUZZ_TARGET(native_header) {
  qs::Finding why = qs::Finding::kNone;
  const qs::fuzz::FixedKeyPair& keys = qs::fuzz::FixedKeys();
  qs::ReadFileHeader(nullptr, keys.privateRecord, keys.publicRecord, qs::ByteBuffer(data), why);
}

// A whole native file read with the fixed session key: header, table, every chunk and, for a
// chunk that unseals, its decompression.
QS_FUZZ_TARGET(native_file) {
  qs::EncryptedFileReader reader(qs::fuzz::WriteInputFile(data));
  if (!reader.opened() || !reader.readHeader() || !reader.readTable(qs::fuzz::kFixedSessionKey)) return;
  for (std::uint32_t i = 0; i < reader.count(); ++i) {
    std::optional<qs::ByteBuffer> chunk = reader.readChunk();
    if (!chunk) return;
    qs::DecompressChunk(*chunk);
  }
}

QS_FUZZ_TARGET(oki_record) {
  const qs::fuzz::FixedKeyPair& keys = qs::fuzz::FixedKeys();
  qs::DecryptMessage(keys.privateRecord, keys.publicRecord, qs::ByteBuffer(data), nullptr);
}
