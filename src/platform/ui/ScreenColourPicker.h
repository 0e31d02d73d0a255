#pragma once
// Picking the colour of any pixel on the screen with the pointer, however the
// desktop lets a program do that:
// - on X11 the window takes the pointer and the keyboard; the pixel under the
//   pointer when the left button is let go is read from the screen, Esc or
//   another button cancels;
// - on Wayland, where no program may read the screen, the desktop portal's
//   colour picker does the picking when the portal offers it.
// Where neither can deliver a colour there is no picker at all, and the
// control that starts one stays disabled. Whether the portal offers one is
// asked without waiting, so start-up never waits on the session bus.

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace qm::ui {

class ScreenColourPicker : public QObject {
  Q_OBJECT
 public:
  // The picker this desktop offers, or null when it offers none.
  static std::unique_ptr<ScreenColourPicker> ForThisDesktop();
  ~ScreenColourPicker() override = default;

  // Starts a pick for the window of `anchor` (a shown widget, which takes the
  // pointer and keyboard where that is how picking works). A pick already
  // under way goes on instead.
  virtual void Start(QWidget* anchor) = 0;
  // Calls `answer` once with whether picks can be made, at once where that
  // is known, else when the desktop has said (never after `context` is gone).
  virtual void WhenKnown(QObject* /*context*/, std::function<void(bool)> answer) { answer(true); }
  bool Picking() const { return picking_; }

 Q_SIGNALS:
  // Exactly one of these ends each pick.
  void Picked(const QColor& colour);
  void Cancelled();

 protected:
  explicit ScreenColourPicker(QObject* parent = nullptr) : QObject(parent) {}
  void Finish(const QColor& colour);
  bool picking_ = false;
};

}  // namespace qm::ui
