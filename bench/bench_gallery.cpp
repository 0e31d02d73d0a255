// The gallery's three costs, each against decoding the category's pictures
// one after another on one thread, measured in the same run:
//  - painting a category of 80 thumbnails (cold: every picture is read anew)
//    with text, shadow, border and the texture on: the pictures are decoded
//    and drawn on a pool of threads, so the goal is less wall time than the
//    serial decoding (within 0.7x);
//  - the same paint as CPU time of all its threads: everything a thumbnail
//    costs beyond its decoding (within 1.15x of the decoding's CPU time);
//  - repainting the same category after a background change (decoded pictures
//    kept): goal within 0.3x decoding;
//  - re-flowing the 80 thumbnails after a window resize: no thumbnail drawn
//    again (the "repaints" counter must stay 0).
// Every other figure is wall time: the work of a paint happens on other
// threads than the one the benchmark runs on, and what the user waits for is
// the wall time anyway.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QRadialGradient>
#include <QTemporaryDir>
#include <memory>

#include "BenchSupport.h"
#include "gallery/ui/Gallery.h"
#include "gallery/ui/GalleryArea.h"
#include "pages/ui/CategoryPage.h"
#include "render/PictureRenderer.h"
#include "session/EditorState.h"

namespace {

constexpr int kCount = 80;

// Demo-sized pictures (about 120 x 70, partly transparent, with enough detail
// that the PNG decoder has real work), a texture, and one category.
struct Fixture {
  QTemporaryDir dir;
  QString root;
  QStringList paths;
  QByteArray texture;
  qm::gallery::Catalogue catalogue;

  Fixture() {
    root = dir.path() + QStringLiteral("/Tavrel/");
    QDir().mkpath(root + QStringLiteral("Bench"));
    for (int i = 0; i < kCount; ++i) {
      QImage img(100 + (i % 5) * 10, 50 + (i % 4) * 10, QImage::Format_ARGB32);
      img.fill(Qt::transparent);
      QPainter p(&img);
      p.setRenderHint(QPainter::Antialiasing);
      QRadialGradient g(img.rect().center(), img.width() / 2.0);
      g.setColorAt(0, QColor::fromHsv((i * 37) % 360, 200, 250, 240));
      g.setColorAt(1, QColor::fromHsv((i * 37 + 120) % 360, 180, 120, 60));
      p.setBrush(g);
      p.setPen(QPen(QColor(0, 0, 0, 120), 2));
      p.drawRoundedRect(QRectF(img.rect()).adjusted(2, 2, -2, -2), 12, 12);
      for (int k = 0; k < 12; ++k) {
        p.setPen(QPen(QColor::fromHsv((i * 11 + k * 29) % 360, 150, 230, 140), 1.5));
        p.drawEllipse(QPointF(10 + k * 8, 10 + (k * 13) % 40), 6 + k % 4, 4 + k % 3);
      }
      p.end();
      const QString file = QStringLiteral("t%1.png").arg(i + 1);
      img.save(root + QStringLiteral("Bench/") + file);
      paths << root + QStringLiteral("Bench/") + file;
    }
    QImage tile(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        tile.setPixelColor(x, y, ((x / 8 + y / 8) % 2) ? QColor(204, 204, 204) : Qt::white);
    tile.save(root + QStringLiteral("Chm1.png"));
    QFile f(root + QStringLiteral("Chm1.png"));
    if (f.open(QIODevice::ReadOnly)) texture = f.readAll();

    catalogue.captions << QStringLiteral("Bench");
    qm::gallery::Category cat;
    cat.path = QStringLiteral("Bench\\");
    for (int m = 1; m <= kCount; ++m) {
      // Every template has a look of its own (size, colours, shadow, border),
      // as in a real category: no text is drawn twice in one paint.
      const QString line = QStringLiteral(
                               "t%1.png|DejaVu Sans|%2|%3|&H%4|0|%5|&H202020|2|-2|160|&H%6|%7|1|1|"
                               "1|%8|%9|100|100|0|0")
                               .arg(m)
                               .arg(m % 2)
                               .arg(22 + m % 12)
                               .arg(QString::number(0xFFFFFF - m * 1111, 16).toUpper())
                               .arg(m % 5 - 2)
                               .arg(QString::number(m * 30011 % 0xFFFFFF, 16).toUpper())
                               .arg(1 + m % 4)
                               .arg(m % 3 == 0 ? 1 : 0)
                               .arg(m % 2 ? 0 : 30);
      auto rec = qm::gallery::ParseRecordLine(cat.path, line, m);
      if (!rec) std::abort();
      cat.templates << *rec;
    }
    catalogue.categories << cat;
  }
};

Fixture& Data() {
  static Fixture f;
  return f;
}

// The gallery as the window holds it, without the window.
struct Bench {
  qm::EditorState state;
  // Nothing the gallery sends while painting matters here.
  struct Quiet : qm::LookSender {
    bool SendText(const QString&) override { return true; }
  } sender;
  QWidget host;
  qm::CategoryPage* page;
  qm::GalleryArea* area;
  std::unique_ptr<qm::Gallery> gallery;

