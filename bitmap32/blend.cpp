#include "bitmap32/blend.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define DRAVOLIN_X86 1
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#define DRAVOLIN_LANES 1
#endif

namespace {

// ---- Plain variants: two channels per 32-bit register --------------------------------------

// Red and blue of c weighted by w, rounded, in place.
inline uint32_t WeighRB(uint32_t c, uint32_t w) {
  return (((c & 0x00FF00FF) * w + 0x00800080) & 0xFF00FF00) >> 8;
}
// Alpha and green likewise.
inline uint32_t WeighAG(uint32_t c, uint32_t w) {
  return (((c & 0xFF00FF00) >> 8) * w + 0x00800080) & 0xFF00FF00;
}
// Green alone: the masters and CombineInto drop alpha.
inline uint32_t WeighG(uint32_t c, uint32_t w) {
  return (((c & 0xFF00FF00) >> 8) * w + 0x00800080) & 0x0000FF00;
}

inline TColor32 Mix4(TColor32 x, TColor32 y, uint32_t w) {
  return WeighRB(x, w) + WeighAG(x, w) + WeighRB(y, 255 - w) + WeighAG(y, 255 - w);
}
inline TColor32 Mix3(TColor32 x, TColor32 y, uint32_t w) {
  return WeighRB(x, w) + WeighG(x, w) + WeighRB(y, 255 - w) + WeighG(y, 255 - w);
}

// A master alpha above 255 counts as 255: past it the weights leave the byte range.
inline uint32_t ClampMaster(uint32_t m) { return m < 255 ? m : 255; }

TColor32 CombineColorsPlain(TColor32 x, TColor32 y, uint32_t w) {
  if (w == 0) return y;
  if (w >= 255) return x;
  return Mix4(x, y, w);
}
void CombineIntoPlain(TColor32 f, TColor32& b, uint32_t w) {
  if (w == 0) return;
  b = w >= 255 ? f : Mix3(f, b, w);
}
TColor32 BlendColorsPlain(TColor32 f, TColor32 b) {
  uint32_t a = f >> 24;
  if (a == 255) return f;
  if (a == 0) return b;
  return Mix4(f, b, a);
}
void BlendIntoPlain(TColor32 f, TColor32& b) { b = BlendColorsPlain(f, b); }
TColor32 BlendColorsMasterPlain(TColor32 f, TColor32 b, uint32_t m) {
  m = ClampMaster(m);
  uint32_t weighted = (m + 1) * (f >> 24);
  if (weighted < 256) return b;  // covers alpha 0
  return Mix3(f, b, weighted >> 8);
}
void BlendIntoMasterPlain(TColor32 f, TColor32& b, uint32_t m) {
  m = ClampMaster(m);
  uint32_t w = ((m + 1) * (f >> 24)) >> 8;
  if (w == 0) return;
  b = Mix3(f, b, w);
}
// The same as BlendInto per pixel, written without branches: with mixed alphas the
// shortcuts cost more in mispredictions than the arithmetic they save.
void BlendRowPlain(const TColor32* src, TColor32* dst, int count) {
  for (int i = 0; i < count; ++i) {
    const TColor32 f = src[i], b = dst[i];
    const uint32_t a = f >> 24;
    const TColor32 mixed = Mix4(f, b, a);
    dst[i] = a == 255 ? f : (a == 0 ? b : mixed);
  }
}
void BlendRowMasterPlain(const TColor32* src, TColor32* dst, int count, uint32_t m) {
  m = ClampMaster(m);
  for (int i = 0; i < count; ++i) BlendIntoMasterPlain(src[i], dst[i], m);
}

template <class Op>
inline TColor32 PerChannel(TColor32 a, TColor32 b, Op op) {
  TColor32 r = 0;
  for (int shift = 0; shift < 32; shift += 8)
    r |= static_cast<uint32_t>(op((a >> shift) & 0xFF, (b >> shift) & 0xFF)) << shift;
  return r;
}
TColor32 AddPlain(TColor32 a, TColor32 b) {
  return PerChannel(a, b, [](uint32_t x, uint32_t y) { return x + y > 255 ? 255 : x + y; });
}
TColor32 SubtractPlain(TColor32 a, TColor32 b) {
  return PerChannel(a, b, [](uint32_t x, uint32_t y) { return x > y ? x - y : 0; });
}
TColor32 ModulatePlain(TColor32 a, TColor32 b) {
  return PerChannel(a, b, [](uint32_t x, uint32_t y) { return (x * y) >> 8; });
}
TColor32 MaxPlain(TColor32 a, TColor32 b) {
  return PerChannel(a, b, [](uint32_t x, uint32_t y) { return x > y ? x : y; });
}
TColor32 MinPlain(TColor32 a, TColor32 b) {
  return PerChannel(a, b, [](uint32_t x, uint32_t y) { return x < y ? x : y; });
}
TColor32 DifferencePlain(TColor32 a, TColor32 b) {
  return PerChannel(a, b, [](uint32_t x, uint32_t y) { return x > y ? x - y : y - x; });
}
TColor32 ExclusionPlain(TColor32 a, TColor32 b) {
  // Summed into one register unclamped, so a carry would run into the next channel.
  TColor32 r = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
    r += (x + y - ((x * y) >> 7)) << shift;
  }
  return r;
}

