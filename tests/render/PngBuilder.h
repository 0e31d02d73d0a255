#pragma once
// Writes PNG files byte by byte, for tests that need rows filtered or chunks
// laid out in ways Qt's writer never chooses.

#include <QByteArray>
#include <QtEndian>

namespace qm::test {

inline quint32 PngCrc32(const QByteArray& bytes) {
  quint32 c = 0xFFFFFFFFu;
  for (const char ch : bytes) {
    c ^= uchar(ch);
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

inline QByteArray PngChunk(const char* type, const QByteArray& data) {
  const QByteArray body = QByteArray(type, 4) + data;
  QByteArray out(4, Qt::Uninitialized);
  qToBigEndian<quint32>(quint32(data.size()), out.data());
  QByteArray crc(4, Qt::Uninitialized);
  qToBigEndian<quint32>(PngCrc32(body), crc.data());
  return out + body + crc;
}

// An 8-bit RGB (3 bytes a pixel) or RGBA (4) file of the given filtered
// rows (each led by its filter byte), the compressed stream cut into
// `pieces` chunks.
inline QByteArray PngFile(int width, int height, int bytesPerPixel, const QByteArray& filtered,
                          int pieces = 1) {
  const QByteArray zlib = qCompress(filtered, 9).mid(4);  // without Qt's length prefix
  QByteArray header(13, 0);
  qToBigEndian<quint32>(quint32(width), header.data());
  qToBigEndian<quint32>(quint32(height), header.data() + 4);
  header[8] = 8;
  header[9] = char(bytesPerPixel == 4 ? 6 : 2);
  QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header);
  const qsizetype piece = zlib.size() / pieces + 1;
  for (qsizetype at = 0; at < zlib.size(); at += piece)
    png += PngChunk("IDAT", zlib.mid(at, piece));
  return png + PngChunk("IEND", {});
}

}  // namespace qm::test
