#include "render/PictureRenderer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QImageReader>
#include <QMutex>
#include <QPainter>
#include <QSet>
#include <QWaitCondition>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/FileStamp.h"
#include "platform/RegularFile.h"
#include "render/PictureBox.h"
#include "render/PngDecoder.h"

namespace qm::render {
namespace {

using platform::FileStamp;

// The box's device pixels are bounded like a picture's, with room for the
// border and a device pixel ratio of up to 2.
constexpr qint64 kMaxBoxDevicePixels = 4 * kMaxPicturePixels;

bool SizeAllowed(const QSize& size) {
  return size.width() > 0 && size.height() > 0 && size.width() <= kMaxPictureSide &&
         size.height() <= kMaxPictureSide &&
         qint64(size.width()) * size.height() <= kMaxPicturePixels;
}

// The tile in the form the painter lays down quickest, with the same pixels:
// premultiplied, or without alpha when every pixel is opaque (tiles mostly
// are), so that filling a box copies rows instead of converting and blending
// every pixel of every thumbnail.
QImage ForTiling(const QImage& tile) {
  if (tile.isNull()) return tile;
  QImage out = tile.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (out.isNull()) return tile;
  for (int y = 0; y < out.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(out.constScanLine(y));
    for (int x = 0; x < out.width(); ++x)
      if (qAlpha(row[x]) != 255) return out;
  }
  const QImage opaque = out.convertToFormat(QImage::Format_RGB32);
  return opaque.isNull() ? out : opaque;
}

// The texture is decoded once and kept while the same bytes come back, which
// they do for every thumbnail of every repaint.
const QImage& DecodedTexture(const QByteArray& bytes) {
  struct Slot {
    QByteArray bytes;
    QImage image;
    bool valid = false;
  };
  thread_local Slot slot;
  const bool same = slot.valid && slot.bytes.size() == bytes.size() &&
                    (slot.bytes.constData() == bytes.constData() || slot.bytes == bytes);
  if (!same) {
    slot.bytes = bytes;
    slot.image = QImage();
    slot.image = ForTiling(ReadPictureBytes(bytes));
    slot.valid = true;
  }
  return slot.image;
}

}  // namespace

ColourMatrix PictureTone::matrix() const {
  return ColourMatrix::Tone(hue, saturation, value, brightness, opacity);
}

PictureTone ToneFromValues(std::int16_t hue, std::int16_t saturation, std::int16_t value,
                           std::int16_t brightness, std::int16_t transparency) {
  PictureTone t;
  // Degrees to radians with the single-precision value of pi that stored
  // templates were made with.
  t.hue = static_cast<float>(hue / 180.0 * 3.1415927);
  t.saturation = static_cast<float>(saturation / 100.0);
  t.value = static_cast<float>(value / 100.0);
  t.brightness = static_cast<float>(brightness / 100.0);
  t.opacity = static_cast<float>(1.0 - transparency / 100.0);  // the field is a transparency
  return t;
}

PictureTone ToneOf(const stamp::StampParams& p) {
  return ToneFromValues(p.PicHue, p.PicSaturation, p.PicValue, p.PicBrightness, p.PicAlpha);
}

QImage ReadPictureBounded(QIODevice& device) {
  QImageReader reader(&device);
  reader.setAutoTransform(false);
  // The header's size is checked before any pixel memory is taken: a small
  // file can claim a picture of gigabytes.
  const QSize declared = reader.size();
  if (!declared.isValid() || !SizeAllowed(declared)) return {};
  QImage image;
  if (!reader.read(&image) || image.isNull()) return {};
  if (!SizeAllowed(image.size())) return {};
  return image;
}

namespace {

// The whole file in one read: a picture is small, and reading it through a
// file device costs a system call for every few kilobytes the decoder asks
// for, plus a seek and a size query for every look at the header.
// `stamp` (if given) gets the stamp of the file as opened, so that it
// belongs to the bytes read even when the file is replaced meanwhile.
std::optional<QByteArray> ReadWholeFile(const QString& path, platform::FileStamp* stamp) {
  const QByteArray name = QFile::encodeName(path);
  if (name.isEmpty()) return std::nullopt;
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
  const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<QByteArray> out;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= platform::kMaxPictureBytes) {
    if (stamp) {
      stamp->isFile = true;
      stamp->size = static_cast<qint64>(st.st_size);
      stamp->modifiedNs = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    // One byte more than the size read: a file that grew meanwhile is read
    // on, never past the limit.
    QByteArray data(static_cast<qsizetype>(st.st_size) + 1, Qt::Uninitialized);
    qsizetype got = 0;
    for (;;) {
      if (got == data.size()) {
        if (data.size() > platform::kMaxPictureBytes) break;
        data.resize(qMin<qsizetype>(data.size() * 2, platform::kMaxPictureBytes + 1));
      }
      const ssize_t n = ::read(fd, data.data() + got, static_cast<size_t>(data.size() - got));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) break;
      if (n == 0) {
        data.truncate(got);
        out = std::move(data);
        break;
      }
      got += n;
    }
  }
  ::close(fd);
  return out;
}

// The size a PNG's header declares, read from the bytes at hand rather than
// through an image reader, which would set up its decoder for it.
std::optional<QSize> PngDeclaredSize(const QByteArray& bytes) {
  static constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  // The signature, then the IHDR chunk: length, type, width, height.
  if (bytes.size() < 24 || std::memcmp(bytes.constData(), kSignature, 8) != 0 ||
      std::memcmp(bytes.constData() + 12, "IHDR", 4) != 0)
    return std::nullopt;
  const auto* u = reinterpret_cast<const unsigned char*>(bytes.constData());
  const auto be32 = [u](int at) {
    return quint32(u[at]) << 24 | quint32(u[at + 1]) << 16 | quint32(u[at + 2]) << 8 | u[at + 3];
  };
  const quint32 w = be32(16);
  const quint32 h = be32(20);
  // Beyond what an int holds is beyond every limit anyway.
  if (w > 0x7FFFFFFF || h > 0x7FFFFFFF) return QSize(-1, -1);
  return QSize(static_cast<int>(w), static_cast<int>(h));
}

// ReadPictureBounded, with the stamp of the file read.
QImage ReadPictureFile(const QString& path, platform::FileStamp* stamp) {
  const std::optional<QByteArray> bytes = ReadWholeFile(path, stamp);
  return bytes ? ReadPictureBytes(*bytes) : QImage();
}

}  // namespace

