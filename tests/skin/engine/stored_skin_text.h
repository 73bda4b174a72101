// A small internal skin as form-definition text, and the master bitmap's stored bytes in the
// malformed form older stored skins have.
#pragma once

#include <string>

#include "toolkit/colors.h"

// The master bitmap's pixel at (x, y), as the test skin draws it.
TColor MasterPixel(int x, int y);
// The "Data" bytes of a 192 x 256 24-bit master bitmap whose length and file size claim 1024
// bytes more than there are and whose pixel offset points 1024 bytes past the rows' start.
std::string MalformedMasterData();
// "object Skins: TsSkinManager" with one internal skin "Test (internal)": sections FORM,
// DIALOG (parent FORM, ReservedBoolean), BROKEN (a font colour that is no number) and a
// nameless all-zero one; images FORM/BORDERSMASK (0, 42, 24, 90; 1 frame, mask type 1), one
// outside the master bitmap, GLOBALINFO/BOXCHECKED with its own 15 x 8 image (and a rectangle 1, 2, 16, 10
// and mask type 1 all the same); the common section EXTRA (parent FORM); SkinName set to the skin.
std::string TestSkinFormText();
// Bytes as a form definition's binary value.
std::string HexBlock(const std::string& bytes);
