#pragma once
// A stored setting described once: its group, its name, its type and the
// value it has while nothing is stored. The stores (the per-user store and
// the INI file shared with the stamp) read and write through such a key, so
// a call site names the key and never spells its group, its name or its
// default again. The keys themselves are listed by file: settings/UserKeys.h
// for the per-user store, stamp/IniKeys.h for the shared INI file.

#include <QString>
#include <QStringView>
#include <type_traits>

#include "platform/Classic.h"

namespace qm::platform {

template <class T>
struct SettingKey {
  // Numbers are the classic program's 16-bit integers.
  static_assert(std::is_same_v<T, QString> || std::is_same_v<T, qint16>,
                "a setting is stored as a text or a 16-bit integer");
  // What a key holds while nothing is stored: a text is written as a view so
  // that the keys stay compile-time constants.
  using Fallback = std::conditional_t<std::is_same_v<T, QString>, QStringView, T>;

  QStringView group;
  QStringView name;
  Fallback fallback{};

  T Default() const {
    if constexpr (std::is_same_v<T, QString>)
      return fallback.toString();
    else
      return fallback;
  }
  // The value of a stored text. A number is read as the classic program read
  // it: its leading number, rounded, and the default when that does not fit.
  T FromText(const QString& stored) const {
    if constexpr (std::is_same_v<T, QString>)
      return stored;
    else
      return classic::CInt(classic::Val(stored)).value_or(fallback);
  }
  static QString ToText(const T& value) {
    if constexpr (std::is_same_v<T, QString>)
      return value;
    else
      return QString::number(value);
  }
};

}  // namespace qm::platform