QImage ReadPictureBytes(const QByteArray& bytes) {
  QBuffer buffer(const_cast<QByteArray*>(&bytes));
  if (!buffer.open(QIODevice::ReadOnly)) return {};
  const std::optional<QSize> png = PngDeclaredSize(bytes);
  if (!png) return ReadPictureBounded(buffer);  // another format: its reader reads the header
  if (!SizeAllowed(*png)) return {};
  if (std::optional<QImage> common = DecodeCommonPng(bytes)) return std::move(*common);
  // Named, so that the reader does not load and ask every format's plugin
  // whether the bytes are theirs.
  QImageReader reader(&buffer, QByteArrayLiteral("png"));
  reader.setAutoTransform(false);
  QImage image;
  if (!reader.read(&image) || image.isNull() || !SizeAllowed(image.size())) return {};
  return image;
}

QImage ReadPictureBounded(const QString& path) { return ReadPictureFile(path, nullptr); }

bool BytesToStream(const QByteArray& bytes, std::unique_ptr<QBuffer>& stream) {
  auto buffer = std::make_unique<QBuffer>();
  buffer->setData(bytes);
  if (!buffer->open(QIODevice::ReadOnly)) return false;
  stream = std::move(buffer);
  return true;
}

struct PictureCache::Entry {
  FileStamp stamp;
  QImage original;
  QImage toned;
  ColourMatrix matrix;
  qint64 lastUse = 0;
  qint64 bytes() const { return original.sizeInBytes() + toned.sizeInBytes(); }
};

struct PictureCache::Impl {
  qint64 maxBytes;
  qint64 usedBytes = 0;
  qint64 clock = 0;
  QHash<QString, Entry> entries;
  QMutex mutex;  // guards everything above and `decoding`
  // Files a thread is decoding now; `decoded` wakes the threads waiting for one.
  QSet<QString> decoding;
  QWaitCondition decoded;

  void erase(QHash<QString, Entry>::iterator it) {
    usedBytes -= it->bytes();
    entries.erase(it);
  }

  void evictFor(qint64 incoming) {
    while (!entries.isEmpty() && usedBytes + incoming > maxBytes) {
      auto oldest = entries.begin();
      for (auto it = entries.begin(); it != entries.end(); ++it)
        if (it->lastUse < oldest->lastUse) oldest = it;
      erase(oldest);
    }
  }
};

PictureCache::PictureCache(qint64 maxBytes) : d_(std::make_unique<Impl>()) {
  d_->maxBytes = maxBytes;
}
PictureCache::~PictureCache() = default;

void PictureCache::clear() {
  const QMutexLocker lock(&d_->mutex);
  d_->entries.clear();
  d_->usedBytes = 0;
}

int PictureCache::size() const {
  const QMutexLocker lock(&d_->mutex);
  return static_cast<int>(d_->entries.size());
}

