// ui/glyph_blit.cpp — glyph runs blended straight into an image (see the header). No module
// state; the masks live in each GlyphMasks.
#include "ui/glyph_blit.h"

#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QRegion>
#include <QTransform>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Glyphs from this pixel size on may be drawn as outlines, which blend differently.
constexpr int kLargestMaskedSize = 48;
// Masks kept per font (each glyph may need one per phase); beyond it the set starts over.
constexpr size_t kMaxMasks = 4096;
constexpr size_t kFirstIndexSize = 256;

// The engine's multiplication of the four 8-bit channels of `x` by a / 255, rounded.
inline uint32_t ByteMul(uint32_t x, uint32_t a) {
  uint32_t t = (x & 0xFF00FFu) * a;
  t = (t + ((t >> 8) & 0xFF00FFu) + 0x800080u) >> 8;
  t &= 0xFF00FFu;
  x = ((x >> 8) & 0xFF00FFu) * a;
  x = x + ((x >> 8) & 0xFF00FFu) + 0x800080u;
  x &= 0xFF00FF00u;
  return x | t;
}


// Whole-pixel position of a painter coordinate in 1/64 pixels, as the engine rounds it.
inline int Fixed(qreal v) { return qRound(v * 64); }

}  // namespace

DirectTarget DirectTargetOf(QPainter& p) {
  DirectTarget t;
  QPaintEngine* engine = p.paintEngine();
  if (!engine || engine->type() != QPaintEngine::Raster) return t;
  QPaintDevice* device = engine->paintDevice();
  if (!device || device->devType() != QInternal::Image) return t;
  auto* image = static_cast<QImage*>(device);
  if (image->format() != QImage::Format_RGB32 &&
      image->format() != QImage::Format_ARGB32_Premultiplied)
    return t;
  if (p.hasClipping() || p.opacity() != 1.0 ||
      p.compositionMode() != QPainter::CompositionMode_SourceOver)
    return t;
  const QTransform m = p.deviceTransform();
  if (m.type() > QTransform::TxTranslate || m.dx() != std::round(m.dx()) ||
      m.dy() != std::round(m.dy()))
    return t;
  t.offset = QPoint(int(m.dx()), int(m.dy()));
  const QRect bounds = image->rect();
  const QRegion system = engine->systemClip();
  if (system.isEmpty()) {
    t.clip.push_back(bounds);
  } else {
    for (const QRect& r : system) {
      const QRect inside = r & bounds;
      if (!inside.isEmpty()) t.clip.push_back(inside);
    }
  }
  t.image = image;
  return t;
}

GlyphMasks::GlyphMasks(const QRawFont& font)
    : font_(font), keys_(kFirstIndexSize, 0), slots_(kFirstIndexSize, nullptr) {}

bool GlyphMasks::Usable() {
  if (usable_ < 0) usable_ = Check() ? 1 : 0;
  return usable_ == 1 && faithful_;
}

