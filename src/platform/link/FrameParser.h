#pragma once

#include <QByteArray>
#include <QList>

namespace qm::link {

// Cuts the byte stream of one link connection into messages. A message is
// every byte up to a zero byte (the zero excluded); bytes may arrive in any
// split. A frame, text and zero together, may be at most 64 KiB: a peer that
// sends 65536 bytes without a zero is broken or hostile, so the parser fails
// for good and the connection is dropped without applying any of that text.
class FrameParser {
 public:
  static constexpr qsizetype kMaxFrame = 64 * 1024;
  static constexpr qsizetype kMaxText = kMaxFrame - 1;

  // Appends the messages completed by `data` to `out`. Returns false once the
  // stream is over-long; messages completed before that point are still
  // appended, and every later call returns false at once.
  bool feed(const char* data, qsizetype size, QList<QByteArray>& out);
  bool feed(const QByteArray& data, QList<QByteArray>& out) {
    return feed(data.constData(), data.size(), out);
  }

  bool failed() const { return failed_; }
  // Bytes of an unfinished message; a connection that closes with some is
  // simply cut off, its last text is never delivered.
  qsizetype pending() const { return pending_.size(); }

 private:
  QByteArray pending_;
  bool failed_ = false;
};

}  // namespace qm::link