QImage PictureCache::toned(const QString& path, const ColourMatrix& matrix) {
  QMutexLocker lock(&d_->mutex);
  while (d_->decoding.contains(path)) d_->decoded.wait(&d_->mutex);
  auto it = d_->entries.find(path);
  FileStamp stamp;
  if (it != d_->entries.end()) {
    // A kept picture is used only while its file is unchanged. A file not
    // kept needs no look of its own: the reading below stamps it.
    lock.unlock();
    stamp = platform::FileStampOf(path);
    lock.relock();
    while (d_->decoding.contains(path)) d_->decoded.wait(&d_->mutex);
    it = d_->entries.find(path);
    if (it != d_->entries.end() && !(it->stamp == stamp)) {
      d_->erase(it);
      it = d_->entries.end();
    }
    if (!stamp.isFile) return {};
  }

  if (it != d_->entries.end()) {
    it->lastUse = ++d_->clock;
    if (it->matrix == matrix) return it->toned;
    // Another tone of a picture already decoded: toned outside the lock from
    // the kept original, which nobody changes (a new decoding replaces it).
    const QImage original = it->original;
    lock.unlock();
    QImage toned = ApplyColourMatrix(matrix, original);
    lock.relock();
    it = d_->entries.find(path);
    if (it != d_->entries.end() && it->stamp == stamp && !toned.isNull()) {
      d_->usedBytes -= it->toned.sizeInBytes();
      it->toned = toned;
      it->matrix = matrix;
      d_->usedBytes += it->toned.sizeInBytes();
    }
    return toned;
  }

  d_->decoding.insert(path);
  lock.unlock();
  Entry e;
  const QImage image = ReadPictureFile(path, &e.stamp);
  // A file that is there counts, whether it decodes or not; no file does not.
  if (e.stamp.isFile) decodes_.fetch_add(1, std::memory_order_relaxed);
  if (!image.isNull()) {
    e.original = image.convertToFormat(QImage::Format_ARGB32);
    e.toned = ApplyColourMatrix(matrix, e.original);
    e.matrix = matrix;
  }
  lock.relock();
  d_->decoding.remove(path);
  d_->decoded.wakeAll();
  if (image.isNull()) return {};
  // Threads asking for this file waited, so nothing took its place meanwhile.
  d_->evictFor(e.bytes());
  d_->usedBytes += e.bytes();
  e.lastUse = ++d_->clock;
  return d_->entries.insert(path, e)->toned;
}

bool DrawTemplatePicture(const QString& picturePath, PictureBox& target, const PictureTone& tone,
                         const TextureSource& texture, PictureCache* cache) {
  const ColourMatrix matrix = tone.matrix();
  QImage picture;
  if (cache) {
    picture = cache->toned(picturePath, matrix);
  } else {
    picture = ApplyColourMatrix(matrix, ReadPictureBounded(picturePath));
  }
  if (picture.isNull()) return false;  // the box keeps its size and content

  // The box is the picture within the picture box's border: its inner area
  // is exactly the picture, so the background or texture shows through the
  // picture's transparent parts and nowhere else.
  const int w = picture.width();
  const int h = picture.height();
  const int edge = 2 * PictureBox::kBorderWidth;
  const qint64 deviceW = DeviceLength(w + edge, target.devicePixelRatio);
  const qint64 deviceH = DeviceLength(h + edge, target.devicePixelRatio);
  if (deviceW * deviceH > kMaxBoxDevicePixels) return false;
  target.border = true;
  if (!target.resizeLogical(w + edge, h + edge)) return false;

  QPainter painter(&target.image);
  if (!painter.isActive()) return false;
  // Smoothed only where it is scaled: the painter's direct blend is for
  // pictures drawn pixel for pixel without that hint.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, target.devicePixelRatio != 1);
  painter.translate(target.client().topLeft());

  if (texture.TextureLoaded && texture.TextureEnabled) {
    const QImage& tile = DecodedTexture(texture.bytes);
    // The tiles start at the inner area's top-left corner: the brush origin
    // stays at its (0, 0).
    if (!tile.isNull()) painter.fillRect(QRectF(0, 0, w, h), QBrush(tile));
  }
  // Premultiplied, the picture is blended by the painter's direct routine
  // when it is drawn unscaled; a straight one takes the general path, which
  // converts it row by row and hands a picture of more than a few dozen rows
  // to the thread pool, whose waking costs more than the blend.
  const QImage shown = picture.format() == QImage::Format_ARGB32
                           ? picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                           : picture;
  painter.drawImage(QRectF(0, 0, w, h), shown, QRectF(0, 0, w, h));
  return true;
}

bool DrawTemplatePicture(const QString& picturePath, PictureBox& target, float hue,
                         float saturation, float value, float brightness, float opacity,
                         const TextureSource& texture, PictureCache* cache) {
  return DrawTemplatePicture(picturePath, target,
                             PictureTone{hue, saturation, value, brightness, opacity}, texture,
                             cache);
}

}  // namespace qm::render