// Draws the glyph alone in white on black through the engine and reads its coverage back.
const GlyphMasks::Mask* GlyphMasks::MaskOf(quint32 glyph, int phase) {
  const uint64_t key = (uint64_t(glyph) << 6) | uint64_t(phase);
  size_t slot = Slot(key);
  if (slots_[slot]) return slots_[slot];
  if (masks_.size() >= kMaxMasks) {
    masks_.clear();
    keys_.assign(kFirstIndexSize, 0);
    slots_.assign(kFirstIndexSize, nullptr);
    slot = Slot(key);
  }
  const int size = std::max(8, int(std::ceil(font_.pixelSize())));
  const int ox = 2 * size, oy = 3 * size;
  QImage scratch(5 * size, 5 * size, QImage::Format_RGB32);
  scratch.fill(0xFF000000u);
  {
    QPainter sp(&scratch);
    sp.setPen(QColor(0xFFFFFFFFu));
    QGlyphRun run;
    run.setRawFont(font_);
    const QPointF zero(0, 0);
    run.setRawData(&glyph, &zero, 1);
    sp.drawGlyphRun(QPointF(ox + phase / 64.0, oy), run);
  }
  int left = scratch.width(), top = scratch.height(), right = -1, bottom = -1;
  for (int y = 0; y < scratch.height(); ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
    for (int x = 0; x < scratch.width(); ++x) {
      const QRgb c = line[x];
      if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c)) faithful_ = false;  // not plain coverage
      if (qRed(c) == 0) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  Mask mask;
  if (right >= 0) {
    // Ink on the scratch border may have been cut off.
    if (left == 0 || top == 0 || right == scratch.width() - 1 || bottom == scratch.height() - 1)
      faithful_ = false;
    mask.left = left - ox;
    mask.top = top - oy;
    mask.width = right - left + 1;
    mask.height = bottom - top + 1;
    mask.coverage.resize(size_t(mask.width) * size_t(mask.height));
    for (int y = 0; y < mask.height; ++y) {
      const QRgb* line = reinterpret_cast<const QRgb*>(scratch.constScanLine(top + y));
      for (int x = 0; x < mask.width; ++x)
        mask.coverage[size_t(y) * size_t(mask.width) + size_t(x)] = uint8_t(qRed(line[left + x]));
    }
  }
  masks_.push_back(std::move(mask));
  slots_[slot] = &masks_.back();
  keys_[slot] = key;
  if (masks_.size() * 2 > slots_.size()) Grow();
  return &masks_.back();
}

// The slot of `key` in the open-addressed index: where it is, or the empty slot it would take.
size_t GlyphMasks::Slot(uint64_t key) const {
  const size_t mask = slots_.size() - 1;
  size_t i = size_t((key * 0x9E3779B97F4A7C15ull) >> 40) & mask;
  while (slots_[i] && keys_[i] != key) i = (i + 1) & mask;
  return i;
}

void GlyphMasks::Grow() {
  std::vector<uint64_t> oldKeys = std::move(keys_);
  std::vector<const Mask*> oldSlots = std::move(slots_);
  keys_.assign(oldSlots.size() * 2, 0);
  slots_.assign(oldSlots.size() * 2, nullptr);
  for (size_t i = 0; i < oldSlots.size(); ++i) {
    if (!oldSlots[i]) continue;
    const size_t to = Slot(oldKeys[i]);
    keys_[to] = oldKeys[i];
    slots_[to] = oldSlots[i];
  }
}

// The engine blends an opaque colour c at coverage a over a pixel d as
// s + d * alpha(~s) / 255 with s = c * a / 255. The same sum is exact at the ends too (a = 255
// gives c, a = 0 leaves d). The table holds s and alpha(~s) for every coverage, and the whole
// result over one background pixel value, which is what nearly every pixel under a glyph holds.
const GlyphMasks::Blend& GlyphMasks::BlendFor(uint32_t colour, uint32_t background) {
  for (const Blend& b : blends_)
    if (b.ready && b.colour == colour && b.background == background) return b;
  Blend& b = blends_[nextBlend_];
  nextBlend_ = (nextBlend_ + 1) % blends_.size();
  b.ready = true;
  b.colour = colour;
  b.background = background;
  for (uint32_t a = 0; a < 256; ++a) {
    const uint32_t s = ByteMul(colour, a);
    b.source[a] = s;
    b.inverse[a] = uint8_t(qAlpha(~s));
    b.over[a] = s + ByteMul(background, b.inverse[a]);
  }
  return b;
}

