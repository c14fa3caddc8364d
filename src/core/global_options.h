// core/global_options.h — the 1637-byte worksheet-wide options record.
//
// The record is saved byte for byte with the worksheet and copied in and out of the open-sheet
// table; every field with a documented offset has a named accessor here, and nobody else reads
// an options byte by a bare number.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/address.h"

constexpr size_t kGlobalOptionsSize = 1637;

struct GlobalOptions {
  std::array<uint8_t, kGlobalOptionsSize> bytes{};

  uint8_t Byte(size_t offset) const { return bytes[offset]; }
  void SetByte(size_t offset, uint8_t v) { bytes[offset] = v; }
  uint16_t Word(size_t offset) const { return uint16_t(bytes[offset] | (bytes[offset + 1] << 8)); }
  void SetWord(size_t offset, uint16_t v) {
    bytes[offset] = uint8_t(v);
    bytes[offset + 1] = uint8_t(v >> 8);
  }
  uint32_t Long(size_t offset) const {
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 |
           uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
  }
  void SetLong(size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = uint8_t(v >> (8 * i));
  }
  // Length-prefixed text of at most `capacity` characters at `offset`.
  std::string Text(size_t offset, size_t capacity) const;
  void SetText(size_t offset, size_t capacity, std::string_view text);

  // --- fields of the worksheet core ---
  static constexpr size_t kProtection = 0;
  static constexpr size_t kZeroSuppressed = 2;
  static constexpr size_t kManualRecalc = 4;
  static constexpr size_t kModified = 5;
  static constexpr size_t kLabelPrefix = 8;
  static constexpr size_t kPageSize = 12;
  static constexpr size_t kGlobalFormat = 14;
  static constexpr size_t kRanges = 43;  // 16 CellRange entries of 8 bytes
  static constexpr size_t kPassword = 1545;
  static constexpr size_t kPasswordCapacity = 40;

  // --- fields carried by the worksheet file and used by later modules ---
  static constexpr size_t kReservedNameFlag = 1;  // bit 2 of the reserved "G!" name's flag byte
  static constexpr size_t kWindowWord = 10;       // 16 bits, extension record 0x88: landscape
  static constexpr size_t kColourFeatures = 15;   // 7 x 32 bits, in the settings dialog's order
  static constexpr size_t kHeader = 243;          // page header text (up to 240 characters)
  static constexpr size_t kFooter = 499;          // page footer text
  static constexpr size_t kTitle = 755;           // document title (up to 80)
  static constexpr size_t kComments = 1011;       // document comments (up to 255)
  static constexpr size_t kFurtherText = 1267;    // further document-information text (up to 80)
  static constexpr size_t kReal1 = 1523;          // 64-bit real, extension record 0x80
  static constexpr size_t kReal2 = 1531;          // 64-bit real, extension record 0x80
  static constexpr size_t kWord1539 = 1539;       // 16 bits, extension record 0x82: text scale
  static constexpr size_t kVersionStamp = 1541;   // 32 bits, extension record 0x79
  static constexpr size_t kMargins = 1586;        // 6 x 64-bit reals: top, left, right, bottom, header, footer
  static constexpr size_t kWindowBytes = 1634;    // 3 bytes, extension record 0x88 (below)
  static constexpr size_t kPrintFrame = 1634;     // draw the margin frame
  static constexpr size_t kPrintMono = 1635;      // print without shades
  static constexpr size_t kPrintRules = 1636;     // bit 0 rule under the header, bit 1 above the footer
  static constexpr size_t kTextCapacity = 255;

  // --- settings-file options whose place no file record fixes ---
  static constexpr size_t kColourNegatives = 3;  // draw negative values in their colour
  static constexpr size_t kBanding = 6;          // odd rows take the "Odd Rows" colour
  static constexpr size_t kRaisedBorders = 7;    // 3-D raised header cells
  static constexpr size_t kDistFlag = 9;         // stored and restored with the settings only
  static constexpr size_t kGridLines = 171;      // bit 0 row lines, bit 1 column lines, bit 2 dotted

  // Indexes of the 16 ranges from byte 43.
  enum RangeIndex : int {
    kSortKey1 = 0,     // byte 43
    kSortKey2 = 1,     // byte 51
    kSortKey3 = 2,     // byte 59
    kSortKey4 = 3,     // byte 67
    kSortRange = 4,    // byte 75
    kTableInput1 = 5,  // byte 83
    kTableInput2 = 6,  // byte 91
    kTableRange = 7,   // byte 99
    kQueryInput = 8,   // byte 107
    kQueryCriteria = 9,
    kQueryOutput = 10,
    kPrintRange = 11,  // byte 131
    kTitleRows = 12,   // byte 139
    kTitleColumns = 13,
  };
  static constexpr int kRangeCount = 16;

  // The data tools' own settings, which no file record carries: eight ranges of 8 bytes from byte
  // 172 (in the free bytes before the page header) and the bin type flag after them.
  static constexpr size_t kDataToolRanges = 172;
  enum DataToolRange : int {
    kRegressX = 0,          // byte 172
    kRegressY = 1,          // byte 180
    kRegressOutput = 2,     // byte 188
    kGoalInput = 3,         // byte 196
    kGoalOutput = 4,        // byte 204
    kGoalInputCopy = 5,     // byte 212: the second pair the goal-seek page keeps
    kGoalOutputCopy = 6,    // byte 220
    kMultiRegressX = 7,     // byte 228
  };
  static constexpr int kDataToolRangeCount = 8;
  static constexpr size_t kBinType = 236;  // set: bins count a <= x < b; clear: a < x <= b
  static constexpr int kColourFeatureCount = 7;
  // Indexes of the colour features, in the settings dialog's order.
  enum ColourFeature : int {
    kLabelColour = 0,
    kValueColour = 1,
    kNegativeColour = 2,
    kUnlockedColour = 3,
    kCursorColour = 4,
    kOddRowColour = 5,
    kBackgroundColour = 6,
  };

