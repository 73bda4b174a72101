#include "toolkit/metafile.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "toolkit/bytes.h"
#include "toolkit/canvas.h"
#include "toolkit/typinfo.h"

// The system plays metafile records trusting their sizes, counts and object indexes, so a
// hostile file could make it read or write beyond its buffers. Every record is checked here
// first, and only the drawing records in common use are let through.

namespace {

constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableHeader = 22;
constexpr int64_t kMaxFileBytes = int64_t{64} << 20;

[[noreturn]] void Invalid(const std::string& what) {
  throw EInvalidGraphic("Metafile is not valid: " + what);
}

// What playing a file costs the system beyond its bytes. It keeps every saved state and every
// object until the end, and an object made over one still held is never freed: a file of
// millions of SaveDC records took gigabytes and minutes, one of objects made over each other
// would use up the process's drawing objects. Far beyond any real picture's needs.
constexpr size_t kMaxRecords = 1'000'000;
constexpr int64_t kMaxSavedStates = 1'000;  // nesting depth of SaveDC
constexpr uint32_t kMaxObjects = 4'096;     // held at once

// Each call gives the reason to refuse the record, or null.
class TPlayCost {
 public:
  explicit TPlayCost(uint32_t table) : held_(table) {
    for (uint32_t slot = 0; slot < std::min(table, kMaxObjects); ++slot) free_.insert(slot);
  }

  const char* Count(size_t index) const {
    return index > kMaxRecords ? "more than 1,000,000 records" : nullptr;
  }
  const char* Save() {
    return ++depth_ > kMaxSavedStates ? "saved states nested deeper than 1,000" : nullptr;
  }
  // Negative: that many states back; positive: back to the state of that number.
  void Restore(int64_t which) {
    depth_ = which < 0 ? std::max<int64_t>(0, depth_ + which) : std::min(depth_, which - 1);
  }
  // An object made at the slot the record names (enhanced metafiles).
  const char* Make(uint32_t slot) {
    if (held_[slot]) return "an object made over one still held";
    if (live_ >= kMaxObjects) return "more than 4,096 objects at once";
    Take(slot);
    return nullptr;
  }
  // An object made at the first free slot, as the system places it (Windows metafiles).
  const char* MakeAtFree() {
    if (free_.empty())
      return live_ >= kMaxObjects ? "more than 4,096 objects at once"
                                  : "more objects at once than its table has";
    Take(*free_.begin());
    return nullptr;
  }
  void Delete(uint32_t slot) {
    if (slot >= held_.size() || !held_[slot]) return;
    held_[slot] = false;
    --live_;
    if (slot < kMaxObjects) free_.insert(slot);
  }

 private:
  void Take(uint32_t slot) {
    held_[slot] = true;
    ++live_;
    free_.erase(slot);
  }

  std::vector<bool> held_;
  std::set<uint32_t> free_;  // below kMaxObjects: the first free slot never lies beyond
  uint32_t live_ = 0;
  int64_t depth_ = 0;
};

int64_t RowBytes(int64_t width, int bits) { return (width * bits + 31) / 32 * 4; }

// Whether a BITMAPINFO of info_size bytes describes an uncompressed image whose colour table
// (4-byte colours, or 2-byte palette indexes for usage 1) lies within it and whose rows fit
// in bits_size bytes; packed: the rows follow the table inside info_size instead.
bool DibFits(const uint8_t* info, uint64_t info_size, uint64_t bits_size, uint32_t usage, bool packed) {
  if (info_size < 40 || usage > DIB_PAL_COLORS) return false;
  const uint32_t header = U32(info);
  if (header < 40 || header > info_size) return false;
  const int64_t width = static_cast<int32_t>(U32(info + 4));
  int64_t height = static_cast<int32_t>(U32(info + 8));
  if (height < 0) height = -height;
  const int bits = U16(info + 14);
  const uint32_t compression = U32(info + 16), used = U32(info + 32);
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535 || U16(info + 12) != 1) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  const bool fields = compression == BI_BITFIELDS;
  if (compression != BI_RGB && !(fields && (bits == 16 || bits == 32))) return false;
  if (used > 256 || (bits <= 8 && used > (1u << bits))) return false;
  const uint64_t colors = bits <= 8 && !used ? 1u << bits : used;
  const uint64_t table =
      header + (fields && header == 40 ? 12 : 0) + colors * (usage == DIB_PAL_COLORS ? 2 : 4);
  if (table > info_size) return false;
  const uint64_t rows = static_cast<uint64_t>(RowBytes(width, bits) * height);
  return packed ? table + rows <= info_size : rows <= bits_size;
}