TColor32 InterpolatorPlain(uint32_t fx, uint32_t fy, TColor32 tl, TColor32 tr, TColor32 bl, TColor32 br) {
  TColor32 r = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t top = ((tl >> shift) & 0xFF) * (256 - fx) + ((tr >> shift) & 0xFF) * fx;
    uint32_t bottom = ((bl >> shift) & 0xFF) * (256 - fx) + ((br >> shift) & 0xFF) * fx;
    r |= ((top * (256 - fy) + bottom * fy) >> 16) << shift;
  }
  return r;
}

// ---- Multimedia variants: four 16-bit lanes per colour -------------------------------------

alignas(8) uint16_t weight_table[256 * 4];

#ifdef DRAVOLIN_LANES
inline __m128i Unpack(TColor32 c) {
  return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(c)), _mm_setzero_si128());
}
inline TColor32 Pack(__m128i v) { return static_cast<TColor32>(_mm_cvtsi128_si32(_mm_packus_epi16(v, v))); }
inline __m128i Weight(uint32_t w) {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(weight_table + w * 4));
}
// ((x - y) * W + y * 256 + 128) >> 8 per lane, the product wrapping in 16 bits.
inline __m128i LaneMix(__m128i x, __m128i y, __m128i w) {
  __m128i r = _mm_mullo_epi16(_mm_sub_epi16(x, y), w);
  r = _mm_add_epi16(r, _mm_slli_epi16(y, 8));
  r = _mm_add_epi16(r, _mm_set1_epi16(128));
  return _mm_srli_epi16(r, 8);
}
inline TColor32 MixLanes(TColor32 x, TColor32 y, uint32_t w) {
  return Pack(LaneMix(Unpack(x), Unpack(y), Weight(w)));
}

TColor32 CombineColorsLanes(TColor32 x, TColor32 y, uint32_t w) {
  if (w == 0) return y;
  if (w >= 255) return x;
  return MixLanes(x, y, w);
}
void CombineIntoLanes(TColor32 f, TColor32& b, uint32_t w) {
  if (w == 0) return;
  b = w >= 255 ? f : MixLanes(f, b, w);
}
TColor32 BlendColorsLanes(TColor32 f, TColor32 b) {
  uint32_t a = f >> 24;
  if (a == 255) return f;
  if (a == 0) return b;
  return MixLanes(f, b, a);
}
void BlendIntoLanes(TColor32 f, TColor32& b) { b = BlendColorsLanes(f, b); }
TColor32 BlendColorsMasterLanes(TColor32 f, TColor32 b, uint32_t m) {
  m = ClampMaster(m);
  uint32_t weighted = (m + 1) * (f >> 24);
  if (weighted < 256) return b;
  return MixLanes(f, b, weighted >> 8);
}
void BlendIntoMasterLanes(TColor32 f, TColor32& b, uint32_t m) {
  m = ClampMaster(m);
  uint32_t w = ((m + 1) * (f >> 24)) >> 8;
  if (w == 0) return;
  b = MixLanes(f, b, w);
}

// Four pixels at a time. Weight 0 gives y exactly in the lane formula, so only alpha 255
// (where BlendInto takes F as it is) needs a select.
inline __m128i BlendFour(__m128i f, __m128i b, __m128i w16) {
  const __m128i zero = _mm_setzero_si128();
  __m128i wl = _mm_unpacklo_epi16(w16, w16);
  __m128i w01 = _mm_unpacklo_epi32(wl, wl), w23 = _mm_unpackhi_epi32(wl, wl);
  __m128i lo = LaneMix(_mm_unpacklo_epi8(f, zero), _mm_unpacklo_epi8(b, zero), w01);
  __m128i hi = LaneMix(_mm_unpackhi_epi8(f, zero), _mm_unpackhi_epi8(b, zero), w23);
  return _mm_packus_epi16(lo, hi);
}

