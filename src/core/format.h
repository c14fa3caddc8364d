// core/format.h — number formats: the display text of values, format names and letter codes,
// and the fixed-width text of a worksheet row.
//
// A FormatCode is one byte: bit 7 protected, bits 4..6 the type, bits 0..3 the decimals or the
// sub-code of the special type 7 (see the constants below). The same byte is stored in files.
// Reads: the number settings (core/number_settings.h), the current sheet's options (zero
// suppression, protection display, global format), its cells and column widths (RowAsText).
// Writes: the core's error flag (cleared by the engineering format).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct GlobalOptions;

// Bits and special codes of a FormatCode.
constexpr uint8_t kFormatProtected = 0x80;
constexpr uint8_t kFormatCodeMask = 0x7F;    // the format without the protection bit
constexpr uint8_t kFormatTypeMask = 0x70;    // bits 4..6: the type
constexpr int kFormatTypeShift = 4;
constexpr uint8_t kFormatDigitsMask = 0x0F;  // bits 0..3: decimals or sub-code of type 7
constexpr uint8_t kFormatFixed = 0x00;
constexpr uint8_t kFormatScientific = 0x10;
constexpr uint8_t kFormatCurrency = 0x20;
constexpr uint8_t kFormatFraction = 0x28;  // denominator 2^k, k in bits 0..2
constexpr uint8_t kFormatPercent = 0x30;
constexpr uint8_t kFormatComma = 0x40;
constexpr uint8_t kFormatEngineering = 0x50;
constexpr uint8_t kFormatBar = 0x70;
constexpr uint8_t kFormatGeneral = 0x71;
constexpr uint8_t kFormatD1 = 0x72;
constexpr uint8_t kFormatD2 = 0x73;
constexpr uint8_t kFormatD3 = 0x74;
constexpr uint8_t kFormatText = 0x75;
constexpr uint8_t kFormatHidden = 0x76;
constexpr uint8_t kFormatT1 = 0x77;
constexpr uint8_t kFormatT2 = 0x78;
constexpr uint8_t kFormatD4 = 0x79;
constexpr uint8_t kFormatD5 = 0x7A;
constexpr uint8_t kFormatT3 = 0x7B;
constexpr uint8_t kFormatT4 = 0x7C;
constexpr uint8_t kFormatLabels = 0x7E;
constexpr uint8_t kFormatDefault = 0x7F;

// Longest display text of a value and longest row text.
constexpr size_t kMaxDisplayText = 240;

// The display text of `value` in `formatCode` (bit 7 ignored; 0x7F stands for the sheet's global
// format) for a column `width` characters wide. Width matters only to the general formats, whose
// decimals are cut to fit. Leading blanks are removed; most texts end in one blank, negative
// comma and currency texts in ")", percent texts in "%". Zero suppression makes 0 empty.
// Infinities and NaN show as "ERR". Never fails; at most 240 characters.
std::string FormatValue(int width, uint8_t formatCode, double value);
// The same for a sheet with the options `options` (which need not be the current sheet's).
std::string FormatValue(int width, uint8_t formatCode, double value, const GlobalOptions& options);

// The general text of `value`: up to 11 significant digits in plain notation for magnitudes
// 1e-6..1e6, else a mantissa of up to 12 digits and a signed exponent of two or three digits
// (1.5E-09, 1E+300); "0" for zero; "ERR" for infinities and NaN.
std::string FormatGeneral(double value);

// The date of day number `value` (its whole part): sub-code 2 "08-Dec-1996", 3 "08-Dec",
// 4 "Dec 1996", 9 "12/08/1996", 10 "08/12/1996", 12 "19961208"; any other sub-code, and a day
// number beyond about 2.7 million years or not finite, gives "0/0/0".
std::string FormatDate(int subCode, double value);

// A time of day: modes 0 ("3:07:09 pm") and 1 ("3:07 pm") use 12 hours, modes 4 ("15:07:09")
// and 5 ("15:07") 24 hours. Other modes are read as mode 5.
std::string FormatTime(int hours, int minutes, int seconds, int mode);

// The short name of a format for the status line ("F2", "Fr3", "D1", ...), empty for codes
// without one; "Pr " or "Un " in front when the sheet shows the protection status.
std::string FormatName(uint8_t formatCode);

// The FormatCode named by a letter code such as "F2", "D4" or "T" (macros and the format list).
// Unknown letters give 0x7F (default). The number after the letter is not range-checked.
uint8_t ParseFormatLetters(std::string_view text);

// Row `row` from column `firstColumn` to `lastColumn` of the current sheet as fixed-width text:
// each column (pixel width / 8 + 2) characters wide, each cell's display text placed in its
// column (numbers right-aligned, labels by their prefix), texts running on into the following
// columns. The line is blank-filled to the width of the columns and cut to `limit` characters
// (240 for the clipboard and the listings; printing to a text file keeps whole lines).
std::string RowAsText(uint32_t row, uint32_t firstColumn, uint32_t lastColumn,
                      size_t limit = kMaxDisplayText);
