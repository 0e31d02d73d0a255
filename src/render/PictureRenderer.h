#pragma once
// The template picture preview: the picture with its tone (hue, saturation,
// value, brightness, opacity) drawn into a box 4 pixels larger than the
// picture, whose sunken border leaves an inner area of exactly the picture's
// size, over the box's background colour or a tiled texture.

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <optional>

#include "render/ColourMatrix.h"
#include "stamp/StampParams.h"

class QBuffer;
class QIODevice;

namespace qm::render {

struct PictureBox;

// The five tone factors of a template, as the colour matrix takes them.
struct PictureTone {
  float hue = 0;         // radians
  float saturation = 1;  // 1 = unchanged
  float value = 1;       // 1 = unchanged
  float brightness = 0;  // offset in units of full scale
  float opacity = 1;     // factor on alpha

  ColourMatrix matrix() const;
};

// The tone of a template's fields 17..21 (hue in degrees, saturation, value and
// brightness in per cent, transparency in per cent).
PictureTone ToneFromValues(std::int16_t hue, std::int16_t saturation, std::int16_t value,
                           std::int16_t brightness, std::int16_t transparency);
// The same for a look's tone group.
PictureTone ToneOf(const stamp::StampParams& p);

// The background texture: the texture file's bytes as read at start-up and the
// two switches that must both be on for it to be drawn.
struct TextureSource {
  QByteArray bytes;
  bool TextureLoaded = false;
  bool TextureEnabled = false;
};

// Limits for decoding: larger pictures are refused before any pixel memory is
// taken.
constexpr int kMaxPictureSide = 16384;
constexpr qint64 kMaxPicturePixels = 32LL * 1024 * 1024;

// Decodes a picture without trusting its header: a picture whose declared size
// exceeds the limits above, or that does not decode, gives a null image.
QImage ReadPictureBounded(QIODevice& device);
QImage ReadPictureBounded(const QString& path);
// The same for a picture already read: the common PNG by our own reader, any
// other by Qt's, asked by name where the bytes say PNG.
QImage ReadPictureBytes(const QByteArray& bytes);

// Hands out a read-only stream over a copy of `bytes`. False when the stream
// cannot be opened.
bool BytesToStream(const QByteArray& bytes, std::unique_ptr<QBuffer>& stream);

// Decoded pictures kept by path, size and modification time, so that a repaint
// with another background does not decode every picture again; a file that
// changed is decoded anew. The toned image of the last tone used is kept too.
//
// Safe to use from several threads at once (the gallery decodes a category on
// a pool): a file is decoded by one thread at a time, and a second thread that
// asks for it meanwhile waits for that decoding instead of repeating it.
// Decoding and toning run outside the lock.
class PictureCache {
 public:
  explicit PictureCache(qint64 maxBytes = 256LL * 1024 * 1024);
  ~PictureCache();
  PictureCache(const PictureCache&) = delete;
  PictureCache& operator=(const PictureCache&) = delete;

  // The toned picture (straight ARGB32), or a null image when the file cannot
  // be read.
  QImage toned(const QString& path, const ColourMatrix& matrix);
  void clear();
  int size() const;
  // How many times a file was decoded (for tests and measurements).
  int decodeCount() const { return decodes_.load(std::memory_order_relaxed); }

 private:
  struct Entry;
  struct Impl;
  std::unique_ptr<Impl> d_;
  std::atomic<int> decodes_{0};
};

// Draws the picture at `picturePath` into `target` with the tone: the box gets
// its border and is resized to the picture plus 4 pixels each way, its inner
// area (showing its background colour) is filled with the tiled texture when
// the texture is loaded, enabled and decodes, and the toned picture is drawn
// over the whole inner area in its own size.
// A missing or undecodable picture draws nothing, leaves the box as it was and
// gives false.
bool DrawTemplatePicture(const QString& picturePath, PictureBox& target, float hue,
                         float saturation, float value, float brightness, float opacity,
                         const TextureSource& texture, PictureCache* cache = nullptr);
bool DrawTemplatePicture(const QString& picturePath, PictureBox& target, const PictureTone& tone,
                         const TextureSource& texture, PictureCache* cache = nullptr);

}  // namespace qm::render
