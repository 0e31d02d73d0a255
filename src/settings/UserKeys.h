#pragma once
// Every key of the per-user store, with its group and its default. The
// editor keeps its window and its choices in group "Options", the desktop
// stamp its place and its choices in group "Host" (a named stamp under
// "<name>/" there).

#include "platform/SettingKey.h"

namespace qm::settings {

using platform::SettingKey;

inline constexpr QStringView kEditorGroup = u"Options";
inline constexpr QStringView kStampGroup = u"Host";

// The editor window's place when it last closed: left|top|width|height in
// twips; empty until then, and the window starts beside the stamp.
inline constexpr SettingKey<QString> kEditorPlace{kEditorGroup, u"FrmOptPos"};
// The page that was open.
inline constexpr SettingKey<qint16> kOpenPage{kEditorGroup, u"OptMenu", 0};
// The gallery's preview background: its number in the palette, and whether
// the texture is drawn over it.
inline constexpr SettingKey<qint16> kPreviewBackground{kEditorGroup, u"FonNum", 1};
inline constexpr SettingKey<qint16> kPreviewTexture{kEditorGroup, u"TxturEn", 1};

// The stamp's place on the screens and the rectangle it last stood in (see
// host/StampPlace.h for their texts), its layer ("above" or "below") and its
// lock ("1" or "0"): empty until chosen.
inline constexpr SettingKey<QString> kStampPlace{kStampGroup, u"Place"};
inline constexpr SettingKey<QString> kStampArea{kStampGroup, u"Area"};
inline constexpr SettingKey<QString> kStampLayer{kStampGroup, u"Layer"};
inline constexpr SettingKey<QString> kStampLocked{kStampGroup, u"Locked"};
// The look of a named stamp, a parameter line.
inline constexpr SettingKey<QString> kStampLook{kStampGroup, u"Look"};

}  // namespace qm::settings
