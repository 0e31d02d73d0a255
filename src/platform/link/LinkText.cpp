#include "platform/link/LinkText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace qm::link {

QByteArray EncodeLinkText(const QString& text) {
  QStringEncoder encoder(QStringConverter::System);
  QByteArray bytes = encoder.encode(text);
  const qsizetype zero = bytes.indexOf('\0');
  if (zero >= 0) bytes.truncate(zero);
  return bytes;
}

QString DecodeLinkText(const QByteArray& bytes) {
  QStringDecoder decoder(QStringConverter::System);
  return decoder.decode(bytes);
}

}  // namespace qm::link
