// Drawing a look's text: any line the parser takes, with any sample text, on a
// small surface at several pixel ratios, through each of the three ways in
// (a picture box, a painter that moves by whole pixels or turns, the layer of
// the text alone). Nothing is drawn outside the surface, and the layer lies
// within the box it was asked for.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "FuzzSupport.h"
#include "render/PictureBox.h"
#include "render/StampFont.h"
#include "render/StampText.h"
#include "stamp/StampParams.h"

using namespace qm;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // Fonts come through the application's font database.
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Three bytes choose the surface, the rest is the line, then (after a line
  // break) the sample text.
  if (size < 3) return 0;
  static constexpr qreal kRatios[] = {1.0, 2.0, 1.25, 1.5, 3.0, 0.5, 8.0, 16.0};
  const qreal dpr = kRatios[data[0] % 8];
  const QSize canvas(1 + data[1] % 48, 1 + data[2] % 48);
  const int turn = data[0] / 8;  // how the painter moves
  const QString text = fuzz::Text(data + 3, size - 3);
  const qsizetype nl = text.indexOf(u'\n');
  const auto parsed = stamp::ParseLine(nl < 0 ? text : text.left(nl));
  if (!parsed) return 0;
  stamp::StampParams p = *parsed;
  // The drawing is what is under test: an unknown family would stop it early.
  static const QString family = render::InstalledFontFamilies().value(0);
  if (!render::FindInstalledFamily(p.FontName)) p.FontName = family;
  // Long texts at a large size only cost time here; they are cut the same way.
  const QString sample = nl < 0 ? QString() : text.mid(nl + 1, 64);

  QImage layer;
  QPoint origin;
  if (render::StampTextLayer(canvas, dpr, p, sample, layer, origin) && !layer.isNull()) {
    const QRect device(0, 0, render::DeviceLength(canvas.width(), dpr),
                       render::DeviceLength(canvas.height(), dpr));
    fuzz::Check(device.contains(QRect(origin, layer.size())), "the layer lies within the box");
  }

  render::PictureBox box(canvas.width(), canvas.height(), Qt::white, dpr);
  box.border = true;
  box.clear();
  const QImage before = box.image;
  (void)render::DrawStampText(box, p, sample);
  fuzz::Check(box.image.size() == before.size(), "the box keeps its size");
  if (!box.image.isNull()) {
    // The border (the outer device pixels of the box) is never drawn over.
    const QImage now = box.image.convertToFormat(before.format());
    for (int x = 0; x < now.width(); ++x)
      fuzz::Check(now.pixel(x, 0) == before.pixel(x, 0), "the border stays");
  }

  // A surface with room round the box: nothing lands outside the box.
  QImage surface(canvas.width() + 16, canvas.height() + 16, QImage::Format_ARGB32_Premultiplied);
  surface.fill(Qt::transparent);
  {
    QPainter painter(&surface);
    painter.translate(8, 8);
    if (turn % 4 == 1) painter.translate(0.5, 0.25);
    if (turn % 4 == 2) painter.rotate(turn);
    if (turn % 4 == 3) painter.scale(1.5, 0.75);
    (void)render::DrawStampText(painter, canvas, p, sample);
  }
  if (turn % 4 == 0) {
    for (int y = 0; y < surface.height(); ++y)
      for (int x = 0; x < surface.width(); ++x)
        if (x < 8 || y < 8 || x >= 8 + canvas.width() || y >= 8 + canvas.height())
          fuzz::Check(qAlpha(surface.pixel(x, y)) == 0, "nothing outside the box");
  }
  return 0;
}