// ---- Enhanced metafiles ---------------------------------------------------------------------

// One record: bounds-checked reading of its fields, and the errors named after it.
class TEmfRecord {
 public:
  TEmfRecord(const uint8_t* data, uint32_t size, size_t index, uint32_t handles)
      : data_(data), size_(size), index_(index), handles_(handles) {}

  uint32_t Type() const { return U32(data_); }
  uint32_t At(uint32_t offset) const {
    if (uint64_t{offset} + 4 > size_) Fail("cut short");
    return U32(data_ + offset);
  }
  void Need(uint64_t bytes) const {
    if (bytes > size_) Fail("a count goes beyond the record");
  }
  // An object the record makes (never stock) or uses (stock ones too, where the system
  // takes them).
  void Handle(uint32_t offset, bool stock_allowed) const {
    const uint32_t index = At(offset);
    if (stock_allowed && (index & 0x80000000u)) return;
    if (index == 0 || index >= handles_) Fail("an object index beyond the table");
  }
  // A bitmap given by the offsets and sizes of its header and of its rows.
  void Dib(uint32_t offsets, uint32_t usage, bool required) const {
    const uint32_t off_info = At(offsets), info = At(offsets + 4), off_bits = At(offsets + 8),
                   bits = At(offsets + 12);
    if (!required && !off_info && !info && !off_bits && !bits) return;
    Need(uint64_t{off_info} + info);
    Need(uint64_t{off_bits} + bits);
    if (!DibFits(data_ + off_info, info, bits, usage, false)) Fail("a bitmap that does not fit its data");
  }
  // Region data (header and rectangles) of `bytes` at `offset`; none when bytes is 0 and
  // that is allowed.
  void Region(uint32_t offset, uint32_t bytes, bool may_be_empty) const {
    if (!bytes && may_be_empty) return;
    Need(uint64_t{offset} + bytes);
    if (bytes < 32 || U32(data_ + offset) != 32 || 32 + uint64_t{U32(data_ + offset + 8)} * 16 > bytes)
      Fail("a region that does not fit its data");
  }
  // A brush style that names no object by handle (those would be the writer's handles).
  void PlainBrush(uint32_t style) const {
    if (style != BS_SOLID && style != BS_NULL && style != BS_HATCHED) Fail("a brush made of a handle");
  }
  void Points(uint32_t count_offset, uint32_t point_size, uint32_t extra_per_point = 0) const {
    Need(count_offset + 4 + uint64_t{At(count_offset)} * (point_size + extra_per_point));
  }
  // Polygon counts followed by the points: every figure's points must be there.
  void PolyPoints(uint32_t point_size) const {
    const uint64_t figures = At(24), points = At(28);
    Need(32 + figures * 4 + points * point_size);
    uint64_t sum = 0;
    for (uint64_t i = 0; i < figures; ++i) sum += U32(data_ + 32 + 4 * i);
    if (sum > points) Fail("figures with more points than the record has");
  }
  void Text(uint32_t at, uint32_t char_size) const {
    const uint64_t count = At(at + 8), string = At(at + 12), options = At(at + 16), dx = At(at + 36);
    Need(string + count * char_size);
    if (dx) Need(dx + count * ((options & ETO_PDY) ? 8 : 4));
  }
  void Gradient() const {
    const uint64_t vertices = At(24), shapes = At(28), mode = At(32);
    if (mode > GRADIENT_FILL_TRIANGLE) Fail("an unknown gradient mode");
    const uint32_t corners = mode == GRADIENT_FILL_TRIANGLE ? 3 : 2;
    Need(36 + vertices * 16 + shapes * corners * 4);
    const uint8_t* mesh = data_ + 36 + vertices * 16;
    for (uint64_t i = 0; i < shapes * corners; ++i)
      if (U32(mesh + 4 * i) >= vertices) Fail("a gradient corner beyond its vertices");
  }
  [[noreturn]] void Fail(const char* what) const {
    Invalid("record " + std::to_string(index_) + " (type " + std::to_string(Type()) + "): " + what);
  }

