// Pixel blending on 32-bit $AARRGGBB colours: fifteen combining functions reached through
// process-wide pointers, filled once by InitBlending with the plain integer variants or the
// multimedia ones (16-bit lane arithmetic) when the processor has MMX. Free of Win32: the
// same file builds for Windows and natively for the benchmark.
#pragma once

#include <cstdint>

using TColor32 = uint32_t;

constexpr TColor32 MakeColor32(int r, int g, int b, int a = 255) {
  return (static_cast<uint32_t>(a & 0xFF) << 24) | (static_cast<uint32_t>(r & 0xFF) << 16) |
         (static_cast<uint32_t>(g & 0xFF) << 8) | static_cast<uint32_t>(b & 0xFF);
}
constexpr int AlphaOf(TColor32 c) { return static_cast<int>(c >> 24); }
constexpr int RedOf(TColor32 c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr int GreenOf(TColor32 c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(TColor32 c) { return static_cast<int>(c & 0xFF); }
constexpr int ClampByte(int value) { return value < 0 ? 0 : value > 255 ? 255 : value; }
constexpr TColor32 WithAlpha(TColor32 c, int alpha) {
  return (c & 0x00FFFFFF) | (static_cast<uint32_t>(ClampByte(alpha)) << 24);
}
// Adds a signed amount to red, green and blue, each clamped; alpha stays.
constexpr TColor32 LightenColor(TColor32 c, int amount) {
  return MakeColor32(ClampByte(RedOf(c) + amount), ClampByte(GreenOf(c) + amount),
                     ClampByte(BlueOf(c) + amount), AlphaOf(c));
}

constexpr int ClampRange(int value, int lo, int hi) { return value < lo ? lo : (value < hi ? value : hi); }
// Orders a <= b and clips both to 0..size - 1; true when something is left.
inline bool ClipSpan(int& a, int& b, int size) {
  if (b < a) {
    int t = a;
    a = b;
    b = t;
  }
  if (a < 0) a = 0;
  if (b > size - 1) b = size - 1;
  return b >= a;
}
inline void FillPixels(TColor32* dest, int count, TColor32 value) {
  for (int i = 0; i < count; ++i) dest[i] = value;
}
void CopyPixels(const TColor32* src, TColor32* dest, int count);

// 255 * (i / 255)^gamma, rounded half to even; filled with gamma 0.7 at start-up.
extern uint8_t GammaTable[256];
void SetGamma(double gamma);

// X with weight W (0..255) over Y.
using TCombineColors = TColor32 (*)(TColor32 x, TColor32 y, uint32_t w);
using TCombineInto = void (*)(TColor32 f, TColor32& b, uint32_t w);
// F over B weighted by F's alpha.
using TBlendColors = TColor32 (*)(TColor32 f, TColor32 b);
using TBlendInto = void (*)(TColor32 f, TColor32& b);
// F over B weighted by ((M + 1) * alpha(F)) >> 8.
using TBlendColorsMaster = TColor32 (*)(TColor32 f, TColor32 b, uint32_t m);
using TBlendIntoMaster = void (*)(TColor32 f, TColor32& b, uint32_t m);
using TBlendRow = void (*)(const TColor32* src, TColor32* dst, int count);
using TBlendRowMaster = void (*)(const TColor32* src, TColor32* dst, int count, uint32_t m);
using TColorOp = TColor32 (*)(TColor32 a, TColor32 b);
// Bilinear mix of four neighbours; fx, fy (0..255) are the shares of the right column and
// the bottom row in 1/256.
using TInterpolator = TColor32 (*)(uint32_t fx, uint32_t fy, TColor32 top_left, TColor32 top_right,
                                   TColor32 bottom_left, TColor32 bottom_right);

extern TCombineColors CombineColors;
extern TCombineInto CombineInto;
extern TBlendColors BlendColors;
extern TBlendInto BlendInto;
extern TBlendColorsMaster BlendColorsMaster;
extern TBlendIntoMaster BlendIntoMaster;
extern TBlendRow BlendRow;
extern TBlendRowMaster BlendRowMaster;
extern TColorOp AddColors;       // per channel min(a + b, 255)
extern TColorOp SubtractColors;  // per channel max(a - b, 0)
extern TColorOp ModulateColors;  // per channel (a * b) >> 8
extern TColorOp MaxColors;
extern TColorOp MinColors;
extern TColorOp DifferenceColors;  // per channel |a - b|
extern TColorOp ExclusionColors;   // per channel a + b - ((a * b) >> 7)
extern TInterpolator Interpolator;

// CPUID feature test: 0 MMX, 1 SSE, 2 SSE2 (function 1, EDX), 3 and 4 extended features
// (function $80000001, EDX).
bool HasProcessorFeature(int feature);
inline bool HasMMX() { return HasProcessorFeature(0); }
inline bool HasExtendedFeature() { return HasProcessorFeature(3); }

// The decision behind HasProcessorFeature, on the answers of a CPUID that may be absent
// (cpuid null): regs receive EAX, EBX, ECX, EDX of a function.
using TCpuid = void (*)(uint32_t function, uint32_t regs[4]);
bool ProcessorFeatureFrom(TCpuid cpuid, int feature);

// Fills the pointers once: the multimedia variants when the processor has MMX, unless the
// environment variable DRAVOLIN_PLAIN_BLEND is set to something other than "0".
void InitBlending();
// The choice InitBlending makes: MMX present and DRAVOLIN_PLAIN_BLEND unset or "0".
bool MultimediaWanted();
// Installs one table or the other (tests, the benchmark); InitBlending is implied.
void SelectBlendVariants(bool multimedia);
bool MultimediaInUse();
// What has to follow a run of multimedia blends before floating-point work. The multimedia
// variants work in SSE2 registers, which share no state with the x87 unit, so this does
// nothing; it stays the one place to put EMMS should real MMX registers ever be used.
void ClearMultimediaState();

// The weight table of the multimedia variants: 256 entries of four 16-bit lanes holding i.
const uint16_t* WeightTableEntry(uint32_t w);
