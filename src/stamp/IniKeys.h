#pragma once
// The keys of the INI file the editor shares with the stamp ("Quillmark.ini"),
// with their defaults: the current look, the user's colour set, and the
// template catalogue, one section "Dir" n for category n (0..40) with its
// name, its folder and its records "Pic" m (1..80).

#include "platform/SettingKey.h"

namespace qm::stamp {

using platform::SettingKey;

// The selected look, a parameter line; empty before the first choice.
inline constexpr SettingKey<QString> kSelectedLine{u"General", u"Selected"};
// The user's colour set (colour/Palette.h).
inline constexpr SettingKey<QString> kUserColours{u"General", u"Colors"};

inline constexpr QStringView kCategorySectionPrefix = u"Dir";
// In a category's section: its caption, its folder below the template root,
// and its records (a template parameter line each).
inline constexpr SettingKey<QString> kCategoryName{{}, u"Name"};
inline constexpr SettingKey<QString> kCategoryPath{{}, u"Path"};
inline constexpr QStringView kTemplateKeyPrefix = u"Pic";

}  // namespace qm::stamp