 private:
  const uint8_t* data_;
  uint32_t size_;
  size_t index_;
  uint32_t handles_;
};

// The smallest size in bytes of each record type (the index) let through; 0 for those refused (the header
// after the first record, colour spaces and profiles, OpenGL, escapes, the rare text records).
constexpr uint8_t kEmfMinimum[123] = {
    0,  0,   28,  28,  28,  28, 28, 32,  32, 16, 16, 16, 16, 16, 20,  20, 12,  12, 12, 12, 12, 12, 12, 32, 12,
    12, 16,  16,  8,   24,  24, 24, 24,  8,  12, 32, 36, 12, 28, 24,  12, 28,  24, 24, 32, 40, 40, 40, 12, 16,
    20, 16,  8,   24,  16,  40, 28, 12,  12, 8,  8,  8,  24, 24, 24,  8,  8,   12, 8,  0,  12, 32, 40, 28, 28,
    16, 100, 108, 128, 140, 76, 80, 104, 76, 76, 28, 28, 28, 28, 28,  32, 32,  28, 32, 32, 52, 0,  0,  12, 0,
    0,  0,   0,   0,   0,   0,  0,  0,   0,  0,  0,  0,  0,  0,  108, 12, 108, 0,  36, 0,  0,  0,  0};

void CheckEmfRecord(const TEmfRecord& r) {
  switch (r.Type()) {
    case EMR_POLYBEZIER:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO: r.Points(24, 8); break;
    case EMR_POLYBEZIER16:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16: r.Points(24, 4); break;
    case EMR_POLYDRAW: r.Points(24, 8, 1); break;
    case EMR_POLYDRAW16: r.Points(24, 4, 1); break;
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYGON: r.PolyPoints(8); break;
    case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16: r.PolyPoints(4); break;
    case EMR_EOF:
      if (r.At(8)) r.Need(uint64_t{r.At(12)} + uint64_t{r.At(8)} * 4);
      break;
    case EMR_SELECTOBJECT:
    case EMR_DELETEOBJECT:
    case EMR_SELECTPALETTE: r.Handle(8, true); break;
    case EMR_CREATEPEN:
    case EMR_EXTCREATEFONTINDIRECTW:
    case EMR_RESIZEPALETTE: r.Handle(8, false); break;
    case EMR_CREATEBRUSHINDIRECT:
      r.Handle(8, false);
      r.PlainBrush(r.At(12));
      break;
    case EMR_CREATEPALETTE:
      r.Handle(8, false);
      r.Need(16 + uint64_t{r.At(12) >> 16} * 4);
      break;
    case EMR_SETPALETTEENTRIES:
      r.Handle(8, false);
      r.Need(20 + uint64_t{r.At(16)} * 4);
      break;
    case EMR_GDICOMMENT: r.Need(12 + uint64_t{r.At(8)}); break;
    case EMR_FILLRGN:
      r.Handle(28, false);
      r.Region(32, r.At(24), false);
      break;
    case EMR_FRAMERGN:
      r.Handle(28, false);
      r.Region(40, r.At(24), false);
      break;
    case EMR_INVERTRGN:
    case EMR_PAINTRGN: r.Region(28, r.At(24), false); break;
    case EMR_EXTSELECTCLIPRGN: r.Region(16, r.At(8), true); break;
    case EMR_BITBLT:
    case EMR_STRETCHBLT: r.Dib(84, r.At(80), false); break;
    case EMR_ALPHABLEND:
    case EMR_TRANSPARENTBLT: r.Dib(84, r.At(80), true); break;
    case EMR_MASKBLT:
      r.Dib(84, r.At(80), false);
      r.Dib(112, r.At(108), false);
      break;
    case EMR_PLGBLT:
      r.Dib(96, r.At(92), false);
      r.Dib(124, r.At(120), false);
      break;
    case EMR_SETDIBITSTODEVICE:
    case EMR_STRETCHDIBITS: r.Dib(48, r.At(64), true); break;
    case EMR_EXTTEXTOUTA: r.Text(36, 1); break;
    case EMR_EXTTEXTOUTW: r.Text(36, 2); break;
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT:
      r.Handle(8, false);
      r.Dib(16, r.At(12), true);
      break;
    case EMR_EXTCREATEPEN: {
      r.Handle(8, false);
      const uint32_t brush = r.At(36);
      if (brush == BS_DIBPATTERNPT)
        r.Dib(12, r.At(40), true);
      else
        r.PlainBrush(brush);
      r.Need(52 + uint64_t{r.At(48)} * 4);
      break;
    }
    case EMR_GRADIENTFILL: r.Gradient(); break;
    default: break;
  }
}

