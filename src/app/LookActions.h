#pragma once
// Undo and redo of the look, and the look as text on the clipboard, for the
// editor window.
//
// Every change of the line the session reports is recorded in a LookHistory,
// one step per gesture of the user's: what happens from a mouse button's
// press to its release, from a key's press (with its repeats) to its
// release, typing into one text box until the focus leaves it, or a run of
// wheel notches over one control. A template overwritten with the look is a
// step of its own, which takes its INI record back too.
//
// Ctrl+Z takes a step back, Ctrl+Y and Ctrl+Shift+Z do it again; Ctrl+C puts
// the line on the clipboard and Ctrl+V applies a line from it as a template
// click does. They act anywhere in the window except in a text box, where
// the same keys edit the text. What they cannot do is said in a tooltip
// over the window, never in a dialog that waits for the user.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>

#include "session/LookHistory.h"

class QToolButton;
class QWidget;

namespace qm {

class FrmOptions;

class LookActions : public QObject {
  Q_OBJECT
 public:
  // The buttons go on `strip` at (x, y), each `size` pixels square.
  LookActions(FrmOptions& window, QWidget* strip, int x, int y, int size);
  ~LookActions() override;
  // The buttons' pictures, left to the window's start-up (see FrmOptions).
  void LoadIcons();

  // From the end of start-up on, changes are recorded.
  void SetRecording(bool on) { recording_ = on; }
  // The session changed the line.
  void LineChanged(const QString& before, const QString& after);
  // The gallery rewrote a template's record.
  void TemplateWritten(const RecordChange& record);

  void Undo();
  void Redo();
  void CopyLook();
  void PasteLook();

  const LookHistory& History() const { return history_; }
  // Why `text` is no line the editor can apply; empty when it is one.
  static QString Refusal(const QString& text);

  QToolButton* cmdUndo = nullptr;
  QToolButton* cmdRedo = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Apply(const LookStep& step, bool forward);
  void ShowButtons();
  void Say(const QString& text);
  // Whether the keys belong to the text box that has the focus.
  static bool InTextBox();
  std::uint64_t NewGesture();
  void EndGestureSoon();

  FrmOptions& window_;
  LookHistory history_;
  bool recording_ = false;
  bool applying_ = false;

  // The gesture changes now belong to (0: none), the last one begun, and
  // what continues it.
  std::uint64_t gesture_ = 0;
  std::uint64_t lastGesture_ = 0;
  bool releasing_ = false;  // a release was seen: the next press begins anew
  QPointer<QObject> typingInto_;
  QPointer<QObject> wheelOver_;
  QElapsedTimer wheelClock_;
};

}  // namespace qm
