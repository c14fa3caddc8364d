// ui/row_painter.cpp — the row painter of the worksheet grid (see the header).
//
// Module state: the cell font table and the program-wide picture cache (at most 10 bitmaps,
// looked up by the upper-cased file name). Reads the current sheet's cells through the cell
// store; writes only the prefix byte of labels stored with an old-form ellipsis prefix.
// Texts go straight into the painter's image through each font's glyph masks when the painter
// allows it (ui/glyph_blit.h), else through QPainter; both give the same pixels.
#include "ui/row_painter.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QRawFont>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <string>

#include "core/format.h"
#include "core/grid_geometry.h"
#include "core/sheet_layout.h"
#include "ui/cp1252.h"
#include "ui/glyph_blit.h"

namespace {

constexpr QRgb kPalette[16] = {
    0xFF000000u, 0xFF000080u, 0xFF008000u, 0xFF008080u, 0xFF800000u, 0xFF800080u,
    0xFF808000u, 0xFFC0C0C0u, 0xFF808080u, 0xFF0000FFu, 0xFF00FF00u, 0xFF00FFFFu,
    0xFFFF0000u, 0xFFFF00FFu, 0xFFFFFF00u, 0xFFFFFFFFu};
constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kBlack = 0xFF000000u;
constexpr int kMaxPictures = 10;
constexpr int kMaxBorderEdges = 2000;

struct Picture {
  QString key;  // upper-cased file name
  QImage image;
};

struct PainterState {
  std::vector<QString> fontNames;
  std::vector<Picture> pictures;  // loaded bitmaps, at most kMaxPictures
  std::vector<QString> failed;    // names that could not be loaded (not retried)
};

PainterState& ThePainterState() {
  static PainterState state;
  return state;
}

uint8_t FeatureForeground(uint32_t word) { return uint8_t((word >> 24) & 0x0F); }


const GridDisplay& DisplayOf(const GridDisplay* d) {
  static const GridDisplay kDefaults;
  return d ? *d : kDefaults;
}

bool IsNegative(const CellRecord* cell) { return CellNumber(cell) < 0; }

// The picture of `key` from the cache, loading it on first use; null when the cache is full or
// the file cannot be read.
const QImage* FindPicture(const QString& file) {
  PainterState& s = ThePainterState();
  const QString key = file.toUpper();
  for (const Picture& p : s.pictures)
    if (p.key == key) return &p.image;
  if (int(s.pictures.size()) >= kMaxPictures) return nullptr;
  if (std::find(s.failed.begin(), s.failed.end(), key) != s.failed.end()) return nullptr;
  QImage image(file);
  if (image.isNull()) {
    if (s.failed.size() < 64) s.failed.push_back(key);
    return nullptr;
  }
  s.pictures.push_back(Picture{key, std::move(image)});
  return &s.pictures.back().image;
}

// Draws `image` into `cell` by display mode: 0 natural size at the top-left, 1 stretched over
// the cell, 2 scaled to fit and centred.
void DrawPicture(QPainter& p, const QRect& cell, const QImage& image, int mode) {
  p.save();
  p.setClipRect(cell, Qt::IntersectClip);
  if (mode == 1) {
    p.drawImage(cell, image);
  } else if (mode == 2) {
    QSize size = image.size().scaled(cell.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), size);
    target.moveCenter(cell.center());
    p.drawImage(target, image);
  } else {
    p.drawImage(cell.topLeft(), image);
  }
  p.restore();
}

// What a cell shows.
enum class Show : uint8_t { kNothing, kText, kFill, kPicture };

struct CellShow {
  Show show = Show::kNothing;
  QString text;
  Align align = Align::kLeft;
  bool isValue = false;  // values turn into "x" when too wide and never overflow
  QChar fillChar;
  QString pictureFile;
  int pictureMode = 0;
  const QImage* picture = nullptr;
};

uint8_t EffectiveFormat(const CellRecord* c, const GlobalOptions& o) {
  uint8_t f = c->format & kFormatCodeMask;
  return f == kFormatDefault ? (o.globalFormat() & kFormatCodeMask) : f;
}