void CheckEmfCost(const TEmfRecord& r, TPlayCost& cost) {
  const char* refused = nullptr;
  switch (r.Type()) {
    case EMR_SAVEDC: refused = cost.Save(); break;
    case EMR_RESTOREDC: cost.Restore(static_cast<int32_t>(r.At(8))); break;
    case EMR_CREATEPEN:
    case EMR_CREATEBRUSHINDIRECT:
    case EMR_EXTCREATEFONTINDIRECTW:
    case EMR_CREATEPALETTE:
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_EXTCREATEPEN: refused = cost.Make(r.At(8)); break;
    case EMR_DELETEOBJECT:
      if (!(r.At(8) & 0x80000000u)) cost.Delete(r.At(8));
      break;
    default: break;
  }
  if (refused) r.Fail(refused);
}

// The bytes the metafile takes from data (its header's byte count).
size_t CheckEnhancedMetafile(const uint8_t* data, size_t size) {
  if (size < 88) Invalid("the header is cut short");
  const uint32_t header = U32(data + 4), bytes = U32(data + 48);
  if (U32(data) != EMR_HEADER || U32(data + 40) != kEmfSignature) Invalid("no metafile header");
  if (header < 88 || header % 4 || bytes % 4 || header > bytes) Invalid("the header's sizes do not fit");
  if (bytes > size) Invalid("the file is cut short");
  const auto frame = [&](size_t at) { return static_cast<int64_t>(static_cast<int32_t>(U32(data + at))); };
  if (frame(32) <= frame(24) || frame(36) <= frame(28)) Invalid("the picture frame is empty");
  if (frame(72) <= 0 || frame(76) <= 0 || frame(80) <= 0 || frame(84) <= 0)
    Invalid("the reference device has no size");
  const uint32_t handles = U16(data + 56);
  if (U32(data + 60) && uint64_t{U32(data + 64)} + uint64_t{U32(data + 60)} * 2 > header)
    Invalid("the description lies outside the header");
  if (header >= 100 && U32(data + 88) && uint64_t{U32(data + 92)} + U32(data + 88) > header)
    Invalid("the pixel format lies outside the header");
  size_t offset = header, index = 1;
  bool ended = false;
  TPlayCost cost(handles);
  while (offset < bytes) {
    if (ended) Invalid("records after the end record");
    if (bytes - offset < 8) Invalid("record " + std::to_string(index) + " is cut short");
    const uint32_t type = U32(data + offset), record = U32(data + offset + 4);
    TEmfRecord r(data + offset, record, index, handles);
    if (const char* refused = cost.Count(index)) r.Fail(refused);
    if (record < 8 || record % 4 || record > bytes - offset) r.Fail("a size that does not fit the file");
    if (type >= sizeof kEmfMinimum || !kEmfMinimum[type]) r.Fail("not a drawing record the program plays");
    if (record < kEmfMinimum[type]) r.Fail("smaller than its kind");
    CheckEmfRecord(r);
    CheckEmfCost(r, cost);
    ended = type == EMR_EOF;
    offset += record;
    ++index;
  }
  if (!ended) Invalid("no end record");
  return bytes;
}

