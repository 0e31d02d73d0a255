#pragma once
// Text in the system code page, converted without loss.
//
// The INI file and the host's messages are bytes in the system code page, and
// either side may hold bytes that are not valid in it (a value stored by a
// host on another code page, a hand edit, a damaged file). Such bytes must
// survive being read and written back, so the decoder never turns them into
// U+FFFD: every byte that is not part of a valid sequence becomes a code point
// of its own in the private-use range U+F780..U+F7FF (U+F700 + the byte; only
// bytes 0x80..0xFF can be invalid), and the encoder turns those code points
// back into the very byte. To keep that pair exact, a valid sequence that
// would itself decode into U+F780..U+F7FF is taken byte by byte like an
// invalid one. So bytes -> text -> bytes gives back the identical bytes, and
// every other valid text decodes and encodes as the code page says.
//
// The code page here is UTF-8 (Qt's system converter is UTF-8 on every Unix);
// a backend for a platform with another code page supplies its own pair with
// the same contract.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace qm::platform {

// The first of the 128 code points that stand for single undecodable bytes.
inline constexpr char16_t kRawByteBase = 0xF700;
inline constexpr char16_t kRawByteFirst = kRawByteBase + 0x80;  // U+F780
inline constexpr char16_t kRawByteLast = kRawByteBase + 0xFF;   // U+F7FF

// Never fails: every byte comes back as text.
QString DecodeCodePage(QByteArrayView bytes);

// Text the code page cannot hold (an unpaired surrogate, the only such text
// for UTF-8) is written as "?" and reported through `ok`, so a caller that
// must store exactly what it was given can refuse instead.
QByteArray EncodeCodePage(QStringView text, bool* ok = nullptr);

}  // namespace qm::platform
