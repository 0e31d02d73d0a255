#pragma once
// Each of the 22 fields of the parameter line described once: its place, the
// letter of the message that carries it alone, its name in error reports and
// the member of StampParams it fills. The member's type decides how the field
// reads and writes, what it may hold and which FieldType it is; the parser,
// the writer, FieldTypeOf and the message keys are all derived from this
// table, so a field added or changed here is changed everywhere.

#include <QString>
#include <cstddef>
#include <limits>
#include <tuple>
#include <type_traits>
#include <utility>

#include "stamp/StampParams.h"

namespace qm::stamp {

template <typename T>
struct FieldEntry {
  using Value = T;
  Field index;
  char16_t key;      // the message "<key>=" that carries this field alone
  const char* name;  // English, for the parser's error text
  T StampParams::*member;
};
template <typename T>
FieldEntry(Field, char16_t, const char*, T StampParams::*) -> FieldEntry<T>;

// The letter of field 0 is the picture group's ("P=" carries the picture
// with the tone), the one message key that is not a single field's.
inline constexpr std::tuple kFieldTable{
    FieldEntry{kPicture, u'P', "picture", &StampParams::Picture},
    FieldEntry{kFontName, u'F', "font name", &StampParams::FontName},
    FieldEntry{kFontStyle, u'f', "font style", &StampParams::FontStyle},
    FieldEntry{kFontSize, u'S', "font size", &StampParams::FontSize},
    FieldEntry{kTextColor, u'C', "text colour", &StampParams::TextColor},
    FieldEntry{kTextX, u'X', "text X", &StampParams::TextX},
    FieldEntry{kTextY, u'Y', "text Y", &StampParams::TextY},
    FieldEntry{kShadowColor, u'c', "shadow colour", &StampParams::ShadowColor},
    FieldEntry{kShadowX, u'x', "shadow X", &StampParams::ShadowX},
    FieldEntry{kShadowY, u'y', "shadow Y", &StampParams::ShadowY},
    FieldEntry{kShadowAlpha, u't', "shadow opacity", &StampParams::ShadowAlpha},
    FieldEntry{kBorderColor, u'q', "border colour", &StampParams::BorderColor},
    FieldEntry{kBorderWidth, u'w', "border width", &StampParams::BorderWidth},
    FieldEntry{kTextOn, u'T', "text on", &StampParams::TextOn},
    FieldEntry{kShadowOn, u'o', "shadow on", &StampParams::ShadowOn},
    FieldEntry{kBorderOn, u'O', "border on", &StampParams::BorderOn},
    FieldEntry{kBorderUnder, u'd', "border under text", &StampParams::BorderUnder},
    FieldEntry{kPicHue, u'h', "picture hue", &StampParams::PicHue},
    FieldEntry{kPicSaturation, u's', "picture saturation", &StampParams::PicSaturation},
    FieldEntry{kPicValue, u'v', "picture value", &StampParams::PicValue},
    FieldEntry{kPicBrightness, u'b', "picture brightness", &StampParams::PicBrightness},
    FieldEntry{kPicAlpha, u'a', "picture transparency", &StampParams::PicAlpha},
};

template <int I>
inline constexpr const auto& kFieldEntry = std::get<static_cast<std::size_t>(I)>(kFieldTable);

// What a member of a given type is in the line. The only 32-bit integers of
// a look are its colours, written in hex.
template <typename T>
consteval FieldType FieldTypeFor() {
  if constexpr (std::is_same_v<T, QString>)
    return FieldType::Text;
  else if constexpr (std::is_same_v<T, qint16>)
    return FieldType::Int16;
  else if constexpr (std::is_same_v<T, qint32>)
    return FieldType::Colour;
  else if constexpr (std::is_same_v<T, float>)
    return FieldType::Single;
  else {
    static_assert(std::is_same_v<T, quint8>, "a field of a type the line cannot hold");
    return FieldType::Byte;
  }
}

template <int I>
inline constexpr FieldType kFieldType =
    FieldTypeFor<typename std::remove_cvref_t<decltype(kFieldEntry<I>)>::Value>();

// The values a numeric field holds, and so the texts its parser accepts: the
// whole range of its member's type.
template <typename T>
inline constexpr T kFieldLowest = std::numeric_limits<T>::lowest();
template <typename T>
inline constexpr T kFieldHighest = std::numeric_limits<T>::max();

// Calls `f(entry)` with the table entry of field `index`; `otherwise` for an
// index outside 0..21.
template <typename R, typename F>
R VisitField(int index, F&& f, R otherwise) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    R out = std::move(otherwise);
    (void)((index == static_cast<int>(I) && (out = f(std::get<I>(kFieldTable)), true)) || ...);
    return out;
  }
  (std::make_index_sequence<kFieldCount>{});
}

namespace detail {
template <std::size_t... I>
consteval bool TableInLineOrder(std::index_sequence<I...>) {
  return ((std::get<I>(kFieldTable).index == static_cast<int>(I)) && ...);
}
template <std::size_t... I>
consteval bool KeysDistinct(std::index_sequence<I...>) {
  const char16_t keys[] = {std::get<I>(kFieldTable).key...};
  for (std::size_t a = 0; a < sizeof...(I); ++a) {
    if (keys[a] == u'p' || keys[a] == u'A' || keys[a] == u'W') return false;
    for (std::size_t b = a + 1; b < sizeof...(I); ++b)
      if (keys[a] == keys[b]) return false;
  }
  return true;
}
}  // namespace detail
static_assert(std::tuple_size_v<std::remove_const_t<decltype(kFieldTable)>> == kFieldCount);
static_assert(detail::TableInLineOrder(std::make_index_sequence<kFieldCount>{}),
              "the table lists the fields in the line's order");
// "p=" (the tone group), "A=" (a whole line) and "W=" (the announcement) are
// the other messages.
static_assert(detail::KeysDistinct(std::make_index_sequence<kFieldCount>{}),
              "every message key is its own");

}  // namespace qm::stamp
