#include "app/LookActions.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include "app/FrmOptions.h"
#include "gallery/ui/Gallery.h"
#include "session/HostSession.h"
#include "stamp/HostMessage.h"
#include "stamp/ParamLine.h"

using namespace Qt::StringLiterals;

namespace qm {

namespace {

// Wheel notches over one control this close together are one turn of it.
constexpr qint64 kWheelTurnMs = 600;

QToolButton* MakeButton(QWidget* strip, const QString& name, const QRect& at) {
  auto* b = new QToolButton(strip);
  b->setObjectName(name);
  b->setAutoRaise(true);
  // The keys reach the same actions; the Tab chain stays the pages'.
  b->setFocusPolicy(Qt::NoFocus);
  b->setGeometry(at);
  b->setEnabled(false);
  return b;
}

// A round button face with an arrow on it, pointing back or on, for a
// desktop whose icon theme has no undo and redo pictures.
QPixmap ArrowPicture(const QSize& size, qreal dpr, bool back, const QPalette& palette) {
  QPixmap picture(size * dpr);
  picture.setDevicePixelRatio(dpr);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal side = std::min(size.width(), size.height());
  p.translate((size.width() - side) / 2.0, (size.height() - side) / 2.0);
  p.scale(side / 16.0, side / 16.0);
  p.setPen(QPen(palette.color(QPalette::Dark), 1));
  p.setBrush(palette.color(QPalette::Button));
  p.drawEllipse(QRectF(1, 1, 14, 14));
  if (back) {
    p.translate(16, 0);
    p.scale(-1, 1);
  }
  p.setPen(
      QPen(palette.color(QPalette::ButtonText), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(QPointF(4.5, 8), QPointF(11, 8));
  p.drawPolyline(QPolygonF({QPointF(8, 5), QPointF(11, 8), QPointF(8, 11)}));
  return picture;
}

}  // namespace

void LookActions::LoadIcons() {
  // Only the size the buttons show, at this screen's scale and at 1×: a
  // theme hands over every size it has, up to hundreds of pixels, which
  // would stay with the editor for as long as it runs. Where the theme has
  // no picture the arrows are drawn here: the style's own come from files
  // whose reading first asks every image format's plugin about them.
  const QSize size = cmdUndo->iconSize();
  const auto icon = [&](const QString& name, bool back) {
    const QIcon themed = QIcon::fromTheme(name);
    const bool fromTheme = !themed.isNull() && !themed.availableSizes().isEmpty();
    QIcon kept;
    const qreal screen = cmdUndo->devicePixelRatioF();
    for (const qreal dpr : {qreal(1), screen}) {
      kept.addPixmap(fromTheme ? themed.pixmap(size, dpr)
                               : ArrowPicture(size, dpr, back, cmdUndo->palette()));
      if (screen == 1) break;
    }
    return kept;
  };
  cmdUndo->setIcon(icon(u"edit-undo"_s, true));
  cmdRedo->setIcon(icon(u"edit-redo"_s, false));
}

LookActions::LookActions(FrmOptions& window, QWidget* strip, int x, int y, int size)
    : QObject(&window), window_(window) {
  cmdUndo = MakeButton(strip, u"cmdUndo"_s, QRect(x, y, size, size));
  cmdUndo->setToolTip(tr("Отменить изменение (Ctrl+Z)"));
  cmdRedo = MakeButton(strip, u"cmdRedo"_s, QRect(x + size + 2, y, size, size));
  cmdRedo->setToolTip(tr("Вернуть изменение (Ctrl+Y, Ctrl+Shift+Z)"));
  connect(cmdUndo, &QToolButton::clicked, this, &LookActions::Undo);
  connect(cmdRedo, &QToolButton::clicked, this, &LookActions::Redo);

  const auto keys = [this](const QList<QKeySequence>& sequences, void (LookActions::*act)()) {
    auto* s = new QShortcut(&window_);
    s->setKeys(sequences);
    connect(s, &QShortcut::activated, this, [this, act] {
      if (!InTextBox()) (this->*act)();
    });
  };
  keys({QKeySequence(Qt::CTRL | Qt::Key_Z)}, &LookActions::Undo);
  keys({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
       &LookActions::Redo);
  keys({QKeySequence(Qt::CTRL | Qt::Key_C)}, &LookActions::CopyLook);
  keys({QKeySequence(Qt::CTRL | Qt::Key_V)}, &LookActions::PasteLook);
  qApp->installEventFilter(this);
}

LookActions::~LookActions() { qApp->removeEventFilter(this); }

// --- recording ----------------------------------------------------------------

void LookActions::LineChanged(const QString& before, const QString& after) {
  if (!recording_ || applying_) return;
  history_.RecordLine(before, after, gesture_);
  ShowButtons();
}

void LookActions::TemplateWritten(const RecordChange& record) {
  if (!recording_ || applying_) return;
  history_.RecordTemplate(window_.State().Text1.text(), record);
  ShowButtons();
}

std::uint64_t LookActions::NewGesture() {
  releasing_ = false;
  gesture_ = ++lastGesture_;
  return gesture_;
}

void LookActions::EndGestureSoon() {
  // What the release itself does (a button's click, a slider's last step)
  // still belongs to the gesture; a change with no input behind it (the
  // host's) after that does not.
  releasing_ = true;
  const std::uint64_t ending = gesture_;
  QTimer::singleShot(0, this, [this, ending] {
    if (gesture_ == ending && releasing_) gesture_ = 0;
  });
}

bool LookActions::eventFilter(QObject* watched, QEvent* event) {
  const auto* w = qobject_cast<QWidget*>(watched);
  if (!w || w->window() != &window_) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      // A press a control passes on to its parents is seen again for each.
      if (gesture_ == 0 || releasing_) NewGesture();
      typingInto_ = nullptr;
      break;
    case QEvent::MouseButtonRelease:
      EndGestureSoon();
      break;
    case QEvent::KeyPress: {
      const auto* k = static_cast<QKeyEvent*>(event);
      if (k->isAutoRepeat()) {
        gesture_ = lastGesture_;
        releasing_ = false;
      } else if (qobject_cast<QLineEdit*>(watched) && watched == typingInto_) {
        // The next key typed into the same box.
        gesture_ = lastGesture_;
        releasing_ = false;
      } else if (gesture_ == 0 || releasing_) {
        NewGesture();
        typingInto_ = qobject_cast<QLineEdit*>(watched) ? watched : nullptr;
      }
      break;
    }
    case QEvent::KeyRelease:
      if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) EndGestureSoon();
      break;
    case QEvent::FocusOut:
      if (watched == typingInto_) typingInto_ = nullptr;
      break;
    case QEvent::Wheel:
      if (watched != wheelOver_ || !wheelClock_.isValid() || wheelClock_.elapsed() > kWheelTurnMs) {
        NewGesture();
        wheelOver_ = watched;
      } else {
        gesture_ = lastGesture_;
      }
      wheelClock_.start();
      EndGestureSoon();
      break;
    default:
      break;
  }
  return false;
}

// --- undo and redo ------------------------------------------------------------

void LookActions::Undo() {
  if (const std::optional<LookStep> step = history_.Undo()) Apply(*step, false);
  ShowButtons();
}

void LookActions::Redo() {
  if (const std::optional<LookStep> step = history_.Redo()) Apply(*step, true);
  ShowButtons();
}

void LookActions::Apply(const LookStep& step, bool forward) {
  applying_ = true;
  if (step.record) {
    const RecordChange& r = *step.record;
    if (!window_.Templates().PutTemplateRecord(r.section, r.key, forward ? r.after : r.before))
      Say(tr("Шаблон не удалось переписать"));
  }
  const QString& line = forward ? step.lineAfter : step.lineBefore;
  // The whole look, as a template click sends it, then every control; the
  // line is saved as after any change.
  if (line != window_.State().Text1.text() && window_.SendText(stamp::WholeLineMessage(line)))
    window_.SetParamFromText();
  applying_ = false;
}

void LookActions::ShowButtons() {
  cmdUndo->setEnabled(history_.CanUndo());
  cmdRedo->setEnabled(history_.CanRedo());
}

// --- the clipboard ------------------------------------------------------------

void LookActions::CopyLook() {
  const QString current = window_.State().Text1.text();
  const QString line = stamp::IsValidLine(current) ? current : window_.Host().FallbackLine();
  if (line.isEmpty()) return;
  QApplication::clipboard()->setText(line);
  Say(tr("Параметры надписи скопированы в буфер обмена"));
}

void LookActions::PasteLook() {
  const QString text = QApplication::clipboard()->text().trimmed();
  const QString why = Refusal(text);
  if (!why.isEmpty()) {
    Say(tr("Не вставлено: %1").arg(why));
    return;
  }
  // One step of its own, even while Ctrl is still held from another paste.
  NewGesture();
  if (window_.SendText(stamp::WholeLineMessage(text))) window_.SetParamFromText();
}

QString LookActions::Refusal(const QString& text) {
  if (text.isEmpty()) return tr("в буфере обмена нет текста");
  if (text.contains(u'\n') || text.contains(u'\r')) return tr("в буфере обмена несколько строк");
  const QStringList fields = text.split(u'|');
  if (fields.size() != stamp::kFieldCount)
    return tr("это не строка параметров (полей %1 из %2)")
        .arg(fields.size())
        .arg(stamp::kFieldCount);
  for (int i = 1; i < stamp::kFieldCount; ++i) {
    if (!stamp::ValueFits(i, fields[i])) {
      const QString value = fields[i].size() > 24 ? fields[i].left(24) + u'…' : fields[i];
      return tr("поле %1 («%2») не подходит").arg(i + 1).arg(value);
    }
  }
  if (!stamp::IsValidLine(text)) return tr("строка параметров не читается");
  return {};
}

void LookActions::Say(const QString& text) {
  QWidget* anchor = cmdUndo;
  QToolTip::showText(anchor->mapToGlobal(QPoint(0, anchor->height())), text, anchor, {}, 6000);
}

bool LookActions::InTextBox() {
  const QWidget* f = QApplication::focusWidget();
  return qobject_cast<const QLineEdit*>(f) || qobject_cast<const QAbstractSpinBox*>(f) ||
         qobject_cast<const QPlainTextEdit*>(f) || qobject_cast<const QTextEdit*>(f);
}

}  // namespace qm