  Bench() {
    host.resize(640, 560);
    page = new qm::CategoryPage(&host);
    area = new qm::GalleryArea(&host);
    area->setGeometry(0, 160, 634, 377);
    area->CreateThumbnails();
    gallery = std::make_unique<qm::Gallery>(state, sender, Data().catalogue, page, area,
                                            qm::GalleryEnvironment{Data().root, {}, {}});
    gallery->SetTexture(Data().texture);
    gallery->Background.TextureEnabled = true;
    page->lstDir->AddItem(QStringLiteral("Bench"));
    host.show();
    const QSignalBlocker block(page->lstDir);
    page->lstDir->SetListIndex(0);
  }
};

void BM_DecodePictures(benchmark::State& state) {
  const QStringList& paths = Data().paths;
  for (auto _ : state) {
    // Qt's reader on each file and nothing else: no size check, no cache,
    // no tone; what any program showing these pictures pays at least.
    for (const QString& p : paths) {
      QImageReader reader(p);
      reader.setAutoTransform(false);
      const QImage img = reader.read();
      if (img.isNull()) state.SkipWithError("a picture did not decode");
      benchmark::DoNotOptimize(img);
    }
  }
}
BENCHMARK(BM_DecodePictures)->UseRealTime()->Unit(benchmark::kMillisecond);

// A cold paint of the category, every picture read anew.
void PaintCold(benchmark::State& state) {
  Bench b;
  for (auto _ : state) {
    state.PauseTiming();
    b.gallery->ClearCaches();
    state.ResumeTiming();
    b.gallery->PaintAllPic();
  }
  if (b.area->pic(kCount)->Tag.isEmpty()) state.SkipWithError("thumbnail 80 was not painted");
}

void BM_PaintCategory(benchmark::State& state) { PaintCold(state); }
BENCHMARK(BM_PaintCategory)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same paint, measured as the CPU time of every thread of the process
// added up: all a thumbnail costs (reading, decoding, toning, the text, the
// hand-over to the window's thread and putting it in place), whichever
// thread does it. Against the serial decoding's CPU time it says how much
// work lies beyond the decode, which no number of cores takes away.
void BM_PaintCategoryWork(benchmark::State& state) { PaintCold(state); }
BENCHMARK(BM_PaintCategoryWork)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_RepaintAfterBackgroundChange(benchmark::State& state) {
  Bench b;
  b.gallery->PaintAllPic();
  for (auto _ : state) {
    // The swatch click: next colour, texture off, repaint; then texture on.
    b.gallery->picFonColor_Click();
    state.PauseTiming();
    {
      const QSignalBlocker block(b.page->chkTexura);
      b.page->chkTexura->SetValue(1);
      b.gallery->Background.TextureEnabled = true;
    }
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RepaintAfterBackgroundChange)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ReflowOnResize(benchmark::State& state) {
  Bench b;
  b.gallery->PaintAllPic();
  const int draws = b.gallery->DrawCount();
  int k = 0;
  for (auto _ : state) {
    b.area->framPic[1]->resize(300 + (k++ % 5) * 60, b.area->framPic[1]->height());
    b.gallery->FrameResize();
  }
  state.counters["repaints"] = b.gallery->DrawCount() - draws;
}
BENCHMARK(BM_ReflowOnResize)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qm::bench::DefaultToOffscreen();
  QApplication app(argc, argv);
  return qm::bench::RunBenchmarks(argc, argv);
}
