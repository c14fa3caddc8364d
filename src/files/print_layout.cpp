// files/print_layout.cpp — page layout of a printed range and the header and footer codes.
//
// Plain arithmetic over the current worksheet's column widths and row heights, in logical units
// of 1/96 inch, so the printer, the preview and the batch tool agree page by page.
// Reads: the current worksheet (cells, layout, options, file name), the settings' font size,
// the platform's clock. Writes nothing.
#include "files/print_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "core/cell_store.h"
#include "core/date_time.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/sheet_layout.h"
#include "core/worksheets.h"
#include "files/settings.h"
#include "platform/platform.h"

namespace {

// Inches to logical units, truncated; negative or absurd margins count as 0 or as the whole page.
int MarginUnits(double inches) {
  if (!(inches > 0)) return 0;
  const double units = inches * kPrintUnitsPerInch;
  return units >= 1e6 ? 1000000 : int(units);
}

int Scaled(int pixels, int scale) { return int(int64_t(pixels) * scale / 100); }

enum class RowRole : uint8_t { kPrinted, kHidden, kPageBreak };

// What the label in the range's first column makes of a row.
RowRole RoleOf(uint32_t row, uint32_t column) {
  const CellHandle h = GetCell(row, column);
  if (!h) return RowRole::kPrinted;
  const CellRecord* cell = CellAt(h);
  if ((cell->kind & kKindAndErrorMask) != uint8_t(CellKind::kLabel)) return RowRole::kPrinted;
  const std::string text = PoolText(cell->text);
  if (text.empty() || text[0] != '|') return RowRole::kPrinted;
  if (text.size() >= 3 && text[1] == ':' && text[2] == ':') return RowRole::kPageBreak;
  if (text.size() >= 2 && (text[1] == 'O' || text[1] == 'o')) return RowRole::kPrinted;
  return RowRole::kHidden;
}

// The rows of a range of border rows or the columns of a range of border columns.
std::vector<uint32_t> Span(const CellRange& r, bool rows) {
  std::vector<uint32_t> out;
  if (!RangeIsValid(r)) return out;
  const uint32_t first = rows ? r.firstRow : r.firstColumn;
  const uint32_t last = rows ? r.lastRow : r.lastColumn;
  for (uint32_t i = first; i <= last; ++i) out.push_back(i);
  return out;
}

// Replaces the codes of one part in a single left-to-right scan.
std::string ExpandPart(std::string_view part, const PrintCodeValues& v) {
  std::string out;
  const std::string page = std::to_string(v.page);
  for (size_t i = 0; i < part.size(); ++i) {
    const char c = part[i];
    if (c == '#') {
      out += page;
    } else if (c == '@') {
      out += v.date;
    } else if (c == '^' && i + 1 < part.size() &&
               (part[i + 1] == 'P' || part[i + 1] == 'D' || part[i + 1] == 'T' ||
                part[i + 1] == 'F')) {
      switch (part[++i]) {
        case 'P': out += page; break;
        case 'D': out += v.date; break;
        case 'T': out += v.time; break;
        default: out += v.fileName; break;
      }
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

int PageLayout::ColumnWidth(uint32_t column) const {
  return column < 256 ? Scaled(CurrentLayout().columnWidth[column], scale) : 0;
}

int PageLayout::RowHeight(uint32_t row) const {
  return row < kRowCount ? Scaled(CurrentLayout().rowHeight[row], scale) : 0;
}

PageSetup SheetPageSetup(const CellRange& range) {
  const GlobalOptions& o = Options();
  PageSetup s;
  s.range = range;
  s.borderRows = o.borderRows();
  s.borderColumns = o.borderColumns();
  s.topMargin = o.margin(GlobalOptions::kTopMargin);
  s.leftMargin = o.margin(GlobalOptions::kLeftMargin);
  s.rightMargin = o.margin(GlobalOptions::kRightMargin);
  s.bottomMargin = o.margin(GlobalOptions::kBottomMargin);
  s.scale = o.printScale();
  s.fontPoints = Settings().fontSize > 0 ? Settings().fontSize : 12;
  return s;
}

CellRange UsedPrintRange() {
  if (LastRow() == 0 && LastColumn() == 0 && !FindCellAtOrAfter(0, 0)) return NoRange();
  return MakeRange(0, 0, LastColumn(), LastRow());
}

CellRange DefaultPrintRange() {
  const CellRange r = Options().printRange();
  return RangeIsValid(r) ? r : UsedPrintRange();
}

PageSize BatchPageSize() {
  PageSize page;
  if (Options().landscape()) std::swap(page.width, page.height);
  return page;
}

PageLayout LayOutPages(const PageSetup& setup, PageSize page) {
  PageLayout out;
  out.scale = std::clamp(setup.scale, 1, 1000);
  out.top = MarginUnits(setup.topMargin);
  out.left = MarginUnits(setup.leftMargin);
  out.right = MarginUnits(setup.rightMargin);
  out.bottom = MarginUnits(setup.bottomMargin);
  out.lineHeight =
      int(int64_t(std::max(setup.fontPoints, 0)) * kPrintUnitsPerInch * out.scale / (72 * 100));
  out.usableHeight = page.height - out.top - out.bottom - 4 * out.lineHeight;
  out.usableWidth = page.width - out.left - out.right;
  if (out.usableHeight <= 0 || out.usableWidth <= 0) {
    out.marginsTooLarge = true;
    return out;
  }
  const CellRange& r = setup.range;
  if (!RangeIsValid(r)) return out;
  out.borderRows = Span(setup.borderRows, true);
  out.borderColumns = Span(setup.borderColumns, false);
  int borderWidth = 0;
  for (uint32_t c : out.borderColumns) borderWidth += out.ColumnWidth(c);
  int borderHeight = 0;
  for (uint32_t row : out.borderRows) borderHeight += out.RowHeight(row);

  // The roles of the rows depend on the range's first column only: the same in every strip.
  std::vector<RowRole> roles;
  roles.reserve(r.lastRow - r.firstRow + 1u);
  for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
    roles.push_back(RoleOf(row, r.firstColumn));
  }

  for (uint32_t first = r.firstColumn; first <= r.lastColumn;) {
    int width = borderWidth + out.ColumnWidth(first);
    uint32_t last = first;
    while (last < r.lastColumn && width + out.ColumnWidth(last + 1) <= out.usableWidth) {
      width += out.ColumnWidth(++last);
    }
    PrintedPage current;
    current.firstColumn = first;
    current.lastColumn = last;
    int height = borderHeight;
    for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
      const RowRole role = roles[row - r.firstRow];
      if (role == RowRole::kHidden) continue;
      if (role == RowRole::kPageBreak) {
        if (!current.rows.empty()) {
          out.pages.push_back(current);
          current.rows.clear();
          height = borderHeight;
        }
        continue;
      }
      const int h = out.RowHeight(row);
      if (!current.rows.empty() && height + h > out.usableHeight) {
        out.pages.push_back(current);
        current.rows.clear();
        height = borderHeight;
      }
      current.rows.push_back(row);
      height += h;
    }
    if (!current.rows.empty()) out.pages.push_back(std::move(current));
    first = last + 1;
  }
  return out;
}

PrintTextParts ExpandPrintCodes(std::string_view text, const PrintCodeValues& values) {
  std::string_view parts[3];
  int count = 0;
  while (count < 2) {
    const size_t bar = text.find('|');
    if (bar == std::string_view::npos) break;
    parts[count++] = text.substr(0, bar);
    text.remove_prefix(bar + 1);
  }
  parts[count++] = text;
  PrintTextParts out;
  switch (count) {
    case 1: out.centre = ExpandPart(parts[0], values); break;
    case 2:
      out.left = ExpandPart(parts[0], values);
      out.right = ExpandPart(parts[1], values);
      break;
    default:
      out.left = ExpandPart(parts[0], values);
      out.centre = ExpandPart(parts[1], values);
      out.right = ExpandPart(parts[2], values);
      break;
  }
  return out;
}

PrintCodeValues CurrentPrintCodeValues(int page) {
  PrintCodeValues v;
  v.page = page;
  const std::tm now = ThePlatform().LocalTime();
  int64_t day = 0;
  if (DayNumberFromDate(int64_t(now.tm_year) + 1900, now.tm_mon + 1, now.tm_mday, &day)) {
    v.date = FormatDate(2, double(day));
  }
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", std::clamp(now.tm_hour, 0, 23),
                std::clamp(now.tm_min, 0, 59), std::clamp(now.tm_sec, 0, 59));
  v.time = time;
  if (const SlotIndex sheet = CurrentWorksheet()) {
    const std::string& name = Worksheet(sheet).fileName;
    const size_t slash = name.find_last_of('/');
    v.fileName = slash == std::string::npos ? name : name.substr(slash + 1);
  }
  return v;
}

std::string PageListingText(const PageLayout& layout) {
  std::string out;
  const GlobalOptions& o = Options();
  for (size_t i = 0; i < layout.pages.size(); ++i) {
    const PrintedPage& p = layout.pages[i];
    out += "page " + std::to_string(i + 1) + " columns " + ColumnLetters(p.firstColumn) + ".." +
           ColumnLetters(p.lastColumn) + " rows ";
    // Runs of consecutive rows as "first-last", single rows alone.
    for (size_t k = 0; k < p.rows.size();) {
      size_t end = k;
      while (end + 1 < p.rows.size() && p.rows[end + 1] == p.rows[end] + 1) ++end;
      if (k) out += ',';
      out += std::to_string(p.rows[k] + 1);
      if (end > k) out += '-' + std::to_string(p.rows[end] + 1);
      k = end + 1;
    }
    out += '\n';
    const PrintCodeValues values = CurrentPrintCodeValues(int(i + 1));
    const PrintTextParts header = ExpandPrintCodes(o.header(), values);
    const PrintTextParts footer = ExpandPrintCodes(o.footer(), values);
    for (const auto& [label, parts] : {std::pair{"header ", &header}, std::pair{"footer ", &footer}}) {
      if (!parts->Empty()) {
        out += label + parts->left + "|" + parts->centre + "|" + parts->right + "\n";
      }
    }
  }
  return out;
}
