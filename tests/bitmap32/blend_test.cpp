// Pixel blending: both variant tables against the arithmetic they promise, bit for bit, and
// against each other; the processor-feature decision on made-up CPUID answers.
#include <gtest/gtest.h>

#include <cstdlib>
#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif
#include <random>
#include <string>
#include <vector>

#include "bitmap32/blend.h"

namespace {

// Every test starts on the table start-up chooses (plain when DRAVOLIN_PLAIN_BLEND is set).
class StartUpTables : public testing::Environment {
 public:
  void SetUp() override { InitBlending(); }
};
testing::Environment* const start_up_tables = testing::AddGlobalTestEnvironment(new StartUpTables);

// Runs a test once with the plain and once with the multimedia variants installed.
class Blending : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    previous_ = MultimediaInUse();
    SelectBlendVariants(GetParam());
  }
  void TearDown() override { SelectBlendVariants(previous_); }
  bool Multimedia() const { return GetParam(); }

 private:
  bool previous_ = false;
};

INSTANTIATE_TEST_SUITE_P(Tables, Blending, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "Multimedia" : "Plain";
                         });

uint32_t Channel(TColor32 c, int i) { return (c >> (8 * i)) & 0xFF; }

// The two normative mixes of one channel: x with weight w over y.
uint32_t PlainMix(uint32_t x, uint32_t y, uint32_t w) {
  return ((x * w + 128) >> 8) + ((y * (255 - w) + 128) >> 8);
}
uint32_t LaneMix(uint32_t x, uint32_t y, uint32_t w) {
  return static_cast<uint16_t>((x - y) * w + y * 256 + 128) >> 8;
}

TColor32 Expected(TColor32 x, TColor32 y, uint32_t w, bool multimedia, bool with_alpha) {
  TColor32 r = 0;
  for (int i = 0; i < 4; ++i) {
    if (i == 3 && !with_alpha) break;
    r |= (multimedia ? LaneMix(Channel(x, i), Channel(y, i), w) : PlainMix(Channel(x, i), Channel(y, i), w))
         << (8 * i);
  }
  return r;
}

TEST_P(Blending, EdgeCasesOfTheCombination) {
  EXPECT_EQ(CombineColors(0xFFFFFFFF, 0xFF000000, 128), 0xFF808080u);
  EXPECT_EQ(CombineColors(0x12345678, 0x9ABCDEF0, 0), 0x9ABCDEF0u);
  EXPECT_EQ(CombineColors(0x12345678, 0x9ABCDEF0, 255), 0x12345678u);
  EXPECT_EQ(BlendColors(0x00FFFFFF, 0xFF102030), 0xFF102030u);
  EXPECT_EQ(BlendColors(0xFFAABBCC, 0xFF102030), 0xFFAABBCCu);
  TColor32 b = 0xFF102030;
  BlendIntoMaster(0xFFFFFFFF, b, 0);  // (0 + 1) * 255 >> 8 = 0: no weight at all
  EXPECT_EQ(b, 0xFF102030u);
  BlendInto(0x00FFFFFF, b);
  EXPECT_EQ(b, 0xFF102030u);
  EXPECT_EQ(AddColors(0xFF808080, 0xFF808080), 0xFFFFFFFFu);
}

TEST_P(Blending, PlainDropsAlphaWhereTheMultimediaVariantsCombineIt) {
  TColor32 b = 0xFF000000;
  CombineInto(0xFFFFFFFF, b, 128);
  EXPECT_EQ(b & 0x00FFFFFF, 0x00808080u);
  EXPECT_EQ(b >> 24, Multimedia() ? 0xFFu : 0u);
  EXPECT_EQ(BlendColorsMaster(0xFFFFFFFF, 0xFF000000, 127) >> 24, Multimedia() ? 0xFFu : 0u);
  TColor32 c = 0xFF000000;
  BlendIntoMaster(0x80FFFFFF, c, 255);
  EXPECT_EQ(c >> 24, Multimedia() ? 192u : 0u);  // alpha 128 with weight 128 over 255
}

TEST_P(Blending, WhiteOverWhiteLosesOneInThePlainArithmeticOnly) {
  EXPECT_EQ(CombineColors(0xFFFFFFFF, 0xFFFFFFFF, 1), Multimedia() ? 0xFFFFFFFFu : 0xFEFEFEFEu);
}

