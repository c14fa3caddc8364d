// core/palette.h — the program's 16-colour palette.
//
// Cell text colours, shade colours given by colour bytes of worksheet files, colour features and
// graphs all index this one table. No state.
#pragma once

#include <array>
#include <cstdint>

struct PaletteColour {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};

constexpr std::array<PaletteColour, 16> kPalette = {{
    {0, 0, 0},       {0, 0, 128},     {0, 128, 0},   {0, 128, 128},
    {128, 0, 0},     {128, 0, 128},   {128, 128, 0}, {192, 192, 192},
    {128, 128, 128}, {0, 0, 255},     {0, 255, 0},   {0, 255, 255},
    {255, 0, 0},     {255, 0, 255},   {255, 255, 0}, {255, 255, 255},
}};
