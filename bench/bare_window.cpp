// bench_bare_window: the floor bench_desktop measures the programs against,
// what any Qt Widgets program pays for a window: an application object and
// one QLabel of the editor's size, shown, and the event loop.

#include <QApplication>
#include <QLabel>

#include "app/DesignGeometry.h"
#include "platform/Twips.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel window(QStringLiteral("Quillmark"));
  window.setWindowTitle(QStringLiteral("Quillmark bare window"));
  window.setAlignment(Qt::AlignCenter);
  window.resize(qm::TwipsToPixels(qm::design::DefWidth()),
                qm::TwipsToPixels(qm::design::DesignHeight()));
  window.show();
  return QApplication::exec();
}
