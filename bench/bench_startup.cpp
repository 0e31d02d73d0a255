// Start-up cost of a full catalogue (41 categories of 80 templates) against
// the same start-up with an empty one, and the resident memory each leaves.
//
//   bench_startup                      time both start-ups
//   bench_startup --rss DIR            (internal) start up on the program
//                                      folder DIR, print VmRSS
//
// The program folders are written once by the parent: a child process times
// the program's start-up, not the writing of its catalogue.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>
#include <fstream>
#include <string>

#include "BenchSupport.h"
#include "app/FrmOptions.h"

namespace {

QByteArray CatalogueIni(int categories, int templates) {
  QByteArray ini = "[General]\r\n";
  for (int n = 0; n < categories; ++n) {
    ini += "[Dir" + QByteArray::number(n) + "]\r\nName=Категория " + QByteArray::number(n) +
           "\r\nPath=Cat" + QByteArray::number(n) + "\r\n";
    for (int m = 1; m <= templates; ++m) {
      ini += "Pic" + QByteArray::number(m) + "=pic" + QByteArray::number(m) +
             ".png|DejaVu Sans|1|36|&HFFFFFF|-4|6|&H0|2|-2|128|&HFF|3|1|1|1|0|15|110|95|-5|10";
      if (m % 7 == 0) ini += "|1";
      ini += "\r\n";
    }
  }
  return ini;
}

qm::AppEnvironment EnvOf(const QString& programDir) {
  qm::AppEnvironment env;
  env.programDir = programDir;
  env.userStoreFile = programDir + "/store.conf";
  return env;
}

struct Program {
  explicit Program(bool full) {
    QFile f(dir.path() + "/Quillmark.ini");
    if (f.open(QIODevice::WriteOnly)) f.write(full ? CatalogueIni(41, 80) : CatalogueIni(0, 0));
    QDir(dir.path()).mkpath("Tavrel");
  }
  qm::AppEnvironment Env() const { return EnvOf(dir.path()); }
  QTemporaryDir dir;
};

const Program& Empty() {
  static const Program p(false);
  return p;
}
const Program& Full() {
  static const Program p(true);
  return p;
}

void StartUp(const qm::AppEnvironment& env) {
  qm::FrmOptions w(env);
  w.Form_Load();
  w.show();
  QApplication::processEvents();
  benchmark::DoNotOptimize(w.Catalogue().categories.size());
  w.hide();
}

void BM_StartupEmptyCatalogue(benchmark::State& state) {
  for (auto _ : state) StartUp(Empty().Env());
}
BENCHMARK(BM_StartupEmptyCatalogue)->Unit(benchmark::kMillisecond);

void BM_StartupFullCatalogue(benchmark::State& state) {
  for (auto _ : state) StartUp(Full().Env());
}
BENCHMARK(BM_StartupFullCatalogue)->Unit(benchmark::kMillisecond);

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// Each measurement runs in a fresh process so that one start-up's heap does
// not hide the other's.
long ChildResidentKiB(const char* self, const Program& program) {
  QProcess child;
  child.start(QString::fromLocal8Bit(self), {"--rss", program.dir.path()});
  child.waitForFinished(60000);
  return child.readAllStandardOutput().trimmed().toLong();
}

// A whole cold start as a user sees it: a new process up to the shown window.
void BM_ProcessStartup(benchmark::State& state, bool full) {
  const QByteArray path = QCoreApplication::applicationFilePath().toLocal8Bit();
  const Program& program = full ? Full() : Empty();
  for (auto _ : state) benchmark::DoNotOptimize(ChildResidentKiB(path.constData(), program));
}
BENCHMARK_CAPTURE(BM_ProcessStartup, EmptyCatalogue, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ProcessStartup, FullCatalogue, true)->Unit(benchmark::kMillisecond);

void BM_ResidentMemoryDelta(benchmark::State& state) {
  const QByteArray path = QCoreApplication::applicationFilePath().toLocal8Bit();
  long empty = 0, full = 0;
  for (auto _ : state) {
    empty = ChildResidentKiB(path.constData(), Empty());
    full = ChildResidentKiB(path.constData(), Full());
  }
  state.counters["empty_KiB"] = static_cast<double>(empty);
  state.counters["full_KiB"] = static_cast<double>(full);
  state.counters["delta_KiB"] = static_cast<double>(full - empty);
}
BENCHMARK(BM_ResidentMemoryDelta)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qm::bench::DefaultToOffscreen();
  QApplication app(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "--rss") == 0) {
    qm::FrmOptions w(EnvOf(QString::fromLocal8Bit(argv[2])));
    w.Form_Load();
    w.show();
    QApplication::processEvents();
    std::printf("%ld\n", ResidentKiB());
    return 0;
  }
  return qm::bench::RunBenchmarks(argc, argv);
}