// Reads "OBJECT(name,mode)" after the "|" prefix.
bool ParsePictureLabel(const std::string& body, CellShow* out) {
  static const char kObject[] = "OBJECT(";
  if (body.size() < 7) return false;
  for (int i = 0; i < 7; ++i)
    if (std::toupper(static_cast<unsigned char>(body[size_t(i)])) != kObject[i]) return false;
  std::string inner = body.substr(7);
  if (!inner.empty()) inner.pop_back();  // the closing bracket
  const size_t comma = inner.find(',');
  std::string file = comma == std::string::npos ? inner : inner.substr(0, comma);
  std::string mode = comma == std::string::npos ? std::string() : inner.substr(comma + 1);
  out->show = Show::kPicture;
  out->pictureFile = FromCp1252(file).trimmed();
  out->pictureMode = mode.empty() ? 0 : std::clamp(std::atoi(mode.c_str()), 0, 2);
  return true;
}

// The text and alignment of a cell, from its kind, format and label prefix.
CellShow TextOf(const SheetView& sheet, CellHandle h, const GlobalOptions& o, int widthChars) {
  const CellRecord* c = CellAt(h);
  CellShow t;
  const uint8_t kind = c->kind & kKindAndErrorMask;
  const uint8_t format = EffectiveFormat(c, o);
  if (format == kFormatHidden) return t;
  t.show = Show::kText;
  if (kind & kKindErrorMark) {
    t.text = QStringLiteral("ERR");
    t.align = Align::kRight;
    t.isValue = true;
    return t;
  }
  const bool asFormulaText = format == kFormatText;
  switch (kind) {
    case 0:
      t.text = asFormulaText ? FromCp1252(sheet.FormulaText(h))
                             : FromCp1252(PoolText(CellStringResult(c)));
      t.align = Align::kLeft;
      return t;
    case 1:
      if (asFormulaText) {
        t.text = FromCp1252(sheet.FormulaText(h));
        t.align = Align::kLeft;
        return t;
      }
      [[fallthrough]];
    case 2:
    case 3:
      t.text = QString::fromLatin1(FormatValue(widthChars, format, CellNumber(c), o));
      t.align = Align::kRight;
      t.isValue = true;
      return t;
    case 4: {
      const uint8_t* block = PoolPtr(c->text);
      if (!block || block[0] == 0) {
        t.show = Show::kNothing;
        return t;
      }
      // Old-form ellipsis prefixes are read as the current form.
      const unsigned char prefix = CanonicalPrefix(block[1]);
      const std::string body(reinterpret_cast<const char*>(block + 2), block[0] - 1u);
      if (prefix == '\\') {
        if (body.empty()) {
          t.show = Show::kNothing;
        } else {
          t.show = Show::kFill;
          t.fillChar = FromCp1252(body.substr(0, 1)).at(0);
        }
        return t;
      }
      if (prefix == '|' && ParsePictureLabel(body, &t)) return t;
      t.text = FromCp1252(body);
      t.align = prefix == '|' ? Align::kLeft : PrefixAlign(prefix);
      return t;
    }
    case 5: t.show = Show::kNothing; return t;
    case 6: {
      // The value field names a picture already in the cache: slot + 1, then the display mode.
      const int slot = c->value[0] - 1;
      t.show = Show::kPicture;
      t.pictureMode = std::clamp(int(c->value[1]), 0, 2);
      if (slot >= 0 && slot < int(ThePainterState().pictures.size()))
        t.picture = &ThePainterState().pictures[size_t(slot)].image;
      return t;
    }
    default:
      t.text = QStringLiteral("ERR");
      t.align = Align::kRight;
      t.isValue = true;
      return t;
  }
}

// A font at one size and style with what painting needs of it. Kept program-wide (at most 64)
// so that the same face is not looked up again for every row.
struct FontEntry {
  QString family;
  int pixelSize = 0;
  uint8_t style = 0;
  bool printing = false;
  QFont font;
  QRawFont raw;
  std::optional<QFontMetrics> metrics;
  int xRun = -1;  // width of 240 "x"
  // Glyph index and advance of the characters U+0000..U+00FF, looked up on first use: the
  // cells' texts are almost all in this range, and their glyphs do not depend on neighbours.
  std::array<quint32, 256> glyph{};
  std::array<qreal, 256> advance{};
  std::array<bool, 256> known{};
  std::unique_ptr<GlyphMasks> masks;  // made on first direct drawing
};

