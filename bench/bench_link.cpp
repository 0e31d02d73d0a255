// One message with its answer through the host link (SendLinkText to an
// endpoint served by the event loop of another thread) against the bare
// floor: the same bytes over a Unix socket to a thread that blocks in read()
// and writes the answer byte. Goal: the link within 2x of the floor.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>
#include <QWaitCondition>

#include "BenchSupport.h"
#include "platform/link/LinkDirectory.h"
#include "platform/link/LinkEndpoint.h"
#include "platform/link/LinkSender.h"
#include "platform/link/LinkText.h"

namespace {

using namespace qm::link;

constexpr qint32 kHandle = 1;

QTemporaryDir* g_dir = nullptr;

const QString& Text(int which) {
  static const QString kShort = QStringLiteral("X=125");
  static const QString kLine = QStringLiteral(
      "A=Осень\\Лист 3.png|Times New Roman|1|36|16777215|12|-8|0|3|3|60|4210752|2|1|1|1|0|"
      "0|100|100|0|0");
  return which == 0 ? kShort : kLine;
}

class ServedEndpoint : public QThread {
 public:
  ServedEndpoint() {
    start();
    QMutexLocker lock(&mutex_);
    while (!ready_) cond_.wait(&mutex_);
  }
  ~ServedEndpoint() override {
    quit();
    wait();
  }
  bool ok() const { return ok_; }

 protected:
  void run() override {
    LinkEndpoint endpoint;
    QObject::connect(&endpoint, &LinkEndpoint::messageReceived, &endpoint,
                     [](const QString& t) { benchmark::DoNotOptimize(t.size()); });
    const bool ok = endpoint.listen(kHandle);
    {
      QMutexLocker lock(&mutex_);
      ok_ = ok;
      ready_ = true;
      cond_.wakeAll();
    }
    if (ok) exec();
  }

 private:
  QMutex mutex_;
  QWaitCondition cond_;
  bool ready_ = false;
  bool ok_ = false;
};

void BM_SendLinkText(benchmark::State& state) {
  ServedEndpoint server;
  if (!server.ok()) {
    state.SkipWithError("endpoint did not start");
    return;
  }
  const QString& text = Text(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (!SendLinkText(kHandle, text)) {
      state.SkipWithError("delivery failed");
      break;
    }
  }
}
BENCHMARK(BM_SendLinkText)->Arg(0)->Arg(1)->UseRealTime();

void BM_BareSocketRoundTrip(benchmark::State& state) {
  qm::bench::EchoPeer peer(g_dir->path() + QStringLiteral("/bare"));
  if (!peer.ok()) {
    state.SkipWithError("bare listener failed");
    return;
  }
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ::connect(fd, reinterpret_cast<const sockaddr*>(&peer.address()), sizeof(sockaddr_un));
  // The same bytes the link puts on the wire.
  const QByteArray frame = EncodeLinkText(Text(static_cast<int>(state.range(0)))) + '\0';
  for (auto _ : state) {
    char answer = 0;
    if (::write(fd, frame.constData(), static_cast<size_t>(frame.size())) != frame.size() ||
        ::read(fd, &answer, 1) != 1) {
      state.SkipWithError("bare round trip failed");
      break;
    }
  }
  ::close(fd);
}
BENCHMARK(BM_BareSocketRoundTrip)->Arg(0)->Arg(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  g_dir = &dir;
  SetLinkDirectoryOverride(dir.path());
  return qm::bench::RunBenchmarks(argc, argv);
}
