// The program's colours, in one place for every window, grid and workbook.
#pragma once

#include <cstdint>

// Colours as 0x00BBGGRR, like the utility routines.
constexpr uint32_t RGBColor(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
constexpr uint32_t kMoneyGreen = RGBColor(192, 220, 192);
constexpr uint32_t kSkyBlue = RGBColor(166, 202, 240);
constexpr uint32_t kGreen = RGBColor(0, 128, 0);
constexpr uint32_t kTeal = RGBColor(0, 128, 128);
constexpr uint32_t kMaroon = RGBColor(128, 0, 0);
constexpr uint32_t kRed = RGBColor(255, 0, 0);
constexpr uint32_t kYellow = RGBColor(255, 255, 0);

// The same colour as 0xRRGGBB, the order workbooks store.
constexpr uint32_t SheetRGB(uint32_t color)
{
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}
static_assert(SheetRGB(kSkyBlue) == 0xA6CAF0);