FontEntry& FindFont(const QString& family, int pixelSize, uint8_t style, bool printing) {
  static std::vector<std::unique_ptr<FontEntry>> cache;
  for (auto& e : cache)
    if (e->pixelSize == pixelSize && e->style == style && e->printing == printing &&
        e->family == family)
      return *e;
  if (cache.size() >= 64) cache.clear();
  auto e = std::make_unique<FontEntry>();
  FontEntry& entry = *e;
  entry.family = family;
  entry.pixelSize = pixelSize;
  entry.style = style;
  entry.printing = printing;
  entry.font = QFont(family);
  entry.font.setPixelSize(pixelSize);
  if (!(style & kStylePlain)) {
    entry.font.setBold(style & kStyleBold);
    entry.font.setItalic(style & kStyleItalic);
    entry.font.setUnderline(style & kStyleUnderline);
    entry.font.setStrikeOut(style & kStyleStrikeOut);
  }
  entry.font.setStyleStrategy(printing ? QFont::PreferQuality : QFont::PreferDefault);
  entry.raw = QRawFont::fromFont(entry.font);
  entry.metrics.emplace(entry.font);
  cache.push_back(std::move(e));
  return *cache.back();
}

// The painter's font, selected anew only when a cell's font index, size or style differs from
// the previous cell's. Texts are laid out glyph by glyph from the font's own advances (the
// engine's texts are single-byte Western text, which needs no shaping).
class FontSlot {
 public:
  FontSlot(QPainter& p, const GridDisplay& d, int scale, bool printing)
      : p_(p), d_(d), scale_(scale), printing_(printing) {}
  void Select(const CellRecord* c) {
    const uint32_t key = c ? (uint32_t(c->font) | uint32_t(c->size) << 8 | uint32_t(c->style) << 16)
                           : 0xFF0000FFu;
    if (entry_ && key == key_) return;
    key_ = key;
    const int size = (c && c->size) ? c->size : d_.defaultSize;
    const uint8_t style = c ? uint8_t(c->style & kStyleFontBits) : 0;
    const QString family = CellFontName(c ? c->font : 255, d_.defaultFamily);
    entry_ = &FindFont(family, std::max(1, size * scale_ / 100), (style & kStylePlain) ? kStylePlain : style,
                       printing_);
    p_.setFont(entry_->font);
    run_ = QGlyphRun();
    run_.setRawFont(entry_->raw);
    run_.setUnderline(entry_->font.underline());
    run_.setStrikeOut(entry_->font.strikeOut());
  }
  const QFontMetrics& Metrics() const { return *entry_->metrics; }
  // Width of 240 copies of `ch`, for the fill counts.
  int Run240(QChar ch) {
    if (ch == QLatin1Char('x') && entry_->xRun >= 0) return entry_->xRun;
    const int w = Metrics().horizontalAdvance(QString(240, ch));
    if (ch == QLatin1Char('x')) entry_->xRun = w;
    return w;
  }
  // Lays `text` out into the slot's glyph run, valid until the next Shape or Select; gives its
  // width in pixels. An invalid raw font leaves the run empty (the text is then drawn as text).
  int Shape(const QString& text) {
    const QRawFont& raw = entry_->raw;
    if (!raw.isValid()) {
      run_.setRawData(nullptr, nullptr, 0);
      count_ = 0;
      return Metrics().horizontalAdvance(text);
    }
    const qsizetype n = text.size();
    glyphs_.resize(n);
    positions_.resize(n);
    qreal x = 0;
    for (qsizetype i = 0; i < n; ++i) {
      const QChar ch = text[i];
      quint32 glyph;
      qreal advance;
      if (ch.unicode() < 256) {
        const uint8_t c = uint8_t(ch.unicode());
        if (!entry_->known[c]) {
          GlyphOf(raw, ch, &entry_->glyph[c], &entry_->advance[c]);
          entry_->known[c] = true;
        }
        glyph = entry_->glyph[c];
        advance = entry_->advance[c];
      } else {
        GlyphOf(raw, ch, &glyph, &advance);
      }
      glyphs_[i] = glyph;
      positions_[i] = QPointF(x, 0);
      x += advance;
    }
    run_.setRawData(glyphs_.data(), positions_.data(), int(n));
    count_ = int(n);
    return int(std::ceil(x));
  }
  const QGlyphRun& Run() const { return run_; }
  // The masks that draw the last shaped text straight into the target image, or null when the
  // painter must draw it (decorated or unsuitable fonts).
  GlyphMasks* Direct() {
    const FontEntry& e = *entry_;
    if (!e.raw.isValid() || e.font.underline() || e.font.strikeOut()) return nullptr;
    if (!entry_->masks) entry_->masks = std::make_unique<GlyphMasks>(e.raw);
    return entry_->masks->Usable() ? entry_->masks.get() : nullptr;
  }
  const quint32* Glyphs() const { return glyphs_.data(); }
  const QPointF* Positions() const { return positions_.data(); }
  int Count() const { return count_; }

