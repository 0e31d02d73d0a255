#pragma once
// The stamp as the desktop shows it: the look drawn the way the gallery draws
// a template (render::DrawStamp), on a transparent box so the desktop shows
// around and through the picture. A look without a picture is its text alone,
// in a box that fits it.
//
// A look that cannot be drawn whole (a picture that is missing or does not
// decode, a font that is not installed) leaves the last whole stamp on show
// and says why; only before any whole stamp was drawn does the stamp show what
// could be drawn, or a small mark to grab it by when nothing could.

#include <QImage>
#include <QSize>
#include <QString>

#include "host/HostNote.h"
#include "render/PictureRenderer.h"
#include "render/StampDrawing.h"
#include "stamp/StampParams.h"

namespace qm::host {

class StampPainter {
 public:
  explicit StampPainter(const QString& templateRoot);

  struct Result {
    render::StampDrawing drawing;  // the picture is "drawn" for a look without one
    bool textOnly = false;         // drawn as text alone
    bool keptLast = false;         // the last whole stamp stays on show
    Note problem;                  // why the look was not drawn whole
    // The status a program drawing into a file ends with.
    int status() const;
  };
  // Draws the look at `dpr` device pixels per logical pixel.
  Result Paint(const stamp::StampParams& params, const QString& sampleText, qreal dpr);

  // What to show: premultiplied ARGB with its device pixel ratio; never null
  // after a Paint.
  const QImage& Image() const { return image_; }
  QSize LogicalSize() const { return logical_; }

 private:
  QString root_;
  render::PictureCache cache_;
  QImage image_;
  QSize logical_;
  bool whole_ = false;  // image_ is a whole stamp
};

// The text of a look alone, in a transparent box that fits what it draws
// (border and shadow included) with a small margin; the offsets only move the
// text inside the space it would have in a picture. A look that draws nothing
// visible gives a null box.
render::StampTextResult DrawTextStamp(const stamp::StampParams& params, const QString& sampleText,
                                      qreal dpr, QImage& image, QSize& logicalSize);

}  // namespace qm::host
