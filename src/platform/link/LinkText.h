#pragma once

#include <QByteArray>
#include <QString>

namespace qm::link {

// Messages travel as bytes of the system code page. A text holding a zero
// character goes only up to it, as a zero-terminated string would.
QByteArray EncodeLinkText(const QString& text);
// Undecodable bytes become replacement characters; nothing here can fail.
QString DecodeLinkText(const QByteArray& bytes);

}  // namespace qm::link
