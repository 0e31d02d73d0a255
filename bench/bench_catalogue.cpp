// Start-up reads the whole template catalogue: at most 41 categories of 80
// templates, each a 22-field record. LoadCatalogue goes through INI_Class
// bulk reads and converts every field; the baseline only reads the same file
// and splits it into lines, the least any loader has to do. Goal: within 10x.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "BenchSupport.h"
#include "gallery/Catalogue.h"
#include "settings/IniClass.h"

namespace {

// A catalogue at the maximum size, written once for all runs.
const QString& CatalogueFile() {
  static QTemporaryDir dir;
  static const QString file = [] {
    const QString path = dir.filePath(QStringLiteral("Quillmark.ini"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) std::abort();
    QString text = QStringLiteral(
        "[General]\r\nSelected=Зима\\a.png|Arial|0|50|&HFFFFFF|0|0|&H0|0|0|"
        "255|&H0|1|1|0|1|0|0|100|100|0|0\r\n");
    for (int n = 0; n < qm::gallery::kMaxCategories; ++n) {
      text += QStringLiteral("[Dir%1]\r\nName=Категория %1\r\nPath=Кат%1\r\n").arg(n);
      for (int m = 1; m <= qm::gallery::kMaxTemplates; ++m) {
        text += QStringLiteral(
                    "Pic%1=шаблон%1.png|DejaVu Sans|%2|%3|&H%4|%5|-%6|&H404040|2|2|%7|&H0|%8|1|1|"
                    "1|0|%9|100|100|0|0")
                    .arg(m)
                    .arg(m % 8)
                    .arg(20 + m)
                    .arg(QString::number(m * 2000, 16).toUpper())
                    .arg(m % 50)
                    .arg(m % 30)
                    .arg(47 + m)
                    .arg(1 + m % 15)
                    .arg(m - 40);
        if (m % 10 == 0) text += QStringLiteral("|1");
        text += QStringLiteral("\r\n");
      }
    }
    f.write(text.toUtf8());
    return path;
  }();
  return file;
}

void BM_LoadCatalogue(benchmark::State& state) {
  const QString file = CatalogueFile();
  qm::settings::INI_Class ini;
  for (auto _ : state) {
    ini.BeginBulkRead(file);
    const qm::gallery::Catalogue cat = qm::gallery::LoadCatalogue(
        [&](const QString& section, const QString& key) {
          return ini.ReadINIKey(section, key, file, QString());
        },
        [](int, int) {});
    ini.EndBulkRead();
    if (cat.categories.size() != qm::gallery::kMaxCategories ||
        cat.categories.back().templates.size() != qm::gallery::kMaxTemplates)
      state.SkipWithError("catalogue did not load whole");
    benchmark::DoNotOptimize(cat);
  }
}
BENCHMARK(BM_LoadCatalogue)->Unit(benchmark::kMillisecond);

// Baseline: read the file and split it into lines.
void BM_ReadAndSplitLines(benchmark::State& state) {
  const QString file = CatalogueFile();
  for (auto _ : state) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) state.SkipWithError("cannot open");
    const QStringList lines = QString::fromLocal8Bit(f.readAll()).split(QStringLiteral("\r\n"));
    benchmark::DoNotOptimize(lines);
  }
}
BENCHMARK(BM_ReadAndSplitLines)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  return qm::bench::RunBenchmarks(argc, argv);
}
