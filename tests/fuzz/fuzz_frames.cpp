// The link's frame parser on any byte stream in any split: the messages it
// yields are exactly the zero-terminated pieces of the stream, none longer
// than a frame allows, and once it fails it stays failed.
#include <QList>

#include "FuzzSupport.h"
#include "platform/link/FrameParser.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the chunk size the stream arrives in.
  const size_t chunk = 1 + data[0] % 64;
  const QByteArray stream = fuzz::Bytes(data + 1, size - 1);
  link::FrameParser parser;
  QList<QByteArray> got;
  bool ok = true;
  for (qsizetype at = 0; at < stream.size(); at += static_cast<qsizetype>(chunk)) {
    const bool fed =
        parser.feed(stream.constData() + at,
                    std::min<qsizetype>(static_cast<qsizetype>(chunk), stream.size() - at), got);
    fuzz::Check(ok || !fed, "a failed parser stays failed");
    ok = ok && fed;
  }
  // What a reference split of the whole stream gives.
  QList<QByteArray> want;
  qsizetype start = 0;
  bool overlong = false;
  for (qsizetype i = 0; i < stream.size() && !overlong; ++i) {
    if (i - start >= link::FrameParser::kMaxFrame)
      overlong = true;
    else if (stream[i] == '\0') {
      want << stream.mid(start, i - start);
      start = i + 1;
    }
  }
  if (!overlong && stream.size() - start >= link::FrameParser::kMaxFrame) overlong = true;
  fuzz::Check(ok == !overlong, "fails exactly on an over-long frame");
  if (ok) fuzz::Check(got == want, "the messages are the zero-terminated pieces");
  for (const QByteArray& m : got)
    fuzz::Check(m.size() <= link::FrameParser::kMaxText && !m.contains('\0'), "message size");
  return 0;
}