TEST_P(Blending, EveryFunctionFollowsItsArithmeticBitForBit) {
  std::mt19937 random(16);
  for (int n = 0; n < 20000; ++n) {
    const TColor32 x = random(), y = random();
    const uint32_t w = random() & 0xFF, m = random() & 0xFF;
    const bool mm = Multimedia();
    SCOPED_TRACE(testing::Message() << std::hex << x << " " << y << " w " << w << " m " << m);
    const TColor32 combined = w == 0 ? y : w == 255 ? x : Expected(x, y, w, mm, true);
    ASSERT_EQ(CombineColors(x, y, w), combined);
    TColor32 into = y;
    CombineInto(x, into, w);
    ASSERT_EQ(into, w == 0 ? y : w == 255 ? x : Expected(x, y, w, mm, mm));
    const uint32_t a = x >> 24;
    ASSERT_EQ(BlendColors(x, y), a == 255 ? x : a == 0 ? y : Expected(x, y, a, mm, true));
    const uint32_t mw = ((m + 1) * a) >> 8;
    const TColor32 master = mw == 0 ? y : Expected(x, y, mw, mm, mm);
    ASSERT_EQ(BlendColorsMaster(x, y, m), master);
    TColor32 master_into = y;
    BlendIntoMaster(x, master_into, m);
    ASSERT_EQ(master_into, master);
  }
}

TEST_P(Blending, ChannelOperationsWorkOnEachChannelAlone) {
  std::mt19937 random(17);
  for (int n = 0; n < 20000; ++n) {
    const TColor32 a = random(), b = random();
    TColor32 add = 0, sub = 0, mod = 0, max = 0, min = 0, diff = 0, excl = 0;
    for (int i = 0; i < 4; ++i) {
      const uint32_t x = Channel(a, i), y = Channel(b, i), s = 8 * i;
      add |= std::min(x + y, 255u) << s;
      sub |= (x > y ? x - y : 0) << s;
      mod |= ((x * y) >> 8) << s;
      max |= std::max(x, y) << s;
      min |= std::min(x, y) << s;
      diff |= (x > y ? x - y : y - x) << s;
      excl += (x + y - ((x * y) >> 7)) << s;
    }
    ASSERT_EQ(AddColors(a, b), add);
    ASSERT_EQ(SubtractColors(a, b), sub);
    ASSERT_EQ(ModulateColors(a, b), mod);
    ASSERT_EQ(MaxColors(a, b), max);
    ASSERT_EQ(MinColors(a, b), min);
    ASSERT_EQ(DifferenceColors(a, b), diff);
    ASSERT_EQ(ExclusionColors(a, b), excl);
  }
}

// The rows take four pixels at a time in the multimedia variant: mixed alphas (0, 255 and
// between) in every position must give what the single-pixel functions give.
TEST_P(Blending, RowsBlendLikeTheSinglePixels) {
  std::mt19937 random(18);
  const uint32_t alphas[] = {0, 255, 1, 128, 254};
  for (int count : {0, -3, 1, 3, 4, 5, 8, 13}) {
    std::vector<TColor32> src(std::max(count, 1)), dst(src.size()), row(src.size()), master_row(src.size());
    for (size_t i = 0; i < src.size(); ++i) {
      src[i] = (random() & 0x00FFFFFF) | (alphas[random() % 5] << 24);
      if (random() & 1) src[i] = WithAlpha(src[i], random() & 0xFF);
      dst[i] = random();
    }
    row = dst;
    master_row = dst;
    BlendRow(src.data(), row.data(), count);
    BlendRowMaster(src.data(), master_row.data(), count, 100);
    for (size_t i = 0; i < src.size(); ++i) {
      TColor32 one = dst[i], master = dst[i];
      if (static_cast<int>(i) < count) {
        BlendInto(src[i], one);
        BlendIntoMaster(src[i], master, 100);
      }
      EXPECT_EQ(row[i], one) << "count " << count << " pixel " << i;
      EXPECT_EQ(master_row[i], master) << "count " << count << " pixel " << i;
    }
  }
}

