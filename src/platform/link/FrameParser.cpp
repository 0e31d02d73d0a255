#include "platform/link/FrameParser.h"

#include <cstring>

namespace qm::link {

bool FrameParser::feed(const char* data, qsizetype size, QList<QByteArray>& out) {
  if (failed_) return false;
  const char* p = data;
  const char* end = data + size;
  while (p < end) {
    const auto* zero = static_cast<const char*>(std::memchr(p, 0, static_cast<size_t>(end - p)));
    const qsizetype run = (zero ? zero : end) - p;
    if (pending_.size() + run > kMaxText) {
      failed_ = true;
      pending_.clear();
      pending_.squeeze();
      return false;
    }
    if (!zero) {
      pending_.append(p, run);
      break;
    }
    if (pending_.isEmpty()) {
      out.append(QByteArray(p, run));
    } else {
      pending_.append(p, run);
      out.append(pending_);
      pending_.clear();
    }
    p = zero + 1;
  }
  return true;
}

}  // namespace qm::link