// ---- Windows metafiles ----------------------------------------------------------------------

// Function numbers of the Windows metafile records let through, with their smallest
// parameter count in 16-bit words; variable ones are checked after.
struct TWmfFunction {
  uint16_t function;
  uint16_t parameters;
};
constexpr TWmfFunction kWmfFunctions[] = {
    {0x0000, 0},   // end
    {0x001E, 0},   // SaveDC
    {0x0035, 0},   // RealizePalette
    {0x0102, 1},   // SetBkMode
    {0x0103, 1},   // SetMapMode
    {0x0104, 1},   // SetROP2
    {0x0106, 1},   // SetPolyFillMode
    {0x0107, 1},   // SetStretchBltMode
    {0x0108, 1},   // SetTextCharacterExtra
    {0x0127, 1},   // RestoreDC
    {0x012C, 1},   // SelectClipRgn
    {0x012D, 1},   // SelectObject
    {0x012E, 1},   // SetTextAlign
    {0x0139, 1},   // ResizePalette
    {0x01F0, 1},   // DeleteObject
    {0x0201, 2},   // SetBkColor
    {0x0209, 2},   // SetTextColor
    {0x020A, 2},   // SetTextJustification
    {0x020B, 2},   // SetWindowOrg
    {0x020C, 2},   // SetWindowExt
    {0x020D, 2},   // SetViewportOrg
    {0x020E, 2},   // SetViewportExt
    {0x020F, 2},   // OffsetWindowOrg
    {0x0211, 2},   // OffsetViewportOrg
    {0x0213, 2},   // LineTo
    {0x0214, 2},   // MoveTo
    {0x0220, 2},   // OffsetClipRgn
    {0x0231, 2},   // SetMapperFlags
    {0x0234, 1},   // SelectPalette
    {0x02FA, 5},   // CreatePenIndirect
    {0x02FB, 9},   // CreateFontIndirect (the face name is padded below)
    {0x02FC, 4},   // CreateBrushIndirect
    {0x00F7, 2},   // CreatePalette
    {0x0037, 2},   // SetPaletteEntries
    {0x0410, 4},   // ScaleWindowExt
    {0x0412, 4},   // ScaleViewportExt
    {0x0415, 4},   // ExcludeClipRect
    {0x0416, 4},   // IntersectClipRect
    {0x0418, 4},   // Ellipse
    {0x0419, 3},   // FloodFill
    {0x041B, 4},   // Rectangle
    {0x041F, 4},   // SetPixel
    {0x0548, 5},   // ExtFloodFill
    {0x061C, 6},   // RoundRect
    {0x061D, 6},   // PatBlt
    {0x0817, 8},   // Arc
    {0x081A, 8},   // Pie
    {0x0830, 8},   // Chord
    {0x0521, 1},   // TextOut
    {0x0A32, 4},   // ExtTextOut
    {0x0324, 1},   // Polygon
    {0x0325, 1},   // Polyline
    {0x0538, 1},   // PolyPolygon
    {0x0626, 2},   // Escape
    {0x0940, 9},   // DIBBitBlt
    {0x0B41, 10},  // DIBStretchBlt
    {0x0F43, 11},  // StretchDIBits
    {0x0D33, 9},   // SetDIBitsToDevice
    {0x0142, 2},   // DIBCreatePatternBrush
};

constexpr uint16_t kWmfCreateFont = 0x02FB;
constexpr uint32_t kWmfFontWords = 25;  // the font description with its 32-byte face name

