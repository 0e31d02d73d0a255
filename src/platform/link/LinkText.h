#pragma once

#include <QByteArray>
#include <QString>

namespace qm::link {

// Messages travel as bytes of the system code page, converted by the lossless
// pair of platform/CodePage.h: a message holding bytes that are not valid in
// the code page (the host's text in another code page) decodes to stand-in
// characters, and sending that text back gives the host its very bytes.
//
// A text holding a zero character goes only up to it, as a zero-terminated
// string would; an unpaired surrogate goes as "?".
QByteArray EncodeLinkText(const QString& text);
// Nothing here can fail.
QString DecodeLinkText(const QByteArray& bytes);

}  // namespace qm::link
