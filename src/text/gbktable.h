#pragma once
// GBK's mapping as Qt's ICU converter has it, written into the build by tools/make_gbk_table:
// read from constant tables, a start touches neither ICU's converter nor the heap for it.

#include <cstdint>

namespace gbk::table {

inline constexpr int kLeadFirst = 0x81;                 // lead bytes 0x81..0xFE
inline constexpr int kTrailFirst = 0x40;                // trail bytes 0x40..0xFE
inline constexpr int kTrailCount = 0xFF - kTrailFirst;  // 0x7F included, never assigned
inline constexpr int kLeadCount = 0xFF - kLeadFirst;

// By (lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst); 0: unassigned.
extern const char16_t kToUnicode[kLeadCount * kTrailCount];
// By UTF-16 unit: 0 where GBK has no byte sequence that reads back as it, below 0x100 a single
// byte, else lead << 8 | trail (the first pair in byte order that reads as it).
extern const std::uint16_t kFromUnicode[0x10000];
// What the single bytes 0x80 and 0xFF read as; 0: unassigned.
extern const char16_t kSingleByte80;
extern const char16_t kSingleByteFF;

}  // namespace gbk::table
