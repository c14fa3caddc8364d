// tests/analysis/analysis_fixture.h — the commands' sheet fixture with what the tests of the data
// tools add: blocks of entries, range texts, missing cells and the messages shown.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/commands.h"
#include "commands/engine_start.h"
#include "commands/sheet_fixture.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "formula/formula_text.h"
#include "platform/headless/headless_platform.h"

class AnalysisFixture : public SheetFixture {
 protected:
  // Enters the texts across rows ("/" between rows, " " between cells) from `corner`.
  static void EnterBlock(const std::string& corner, const std::string& rows) {
    const ParsedCell p = ParseCellRef(corner);
    uint32_t row = p.row, column = p.column;
    std::string cell;
    for (size_t i = 0; i <= rows.size(); ++i) {
      const char ch = i < rows.size() ? rows[i] : '/';
      if (ch == ' ' || ch == '/') {
        if (!cell.empty()) {
          ASSERT_TRUE(EnterIntoCell(row, column, cell).Done()) << cell;
        }
        cell.clear();
        ++column;
        if (ch == '/') {
          ++row;
          column = p.column;
        }
      } else {
        cell += ch;
      }
    }
  }
  // The texts of the range's cells, rows joined by "/", cells by " ".
  static std::string Texts(const std::string& range) {
    const CellRange r = ParseRange(range);
    std::string out;
    for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
      if (row > r.firstRow) out += "/";
      for (uint32_t column = r.firstColumn; column <= r.lastColumn; ++column) {
        if (column > r.firstColumn) out += " ";
        out += CellContentsText(GetCell(row, column));
      }
    }
    return out;
  }
  static bool Missing(const std::string& ref) {
    const ParsedCell p = ParseCellRef(ref);
    return GetCell(p.row, p.column) == 0;
  }
  static CellAddress At(const std::string& ref) {
    const ParsedCell p = ParseCellRef(ref);
    return CellAddress{uint16_t(p.column), uint16_t(p.row)};
  }
  static CellRange R(const std::string& text) { return ParseRange(text); }
  static const std::vector<std::string>& Messages() { return TheHeadlessPlatform().messages; }
  static std::string LastMessage() { return Messages().empty() ? "" : Messages().back(); }
};