 private:
  QPainter& p_;
  const GridDisplay& d_;
  int scale_;
  bool printing_;
  uint32_t key_ = 0;
  FontEntry* entry_ = nullptr;
  QGlyphRun run_;
  std::vector<quint32> glyphs_;
  std::vector<QPointF> positions_;
  int count_ = 0;

  // One character's glyph and advance, as the raw font maps a string (no kerning).
  static void GlyphOf(const QRawFont& raw, QChar ch, quint32* glyph, qreal* advance) {
    int count = 1;
    *glyph = 0;
    QPointF a;
    if (raw.glyphIndexesForChars(&ch, 1, glyph, &count) && count == 1)
      raw.advancesForGlyphIndexes(glyph, &a, 1);
    *advance = a.x();
  }
};

bool InRange(const CellRange& r, int row, int column) {
  return RangeIsValid(r) && row >= r.firstRow && row <= r.lastRow && column >= r.firstColumn &&
         column <= r.lastColumn;
}

// Queues the edges of a border byte along the cell rectangle moved one pixel left: a thin edge
// one pixel wide, a thick edge two.
void QueueBorders(uint8_t borders, const QRect& cell, std::vector<QRect>& queue) {
  if (!borders) return;
  const int l = cell.left() - 1, r = cell.right(), t = cell.top(), b = cell.bottom();
  auto width = [&](int shift) { return (borders >> shift) & 2 ? 2 : ((borders >> shift) & 1); };
  const int wl = width(0), wb = width(2), wr = width(4), wt = width(6);
  auto push = [&](const QRect& rect) {
    if (int(queue.size()) < kMaxBorderEdges) queue.push_back(rect);
  };
  if (wl) push(QRect(l, t, wl, b - t + 1));
  if (wb) push(QRect(l, b - wb + 1, r - l + 1, wb));
  if (wr) push(QRect(r - wr + 1, t, wr, b - t + 1));
  if (wt) push(QRect(l, t, r - l + 1, wt));
}

}  // namespace

QRgb PaletteColour(int index) { return kPalette[index & kColourIndexMask]; }

QRgb WordColour(uint32_t word) {
  return qRgb(int(word & 0xFF), int((word >> 8) & 0xFF), int((word >> 16) & 0xFF));
}

QRgb RowBackground(int row, bool title, bool printing, const GlobalOptions& options,
                   const GridDisplay& display) {
  if (printing) return kWhite;
  if (title) return kTitleBackground;
  if (display.banding && row % 2 == 0) return WordColour(options.colourFeature(kFeatureOddRows));
  return WordColour(options.colourFeature(kFeatureBackground));
}

