// The table is drawn at 1280 x 720 and fitted into a window of any size with one scale for both
// axes (the smaller ratio, so the whole table shows), centred, black bars at the sides or above
// and below; a window barely larger than the table shows it unscaled. The table view's layout,
// its render callback and the frame's own buttons all place things by this one fit.
#pragma once

#include <algorithm>
#include <cstdlib>

inline constexpr float TABLE_DESIGN_WIDTH = 1280.0f;
inline constexpr float TABLE_DESIGN_HEIGHT = 720.0f;
// A scale beyond any real screen: keeps the content size and the widget sizes inside int.
inline constexpr float TABLE_MAX_SCALE = 64.0f;

struct tagLetterbox {
  float scale;                      // design pixels to screen pixels
  int contentWidth, contentHeight;  // the scaled table, truncated to whole pixels
  float offsetX, offsetY;           // where it starts: half the bars
};

// A window up to this much larger than the table shows it at its own size, pixel for pixel,
// rather than blurred by a stretch too small to see (the window's first size, 1284 x 748, is
// one such).
inline constexpr float TABLE_SNAP_SCALE = 1.05f;

inline tagLetterbox FitTable(int width, int height) {
  tagLetterbox fit{};
  fit.scale = std::clamp(std::min(static_cast<float>(width) / TABLE_DESIGN_WIDTH,
                                  static_cast<float>(height) / TABLE_DESIGN_HEIGHT),
                         0.0f, TABLE_MAX_SCALE);
  const bool snapped = fit.scale >= 1.0f && fit.scale < TABLE_SNAP_SCALE;
  if (snapped) fit.scale = 1.0f;
  fit.contentWidth = static_cast<int>(fit.scale * TABLE_DESIGN_WIDTH);
  fit.contentHeight = static_cast<int>(fit.scale * TABLE_DESIGN_HEIGHT);
  // At the table's own size the bars are whole pixels, so each table pixel lands on one.
  const int barsX = std::abs(width - fit.contentWidth),
            barsY = std::abs(height - fit.contentHeight);
  fit.offsetX = snapped ? static_cast<float>(barsX / 2) : static_cast<float>(barsX) / 2.0f;
  fit.offsetY = snapped ? static_cast<float>(barsY / 2) : static_cast<float>(barsY) / 2.0f;
  return fit;
}
