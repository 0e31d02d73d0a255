#pragma once
// Flow layout of the thumbnails in the gallery strip and the set-up of its
// scroll bar, in twips (single precision), free of any widget so that it can
// be checked by tables.
//
// Thumbnails run left to right with a 30-twip gap and wrap when the next one
// would pass the strip's right edge or when the template before it asks for a
// row break; the strip is as tall as its rows plus a gap; one scroll unit
// moves the strip by 10 twips.

#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

namespace qm::gallery {

inline constexpr float kThumbGap = 30.0f;    // twips between thumbnails and below the last row
inline constexpr float kScrollUnit = 10.0f;  // twips per scroll bar unit
inline const QString kRowBreakMarker = QStringLiteral(" -\u00AC");

struct GalleryLayoutInput {
  QPointF first;             // thumbnail 1's position; it keeps it
  QList<QSizeF> sizes;       // each thumbnail's box in twips, in template order
  QList<bool> rowBreaks;     // each template's row-break flag (missing entries: off)
  float stripWidth = 0;      // framPic 1 Width
  float viewportHeight = 0;  // framPic 0 Height
};

struct GalleryLayoutResult {
  QList<QPointF> positions;   // one per thumbnail
  QList<bool> tooltipMarker;  // the tooltip of this thumbnail ends with the marker
  float stripHeight = 0;      // new framPic 1 Height
  int scrollMax = 0;          // in scroll units; may be <= 0, then the bar is hidden
  int largeChange = 1;
  int smallChange = 1;
  // Always 0: the strip goes back to its top also when the bar is hidden, so a
  // short category never stays scrolled away with no bar to scroll it back.
  int value = 0;
  bool scrollVisible = false;
};

GalleryLayoutResult LayoutGallery(const GalleryLayoutInput& in);

// The tooltip with the row-break marker at its end, added once only, however
// often the window is laid out again.
QString WithRowBreakMarker(const QString& tooltip);

}  // namespace qm::gallery