CellColours CellColoursFor(const CellRecord* cell, const ColourInputs& in) {
  const GlobalOptions& o = in.options ? *in.options : Options();
  const GridDisplay& d = DisplayOf(in.display);
  CellColours out{in.rowBackground, kBlack};
  const bool mono = in.printing && !d.printColour;
  const bool unlocked = cell && o.protection() && !(cell->format & kFormatProtected);
  const uint8_t kind = cell ? (cell->kind & kKindAndErrorMask) : kMissingKind;
  const bool numeric = cell && KindIsNumeric(kind);
  const bool negative = numeric && d.colourNegative && IsNegative(cell);
  const int byKind = numeric ? (negative ? kFeatureNegative : kFeatureValue)
                     : KindHasString(kind) ? kFeatureLabel
                                           : -1;
  // Background.
  if (mono) {
    out.background = kWhite;
  } else if (!cell) {
    out.background = in.rowBackground;
  } else if (unlocked) {
    out.background = WordColour(o.colourFeature(kFeatureUnlocked));
  } else if (!(cell->colour & kColourNoShade)) {
    out.background = qRgb(cell->shade[0], cell->shade[1], cell->shade[2]);
  } else if (byKind >= 0) {
    const uint32_t word = o.colourFeature(byKind);
    out.background = (word & kFeatureIgnoreBackground) ? in.rowBackground : WordColour(word);
  }
  // Foreground.
  if (mono || !cell) {
    out.foreground = kBlack;
  } else if (unlocked) {
    out.foreground = PaletteColour(FeatureForeground(o.colourFeature(kFeatureUnlocked)));
  } else if (!(cell->colour & kColourAutomaticText)) {
    out.foreground = PaletteColour(cell->colour & kColourIndexMask);
  } else {
    const uint32_t word = o.colourFeature(byKind >= 0 ? byKind : kFeatureValue);
    out.foreground =
        (word & kFeatureIgnoreForeground) ? kBlack : PaletteColour(FeatureForeground(word));
  }
  if (!in.printing) {
    if (in.cursor) {
      const uint32_t word = o.colourFeature(kFeatureCursor);
      out.background = WordColour(word);
      out.foreground =
          (word & kFeatureIgnoreForeground) ? kBlack : PaletteColour(FeatureForeground(word));
    } else if (in.selected) {
      out.background = kSelectionBackground;
      out.foreground = kWhite;
    }
  }
  return out;
}

void SetCellFontNames(std::vector<QString> names) { ThePainterState().fontNames = std::move(names); }

QString CellFontName(uint8_t index, const QString& defaultFamily) {
  const std::vector<QString>& names = ThePainterState().fontNames;
  if (index == 255 || index >= names.size()) return defaultFamily;
  return names[index];
}

QString ResolvedFamily(const QString& family) { return QFontInfo(QFont(family)).family(); }

int PictureCacheCount() { return int(ThePainterState().pictures.size()); }

void ResetPictureCache() {
  ThePainterState().pictures.clear();
  ThePainterState().failed.clear();
}

namespace {

// Text drawing of one row: the colour follows the cells; the painter's pen is set only when the
// painter itself draws text and the colour has changed since.
struct TextPen {
  QPainter& p;
  QRgb colour = 0;
  bool applied = false;
  void Use(QRgb c) {
    if (c == colour) return;
    colour = c;
    applied = false;
  }
  void Apply() {
    if (applied) return;
    p.setPen(QColor(colour));
    applied = true;
  }
};

// Draws the text last shaped in `fonts` starting at x on the cell's text baseline, clipped to
// `clip` when it does not fit inside it: straight into the target image when it allows, else
// through the painter.
void DrawClipped(QPainter& p, const DirectTarget& direct, FontSlot& fonts, TextPen& pen,
                 const QRect& clip, QRgb background, int x, int baseline, int textWidth,
                 int ascent, const QString& text) {
  const bool fits = x >= clip.left() && x + textWidth <= clip.right() + 1 &&
                    baseline - ascent >= clip.top();
  const QGlyphRun& run = fonts.Run();
  if (direct.image && !run.isEmpty()) {
    if (GlyphMasks* masks = fonts.Direct()) {
      masks->Draw(direct, QPointF(x, baseline), fonts.Glyphs(), fonts.Positions(), fonts.Count(),
                  pen.colour, background, fits ? nullptr : &clip);
      return;
    }
  }
  pen.Apply();
  if (!fits) p.setClipRect(clip);
  if (run.isEmpty())
    p.drawText(QPoint(x, baseline), text);
  else
    p.drawGlyphRun(QPointF(x, baseline), run);
  if (!fits) p.setClipping(false);
}

// Word wrap: words are added to a line while it stays narrower than the column; lines are drawn
// top-aligned from the cell top, each moving down by the height of "Ag".
void DrawWrapped(QPainter& p, const QFontMetrics& fm, const QRect& cell, const QString& text) {
  const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  const int lineHeight = fm.boundingRect(QStringLiteral("Ag")).height();
  int y = cell.top();
  QString line;
  p.setClipRect(cell);
  auto flush = [&] {
    if (line.isEmpty()) return;
    p.drawText(QPoint(cell.left(), y + fm.ascent()), line);
    y += lineHeight;
    line.clear();
  };
  for (const QString& word : words) {
    const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
    if (!line.isEmpty() && fm.horizontalAdvance(candidate) >= cell.width()) {
      flush();
      line = word;
    } else {
      line = candidate;
    }
    if (y > cell.bottom()) break;
  }
  flush();
  p.setClipping(false);
}

// Dots added to `text` until text and dots together reach the cell width.
QString WithDots(const QFontMetrics& fm, const QString& text, int width, bool dotsFirst) {
  QString dots;
  const int textWidth = fm.horizontalAdvance(text);
  const int dot = std::max(1, fm.horizontalAdvance(QLatin1Char('.')));
  int n = std::max(0, (width - textWidth) / dot);
  dots.fill(QLatin1Char('.'), n);
  // Dots are added while the text with one more dot still fits the cell.
  while (n < 240 && fm.horizontalAdvance(dotsFirst ? dots + QLatin1Char('.') + text
                                                   : text + dots + QLatin1Char('.')) <= width) {
    dots += QLatin1Char('.');
    ++n;
  }
  while (n > 0 && fm.horizontalAdvance(dotsFirst ? dots + text : text + dots) > width) {
    dots.chop(1);
    --n;
  }
  return dotsFirst ? dots + text : text + dots;
}

}  // namespace