void BlendRowLanes(const TColor32* src, TColor32* dst, int count) {
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    __m128i alpha = _mm_srli_epi32(f, 24);
    __m128i opaque = _mm_cmpeq_epi32(alpha, _mm_set1_epi32(255));
    int mask = _mm_movemask_epi8(opaque);
    if (mask == 0xFFFF) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), f);
      continue;
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128())) == 0xFFFF) continue;
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    __m128i r = BlendFour(f, b, _mm_packs_epi32(alpha, alpha));
    r = _mm_or_si128(_mm_and_si128(opaque, f), _mm_andnot_si128(opaque, r));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), r);
  }
  for (; i < count; ++i) dst[i] = BlendColorsLanes(src[i], dst[i]);
}
void BlendRowMasterLanes(const TColor32* src, TColor32* dst, int count, uint32_t m) {
  m = ClampMaster(m);
  int i = 0;
  const __m128i master = _mm_set1_epi16(static_cast<short>(m + 1));
  for (; i + 4 <= count; i += 4) {
    __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    __m128i alpha = _mm_srli_epi32(f, 24);
    // ((M + 1) * alpha) >> 8 fits 16 bits; weight 0 leaves B as it is.
    __m128i w16 = _mm_srli_epi16(_mm_mullo_epi16(_mm_packs_epi32(alpha, alpha), master), 8);
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), BlendFour(f, b, w16));
  }
  for (; i < count; ++i) BlendIntoMasterLanes(src[i], dst[i], m);
}

inline TColor32 Bytes(__m128i v) { return static_cast<TColor32>(_mm_cvtsi128_si32(v)); }
TColor32 AddLanes(TColor32 a, TColor32 b) {
  return Bytes(_mm_adds_epu8(_mm_cvtsi32_si128(a), _mm_cvtsi32_si128(b)));
}
TColor32 SubtractLanes(TColor32 a, TColor32 b) {
  return Bytes(_mm_subs_epu8(_mm_cvtsi32_si128(a), _mm_cvtsi32_si128(b)));
}
TColor32 ModulateLanes(TColor32 a, TColor32 b) {
  return Pack(_mm_srli_epi16(_mm_mullo_epi16(Unpack(a), Unpack(b)), 8));
}
TColor32 MaxLanes(TColor32 a, TColor32 b) {
  return Bytes(_mm_max_epu8(_mm_cvtsi32_si128(a), _mm_cvtsi32_si128(b)));
}
TColor32 MinLanes(TColor32 a, TColor32 b) {
  return Bytes(_mm_min_epu8(_mm_cvtsi32_si128(a), _mm_cvtsi32_si128(b)));
}
TColor32 DifferenceLanes(TColor32 a, TColor32 b) {
  __m128i x = _mm_cvtsi32_si128(a), y = _mm_cvtsi32_si128(b);
  return Bytes(_mm_or_si128(_mm_subs_epu8(x, y), _mm_subs_epu8(y, x)));
}
TColor32 ExclusionLanes(TColor32 a, TColor32 b) {
  __m128i x = Unpack(a), y = Unpack(b);
  return Pack(_mm_sub_epi16(_mm_add_epi16(x, y), _mm_srli_epi16(_mm_mullo_epi16(x, y), 7)));
}

// The same exact sum as the plain form: the rows by multiply-add of (left, right) pairs, the
// columns by splitting each row sum into its high and low byte so that pairs fit 16 bits.
TColor32 InterpolatorLanes(uint32_t fx, uint32_t fy, TColor32 tl, TColor32 tr, TColor32 bl, TColor32 br) {
  const __m128i wx = _mm_set1_epi32(static_cast<int>((fx << 16) | (256 - fx)));
  const __m128i wy = _mm_set1_epi32(static_cast<int>((fy << 16) | (256 - fy)));
  __m128i top = _mm_madd_epi16(_mm_unpacklo_epi16(Unpack(tl), Unpack(tr)), wx);
  __m128i bottom = _mm_madd_epi16(_mm_unpacklo_epi16(Unpack(bl), Unpack(br)), wx);
  const __m128i low_byte = _mm_set1_epi32(0xFF);
  __m128i hi = _mm_or_si128(_mm_srli_epi32(top, 8), _mm_slli_epi32(_mm_srli_epi32(bottom, 8), 16));
  __m128i lo =
      _mm_or_si128(_mm_and_si128(top, low_byte), _mm_slli_epi32(_mm_and_si128(bottom, low_byte), 16));
  __m128i sum = _mm_add_epi32(_mm_slli_epi32(_mm_madd_epi16(hi, wy), 8), _mm_madd_epi16(lo, wy));
  __m128i v = _mm_srli_epi32(sum, 16);
  v = _mm_packs_epi32(v, v);
  return Pack(v);
}
#endif

bool initialised = false;
bool multimedia = false;

#ifdef DRAVOLIN_X86
void RealCpuid(uint32_t function, uint32_t regs[4]) { __cpuid(function, regs[0], regs[1], regs[2], regs[3]); }
#endif

}  // namespace