class TWmfRecord {
 public:
  TWmfRecord(const uint8_t* data, uint64_t words, size_t index, uint32_t objects)
      : data_(data), parameters_(words - 3), index_(index), objects_(objects) {}

  uint16_t Function() const { return U16(data_ + 4); }
  uint64_t Parameters() const { return parameters_; }
  uint16_t Word(uint64_t i) const {
    if (i >= parameters_) Fail("cut short");
    return U16(data_ + 6 + 2 * i);
  }
  void Need(uint64_t words) const {
    if (words > parameters_) Fail("a count goes beyond the record");
  }
  void Object(uint64_t i) const {
    if (Word(i) >= objects_) Fail("an object index beyond the table");
  }
  // A packed bitmap (header, colours, rows) from parameter `from` to the record's end.
  void Dib(uint64_t from, uint32_t usage) const {
    Need(from);
    if (!DibFits(data_ + 6 + 2 * from, 2 * (parameters_ - from), 0, usage, true))
      Fail("a bitmap that does not fit its data");
  }
  [[noreturn]] void Fail(const char* what) const {
    Invalid("record " + std::to_string(index_) + " (function " + std::to_string(Function()) + "): " + what);
  }

 private:
  const uint8_t* data_;
  uint64_t parameters_;
  size_t index_;
  uint32_t objects_;
};

void CheckWmfRecord(const TWmfRecord& r) {
  switch (r.Function()) {
    case 0x012C:
    case 0x012D:
    case 0x01F0:
    case 0x0234: r.Object(0); break;
    case 0x02FC:
      if (r.Word(0) != BS_SOLID && r.Word(0) != BS_NULL && r.Word(0) != BS_HATCHED)
        r.Fail("a brush made of a handle");
      break;
    case 0x0521: r.Need(1 + (uint64_t{r.Word(0)} + 1) / 2 + 2); break;
    case 0x0A32: {
      const uint64_t count = r.Word(2), options = r.Word(3);
      r.Need(4 + ((options & (ETO_OPAQUE | ETO_CLIPPED)) ? 4 : 0) + (count + 1) / 2);
      break;
    }
    case 0x0324:
    case 0x0325: r.Need(1 + uint64_t{r.Word(0)} * 2); break;
    case 0x0538: {
      const uint64_t figures = r.Word(0);
      r.Need(1 + figures);
      uint64_t points = 0;
      for (uint64_t i = 0; i < figures; ++i) points += r.Word(1 + i);
      r.Need(1 + figures + points * 2);
      break;
    }
    case 0x0626: r.Need(2 + (uint64_t{r.Word(1)} + 1) / 2); break;
    case 0x00F7: r.Need(2 + uint64_t{r.Word(1)} * 2); break;
    case 0x0037: r.Need(2 + uint64_t{r.Word(1)} * 2); break;
    // With a bitmap when the record is longer than the plain block transfer.
    case 0x0940:
      if (r.Parameters() > 9) r.Dib(8, DIB_RGB_COLORS);
      break;
    case 0x0B41: r.Dib(10, DIB_RGB_COLORS); break;
    case 0x0F43: r.Dib(11, r.Word(2)); break;
    case 0x0D33: r.Dib(9, r.Word(0)); break;
    case 0x0142:
      // A pattern brush's bitmap is read as one bit per pixel behind a two-colour table.
      if (r.Word(0) == BS_PATTERN &&
          (r.Parameters() < 22 || r.Word(9) != 1 || (r.Word(18) != 0 && r.Word(18) != 2) || r.Word(19)))
        r.Fail("a pattern that is not one bit");
      r.Dib(2, r.Word(0) == BS_PATTERN ? DIB_RGB_COLORS : r.Word(1));
      break;
    default: break;
  }
}

