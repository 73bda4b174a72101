// Multi-step linear gradients of skin sections and styles.
//
// Text form: numbers separated by ";" (runs of ";" count as one), five per step: Color1;
// Color2; Percent; Mode; an unused number. Percent is the step's share of the height
// (vertical) or width (horizontal); Mode of the first step chooses: 0 top to bottom, 1 left
// to right. The last step always ends at the rectangle's last row or column. " " is none.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "skin/engine/sskintables.h"

class TBitmap;

// Replaces arr by the steps of data; a word that is no integer raises EConvertError (arr
// keeps the steps read before it).
void ParseGradientData(const std::string& data, TsGradArray& arr);

// Pixel rows in memory, 3 (B, G, R) or 4 bytes per pixel, top row first.
struct TsPixelRows {
  uint8_t* bits = nullptr;
  int row_bytes = 0;
  int width = 0;
  int height = 0;
  int pixel_bytes = 3;
};
// Paints the gradient into r (clipped to the rows).
void PaintGradRows(const TsPixelRows& rows, const TsGradArray& arr, RECT r);
// The same on a 24- or 32-bit bitmap; other formats are left alone.
void PaintGrad(TBitmap* bmp, const TsGradArray& arr, const RECT& r);
