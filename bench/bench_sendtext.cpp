// SendText to a host on the socket, answer included (the message delivered,
// then written into the line, the typed copy refreshed and the save timer
// restarted), against the bare floor: the same bytes written to a Unix socket
// and the answer byte read back. Both talk to the same peer, a thread that
// blocks in read() and answers every zero byte, so the ratio is what the
// editor adds to one round trip. Goal: SendText within 2x of the floor.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

#include "BenchSupport.h"
#include "platform/link/LinkSender.h"
#include "platform/link/LinkText.h"
#include "session/EditorState.h"
#include "session/HostSession.h"
#include "stamp/ParamLine.h"

namespace {

constexpr qint32 kHost = 4242;

QTemporaryDir* g_dir = nullptr;

// Two messages in turn, so every one really changes the line.
const QString& Message(int which, int turn) {
  static const QString kShort[2] = {QStringLiteral("X=125"), QStringLiteral("X=-7")};
  static const QString kGroup[2] = {QStringLiteral("P=Осень\\Лист 3.png|10|110|120|5|20"),
                                    QStringLiteral("P=Осень\\Лист 4.png|0|100|100|0|0")};
  return which == 0 ? kShort[turn & 1] : kGroup[turn & 1];
}

void BM_SendText(benchmark::State& state) {
  auto peer = std::make_unique<qm::bench::EchoPeer>(g_dir->path() + u'/' + QString::number(kHost));
  if (!peer->ok()) {
    state.SkipWithError("host did not start");
    return;
  }
  {
    qm::EditorState editor;
    editor.HostHwnd = kHost;
    editor.Text1.setText(qm::stamp::DefaultLine(QStringLiteral("DejaVu Sans")));
    // Every message starts the save timer anew, as in the editor.
    struct KeepsNothing final : qm::LookStore {
      bool SaveLine(const QString&) override { return true; }
    } store;
    qm::HostSession session(editor);
    session.SetLinkDirectory(g_dir->path());
    session.SetStore(&store);
    const int which = static_cast<int>(state.range(0));
    int turn = 0;
    for (auto _ : state) {
      if (!session.SendText(Message(which, turn++))) {
        state.SkipWithError("message refused");
        break;
      }
    }
    benchmark::DoNotOptimize(editor.Text1.text().size());
  }  // the session's connection closes here, which ends the peer
  peer.reset();
}
BENCHMARK(BM_SendText)->Arg(0)->Arg(1)->UseRealTime();

// The transport alone, to the same peer: what SendText adds on top of it is
// the difference between the two.
void BM_LinkSend(benchmark::State& state) {
  auto peer = std::make_unique<qm::bench::EchoPeer>(g_dir->path() + u'/' + QString::number(kHost));
  if (!peer->ok()) {
    state.SkipWithError("host did not start");
    return;
  }
  {
    qm::link::LinkSender sender(kHost, nullptr, g_dir->path());
    const int which = static_cast<int>(state.range(0));
    int turn = 0;
    for (auto _ : state) {
      if (!sender.send(Message(which, turn++))) {
        state.SkipWithError("delivery failed");
        break;
      }
    }
  }
  peer.reset();
}
BENCHMARK(BM_LinkSend)->Arg(0)->Arg(1)->UseRealTime();

void BM_BareSocketRoundTrip(benchmark::State& state) {
  qm::bench::EchoPeer peer(g_dir->path() + QStringLiteral("/bare"));
  if (!peer.ok()) {
    state.SkipWithError("bare listener failed");
    return;
  }
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ::connect(fd, reinterpret_cast<const sockaddr*>(&peer.address()), sizeof(sockaddr_un));
  // The same bytes SendText puts on the wire.
  const int which = static_cast<int>(state.range(0));
  const QByteArray frames[2] = {qm::link::EncodeLinkText(Message(which, 0)) + '\0',
                                qm::link::EncodeLinkText(Message(which, 1)) + '\0'};
  int turn = 0;
  for (auto _ : state) {
    const QByteArray& frame = frames[turn++ & 1];
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
  return qm::bench::RunBenchmarks(argc, argv);
}
