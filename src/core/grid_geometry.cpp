// core/grid_geometry.cpp — grid arithmetic (see the header). No state.
#include "core/grid_geometry.h"

#include <algorithm>
#include <cmath>

int PageRows(int pages) {
  if (pages < 1 || pages > 64) return 8192;
  return 8192 / pages;
}

std::string PageLabel(int page) {
  std::string out;
  if (page < 26) {
    out += char('A' + page);
  } else {
    out += char('A' + page / 26 - 1);
    out += char('A' + page % 26);
  }
  return out;
}

int FillCount(int columnWidth, int run240) {
  // Rounded: character advances are fractional, and truncating 3.99 to 3 would overfill.
  const int average = (run240 + 120) / 240;
  if (average <= 0) return 1;
  return std::max(1, (columnWidth - 8) / average);
}

Align PrefixAlign(unsigned char prefix) {
  switch (CanonicalPrefix(prefix)) {
    case '\'': return Align::kLeft;
    case '"': return Align::kRight;
    case '^': return Align::kCentre;
    case '`': return Align::kWrap;
    case 0xAB: return Align::kLeftDots;
    case 0xBB: return Align::kRightDots;
    default: return Align::kLeft;
  }
}

int TextStart(Align align, int left, int right, int textWidth) {
  int x = left;
  switch (align) {
    case Align::kRight: x = right - 4 - textWidth; break;
    case Align::kCentre: x = (left + right - textWidth) / 2; break;
    case Align::kWrap:
    case Align::kLeftDots:
    case Align::kRightDots: x = left; break;
    default: x = left + 4; break;
  }
  return std::max(x, left);
}

SplitDrag SplitBoxHit(int x, int y, int windowWidth, int windowHeight) {
  if (x < windowWidth - kSplitBox || x >= windowWidth) return SplitDrag::kNone;
  const int above = windowHeight - 1 - y;  // pixels above the bottom edge
  if (above < 0) return SplitDrag::kNone;
  if (above < 10) return SplitDrag::kVertical;
  if (above < 20) return SplitDrag::kHorizontal;
  return SplitDrag::kNone;
}

int ScrollerColumn(int position, int maximum) {
  if (maximum <= 0) return 0;
  return std::clamp(int(std::lround(double(position) * 255.0 / maximum)), 0, 255);
}
