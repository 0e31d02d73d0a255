#pragma once
// The programs' icon: what the stamp does, drawn small: a bordered "+38°"
// over a landscape picture. One drawing serves the window icon, the
// installed PNG sizes and the installed SVG, so they never drift apart.

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPainterPath>
#include <QPointF>

namespace qm::render {

// The icon's parts in a 256 × 256 square, back to front.
struct AppIconShapes {
  static constexpr qreal kSide = 256;
  QPainterPath ground;  // the rounded picture, filled with the sky gradient
  QPointF skyTop, skyBottom;
  QColor skyTopColour, skyBottomColour;
  QPainterPath sun;
  QColor sunColour;
  QPainterPath hills;  // already cut to the ground's outline
  QColor hillColour;
  QPainterPath text;  // the stamp's text: outlined, then filled
  QColor borderColour;
  qreal borderWidth = 0;
  QColor textColour;
};

AppIconShapes MakeAppIconShapes();

// The icon drawn at side × side pixels on a transparent ground.
QImage AppIconImage(int side, const AppIconShapes& shapes = MakeAppIconShapes());

// The icon in the sizes a window and a task bar ask for.
QIcon AppIcon();

}  // namespace qm::render