void CheckWmfCost(const TWmfRecord& r, TPlayCost& cost) {
  const char* refused = nullptr;
  switch (r.Function()) {
    case 0x001E: refused = cost.Save(); break;
    case 0x0127: cost.Restore(static_cast<int16_t>(r.Word(0))); break;
    case 0x02FA:
    case 0x02FB:
    case 0x02FC:
    case 0x00F7:
    case 0x0142: refused = cost.MakeAtFree(); break;
    case 0x01F0: cost.Delete(r.Word(0)); break;
    default: break;
  }
  if (refused) r.Fail(refused);
}

// The bytes the metafile takes from data; `out` receives the records as they are handed to
// the system.
size_t CheckWindowsMetafile(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
  if (size < 18) Invalid("the header is cut short");
  const uint16_t type = U16(data), header_words = U16(data + 2);
  const uint64_t bytes = uint64_t{U32(data + 6)} * 2;
  const uint32_t objects = U16(data + 10);
  if ((type != 1 && type != 2) || header_words != 9) Invalid("no metafile header");
  if (bytes < 18) Invalid("the header's sizes do not fit");
  if (bytes > size) Invalid("the file is cut short");
  out.assign(data, data + 18);
  uint32_t largest = 0;
  size_t offset = 18, index = 1;
  bool ended = false;
  TPlayCost cost(objects);
  while (offset < bytes && !ended) {
    if (bytes - offset < 6) Invalid("record " + std::to_string(index) + " is cut short");
    const uint64_t words = U32(data + offset);
    TWmfRecord r(data + offset, words < 3 ? 3 : words, index, objects);
    if (const char* refused = cost.Count(index)) r.Fail(refused);
    if (words < 3 || words * 2 > bytes - offset) r.Fail("a size that does not fit the file");
    const TWmfFunction* known = nullptr;
    for (const TWmfFunction& f : kWmfFunctions)
      if (f.function == r.Function()) known = &f;
    if (!known) r.Fail("not a drawing record the program plays");
    if (r.Parameters() < known->parameters) r.Fail("smaller than its kind");
    CheckWmfRecord(r);
    CheckWmfCost(r, cost);
    const size_t at = out.size();
    out.insert(out.end(), data + offset, data + offset + words * 2);
    if (r.Function() == kWmfCreateFont && r.Parameters() < kWmfFontWords) {
      // The system copies a whole face name: a shorter one is filled up with zeros.
      out.resize(out.size() + (kWmfFontWords - r.Parameters()) * 2, 0);
      const uint32_t padded = 3 + kWmfFontWords;
      for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(padded >> (8 * i));
    }
    largest = std::max<uint32_t>(largest, static_cast<uint32_t>((out.size() - at) / 2));
    ended = r.Function() == 0;
    offset += words * 2;
    ++index;
  }
  if (!ended) Invalid("no end record");
  const uint32_t total = static_cast<uint32_t>(out.size() / 2);
  for (int i = 0; i < 4; ++i) {
    out[6 + i] = static_cast<uint8_t>(total >> (8 * i));
    out[12 + i] = static_cast<uint8_t>(largest >> (8 * i));
  }
  return static_cast<size_t>(bytes);
}

}  // namespace

// ---- TMetafile ------------------------------------------------------------------------------

TK_CLASS_INFO(TMetafile, TGraphic)

TMetafile::TMetafile() {
  TGraphic::SetTransparent(true);
  SetModified(false);
}

TMetafile::~TMetafile() {
  if (handle_) DeleteEnhMetaFile(handle_);
}

void TMetafile::TakeHandle(HENHMETAFILE metafile) {
  if (handle_ && handle_ != metafile) DeleteEnhMetaFile(handle_);
  handle_ = metafile;
  width_ = height_ = 0;
  ENHMETAHEADER header{};
  if (!metafile || !GetEnhMetaFileHeader(metafile, sizeof header, &header)) return;
  // The frame is in hundredths of a millimetre.
  const int ppi = ScreenPixelsPerInch();
  width_ = MulDiv(header.rclFrame.right - header.rclFrame.left, ppi, 2540);
  height_ = MulDiv(header.rclFrame.bottom - header.rclFrame.top, ppi, 2540);
}