TCombineColors CombineColors = CombineColorsPlain;
TCombineInto CombineInto = CombineIntoPlain;
TBlendColors BlendColors = BlendColorsPlain;
TBlendInto BlendInto = BlendIntoPlain;
TBlendColorsMaster BlendColorsMaster = BlendColorsMasterPlain;
TBlendIntoMaster BlendIntoMaster = BlendIntoMasterPlain;
TBlendRow BlendRow = BlendRowPlain;
TBlendRowMaster BlendRowMaster = BlendRowMasterPlain;
TColorOp AddColors = AddPlain;
TColorOp SubtractColors = SubtractPlain;
TColorOp ModulateColors = ModulatePlain;
TColorOp MaxColors = MaxPlain;
TColorOp MinColors = MinPlain;
TColorOp DifferenceColors = DifferencePlain;
TColorOp ExclusionColors = ExclusionPlain;
TInterpolator Interpolator = InterpolatorPlain;

bool ProcessorFeatureFrom(TCpuid cpuid, int feature) {
  static const uint32_t masks[] = {0x00800000, 0x02000000, 0x04000000, 0x0F000000, 0x00F00000};
  if (!cpuid || feature < 0 || feature > 4) return false;
  uint32_t regs[4];
  cpuid(1, regs);
  if (((regs[0] >> 8) & 0xF) < 5) return false;
  if (feature == 3 || feature == 4) {
    cpuid(0x80000000, regs);
    if ((regs[3] & 0x0F000000) == 0) return false;
    cpuid(0x80000001, regs);
  }
  return (regs[3] & masks[feature]) != 0;
}

bool HasProcessorFeature(int feature) {
#ifdef DRAVOLIN_X86
  // __get_cpuid_max answers 0 where the CPUID flag bit cannot be toggled.
  return ProcessorFeatureFrom(__get_cpuid_max(0, nullptr) ? RealCpuid : nullptr, feature);
#else
  return ProcessorFeatureFrom(nullptr, feature);
#endif
}

void SelectBlendVariants(bool use_multimedia) {
  initialised = true;
#ifndef DRAVOLIN_LANES
  use_multimedia = false;
#endif
  multimedia = use_multimedia;
  if (!use_multimedia) {
    CombineColors = CombineColorsPlain;
    CombineInto = CombineIntoPlain;
    BlendColors = BlendColorsPlain;
    BlendInto = BlendIntoPlain;
    BlendColorsMaster = BlendColorsMasterPlain;
    BlendIntoMaster = BlendIntoMasterPlain;
    BlendRow = BlendRowPlain;
    BlendRowMaster = BlendRowMasterPlain;
    AddColors = AddPlain;
    SubtractColors = SubtractPlain;
    ModulateColors = ModulatePlain;
    MaxColors = MaxPlain;
    MinColors = MinPlain;
    DifferenceColors = DifferencePlain;
    ExclusionColors = ExclusionPlain;
    Interpolator = InterpolatorPlain;
    return;
  }
#ifdef DRAVOLIN_LANES
  for (int i = 0; i < 256; ++i)
    for (int lane = 0; lane < 4; ++lane) weight_table[i * 4 + lane] = static_cast<uint16_t>(i);
  CombineColors = CombineColorsLanes;
  CombineInto = CombineIntoLanes;
  BlendColors = BlendColorsLanes;
  BlendInto = BlendIntoLanes;
  BlendColorsMaster = BlendColorsMasterLanes;
  BlendIntoMaster = BlendIntoMasterLanes;
  BlendRow = BlendRowLanes;
  BlendRowMaster = BlendRowMasterLanes;
  AddColors = AddLanes;
  SubtractColors = SubtractLanes;
  ModulateColors = ModulateLanes;
  MaxColors = MaxLanes;
  MinColors = MinLanes;
  DifferenceColors = DifferenceLanes;
  ExclusionColors = ExclusionLanes;
  Interpolator = InterpolatorLanes;
#endif
}

bool MultimediaWanted() {
  const char* plain = std::getenv("DRAVOLIN_PLAIN_BLEND");
  const bool forced_plain = plain && *plain && std::strcmp(plain, "0") != 0;
  return !forced_plain && HasMMX();
}

void InitBlending() {
  if (!initialised) SelectBlendVariants(MultimediaWanted());
}

bool MultimediaInUse() { return multimedia; }

void ClearMultimediaState() {}

const uint16_t* WeightTableEntry(uint32_t w) { return weight_table + (w & 0xFF) * 4; }

void CopyPixels(const TColor32* src, TColor32* dest, int count) {
  if (src == dest || count <= 0) return;
  std::memmove(dest, src, static_cast<size_t>(count) * 4);
}

uint8_t GammaTable[256];

void SetGamma(double gamma) {
  for (int i = 0; i < 256; ++i)
    GammaTable[i] = static_cast<uint8_t>(std::lrint(255 * std::pow(i / 255.0, gamma)));
}