  uint32_t colourFeature(int index) const { return Long(kColourFeatures + 4 * size_t(index)); }
  void setColourFeature(int index, uint32_t word) { SetLong(kColourFeatures + 4 * size_t(index), word); }
  double Real(size_t offset) const {
    double d;
    std::memcpy(&d, &bytes[offset], 8);
    return d;
  }
  void SetReal(size_t offset, double d) { std::memcpy(&bytes[offset], &d, 8); }
  double margin(int index) const { return Real(kMargins + 8 * size_t(index)); }
  void setMargin(int index, double inches) { SetReal(kMargins + 8 * size_t(index), inches); }
  std::string header() const { return Text(kHeader, kTextCapacity); }
  void setHeader(std::string_view t) { SetText(kHeader, kTextCapacity, t); }
  std::string footer() const { return Text(kFooter, kTextCapacity); }
  void setFooter(std::string_view t) { SetText(kFooter, kTextCapacity, t); }

  // --- print settings ---
  // Margins in inches, in the order of the margin fields.
  enum Margin : int {
    kTopMargin = 0,
    kLeftMargin = 1,
    kRightMargin = 2,
    kBottomMargin = 3,
    kHeaderMargin = 4,
    kFooterMargin = 5,
  };
  static constexpr uint16_t kDefaultPrintScale = 100;
  CellRange printRange() const { return range(kPrintRange); }
  void setPrintRange(const CellRange& r) { setRange(kPrintRange, r); }
  CellRange borderRows() const { return range(kTitleRows); }
  void setBorderRows(const CellRange& r) { setRange(kTitleRows, r); }
  CellRange borderColumns() const { return range(kTitleColumns); }
  void setBorderColumns(const CellRange& r) { setRange(kTitleColumns, r); }
  // Text scale in percent as stored; 0 (files that carry none) means 100.
  uint16_t printScale() const {
    const uint16_t s = Word(kWord1539);
    return s == 0 ? kDefaultPrintScale : s;
  }
  void setPrintScale(uint16_t percent) { SetWord(kWord1539, percent); }
  bool landscape() const { return Word(kWindowWord) != 0; }
  void setLandscape(bool on) { SetWord(kWindowWord, on ? 1 : 0); }
  bool printFrame() const { return bytes[kPrintFrame] != 0; }
  void setPrintFrame(bool on) { bytes[kPrintFrame] = on; }
  bool printMono() const { return bytes[kPrintMono] != 0; }
  void setPrintMono(bool on) { bytes[kPrintMono] = on; }
  bool headerRule() const { return (bytes[kPrintRules] & 1) != 0; }
  void setHeaderRule(bool on) {
    bytes[kPrintRules] = uint8_t((bytes[kPrintRules] & ~1) | (on ? 1 : 0));
  }
  bool footerRule() const { return (bytes[kPrintRules] & 2) != 0; }
  void setFooterRule(bool on) {
    bytes[kPrintRules] = uint8_t((bytes[kPrintRules] & ~2) | (on ? 2 : 0));
  }

  bool protection() const { return bytes[kProtection] != 0; }
  void setProtection(bool on) { bytes[kProtection] = on; }
  bool zeroSuppressed() const { return bytes[kZeroSuppressed] != 0; }
  void setZeroSuppressed(bool on) { bytes[kZeroSuppressed] = on; }
  bool manualRecalc() const { return bytes[kManualRecalc] != 0; }
  void setManualRecalc(bool on) { bytes[kManualRecalc] = on; }
  bool modified() const { return bytes[kModified] != 0; }
  void setModified(bool on) { bytes[kModified] = on; }
  uint8_t labelPrefix() const { return bytes[kLabelPrefix]; }
  void setLabelPrefix(uint8_t c) { bytes[kLabelPrefix] = c; }
  uint16_t pageSize() const { return Word(kPageSize); }
  void setPageSize(uint16_t rows) { SetWord(kPageSize, rows); }
  uint8_t globalFormat() const { return bytes[kGlobalFormat]; }
  void setGlobalFormat(uint8_t f) { bytes[kGlobalFormat] = f; }
  bool colourNegatives() const { return bytes[kColourNegatives] != 0; }
  void setColourNegatives(bool on) { bytes[kColourNegatives] = on; }
  bool banding() const { return bytes[kBanding] != 0; }
  void setBanding(bool on) { bytes[kBanding] = on; }
  bool raisedBorders() const { return bytes[kRaisedBorders] != 0; }
  void setRaisedBorders(bool on) { bytes[kRaisedBorders] = on; }
  bool distFlag() const { return bytes[kDistFlag] != 0; }
  void setDistFlag(bool on) { bytes[kDistFlag] = on; }
  uint8_t gridLines() const { return bytes[kGridLines]; }
  void setGridLines(uint8_t flags) { bytes[kGridLines] = flags; }
  CellRange range(int index) const;  // index 0..15
  void setRange(int index, const CellRange& r);
  CellRange dataToolRange(int index) const;  // index 0..7
  void setDataToolRange(int index, const CellRange& r);
  bool binLowerInclusive() const { return bytes[kBinType] != 0; }
  void setBinLowerInclusive(bool on) { bytes[kBinType] = on; }
  std::string password() const { return Text(kPassword, kPasswordCapacity); }
  void setPassword(std::string_view p) { SetText(kPassword, kPasswordCapacity, p); }
};
static_assert(sizeof(GlobalOptions) == kGlobalOptionsSize);

// The options of the current worksheet.
GlobalOptions& Options();