TEST_P(Blending, MasterAlphaAbove255CountsAs255) {
  std::mt19937 random(20);
  for (uint32_t m : {256u, 300u, 0x10000u, 0xFFFFFFFFu}) {
    std::vector<TColor32> src(13), dst(13);
    for (size_t i = 0; i < src.size(); ++i) src[i] = random(), dst[i] = random();
    std::vector<TColor32> row = dst, full = dst;
    BlendRowMaster(src.data(), row.data(), 13, m);
    BlendRowMaster(src.data(), full.data(), 13, 255);
    for (size_t i = 0; i < src.size(); ++i) {
      SCOPED_TRACE(testing::Message() << std::hex << src[i] << " " << dst[i] << " m " << m);
      ASSERT_EQ(BlendColorsMaster(src[i], dst[i], m), BlendColorsMaster(src[i], dst[i], 255));
      TColor32 into = dst[i];
      BlendIntoMaster(src[i], into, m);
      ASSERT_EQ(into, full[i]);
      ASSERT_EQ(row[i], full[i]);
    }
  }
}

TEST_P(Blending, InterpolatorSumsTheFourNeighboursExactly) {
  std::mt19937 random(19);
  for (int n = 0; n < 20000; ++n) {
    const TColor32 tl = random(), tr = random(), bl = random(), br = random();
    const uint32_t fx = random() & 0xFF, fy = random() & 0xFF;
    TColor32 expected = 0;
    for (int i = 0; i < 4; ++i) {
      uint32_t top = Channel(tl, i) * (256 - fx) + Channel(tr, i) * fx;
      uint32_t bottom = Channel(bl, i) * (256 - fx) + Channel(br, i) * fx;
      expected |= ((top * (256 - fy) + bottom * fy) >> 16) << (8 * i);
    }
    ASSERT_EQ(Interpolator(fx, fy, tl, tr, bl, br), expected);
  }
  EXPECT_EQ(Interpolator(0, 0, 0xFFFFFFFF, 0, 0, 0), 0xFFFFFFFFu);
}

// The two arithmetics round differently: the plain one rounds each product on its own, the
// multimedia one the sum. Where they part, they part by up to two (never more), and the
// alpha of CombineInto and the masters is 0 in the plain variants only.
TEST(BlendVariants, PlainAndMultimediaAgreeWithinTheirRounding) {
  const bool previous = MultimediaInUse();
  std::mt19937 random(20);
  int worst = 0, two_apart = 0;
  for (int n = 0; n < 100000; ++n) {
    const TColor32 x = random(), y = random();
    const uint32_t w = random() & 0xFF;
    SelectBlendVariants(false);
    const TColor32 plain = CombineColors(x, y, w), plain_blend = BlendColors(x, y);
    TColor32 plain_into = y;
    CombineInto(x, plain_into, w);
    SelectBlendVariants(true);
    const TColor32 lanes = CombineColors(x, y, w), lanes_blend = BlendColors(x, y);
    TColor32 lanes_into = y;
    CombineInto(x, lanes_into, w);
    for (int i = 0; i < 4; ++i) {
      for (auto [p, l] : {std::pair{plain, lanes}, {plain_blend, lanes_blend}}) {
        const int d = std::abs(static_cast<int>(Channel(p, i)) - static_cast<int>(Channel(l, i)));
        worst = std::max(worst, d);
        two_apart += d == 2;
      }
      if (i < 3) {
        ASSERT_EQ(Channel(plain_into, i), Channel(plain, i));
      }
      ASSERT_EQ(Channel(lanes_into, i), Channel(lanes, i));
    }
    if (w != 0 && w != 255) {
      ASSERT_EQ(plain_into >> 24, 0u);
    }
  }
  SelectBlendVariants(previous);
  EXPECT_LE(worst, 2);
  EXPECT_LT(two_apart, 100000 * 8 / 20);  // rare: about one channel in fifty
  // The smallest such case: 65 with weight 1 over 193.
  EXPECT_EQ(PlainMix(65, 193, 1), 191u);
  EXPECT_EQ(LaneMix(65, 193, 1), 193u);
}

TEST(BlendVariants, WeightTableHoldsEachWeightInFourLanes) {
  const bool previous = MultimediaInUse();
  SelectBlendVariants(true);
  for (uint32_t w : {0u, 1u, 128u, 255u})
    for (int lane = 0; lane < 4; ++lane) EXPECT_EQ(WeightTableEntry(w)[lane], w);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(WeightTableEntry(0)) % 8, 0u);
  SelectBlendVariants(previous);
}

// ---- Processor features ----------------------------------------------------------------------

