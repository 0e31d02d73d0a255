#include "render/PngFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>

#include "platform/SaveFile.h"

namespace qm::render {

QString SavePng(const QImage& image, const QString& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  if (!writer.write(image)) return writer.errorString();
  const platform::SaveResult saved = platform::SaveFileAtomically(path, bytes);
  return saved.ok ? QString() : saved.Reason();
}

}  // namespace qm::render
