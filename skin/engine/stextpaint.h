// Captions in a skin section's colours: a main colour and up to four contour colours, one
// per side, drawn one pixel off before the main text; disabled text embossed; too long
// captions cut with "..."; the measuring helpers.
#pragma once

#include <windows.h>

#include <string>

class TCanvas;

// Draws text with the skin section's contour and font colours (the hot ones when hot), which
// go into the canvas's font: it keeps the main colour. Without DT_WORDBREAK r is fitted to the
// text first and comes back moved one pixel right and down.
void WriteTextWithContour(TCanvas* canvas, const std::string& text, bool enabled, RECT& r, UINT flags,
                          int skin_index, bool hot);
// The same layout in the canvas's font colour.
void WriteTextEx(TCanvas* canvas, const std::string& text, bool enabled, RECT& r, UINT flags);
// text when it fits max_width, else its longest prefix that fits with "..." appended, else "".
std::string CutText(TCanvas* canvas, const std::string& text, int max_width);
SIZE GetStringSize(HFONT font, const std::string& text);
// The font's text-metric height plus 6.
int GetFontHeight(HFONT font);