void GlyphMasks::Draw(const DirectTarget& target, QPointF origin, const quint32* glyphs,
                      const QPointF* positions, int count, QRgb colour, QRgb background,
                      const QRect* clip) {
  QImage& image = *target.image;
  // The painter is active on this image, so its pixels are not shared; writing through the
  // constant pointer avoids a detach check per call.
  uchar* bits = const_cast<uchar*>(image.constBits());
  const qsizetype stride = image.bytesPerLine();
  const Blend& blend = BlendFor(colour | 0xFF000000u, background);
  const uint32_t under = blend.background;
  int limitLeft = INT_MIN, limitTop = INT_MIN, limitRight = INT_MAX, limitBottom = INT_MAX;
  if (clip) {
    limitLeft = clip->left() + target.offset.x();
    limitTop = clip->top() + target.offset.y();
    limitRight = clip->right() + target.offset.x();
    limitBottom = clip->bottom() + target.offset.y();
  }
  for (int i = 0; i < count; ++i) {
    const int fx = Fixed(origin.x() + positions[i].x());
    const int fy = Fixed(origin.y() + positions[i].y());
    const Mask* m = MaskOf(glyphs[i], fx & 63);
    if (m->coverage.empty()) continue;
    const int dx = (fx >> 6) + m->left + target.offset.x();
    const int dy = ((fy + 32) >> 6) + m->top + target.offset.y();
    const int boxLeft = std::max(dx, limitLeft), boxTop = std::max(dy, limitTop);
    const int boxRight = std::min(dx + m->width - 1, limitRight);
    const int boxBottom = std::min(dy + m->height - 1, limitBottom);
    for (const QRect& allowed : target.clip) {
      const int left = std::max(boxLeft, allowed.left()), right = std::min(boxRight, allowed.right());
      const int top = std::max(boxTop, allowed.top()), bottom = std::min(boxBottom, allowed.bottom());
      for (int y = top; y <= bottom; ++y) {
        uint32_t* d = reinterpret_cast<uint32_t*>(bits + stride * y);
        const uint8_t* cover = m->coverage.data() + size_t(y - dy) * size_t(m->width) - dx;
        for (int x = left; x <= right; ++x) {
          const uint32_t a = cover[x];
          const uint32_t pixel = d[x];
          if (__builtin_expect(pixel == under, 1))
            d[x] = blend.over[a];
          else
            d[x] = blend.source[a] + ByteMul(pixel, blend.inverse[a]);
        }
      }
    }
  }
}

// Draws a sample of glyphs at every phase the font's advances give, on a patterned
// background, unclipped and clipped, through the engine and through the masks; the font is
// usable when both agree in every pixel of both image formats.
bool GlyphMasks::Check() {
  if (!font_.isValid() || font_.pixelSize() > kLargestMaskedSize) return false;
  static const QString kSample =
      QStringLiteral("0123456789 .,$()%-+ AgWjyfiT|_[]{}@&*#/\\xqQ");
  const QList<quint32> glyphs = font_.glyphIndexesForString(kSample);
  const QList<QPointF> advances = font_.advancesForGlyphIndexes(glyphs);
  std::vector<QPointF> positions;
  qreal x = 0;
  for (const QPointF& a : advances) {
    positions.emplace_back(x, 0);
    x += a.x();
  }
  const int size = std::max(8, int(std::ceil(font_.pixelSize())));
  const int width = int(std::ceil(x)) + 6 * size, height = 4 * size;
  const QRgb pen = 0xFF2060A0u;
  for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
    QImage engine(width, height, format);
    for (int py = 0; py < height; ++py)
      for (int px = 0; px < width; ++px)
        engine.setPixel(px, py, qRgb((px * 37) & 255, (py * 53) & 255, ((px + py) * 11) & 255));
    QImage direct = engine.copy();
    const QPointF origins[2] = {QPointF(size + 0.375, 2 * size), QPointF(size + 3, 3 * size)};
    const QRect cut(size + 5, 0, int(x / 2), 2 * size + 2);
    {
      QPainter p(&engine);
      p.setPen(QColor(pen));
      QGlyphRun run;
      run.setRawFont(font_);
      run.setRawData(glyphs.constData(), positions.data(), int(glyphs.size()));
      p.drawGlyphRun(origins[0], run);
      p.setClipRect(cut);
      p.drawGlyphRun(origins[1], run);
    }
    {
      QPainter p(&direct);
      const DirectTarget target = DirectTargetOf(p);
      if (!target.image) return false;
      const QRgb under = direct.pixel(size + 2, 2 * size - 2);
      Draw(target, origins[0], glyphs.constData(), positions.data(), int(glyphs.size()), pen,
           under, nullptr);
      Draw(target, origins[1], glyphs.constData(), positions.data(), int(glyphs.size()), pen,
           under, &cut);
    }
    if (!faithful_ || engine != direct) return false;
  }
  return true;
}
