#include "platform/link/LinkText.h"

#include "platform/CodePage.h"

namespace qm::link {

QByteArray EncodeLinkText(const QString& text) {
  QByteArray bytes = platform::EncodeCodePage(text);
  const qsizetype zero = bytes.indexOf('\0');
  if (zero >= 0) bytes.truncate(zero);
  return bytes;
}

QString DecodeLinkText(const QByteArray& bytes) { return platform::DecodeCodePage(bytes); }

}  // namespace qm::link