void TMetafile::Assign(TPersistent* source) {
  if (!source) {
    if (!handle_) return;
    TakeHandle(nullptr);
    Changed();
    return;
  }
  if (auto* metafile = DynamicCast<TMetafile>(source)) {
    if (metafile == this) return;
    HENHMETAFILE copy = nullptr;
    if (metafile->handle_ && !(copy = CopyEnhMetaFileA(metafile->handle_, nullptr)))
      throw EOutOfResources("Cannot copy the metafile");
    TakeHandle(copy);
    Changed();
    return;
  }
  inherited::Assign(source);
}

void TMetafile::SetHandle(HENHMETAFILE metafile) {
  if (metafile == handle_) return;
  TakeHandle(metafile);
  Changed();
}

void TMetafile::Draw(TCanvas& canvas, const RECT& rect) {
  if (handle_) PlayEnhMetaFile(canvas.GetHandle(), handle_, &rect);
}

void TMetafile::LoadFromBytes(const std::vector<uint8_t>& bytes) { ReadMetafile(bytes); }

size_t TMetafile::ReadMetafile(const std::vector<uint8_t>& bytes) {
  const uint8_t* data = bytes.data();
  HENHMETAFILE metafile;
  size_t used;
  if (bytes.size() >= 4 && U32(data) == kPlaceableKey) {
    if (bytes.size() < kPlaceableHeader) Invalid("the placeable header is cut short");
    uint16_t sum = 0;
    for (size_t i = 0; i < 10; ++i) sum ^= U16(data + 2 * i);
    if (sum != U16(data + 20)) Invalid("the placeable header's checksum is wrong");
    const int width = std::abs(static_cast<int16_t>(U16(data + 10)) - static_cast<int16_t>(U16(data + 6)));
    const int height = std::abs(static_cast<int16_t>(U16(data + 12)) - static_cast<int16_t>(U16(data + 8)));
    const int units_per_inch = U16(data + 14);
    if (!width || !height || !units_per_inch) Invalid("the placeable header's size is empty");
    std::vector<uint8_t> records;
    used = kPlaceableHeader +
           CheckWindowsMetafile(data + kPlaceableHeader, bytes.size() - kPlaceableHeader, records);
    // Played into a frame of the header's size, in hundredths of a millimetre.
    METAFILEPICT picture{MM_ANISOTROPIC, MulDiv(width, 2540, units_per_inch),
                         MulDiv(height, 2540, units_per_inch), nullptr};
    metafile = SetWinMetaFileBits(static_cast<UINT>(records.size()), records.data(), nullptr, &picture);
  } else {
    used = CheckEnhancedMetafile(data, bytes.size());
    metafile = SetEnhMetaFileBits(static_cast<UINT>(used), data);
  }
  if (!metafile) Invalid("the system cannot read it");
  SetHandle(metafile);
  return used;
}

void TMetafile::LoadFromStream(TStream& stream) {
  const int64_t start = stream.GetPosition();
  int64_t available = stream.GetSize() - start;
  if (available < 0) available = 0;
  if (available > kMaxFileBytes) throw EInvalidGraphic("Metafile is too large");
  std::vector<uint8_t> bytes(static_cast<size_t>(available));
  if (available) stream.ReadBuffer(bytes.data(), available);
  size_t used;
  try {
    used = ReadMetafile(bytes);
  } catch (...) {
    stream.SetPosition(start);
    throw;
  }
  stream.SetPosition(start + static_cast<int64_t>(used));
}

void TMetafile::SaveToStream(TStream& stream) {
  if (!handle_) return;
  const UINT size = GetEnhMetaFileBits(handle_, 0, nullptr);
  std::vector<uint8_t> bytes(size);
  if (!size || GetEnhMetaFileBits(handle_, size, bytes.data()) != size)
    throw EInvalidGraphicOperation("Cannot read the metafile");
  stream.WriteBuffer(bytes.data(), size);
}
