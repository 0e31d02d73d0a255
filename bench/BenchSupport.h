#pragma once
// Pieces the benchmark programs share.

#include <benchmark/benchmark.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

namespace qm::bench {

// Benchmarks whose threads wake one another: whether the other thread sleeps
// on the same core or another changes that cost more than anything measured,
// and on a busy machine it changes from run to run. One core for the whole
// process gives every benchmark the same conditions.
inline void PinToOneCore() {
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(static_cast<unsigned>(std::max(0, sched_getcpu())), &one);
  sched_setaffinity(0, sizeof one, &one);
}

// Qt's offscreen platform unless QT_QPA_PLATFORM names another; call before
// the application object is made.
inline void DefaultToOffscreen() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The floor the link is measured against: a peer on a Unix socket that takes
// one connection, blocks in read() and answers 0x06 after every zero byte,
// as the link's receiver does, with nothing else in between.
class EchoPeer {
 public:
  explicit EchoPeer(const QString& path) {
    addr_.sun_family = AF_UNIX;
    const QByteArray p = QFile::encodeName(path);
    std::memcpy(addr_.sun_path, p.constData(), static_cast<size_t>(p.size()));
    ::unlink(addr_.sun_path);
    listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ok_ = ::bind(listener_, reinterpret_cast<sockaddr*>(&addr_), sizeof addr_) == 0 &&
          ::listen(listener_, 1) == 0;
    if (!ok_) return;
    thread_ = std::thread([this] {
      const int c = ::accept(listener_, nullptr, nullptr);
      char buf[4096];
      const char ack = 0x06;
      for (;;) {
        const ssize_t n = ::read(c, buf, sizeof buf);
        if (n <= 0) break;
        for (ssize_t i = 0; i < n; ++i)
          if (buf[i] == 0) (void)::write(c, &ack, 1);
      }
      ::close(c);
    });
  }
  ~EchoPeer() {
    // Wakes an accept() still waiting when nobody ever connected.
    ::shutdown(listener_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
    ::unlink(addr_.sun_path);
  }
  EchoPeer(const EchoPeer&) = delete;
  EchoPeer& operator=(const EchoPeer&) = delete;
  bool ok() const { return ok_; }
  const sockaddr_un& address() const { return addr_; }

 private:
  sockaddr_un addr_{};
  int listener_ = -1;
  bool ok_ = false;
  std::thread thread_;
};

// Runs the benchmarks the command line asks for; main's exit status.
inline int RunBenchmarks(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// The same, with the repetitions of all benchmarks shuffled into one another
// unless the command line says otherwise: a figure that is the ratio of two
// benchmarks then has both sides measured through the same stretches of a
// machine's noise, not one after the other.
inline int RunBenchmarksInterleaved(int argc, char** argv) {
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  if (std::none_of(args.begin(), args.end(), [](const char* a) {
        return std::strncmp(a, "--benchmark_enable_random_interleaving", 38) == 0;
      }))
    args.insert(args.begin() + 1, interleave);
  int n = static_cast<int>(args.size());
  args.push_back(nullptr);
  return RunBenchmarks(n, args.data());
}

}  // namespace qm::bench
