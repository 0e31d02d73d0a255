// quillmark-icon: draws the programs' icon into a hicolor theme tree, the
// scalable SVG and the PNG sizes, from the same shapes the windows use.
//
//   quillmark-icon OUTDIR NAME
//     OUTDIR/scalable/apps/NAME.svg, OUTDIR/<n>x<n>/apps/NAME.png

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainterPath>
#include <cstdio>

#include "platform/SaveFile.h"
#include "render/AppIcon.h"
#include "render/PngFile.h"

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QString Number(qreal v) { return QString::number(v, 'f', 2); }

// SVG path data; the painter path's cubic curves carry over exactly.
QString PathData(const QPainterPath& path) {
  QString d;
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    switch (e.type) {
      case QPainterPath::MoveToElement:
        // Every shape of the icon is a closed area: each outline is closed
        // before the next begins, so that its stroke joins rather than caps.
        if (!d.isEmpty()) d += u'Z';
        d += u'M' + Number(e.x) + u' ' + Number(e.y);
        break;
      case QPainterPath::LineToElement:
        d += u'L' + Number(e.x) + u' ' + Number(e.y);
        break;
      case QPainterPath::CurveToElement: {
        const QPainterPath::Element c2 = path.elementAt(i + 1);
        const QPainterPath::Element to = path.elementAt(i + 2);
        d += u'C' + Number(e.x) + u' ' + Number(e.y) + u' ' + Number(c2.x) + u' ' + Number(c2.y) +
             u' ' + Number(to.x) + u' ' + Number(to.y);
        i += 2;
        break;
      }
      case QPainterPath::CurveToDataElement:
        break;  // consumed with its curve
    }
  }
  if (!d.isEmpty()) d += u'Z';
  return d;
}

QString Svg(const qm::render::AppIconShapes& s) {
  const QString side = Number(qm::render::AppIconShapes::kSide);
  QString out;
  out += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
  out += QStringLiteral(
             "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
             "viewBox=\"0 0 %1 %1\">\n")
             .arg(side);
  out += QStringLiteral(
             "  <defs>\n    <linearGradient id=\"sky\" gradientUnits=\"userSpaceOnUse\" "
             "x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\">\n"
             "      <stop offset=\"0\" stop-color=\"%5\"/>\n"
             "      <stop offset=\"1\" stop-color=\"%6\"/>\n"
             "    </linearGradient>\n  </defs>\n")
             .arg(Number(s.skyTop.x()), Number(s.skyTop.y()), Number(s.skyBottom.x()),
                  Number(s.skyBottom.y()), s.skyTopColour.name(), s.skyBottomColour.name());
  out += QStringLiteral("  <path fill=\"url(#sky)\" d=\"%1\"/>\n").arg(PathData(s.ground));
  out +=
      QStringLiteral("  <path fill=\"%1\" d=\"%2\"/>\n").arg(s.sunColour.name(), PathData(s.sun));
  out += QStringLiteral("  <path fill=\"%1\" d=\"%2\"/>\n")
             .arg(s.hillColour.name(), PathData(s.hills));
  const QString text = PathData(s.text);
  out += QStringLiteral(
             "  <path fill=\"none\" stroke=\"%1\" stroke-width=\"%2\" "
             "stroke-linejoin=\"round\" stroke-linecap=\"round\" d=\"%3\"/>\n")
             .arg(s.borderColour.name(), Number(s.borderWidth), text);
  out += QStringLiteral("  <path fill=\"%1\" d=\"%2\"/>\n").arg(s.textColour.name(), text);
  out += QStringLiteral("</svg>\n");
  return out;
}

bool Write(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  return qm::platform::SaveFileAtomically(path, bytes).ok;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QStringList args = QGuiApplication::arguments();
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: quillmark-icon OUTDIR NAME\n");
    return 2;
  }
  const QString out = args[1];
  const QString name = args[2];
  const qm::render::AppIconShapes shapes = qm::render::MakeAppIconShapes();
  if (!Write(out + QStringLiteral("/scalable/apps/") + name + QStringLiteral(".svg"),
             Svg(shapes).toUtf8())) {
    std::fprintf(stderr, "quillmark-icon: cannot write the SVG into %s\n", qPrintable(out));
    return 1;
  }
  for (const int side : kSizes) {
    const QString path =
        out + QStringLiteral("/%1x%1/apps/").arg(side) + name + QStringLiteral(".png");
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!qm::render::SavePng(qm::render::AppIconImage(side, shapes), path).isEmpty()) {
      std::fprintf(stderr, "quillmark-icon: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