void PaintRow(QPainter& p, const RowPaint& r) {
  if (r.row < 0 || r.row >= kRowCount) return;
  const SheetView current(r.sheet ? 0 : CurrentWorksheet());
  const SheetView& sheet = r.sheet ? *r.sheet : current;
  const GlobalOptions& o = r.options ? *r.options : sheet.Options();
  const GridDisplay& d = DisplayOf(r.display);
  const int first = std::max(0, r.firstColumn);
  const int last = std::min(kColumnCount - 1, r.lastColumn);
  const int scale = std::max(1, r.scale);
  const SheetLayout& layout = sheet.Layout();
  auto widthOf = [&](int col) {
    if (r.printing) return (r.widths ? r.widths[col] : layout.columnWidth[size_t(col)]) * scale / 100;
    return r.widths ? r.widths[col] : ZoomedSize(layout.columnWidth[size_t(col)], scale);
  };
  auto charsOf = [&](int col) {
    return widthOf(col) * 100 / scale / 8;
  };

  // The row's cells by column.
  std::array<CellHandle, kColumnCount> cells;
  std::fill(cells.begin() + first, cells.begin() + last + 1, CellHandle(0));
  for (CellHandle h = sheet.RowHead(r.row); h; h = CellAt(h)->next) {
    const int col = CellAt(h)->column;
    if (col > last) break;
    if (col >= first) cells[size_t(col)] = h;
  }

  const QRgb rowBack = RowBackground(r.row, r.title, r.printing, o, d);
  const bool hSep = !r.printing && (d.gridLines & 1);
  const bool vSep = !r.printing && (d.gridLines & 2);
  const bool dotted = d.gridLines & 4;
  const int top = r.rect.top();
  // With row separators on, cells leave the row's last pixel to the separator line.
  const int fillHeight = r.rect.height() - (hSep ? 1 : 0);
  const int textBottom = top + fillHeight;

  p.save();
  p.setBackgroundMode(Qt::TransparentMode);
  FontSlot fonts(p, d, scale, r.printing);
  TextPen pen{p};
  // Worked out before the painter clips anything of its own below.
  const DirectTarget direct = DirectTargetOf(p);
  static thread_local std::vector<QRect> borders;
  borders.clear();
  QPen separatorPen(QColor(d.gridColour), 0, dotted ? Qt::DotLine : Qt::SolidLine);
  auto verticalSeparator = [&](const QRect& cell) {
    if (!vSep || cell.width() <= 0) return;
    if (dotted) {
      p.setPen(separatorPen);
      p.drawLine(cell.right(), top, cell.right(), r.rect.bottom());
      pen.applied = false;
    } else {
      p.fillRect(QRect(cell.right(), top, 1, r.rect.height()), QColor(d.gridColour));
    }
  };
  auto colours = [&](const CellRecord* c, int col, bool forPicture) {
    ColourInputs in;
    in.options = &o;
    in.display = &d;
    in.rowBackground = rowBack;
    in.printing = r.printing;
    in.selected = !forPicture && InRange(r.selection, r.row, col);
    in.cursor = r.row == r.cursorRow && col == r.cursorColumn;
    return CellColoursFor(c, in);
  };

  int x = r.rect.left();
  int col = first;
  while (col <= last) {
    const int w = widthOf(col);
    if (w <= 0) {
      ++col;
      continue;
    }
    const QRect cell(x, top, w, fillHeight);
    CellRecord* c = cells[size_t(col)] ? CellAt(cells[size_t(col)]) : nullptr;
    CellShow t;
    if (c) t = TextOf(sheet, cells[size_t(col)], o, charsOf(col));
    const bool picture = t.show == Show::kPicture;
    const CellColours cc = colours(c, col, picture);
    p.fillRect(cell, QColor(cc.background));
    int right = x + w;
    int next = col + 1;

    if (t.show == Show::kText || t.show == Show::kFill) {
      fonts.Select(c);
      const QFontMetrics& fm = fonts.Metrics();
      const uint8_t code = uint8_t(CellAlignment(c->style));
      Align align = t.align;
      if (code >= 1 && code <= 6) align = Align(code);
      QString text = t.text;
      if (t.show == Show::kFill) {
        text = QString(FillCount(w, fonts.Run240(t.fillChar)), t.fillChar);
        align = Align::kLeft;
      } else if (align == Align::kLeftDots || align == Align::kRightDots) {
        text = WithDots(fm, text, w, align == Align::kLeftDots);
      }
      pen.Use(cc.foreground);
      if (align == Align::kWrap && !t.isValue) {
        pen.Apply();
        DrawWrapped(p, fm, cell, text);
      } else {
        int textWidth = fonts.Shape(text);
        int start = TextStart(align, x, right, textWidth);
        if (t.isValue && start + textWidth > right) {
          text = QString(FillCount(w, fonts.Run240(QLatin1Char('x'))), QLatin1Char('x'));
          textWidth = fonts.Shape(text);
          start = TextStart(align, x, right, textWidth);
        }
        const int baseline = textBottom - fm.descent();
        DrawClipped(p, direct, fonts, pen, cell, cc.background, start, baseline, textWidth,
                    fm.ascent(), text);
        // Label overflow into empty or blank neighbours within the painted span.
        const int end = start + textWidth;
        // Fills stay in their own column.
        while (!t.isValue && t.show != Show::kFill && end > right && next <= last) {
          const CellHandle nh = cells[size_t(next)];
          if (nh && !KindIs(CellAt(nh)->kind, CellKind::kBlank)) break;
          const int nw = widthOf(next);
          const QRect spill(right, top, nw, fillHeight);
          if (nw > 0) {
            const CellColours sc = colours(c, next, false);
            p.fillRect(spill, QColor(sc.background));
            pen.Use(sc.foreground);
            DrawClipped(p, direct, fonts, pen, spill, sc.background, start, baseline, textWidth,
                        fm.ascent(), text);
          }
          if (nh) QueueBorders(CellAt(nh)->borders, QRect(right, top, nw, r.rect.height()), borders);
          verticalSeparator(QRect(right, top, nw, fillHeight));
          right += nw;
          ++next;
        }
      }
    } else if (picture) {
      const QImage* image = t.picture ? t.picture : FindPicture(t.pictureFile);
      if (image) DrawPicture(p, cell, *image, t.pictureMode);
      if (!r.printing && InRange(r.selection, r.row, col)) {
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.fillRect(cell.adjusted(1, 1, -1, -1), Qt::black);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
      }
    }
    if (c) QueueBorders(c->borders, QRect(x, top, w, r.rect.height()), borders);
    verticalSeparator(cell);
    if (r.printing && d.printGrid) {
      p.setPen(QColor(kBlack));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRect(x, top, w - 1, r.rect.height() - 1));
      pen.applied = false;
    }
    x = right;
    col = next;
  }

  if (hSep && x > r.rect.left()) {
    const int y = r.rect.bottom();
    if (dotted) {
      p.setPen(separatorPen);
      p.drawLine(r.rect.left(), y, x - 1, y);
    } else {
      p.fillRect(QRect(r.rect.left(), y, x - r.rect.left(), 1), QColor(d.gridColour));
    }
  }
  if (!borders.empty()) {
    p.setClipRect(r.rect);
    for (const QRect& edge : borders) p.fillRect(edge, Qt::black);
    borders.clear();
  }
  p.restore();
}
