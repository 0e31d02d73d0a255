// The desktop stamp, each figure against a baseline measured in the same run:
//  - the stamp's repaint after one message from the editor (the message
//    applied to its line, the stamp drawn again, the window painted) against
//    drawing the same stamp with the render library alone; goal 1.3x;
//  - one step of the editor's font size slider until the stamp has been drawn
//    anew (the editor's handler, the message over the link to the stamp, which
//    applies it and draws in a thread of its own as its own process would)
//    against one SendText round trip to a peer that only answers, plus one
//    drawing with the render library; goal 1.5x.
// Two messages alternate, so every one really changes the stamp: font sizes
// (Arg 0) or picture hues (Arg 1, the picture is toned again).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <thread>

#include "BenchSupport.h"
#include "host/StampHost.h"
#include "host/ui/StampWindow.h"
#include "link/LinkTestSupport.h"
#include "pages/ui/TextPage.h"
#include "render/PictureBox.h"
#include "render/StampDrawing.h"
#include "session/EditorState.h"
#include "session/HostSession.h"
#include "settings/UserSettings.h"
#include "stamp/HostMessage.h"
#include "stamp/ParamLine.h"

namespace {

using namespace qm;

QTemporaryDir* g_dir = nullptr;

QString Root() { return g_dir->path() + QStringLiteral("/Tavrel/"); }

// A look like the demo's clouds: border and shadow on, a 160 x 100 picture.
const QString kLine = QStringLiteral(
    "Cat\\pic.png|DejaVu Sans|1|34|&HFFFFFF|0|0|&H1A3A6A|2|-2|160|&H2A5CAA|2|1|1|1|1|0|100|100|"
    "0|0");

void MakePicture() {
  QDir().mkpath(Root() + QStringLiteral("Cat"));
  QImage pic(160, 100, QImage::Format_ARGB32);
  for (int y = 0; y < pic.height(); ++y)
    for (int x = 0; x < pic.width(); ++x)
      pic.setPixel(x, y, qRgba(x * 255 / 160, y * 255 / 100, 180, x < 120 ? 255 : 128));
  pic.save(Root() + QStringLiteral("Cat/pic.png"));
}

QString Message(int which, int turn) {
  static const QString kSize[2] = {QStringLiteral("S=35"), QStringLiteral("S=34")};
  static const QString kHue[2] = {QStringLiteral("h=40"), QStringLiteral("h=0")};
  return which == 0 ? kSize[turn & 1] : kHue[turn & 1];
}

host::HostOptions Options() {
  host::HostOptions o;
  o.line = kLine;
  return o;
}

host::HostPaths Paths() {
  host::HostPaths p;
  p.iniFile = g_dir->path() + QStringLiteral("/Quillmark.ini");
  p.templateRoot = Root();
  p.linkDir = g_dir->path();
  return p;
}

// The render library alone: the gallery's drawing of the same look, its
// picture cached as the gallery caches it.
struct PlainRender {
  render::PictureCache cache;
  stamp::StampParams looks[2];
  PlainRender(int which) {
    for (int turn = 0; turn < 2; ++turn)
      looks[turn] = stamp::ApplyMessage(kLine, Message(which, turn), kLine)->params;
  }
  bool Draw(int turn) {
    render::PictureBox box(0, 0, Qt::transparent, 1.0);
    const render::StampDrawing d =
        render::DrawStamp(Root(), looks[turn & 1], QString(), box, {}, &cache);
    benchmark::DoNotOptimize(box.image.constBits());
    return d.whole();
  }
};

void BM_RenderLibraryAlone(benchmark::State& state) {
  PlainRender plain(static_cast<int>(state.range(0)));
  int turn = 0;
  for (auto _ : state)
    if (!plain.Draw(turn++)) state.SkipWithError("not drawn");
}
BENCHMARK(BM_RenderLibraryAlone)->Arg(0)->Arg(1);

void BM_HostRepaintAfterMessage(benchmark::State& state) {
  host::StampHost stamp(Options(), Paths());
  settings::UserSettings store(g_dir->path() + QStringLiteral("/store.conf"),
                               QStringLiteral("Host"));
  StampWindow window(stamp, store);
  stamp.Start();
  window.show();
  QCoreApplication::processEvents();
  const int which = static_cast<int>(state.range(0));
  int turn = 0;
  for (auto _ : state) {
    // As the link hands a message on; then what the loop would run next: the
    // drawing the message queued, and the window's paint.
    Q_EMIT stamp.Link().messageReceived(Message(which, turn++));
    stamp.Refresh();
    window.repaint();
    QCoreApplication::sendPostedEvents();
  }
  if (stamp.PaintCount() < state.iterations()) state.SkipWithError("not every message was drawn");
}
BENCHMARK(BM_HostRepaintAfterMessage)->Arg(0)->Arg(1);

// The stamp in a thread of its own, with its own loop, as its own process.
class StampThread : public QThread {
 public:
  StampThread() {
    start();
    while (handle_ == 0) std::this_thread::yield();
  }
  ~StampThread() override {
    quit();
    wait();
  }
  qint32 handle() const { return handle_; }
  int painted() const { return painted_; }

 protected:
  void run() override {
    host::StampHost stamp(Options(), Paths());
    QObject::connect(&stamp, &host::StampHost::stampChanged, &stamp, [this] { ++painted_; });
    stamp.Start();
    handle_ = stamp.Link().Handle() > 0 ? stamp.Link().Handle() : -1;
    exec();
  }

 private:
  std::atomic<qint32> handle_{0};
  std::atomic<int> painted_{0};
};

// The editor: its state, its session and its Text page.
struct Editor {
  EditorState state;
  HostSession session{state};
  TextPage page{state, session};
  explicit Editor(qint32 host) {
    session.SetLinkDirectory(g_dir->path());
    session.SetFallbackFont(QStringLiteral("DejaVu Sans"));
    state.Text1.setText(kLine);
    state.HostHwnd = host;
    const FillingControls filling(state);
    page.ShowParams(*stamp::ParseLine(kLine));
  }
};

void BM_SliderStepToStampRepaint(benchmark::State& state) {
  StampThread stamp;
  if (stamp.handle() <= 0) {
    state.SkipWithError("the stamp does not listen");
    return;
  }
  Editor editor(stamp.handle());
  ui::ClassicScrollBar* slider = editor.page.scrlFontSize;
  int turn = 0;
  for (auto _ : state) {
    const int before = stamp.painted();
    slider->LineStep(turn++ & 1);
    while (stamp.painted() == before) std::this_thread::yield();
  }
}
BENCHMARK(BM_SliderStepToStampRepaint)->UseRealTime();

void BM_SendTextRoundTripPlusRender(benchmark::State& state) {
  link::test::EndpointThread peer(g_dir->path(), 4242);
  if (!peer.listening()) {
    state.SkipWithError("the peer does not listen");
    return;
  }
  EditorState editor;
  editor.Text1.setText(kLine);
  editor.HostHwnd = 4242;
  HostSession session(editor);
  session.SetLinkDirectory(g_dir->path());
  PlainRender plain(0);
  int turn = 0;
  for (auto _ : state) {
    if (!session.SendText(Message(0, turn)) || !plain.Draw(turn)) {
      state.SkipWithError("not sent or not drawn");
      break;
    }
    ++turn;
  }
}
BENCHMARK(BM_SendTextRoundTripPlusRender)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  qm::bench::PinToOneCore();
  qm::bench::DefaultToOffscreen();
  QApplication app(argc, argv);
  QTemporaryDir dir;
  g_dir = &dir;
  MakePicture();
  return qm::bench::RunBenchmarksInterleaved(argc, argv);
}
