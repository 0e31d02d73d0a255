// Rendering speed, each figure against a baseline measured in the same run:
//  - the colour matrix on a 1-megapixel picture (4 MiB, which the processor's
//    last-level cache may hold) and on 16 megapixels (64 MiB, which it does
//    not) against memcpy of the same buffer (bytes per second of both are
//    reported);
//  - the stamp text with shadow and border on a 110 x 60 box against one fill
//    of the same text path;
//  - a gallery repaint of 80 thumbnails from the picture cache against
//    decoding the 80 pictures.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <cstring>
#include <vector>

#include "BenchSupport.h"
#include "render/ColourMatrix.h"
#include "render/PictureBox.h"
#include "render/PictureRenderer.h"
#include "render/StampFont.h"
#include "render/StampText.h"
#include "stamp/StampParams.h"

namespace {

using namespace qm::render;

constexpr std::size_t kPixels = 1024 * 1024;
constexpr std::size_t kLargePixels = 16 * kPixels;

std::vector<QRgb> Pixels(std::size_t count) {
  std::vector<QRgb> v(count);
  std::uint32_t x = 12345;
  for (QRgb& p : v) {
    x = x * 1664525u + 1013904223u;
    p = x;
  }
  return v;
}

void Memcpy(benchmark::State& state, std::size_t count) {
  const std::vector<QRgb> src = Pixels(count);
  std::vector<QRgb> dst(count);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), count * sizeof(QRgb));
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * count * sizeof(QRgb));
}

void ColourMatrix(benchmark::State& state, std::size_t count) {
  const std::vector<QRgb> src = Pixels(count);
  std::vector<QRgb> dst(count);
  const auto m = ColourMatrix::Tone(0.7f, 1.2f, 0.9f, 0.1f, 0.8f);
  for (auto _ : state) {
    ApplyColourMatrix(m, src.data(), dst.data(), count);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * count * sizeof(QRgb));
}

void BM_Memcpy1Mpx(benchmark::State& state) { Memcpy(state, kPixels); }
BENCHMARK(BM_Memcpy1Mpx);
void BM_ColourMatrix1Mpx(benchmark::State& state) { ColourMatrix(state, kPixels); }
BENCHMARK(BM_ColourMatrix1Mpx);
void BM_Memcpy64MiB(benchmark::State& state) { Memcpy(state, kLargePixels); }
BENCHMARK(BM_Memcpy64MiB)->Unit(benchmark::kMillisecond);
void BM_ColourMatrix64MiB(benchmark::State& state) { ColourMatrix(state, kLargePixels); }
BENCHMARK(BM_ColourMatrix64MiB)->Unit(benchmark::kMillisecond);

const QString kLine = QStringLiteral(
    "Cat\\p.png|DejaVu Sans|0|30|&HFF0000|0|0|&H303030|3|-3|160|&HFF|3|1|1|1|0|0|100|100|0|0");

// The baseline: the same text outline, filled once.
void BM_TextPathFillOnce(benchmark::State& state) {
  PictureBox box(110, 60, Qt::white);
  const auto face = StampFace::Load(QStringLiteral("DejaVu Sans"), 0);
  if (!face) {
    state.SkipWithError("DejaVu Sans is not installed");
    return;
  }
  const qreal s = 30.0 / face->unitsPerEm();
  QPainterPath path =
      QTransform(s, 0, 0, s, 10, 10 + s * face->ascent()).map(face->shape("+38\u00B0").path);
  for (auto _ : state) {
    QPainter painter(&box.image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(path, QColor(Qt::red));
  }
}
BENCHMARK(BM_TextPathFillOnce);

void BM_StampTextShadowBorder(benchmark::State& state) {
  PictureBox box(110, 60, Qt::white);
  const auto look = qm::stamp::ParseLine(kLine);
  if (!look) return state.SkipWithError("line refused");
  for (auto _ : state) {
    if (DrawStampText(box, *look, {}) != StampTextResult::Drawn) {
      state.SkipWithError("text not drawn");
      return;
    }
  }
}
BENCHMARK(BM_StampTextShadowBorder);

// For reference: the same call with shadow and border off.
void BM_StampTextPlain(benchmark::State& state) {
  PictureBox box(110, 60, Qt::white);
  QStringList f = kLine.split(QLatin1Char('|'));
  f[14] = QStringLiteral("0");
  f[15] = QStringLiteral("0");
  const auto look = qm::stamp::ParseLine(f.join(QLatin1Char('|')));
  if (!look) return state.SkipWithError("line refused");
  for (auto _ : state) {
    if (DrawStampText(box, *look, {}) != StampTextResult::Drawn) {
      state.SkipWithError("text not drawn");
      return;
    }
  }
}
BENCHMARK(BM_StampTextPlain);

// 80 thumbnails of 100 x 60: decoding every picture, and repainting from the
// cache after the background changed.
struct Gallery {
  QTemporaryDir dir;
  QStringList paths;
  Gallery() {
    for (int i = 0; i < 80; ++i) {
      QImage img(100, 60, QImage::Format_ARGB32);
      for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
          img.setPixel(x, y, qRgba((x * 5 + i) & 255, (y * 7) & 255, (x * y) & 255, 200));
      paths << dir.filePath(QStringLiteral("p%1.png").arg(i));
      img.save(paths.back());
    }
  }
};

void BM_Gallery80Decode(benchmark::State& state) {
  Gallery g;
  PictureBox box(10, 10, Qt::white);
  for (auto _ : state)
    for (const QString& p : g.paths) DrawTemplatePicture(p, box, PictureTone{}, {});
}
BENCHMARK(BM_Gallery80Decode)->Unit(benchmark::kMillisecond);

void BM_Gallery80Cached(benchmark::State& state) {
  Gallery g;
  PictureCache cache;
  PictureBox box(10, 10, Qt::white);
  for (const QString& p : g.paths) DrawTemplatePicture(p, box, PictureTone{}, {}, &cache);
  for (auto _ : state)
    for (const QString& p : g.paths) DrawTemplatePicture(p, box, PictureTone{}, {}, &cache);
}
BENCHMARK(BM_Gallery80Cached)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qm::bench::DefaultToOffscreen();
  QGuiApplication app(argc, argv);
  return qm::bench::RunBenchmarks(argc, argv);
}
