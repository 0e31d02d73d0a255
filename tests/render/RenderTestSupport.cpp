#include "render/RenderTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>
#include <QStandardPaths>
#include <cstdlib>

#include "render/PictureBox.h"
#include "render/PictureRenderer.h"
#include "render/StampText.h"
#include "stamp/StampParams.h"

namespace qm::render::test {

bool DrawLine(PictureBox& box, const QString& line, const QString& sample) {
  const auto look = stamp::ParseLine(line);
  return look && DrawStampText(box, *look, sample) == StampTextResult::Drawn;
}

bool DrawLine(QPainter& painter, const QSize& size, const QString& line, const QString& sample) {
  const auto look = stamp::ParseLine(line);
  return look && DrawStampText(painter, size, *look, sample) == StampTextResult::Drawn;
}

std::optional<PictureTone> ToneOfLine(const QString& line) {
  const auto look = stamp::ParseLine(line);
  if (!look) return std::nullopt;
  return ToneOf(*look);
}

QStringList Fields(const FieldChanges& changes) {
  QStringList f = {QStringLiteral("Cat\\pic.png"),
                   QStringLiteral("DejaVu Sans"),
                   QStringLiteral("0"),
                   QStringLiteral("30"),
                   QStringLiteral("&HFF0000"),
                   QStringLiteral("0"),
                   QStringLiteral("0"),
                   QStringLiteral("&H0"),
                   QStringLiteral("0"),
                   QStringLiteral("0"),
                   QStringLiteral("255"),
                   QStringLiteral("&HFF"),
                   QStringLiteral("3"),
                   QStringLiteral("1"),
                   QStringLiteral("0"),
                   QStringLiteral("0"),
                   QStringLiteral("0"),
                   QStringLiteral("0"),
                   QStringLiteral("100"),
                   QStringLiteral("100"),
                   QStringLiteral("0"),
                   QStringLiteral("0")};
  for (const auto& [i, v] : changes) f[i] = v;
  return f;
}

QString Line(const FieldChanges& changes) { return Fields(changes).join(QLatin1Char('|')); }

QImage MakePicture(int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int r = w > 1 ? 255 * x / (w - 1) : 0;
      const int g = h > 1 ? 255 * y / (h - 1) : 0;
      const int a = x >= 2 * w / 3 ? 128 : 255;
      img.setPixel(x, y, qRgba(r, g, 160, a));
    }
  return img;
}

QImage MakeTexture(QRgb a, QRgb b, int square, int size) {
  QImage img(size, size, QImage::Format_ARGB32);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) img.setPixel(x, y, ((x / square + y / square) % 2) ? b : a);
  return img;
}

QRect InkBounds(const QImage& source, QRgb background, int threshold) {
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  int x0 = image.width(), y0 = image.height(), x1 = -1, y1 = -1;
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = row[x];
      if (std::abs(qRed(p) - qRed(background)) > threshold ||
          std::abs(qGreen(p) - qGreen(background)) > threshold ||
          std::abs(qBlue(p) - qBlue(background)) > threshold ||
          std::abs(qAlpha(p) - qAlpha(background)) > threshold) {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
      }
    }
  }
  if (x1 < 0) return {};
  return QRect(QPoint(x0, y0), QPoint(x1, y1));
}

QImage Shifted(const QImage& image, int dx, int dy, QRgb fill) {
  QImage out(image.size(), QImage::Format_ARGB32_Premultiplied);
  out.fill(fill);
  QPainter p(&out);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  QImage plain = image;
  plain.setDevicePixelRatio(1.0);
  p.drawImage(dx, dy, plain);
  return out;
}

int MaxChannelDifference(const QImage& a0, const QImage& b0) {
  if (a0.size() != b0.size()) return 255;
  const QImage a = a0.convertToFormat(QImage::Format_ARGB32);
  const QImage b = b0.convertToFormat(QImage::Format_ARGB32);
  int worst = 0;
  for (int y = 0; y < a.height(); ++y) {
    const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x) {
      worst = std::max(
          {worst, std::abs(qRed(ra[x]) - qRed(rb[x])), std::abs(qGreen(ra[x]) - qGreen(rb[x])),
           std::abs(qBlue(ra[x]) - qBlue(rb[x])), std::abs(qAlpha(ra[x]) - qAlpha(rb[x]))});
    }
  }
  return worst;
}

::testing::AssertionResult MatchesGolden(const QImage& actual0, const QString& name) {
  QImage actual = actual0.convertToFormat(QImage::Format_ARGB32);
  actual.setDevicePixelRatio(1.0);
  const QString refPath = QStringLiteral(QM_TEST_DATA_DIR "/render/") + name + ".png";
  if (qgetenv("QM_UPDATE_GOLDEN") == "1") {
    QDir().mkpath(QStringLiteral(QM_TEST_DATA_DIR "/render"));
    if (!actual.save(refPath))
      return ::testing::AssertionFailure() << "cannot write " << refPath.toStdString();
    return ::testing::AssertionSuccess() << "written";
  }
  const QImage expected = QImage(refPath).convertToFormat(QImage::Format_ARGB32);
  // Antialiasing coverage differs a little from one rasteriser to another:
  // a few levels everywhere, more on a small share of edge pixels.
  constexpr int kTolerance = 24;
  constexpr double kMaxShareOff = 0.01;
  QString problem;
  qint64 off = 0;
  QImage diff;
  if (expected.isNull()) {
    problem = QStringLiteral("no reference image ") + refPath;
  } else if (expected.size() != actual.size()) {
    problem = QStringLiteral("size %1x%2, reference %3x%4")
                  .arg(actual.width())
                  .arg(actual.height())
                  .arg(expected.width())
                  .arg(expected.height());
  } else {
    diff = QImage(actual.size(), QImage::Format_ARGB32);
    for (int y = 0; y < actual.height(); ++y)
      for (int x = 0; x < actual.width(); ++x) {
        const QRgb a = actual.pixel(x, y), e = expected.pixel(x, y);
        const int d = std::max({std::abs(qRed(a) - qRed(e)), std::abs(qGreen(a) - qGreen(e)),
                                std::abs(qBlue(a) - qBlue(e)), std::abs(qAlpha(a) - qAlpha(e))});
        if (d > kTolerance) ++off;
        const int v = std::min(255, d * 4);
        diff.setPixel(x, y, d > kTolerance ? qRgb(255, 0, 0) : qRgb(v, v, v));
      }
    const double share = double(off) / (double(actual.width()) * actual.height());
    if (share <= kMaxShareOff) return ::testing::AssertionSuccess();
    problem = QStringLiteral("%1 pixels (%2%) differ by more than %3")
                  .arg(off)
                  .arg(share * 100, 0, 'f', 2)
                  .arg(kTolerance);
  }
  const QString dir = QDir::temp().filePath(QStringLiteral("qm-render-golden"));
  QDir().mkpath(dir);
  const QString actualPath = dir + "/" + name + "-actual.png";
  actual.save(actualPath);
  QString diffPath;
  if (!diff.isNull()) {
    diffPath = dir + "/" + name + "-diff.png";
    diff.save(diffPath);
  }
  return ::testing::AssertionFailure()
         << name.toStdString() << ": " << problem.toStdString() << "; actual saved to "
         << actualPath.toStdString()
         << (diffPath.isEmpty() ? std::string() : ", diff to " + diffPath.toStdString());
}

}  // namespace qm::render::test
