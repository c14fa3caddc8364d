// ui/glyph_blit.h — draws runs of glyphs straight into the pixels of the image a painter works
// on, with exactly the pixels the raster paint engine would give.
//
// The grid draws thousands of short texts per screen. Through QPainter every glyph costs a
// series of cache lookups and a general blend loop; here each glyph's coverage mask is taken
// once from the engine's own drawing of that glyph (white on black shows the coverage in every
// channel) and runs are blended with the engine's formula for an opaque pen. A font whose
// drawing does not follow that model (sub-pixel or gamma-corrected text, large glyphs drawn as
// outlines) fails a check against the engine and is reported unusable; the caller then draws
// through QPainter. Module state: none; each mask set belongs to its caller.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRawFont>
#include <QRect>
#include <QRgb>
#include <array>
#include <cstdint>
#include <deque>
#include <vector>

class QPainter;

// Where glyphs may be written directly: the painter's image, the translation from the
// painter's coordinates to the image's pixels, and the pixel rectangles it may touch.
struct DirectTarget {
  QImage* image = nullptr;  // null: draw through the painter
  QPoint offset;
  std::vector<QRect> clip;
};

// The painter's target when glyphs may be written straight into its image: a raster engine on
// an RGB32 or premultiplied ARGB32 image, a whole-pixel translation, full opacity, source-over
// and no clip of the painter's own (the engine's system clip is honoured). Otherwise a target
// with no image.
DirectTarget DirectTargetOf(QPainter& painter);

// The coverage masks of one raw font's glyphs, by glyph and 1/64-pixel horizontal phase.
class GlyphMasks {
 public:
  explicit GlyphMasks(const QRawFont& font);
  // Whether drawing through the masks gives the engine's pixels for this font (checked once).
  bool Usable();
  // Blends `count` glyphs at `positions` relative to `origin` (painter coordinates, whole-pixel
  // y) in the opaque `colour`, inside `clip` (painter coordinates) when it is not null.
  // `background` is the pixel value most of those pixels hold (the cell's fill); it only makes
  // drawing faster, every pixel is blended correctly whatever it holds.
  void Draw(const DirectTarget& target, QPointF origin, const quint32* glyphs,
            const QPointF* positions, int count, QRgb colour, QRgb background, const QRect* clip);

 private:
  struct Mask {
    int left = 0;  // of the mask's top-left pixel from the glyph's whole-pixel origin
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;
  };
  // Blend tables of one text colour over one background pixel value.
  struct Blend {
    bool ready = false;
    uint32_t colour = 0;
    uint32_t background = 0;
    uint32_t source[256];  // the colour at each coverage
    uint8_t inverse[256];  // 255 - its alpha
    uint32_t over[256];    // the result over the background
  };
  const Mask* MaskOf(quint32 glyph, int phase);
  size_t Slot(uint64_t key) const;
  void Grow();
  const Blend& BlendFor(uint32_t colour, uint32_t background);
  bool Check();

  QRawFont font_;
  std::deque<Mask> masks_;  // stable addresses for the index
  // Open-addressed index by glyph and phase (key glyph << 6 | phase); power-of-two size.
  std::vector<uint64_t> keys_;
  std::vector<const Mask*> slots_;
  std::array<Blend, 4> blends_;
  size_t nextBlend_ = 0;
  int usable_ = -1;  // -1 not checked yet
  bool faithful_ = true;  // every mask taken so far showed plain coverage
};