struct FakeCpu {
  uint32_t family_eax = 0x00000600;  // family 6
  uint32_t basic_edx = 0;
  uint32_t extended_max = 0x80000008;
  uint32_t extended_edx_of_max = 0;
  uint32_t extended_edx = 0;
};
FakeCpu fake;
void FakeCpuid(uint32_t function, uint32_t regs[4]) {
  regs[0] = regs[1] = regs[2] = regs[3] = 0;
  if (function == 1) regs[0] = fake.family_eax, regs[3] = fake.basic_edx;
  if (function == 0x80000000) regs[0] = fake.extended_max, regs[3] = fake.extended_edx_of_max;
  if (function == 0x80000001) regs[3] = fake.extended_edx;
}

TEST(ProcessorFeature, MmxIsBitTwentyThreeOfTheBasicFeatures) {
  fake = {};
  fake.basic_edx = 0x00800000;
  EXPECT_TRUE(ProcessorFeatureFrom(FakeCpuid, 0));
  EXPECT_FALSE(ProcessorFeatureFrom(FakeCpuid, 1));
  fake.family_eax = 0x00000400;  // a 486 answers CPUID but is too old
  EXPECT_FALSE(ProcessorFeatureFrom(FakeCpuid, 0));
  EXPECT_FALSE(ProcessorFeatureFrom(nullptr, 0));
  EXPECT_FALSE(ProcessorFeatureFrom(FakeCpuid, 7));
}

// Features 3 and 4 are asked only where EDX of $80000000 holds a bit of $0F000000; EAX, the
// highest extended function, is not looked at.
TEST(ProcessorFeature, ExtendedFeaturesNeedABitOfTheExtendedFunctionsEdx) {
  fake = {};
  fake.extended_edx = 0x01F00000;
  EXPECT_FALSE(ProcessorFeatureFrom(FakeCpuid, 3));
  EXPECT_FALSE(ProcessorFeatureFrom(FakeCpuid, 4));
  for (uint32_t bit : {0x01000000u, 0x08000000u}) {
    fake.extended_edx_of_max = bit;
    EXPECT_TRUE(ProcessorFeatureFrom(FakeCpuid, 3)) << bit;
    EXPECT_TRUE(ProcessorFeatureFrom(FakeCpuid, 4)) << bit;
  }
  fake.extended_edx_of_max = 0xF0FFFFFF;  // every other bit
  EXPECT_FALSE(ProcessorFeatureFrom(FakeCpuid, 3));
  fake.extended_edx_of_max = 0x02000000;
  fake.extended_max = 0x80000000;
  EXPECT_TRUE(ProcessorFeatureFrom(FakeCpuid, 3));
  fake.extended_edx = 0x00F00000;  // feature 4's mask only
  EXPECT_FALSE(ProcessorFeatureFrom(FakeCpuid, 3));
  EXPECT_TRUE(ProcessorFeatureFrom(FakeCpuid, 4));
}

// The answer for this machine comes from its own CPUID, whatever the machine has: bit 23 of
// the basic features' EDX on a family of 5 or more.
TEST(ProcessorFeature, ThisProcessorIsAskedThroughItsOwnCpuid) {
  bool mmx = false;
#if defined(__i386__) || defined(__x86_64__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx)) mmx = ((eax >> 8) & 0xF) >= 5 && (edx & 0x00800000) != 0;
#endif
  EXPECT_EQ(HasMMX(), mmx);
}

// The suite runs twice, the second time with DRAVOLIN_PLAIN_BLEND=1 (tests/bitmap32).
TEST(ProcessorFeature, StartUpTakesMultimediaWhereThereIsSomeUnlessTheEnvironmentForbidsIt) {
  const char* plain = std::getenv("DRAVOLIN_PLAIN_BLEND");
  const bool forced = plain && *plain && std::string(plain) != "0";
  EXPECT_EQ(MultimediaWanted(), !forced && HasMMX());
}

TEST(Gamma, TableIsSeventyPercentRoundedToEven) {
  SetGamma(0.7);
  EXPECT_EQ(GammaTable[0], 0);
  EXPECT_EQ(GammaTable[255], 255);
  EXPECT_EQ(GammaTable[128], 157);  // 255 * (128 / 255)^0.7 = 157.40
  EXPECT_EQ(GammaTable[1], 5);      // 5.29
}

}  // namespace
