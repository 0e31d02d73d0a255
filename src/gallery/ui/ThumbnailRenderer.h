#pragma once
// One thumbnail's drawing made without touching a widget, so that the
// pictures of a category can be decoded, toned and drawn on a pool of threads
// while the window goes on. Everything a drawing needs is copied into its job
// on the window's thread; the drawing comes back as an image that the window's
// thread puts into the thumbnail. The decoded pictures and the drawn texts are
// kept between paints and shared by every thread.

#include <QColor>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QPoint>
#include <QSize>
#include <QString>

#include "gallery/Catalogue.h"
#include "render/PictureRenderer.h"

namespace qm {

struct ThumbnailJob {
  gallery::TemplateRecord record;
  QString templateRoot;
  QString sampleText;
  render::TextureSource texture;
  QColor back;
  qreal dpr = 1.0;
  // The thumbnail's size when the job was made: a box that gets no picture
  // keeps it.
  QSize size;
};

struct ThumbnailDrawing {
  // False when there is no picture file: the window's thread says so in the
  // thumbnail (in the thumbnail's own font) and the rest below is empty.
  bool fileFound = false;
  QImage image;  // the box in device pixels; null when it could not be made
  QSize logicalSize;
  QString tag;  // fields 0..21 of the record as text
};

class ThumbnailRenderer {
 public:
  // Any thread, any number of threads at once.
  ThumbnailDrawing Draw(const ThumbnailJob& job);
  // Forgets the decoded pictures and the drawn texts.
  void ClearCaches();
  // Picture files decoded (or tried) since start.
  int DecodeCount() const { return pictures_.decodeCount(); }

 private:
  // The template's text drawn alone on a transparent box of the picture's
  // size, kept to the part the text touches (`at`, in device pixels). The
  // text does not depend on the background or the picture's tone, so a
  // repaint after a background change, or of a category shown before, lays
  // the kept text over the new background instead of drawing it again; a
  // null image when the text cannot be drawn or touches nothing.
  struct Layer {
    QImage image;
    QPoint at;
  };
  Layer TextLayer(const stamp::StampParams& look, const QString& sampleText, const QSize& size,
                  qreal dpr);

  render::PictureCache pictures_;
  static constexpr qint64 kTextLayerBytes = 64LL * 1024 * 1024;
  QMutex textMutex_;  // guards the two below
  QHash<QString, Layer> textLayers_;
  qint64 textLayerBytes_ = 0;
};

}  // namespace qm
