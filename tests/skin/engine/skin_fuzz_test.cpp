// The folder loader against thousands of damaged skins made from one good one with a fixed
// seed: each loads without a crash or hang and leaves tables that painters can trust, or no
// skin at all.
#include <gtest/gtest.h>

#include <random>

#include "skin/engine/sgradient.h"
#include "skin/engine/sskinmanager.h"
#include "skin_test_support.h"
#include "toolkit/bitmap.h"

namespace {

const char* const kGoodOptions = R"([GLOBALINFO]
MASTERBITMAP=master.bmp
BOXCHECKED=#(0,0,30,10) 3,0
[FORM]
ParentClassName=DIALOG
PaintingColor=255
BORDERSMASK=#(0,10,24,58) 1,1
BUTTON=button.bmp
PATTERN=pattern.jpg
GradientData=0;255;60;0;0;255;65280;40;0;0
ShadowTransparency=30
[DIALOG]
ParentClassName=FORM
HotGradientData=1;2;50;1;0
TCLEFT=-1
[TSBUTTON]
ParentClassName=dialog
ImagePercent=20
)";

// Pieces that fuzzed lines are made of.
const char* const kPieces[] = {"#",
                               "(",
                               ")",
                               ",",
                               ";",
                               "=",
                               "[",
                               "]",
                               " ",
                               "\r\n",
                               "-1",
                               "0",
                               "3",
                               "99999999999",
                               "-2147483648",
                               "2147483647",
                               "0x",
                               "$",
                               "ParentClassName=",
                               "FORM",
                               "DIALOG",
                               "master.bmp",
                               "button.bmp",
                               "pattern.jpg",
                               ".BMP",
                               ".JPG",
                               "C:",
                               "#(0,0,64,64) 1,1",
                               "TRUE",
                               "GradientData=",
                               "PaintingTransparency=",
                               "MASTERBITMAP="};

class SkinFuzz : public SkinFolderTest {
 protected:
  std::mt19937 random_{20261207};

  int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

  std::string Mutate(std::string bytes) {
    switch (Below(5)) {
      case 0:  // random bytes
        for (int i = Below(8) + 1; i > 0 && !bytes.empty(); --i)
          bytes[Below(static_cast<int>(bytes.size()))] = static_cast<char>(random_());
        break;
      case 1:  // cut short
        bytes.resize(bytes.empty() ? 0 : Below(static_cast<int>(bytes.size())));
        break;
      case 2:  // pieces inserted
        for (int i = Below(6) + 1; i > 0; --i)
          bytes.insert(Below(static_cast<int>(bytes.size()) + 1), kPieces[Below(std::size(kPieces))]);
        break;
      case 3:  // a huge or negative 32-bit field, as in image headers
        if (bytes.size() >= 8) {
          const int at = Below(std::min<int>(static_cast<int>(bytes.size()) - 4, 64));
          const uint32_t values[] = {0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, 0, 1, 0x10000, 65535};
          uint32_t v = values[Below(std::size(values))];
          for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
        }
        break;
      default:  // lines swapped around or doubled
        bytes += bytes.substr(Below(static_cast<int>(bytes.size()) + 1));
        break;
    }
    return bytes;
  }

  // What every painter relies on after a load.
  static void CheckTables() {
    if (!SkinData().SkinLoaded) {
      ASSERT_TRUE(SkinGeneralData.empty());
      return;
    }
    for (size_t i = 0; i < SkinMasks.size(); ++i) {
      const TsMaskData& m = SkinMasks[i];
      if (m.Bmp) {
        ASSERT_GE(m.Bmp->GetWidth(), 3);
        ASSERT_GE(m.Bmp->GetHeight(), 2);
        continue;
      }
      ASSERT_NE(MasterBitmap, nullptr);
      ASSERT_GE(m.R.left, 0);
      ASSERT_GE(m.R.top, 0);
      ASSERT_LE(m.R.right, MasterBitmap->GetWidth());
      ASSERT_LE(m.R.bottom, MasterBitmap->GetHeight());
      ASSERT_GE(m.MaskType, 0);
      const SIZE frame = GetMaskFrameSize(static_cast<int>(i));
      ASSERT_GT(frame.cx, 0);
      ASSERT_GT(frame.cy, 0);
    }
    TBitmap canvas;
    canvas.SetPixelFormat(pf24bit);
    canvas.SetSize(7, 5);
    for (size_t i = 0; i < SkinGeneralData.size(); ++i) {
      const TsGeneralData& g = SkinGeneralData[i];
      for (int percent :
           {g.PaintingTransparency, g.GradientPercent, g.ImagePercent, g.HotPaintingTransparency,
            g.HotGradientPercent, g.HotImagePercent, g.ShadowTransparency}) {
        ASSERT_GE(percent, 0);
        ASSERT_LE(percent, 100);
      }
      ASSERT_LE(g.PaintingBevel, cbLoweredHard);
      ASSERT_LE(g.SelectionBorderBevel, ebAsBottomBorder);
      PaintGrad(&canvas, g.GradientArray, RECT{0, 0, 7, 5});
      PaintGrad(&canvas, g.HotGradientArray, RECT{-3, 2, 70, 50});
      // Parent chains end, whatever they look like.
      GetMaskIndex(static_cast<int>(i), g.SectionName, "BORDERSMASK");
      GetPatternIndex(static_cast<int>(i), g.SectionName, "PATTERN");
    }
    UpdateCommonSkinIndexes();
  }
};

}  // namespace

TEST_F(SkinFuzz, DamagedSkinFoldersLoadOrAreRefusedCleanly) {
  ForceDirectories(Path("skin"));
  const std::string files[] = {"Options.dat", "master.bmp", "button.bmp", "pattern.jpg"};
  const std::string good[] = {kGoodOptions, MakeBmp(64, 64, 0x123456), MakeBmp(12, 6), MakeJpeg(8, 8)};
  for (int f = 0; f < 4; ++f) Write("skin\\" + files[f], good[f]);
  bool damaged[4] = {false, false, false, false};

  TsSkinManager manager(nullptr);
  manager.SetSkinDirectory(Folder());
  int loaded = 0;
  constexpr int kRounds = 1500;
  for (int round = 0; round < kRounds; ++round) {
    // Options.dat most of the time, an image now and then; damaged files are put right after.
    const int f = Below(10) < 6 ? 0 : 1 + Below(3);
    for (int other = 0; other < 4; ++other)
      if (damaged[other] && other != f) {
        Write("skin\\" + files[other], good[other]);
        damaged[other] = false;
      }
    std::string bytes = Mutate(good[f]);
    if (Below(4) == 0) bytes = Mutate(bytes);
    Write("skin\\" + files[f], bytes);
    damaged[f] = true;

    manager.SetSkinName("skin");
    ASSERT_FALSE(SkinChanging);
    ASSERT_NO_FATAL_FAILURE(CheckTables()) << "round " << round << ", " << files[f];
    loaded += SkinData().SkinLoaded;
  }
  // Most damage leaves a usable skin; the rest is refused.
  EXPECT_GT(loaded, kRounds / 2);
  EXPECT_TRUE(Messages().empty());
}
