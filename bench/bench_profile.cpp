// Start-up reads the whole template catalogue (41 categories of 80 templates):
// reading it through one parsed snapshot against the floor of merely reading
// the file and splitting it into lines.
#include <benchmark/benchmark.h>

#include <QByteArrayList>
#include <QFile>
#include <QTemporaryDir>

#include "BenchSupport.h"
#include "platform/ProfileFile.h"

using namespace qm::platform;

namespace {

constexpr int kDirs = 41;
constexpr int kPics = 80;

struct Catalogue {
  QTemporaryDir dir;
  QString path = dir.filePath("Quillmark.ini");
  Catalogue() {
    QByteArray text = "[General]\nSelected=Big\\a.png|Arial|1|24|&HFF|0|0\n";
    for (int d = 0; d < kDirs; ++d) {
      text += "[Dir" + QByteArray::number(d) + "]\nName=Категория " + QByteArray::number(d) +
              "\nPath=Cat" + QByteArray::number(d) + "\n";
      for (int k = 1; k <= kPics; ++k)
        text += "Pic" + QByteArray::number(k) + "=p" + QByteArray::number(k) +
                ".png|Times New Roman|1|36|&HFFFFFF|-2|3|&H0|2|2|128|&H8080FF|3|1|1|1|0|0|100|100|"
                "100|0\n";
    }
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
  }
};

Catalogue& Shared() {
  static Catalogue c;
  return c;
}

void BM_ReadAndSplitLines(benchmark::State& state) {
  const QString path = Shared().path;
  for (auto _ : state) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArrayList lines = f.readAll().split('\n');
    benchmark::DoNotOptimize(lines.size());
  }
}
BENCHMARK(BM_ReadAndSplitLines)->Unit(benchmark::kMillisecond);

void BM_SnapshotCatalogue(benchmark::State& state) {
  const QString path = Shared().path;
  const QString names[] = {QStringLiteral("Name"), QStringLiteral("Path")};
  for (auto _ : state) {
    const ProfileSnapshot snap = ProfileSnapshot::Load(path);
    qsizetype total = 0;
    for (int d = 0; d < kDirs; ++d) {
      const QString section = QStringLiteral("Dir%1").arg(d);
      for (const QString& n : names) total += snap.Read(section, n, {}).size();
      for (int k = 1; k <= kPics; ++k)
        total += snap.Read(section, QStringLiteral("Pic%1").arg(k), {}).size();
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_SnapshotCatalogue)->Unit(benchmark::kMillisecond);

// For scale: the same reads one file parse each, on one category only.
void BM_PerReadOneCategory(benchmark::State& state) {
  const QString path = Shared().path;
  for (auto _ : state) {
    qsizetype total = 0;
    for (int k = 1; k <= kPics; ++k)
      total += ReadProfileString(path, u"Dir20", QStringLiteral("Pic%1").arg(k), {}).size();
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_PerReadOneCategory)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return qm::bench::RunBenchmarks(argc, argv); }
