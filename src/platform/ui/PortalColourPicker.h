#pragma once
// The screen picker on Wayland, where no program may read the screen: the
// desktop portal asks the user to pick and hands the colour back in the
// response to the request it made for the call. Made by
// ScreenColourPicker::ForThisDesktop only.

#include <QString>
#include <QVariantMap>

#include "platform/ui/ScreenColourPicker.h"

namespace qm::ui {

class PortalColourPicker final : public ScreenColourPicker {
  Q_OBJECT
 public:
  PortalColourPicker() = default;
  void Start(QWidget* anchor) override;
  // Whether the session's portal offers colour picking.
  void WhenKnown(QObject* context, std::function<void(bool)> answer) override;

 private Q_SLOTS:
  void OnResponse(uint response, const QVariantMap& results);

 private:
  void End(const QColor& colour);
  QString request_;
};

}  // namespace qm::ui
