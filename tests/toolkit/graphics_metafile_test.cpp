// Metafiles: made by the system's own recording, read from .emf and placeable .wmf files, and
// hostile files refused before the system plays a record of them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/toolkit/graphics_test_helpers.h"
#include "toolkit/metafile.h"
#include "toolkit/picture.h"
#include "toolkit/typinfo.h"

using namespace graphics_test;

namespace {

using Bytes = std::vector<uint8_t>;

void Put32At(Bytes& bytes, size_t at, uint32_t value) { std::memcpy(&bytes[at], &value, 4); }

Owned<TMemoryStream> StreamOf(const Bytes& bytes) {
  auto stream = Make<TMemoryStream>();
  stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  stream->SetPosition(0);
  return stream;
}

// The system's recording of the red block, as the bytes of an .emf file.
Bytes SystemEmf() {
  HENHMETAFILE metafile = RedBlockMetafile();
  Bytes bytes(GetEnhMetaFileBits(metafile, 0, nullptr));
  GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), bytes.data());
  DeleteEnhMetaFile(metafile);
  return bytes;
}

// A picture read from a file of these bytes, chosen by the extension.
Owned<TPicture> PictureFromFile(const Bytes& bytes, const std::string& extension) {
  TempFile file(extension);
  {
    auto stream = Make<TFileStream>(file.Name(), fmCreate);
    stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  }
  auto picture = Make<TPicture>();
  picture->LoadFromFile(file.Name());
  return picture;
}

// What a graphic draws on white at its own size.
Owned<TBitmap> DrawnOnWhite(TGraphic& graphic) {
  auto target = Filled(graphic.GetWidth(), graphic.GetHeight(), clWhite);
  target->GetCanvas()->Draw(0, 0, &graphic);
  return target;
}

void ExpectRedBlockOnWhite(TGraphic& graphic) {
  auto drawn = DrawnOnWhite(graphic);
  EXPECT_EQ(drawn->GetPixelColor(20, 15), clRed);
  EXPECT_EQ(drawn->GetPixelColor(12, 10), clRed);
  EXPECT_EQ(drawn->GetPixelColor(2, 2), clWhite);
  EXPECT_EQ(drawn->GetPixelColor(36, 27), clWhite);
}

// ---- Hand-made metafiles --------------------------------------------------------------------

struct Record {
  uint32_t type;
  std::vector<uint32_t> fields;
};

// An enhanced metafile of a 40 x 30 frame (at 96 pixels per inch) with room for 3 objects.
Bytes Emf(const std::vector<Record>& records, bool end = true) {
  Bytes bytes(88, 0);
  Put32At(bytes, 0, EMR_HEADER);
  Put32At(bytes, 4, 88);
  Put32At(bytes, 32, 1058);  // frame, hundredths of a millimetre
  Put32At(bytes, 36, 794);
  Put32At(bytes, 40, 0x464D4520);
  Put32At(bytes, 44, 0x10000);
  Put32At(bytes, 56, 4);  // handles, the metafile's own among them
  Put32At(bytes, 72, 1280);
  Put32At(bytes, 76, 1024);
  Put32At(bytes, 80, 338);
  Put32At(bytes, 84, 270);
  std::vector<Record> all = records;
  if (end) all.push_back({EMR_EOF, {0, 16, 20}});
  for (const Record& r : all) {
    const size_t at = bytes.size();
    bytes.resize(at + 8 + 4 * r.fields.size());
    Put32At(bytes, at, r.type);
    Put32At(bytes, at + 4, static_cast<uint32_t>(8 + 4 * r.fields.size()));
    for (size_t i = 0; i < r.fields.size(); ++i) Put32At(bytes, at + 8 + 4 * i, r.fields[i]);
  }
  Put32At(bytes, 48, static_cast<uint32_t>(bytes.size()));
  Put32At(bytes, 52, static_cast<uint32_t>(all.size() + 1));
  return bytes;
}

const Record kRedBrush{EMR_CREATEBRUSHINDIRECT, {1, BS_SOLID, RGB(255, 0, 0), 0}};
const Record kSelectBrush{EMR_SELECTOBJECT, {1}};
const Record kNoPen{EMR_SELECTOBJECT, {0x80000000u | NULL_PEN}};
const Record kBlock{EMR_RECTANGLE, {10, 8, 31, 23}};

// A bitmap record: `width` x `height` 24-bit pixels promised, `bit_bytes` given.
Record StretchedBits(uint32_t width, uint32_t height, uint32_t bit_bytes) {
  Record r{EMR_STRETCHDIBITS,
           {0, 0, 0, 0, 0, 0, 0, 0, width, height, 80, 40, 120, bit_bytes, DIB_RGB_COLORS, SRCCOPY, width,
            height}};
  r.fields.insert(r.fields.end(), {40, width, height, 1 | 24 << 16, BI_RGB, 0, 0, 0, 0, 0});
  r.fields.resize(r.fields.size() + bit_bytes / 4, 0x00FF0000);
  return r;
}

// A Windows metafile with its placeable header: 400 x 300 units at 960 to the inch, the
// window set to that size, and room for `objects` objects.
Bytes Wmf(const std::vector<std::vector<uint16_t>>& records, uint16_t objects = 2, bool end = true) {
  std::vector<uint16_t> words = {0xCDD7, 0x9AC6, 0, 0, 0, 400, 300, 960, 0, 0, 0};
  uint16_t sum = 0;
  for (int i = 0; i < 10; ++i) sum ^= words[i];
  words[10] = sum;
  const size_t header = words.size();
  words.insert(words.end(), {1, 9, 0x300, 0, 0, objects, 0, 0, 0});
  std::vector<std::vector<uint16_t>> all = {{0x020C, 300, 400}};  // SetWindowExt (y, x)
  all.insert(all.end(), records.begin(), records.end());
  if (end) all.push_back({0x0000});
  for (const auto& r : all) {
    const uint32_t size = static_cast<uint32_t>(2 + r.size());
    words.push_back(static_cast<uint16_t>(size));
    words.push_back(static_cast<uint16_t>(size >> 16));
    words.insert(words.end(), r.begin(), r.end());
  }
  const uint32_t total = static_cast<uint32_t>(words.size() - header);
  words[header + 3] = static_cast<uint16_t>(total);
  words[header + 4] = static_cast<uint16_t>(total >> 16);
  Bytes bytes(words.size() * 2);
  std::memcpy(bytes.data(), words.data(), bytes.size());
  return bytes;
}

const std::vector<uint16_t> kWmfRedBrush{0x02FC, BS_SOLID, 0x00FF, 0, 0};  // CreateBrushIndirect
const std::vector<uint16_t> kWmfBlock{0x041B, 220, 300, 80, 100};          // Rectangle (b, r, t, l)

TEST(Metafile, TheSystemsRecordingLoadsDrawsAndSavesAsEmf) {
  auto picture = PictureFromFile(SystemEmf(), ".EMF");
  auto* metafile = DynamicCast<TMetafile>(picture->GetGraphic());
  ASSERT_NE(metafile, nullptr);
  EXPECT_EQ(metafile->GetWidth(), 40);
  EXPECT_EQ(metafile->GetHeight(), 30);
  EXPECT_TRUE(metafile->GetTransparent());
  metafile->SetTransparent(false);
  EXPECT_TRUE(metafile->GetTransparent());
  ExpectRedBlockOnWhite(*metafile);

  // Saved as the enhanced metafile's bytes, and read back the same; a copy is its own.
  auto saved = Make<TMemoryStream>();
  metafile->SaveToStream(*saved);
  saved->SetPosition(0);
  auto loaded = Make<TMetafile>();
  loaded->LoadFromStream(*saved);
  EXPECT_EQ(saved->GetPosition(), saved->GetSize());
  EXPECT_EQ(loaded->GetWidth(), 40);
  ExpectRedBlockOnWhite(*loaded);
  // Stored in a form definition with the picture's class name, and read back checked.
  const TPropInfo* data = GetPropInfo(picture.get(), "Data");
  ASSERT_NE(data, nullptr);
  const std::string stored = GetBinaryProp(picture.get(), data);
  auto restored = Make<TPicture>();
  SetBinaryProp(restored.get(), data, stored);
  ASSERT_NE(DynamicCast<TMetafile>(restored->GetGraphic()), nullptr);
  ExpectRedBlockOnWhite(*restored->GetGraphic());
  std::string damaged = stored;
  damaged.resize(damaged.size() - 12);
  EXPECT_THROW(SetBinaryProp(restored.get(), data, damaged), EInvalidGraphic);

  auto copy = Make<TMetafile>();
  copy->Assign(loaded.get());
  EXPECT_NE(copy->GetHandle(), loaded->GetHandle());
  loaded->Assign(nullptr);
  EXPECT_TRUE(loaded->GetEmpty());
  ExpectRedBlockOnWhite(*copy);
}

TEST(Metafile, PlaceableWmfTakesItsSizeFromTheHeader) {
  // The system's own recording of a Windows metafile, behind a placeable header of ours.
  HDC dc = CreateMetaFileA(nullptr);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetWindowExtEx(dc, 400, 300, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  SelectObject(dc, red);
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 100, 80, 301, 221);
  HMETAFILE wmf = CloseMetaFile(dc);
  DeleteObject(red);
  Bytes records(GetMetaFileBitsEx(wmf, 0, nullptr));
  GetMetaFileBitsEx(wmf, static_cast<UINT>(records.size()), records.data());
  DeleteMetaFile(wmf);
  Bytes file = Wmf({});
  file.resize(22);
  file.insert(file.end(), records.begin(), records.end());

  const int ppi = ScreenPixelsPerInch();
  auto picture = PictureFromFile(file, ".wmf");
  auto* metafile = DynamicCast<TMetafile>(picture->GetGraphic());
  ASSERT_NE(metafile, nullptr);
  EXPECT_NEAR(metafile->GetWidth(), MulDiv(400, ppi, 960), 1);
  EXPECT_NEAR(metafile->GetHeight(), MulDiv(300, ppi, 960), 1);
  ExpectRedBlockOnWhite(*metafile);

  // Hand-made, with a font whose face name stops short of the size the system reads.
  std::vector<uint16_t> font = {0x02FB, static_cast<uint16_t>(-12), 0, 0, 0, 400, 0, 0, 0, 0};
  font.insert(font.end(), {'A' | 'r' << 8, 'i' | 'a' << 8, 'l'});
  auto hand_made = Make<TMetafile>();
  hand_made->LoadFromStream(*StreamOf(Wmf({kWmfRedBrush, {0x012D, 0}, font, {0x012D, 1}, kWmfBlock})));
  ExpectRedBlockOnWhite(*hand_made);
}

TEST(Metafile, DamagedAndHostileFilesAreRefusedAndLeaveTheGraphic) {
  const Bytes good_emf = Emf({kRedBrush, kSelectBrush, kNoPen, kBlock});
  struct Case {
    const char* what;
    Bytes bytes;
  };
  std::vector<Case> cases;
  auto add = [&](const char* what, Bytes bytes) { cases.push_back({what, std::move(bytes)}); };

  Bytes cut = good_emf;
  cut.resize(cut.size() - 8);
  add("enhanced, cut short", cut);
  Bytes zero = good_emf;
  Put32At(zero, 88 + 4, 0);
  add("a record of size 0", zero);
  Bytes beyond = good_emf;
  Put32At(beyond, 88 + 4, 0x7FFFFFF0);
  add("a record beyond the file", beyond);
  Bytes no_frame = good_emf;
  Put32At(no_frame, 32, 0);
  add("an empty frame", no_frame);
  add("no end record", Emf({kRedBrush, kSelectBrush, kBlock}, false));
  add("an object made beyond the table", Emf({{EMR_CREATEBRUSHINDIRECT, {4, BS_SOLID, 0, 0}}}));
  add("an object used beyond the table", Emf({kRedBrush, {EMR_SELECTOBJECT, {1000}}}));
  add("an object deleted beyond the table", Emf({{EMR_DELETEOBJECT, {0x7FFFFFFF}}}));
  add("more points than given", Emf({{EMR_POLYGON16, {0, 0, 0, 0, 100000, 0x00050005, 0x000A000A}}}));
  add("figures beyond their points", Emf({{EMR_POLYPOLYGON, {0, 0, 0, 0, 2, 3, 3, 3, 1, 1, 2, 2, 3, 3}}}));
  add("text beyond its record",
      Emf({{EMR_EXTTEXTOUTW,
            {0, 0, 0, 0, GM_COMPATIBLE, 0, 0, 5, 5, 1000, 76, 0, 0, 0, 0, 0, 0, 'A' | 'B' << 16}}}));
  add("a bitmap with fewer rows than it says", Emf({StretchedBits(100, 100, 16)}));
  add("a gradient corner beyond its vertices",
      Emf({{EMR_GRADIENTFILL, {0, 0, 0, 0, 2, 1, GRADIENT_FILL_RECT_H, 0, 0, 0, 0, 9, 9, 0, 0, 0, 5}}}));
  add("a region with more rectangles than data",
      Emf({kRedBrush,
           {EMR_FILLRGN, {0, 0, 0, 0, 48, 1, 32, RDH_RECTANGLES, 50, 0, 0, 0, 9, 9, 0, 0, 9, 9}}}));
  add("a brush made of the writer's handle",
      Emf({{EMR_CREATEBRUSHINDIRECT, {1, BS_DIBPATTERN, 0, 0x12345678}}}));
  add("a record kind not played", Emf({{108 /* small text */, {0, 0, 0, 0, 0, 0, 0, 0, 0}}}));
  add("an unknown record kind", Emf({{200, {0, 0}}}));

  Bytes wrong_sum = Wmf({kWmfRedBrush});
  wrong_sum[20] ^= 1;
  add("placeable, wrong checksum", wrong_sum);
  add("placeable, the header cut short", Bytes(wrong_sum.begin(), wrong_sum.begin() + 12));
  Bytes wmf_cut = Wmf({kWmfRedBrush, {0x012D, 0}, kWmfBlock});
  wmf_cut.resize(wmf_cut.size() - 10);
  add("placeable, cut short", wmf_cut);
  add("placeable, an object used beyond the table", Wmf({kWmfRedBrush, {0x012D, 2}}));
  add("placeable, an object deleted beyond the table", Wmf({{0x01F0, 500}}));
  add("placeable, more points than given", Wmf({{0x0324, 1000, 1, 1, 2, 2}}));
  add("placeable, figures beyond their points", Wmf({{0x0538, 2, 2, 9, 1, 1, 2, 2}}));
  add("placeable, text beyond its record", Wmf({{0x0521, 200, 'A' | 'B' << 8, 5, 5}}));
  add("placeable, a bitmap with fewer rows than it says",
      Wmf({{0x0F43, 0x0020, 0x00CC, 0, 100, 100, 0, 0, 100, 100, 0, 0, 40, 0, 100, 0, 100, 0,
            1,      24,     0,      0, 0,   0,   0, 0, 0,   0,   0, 0, 0,  0, 1,   2, 3,   4}}));
  add("placeable, a brush made of the writer's handle", Wmf({{0x02FC, BS_PATTERN, 0, 0, 0x1234}}));
  add("placeable, no end record", Wmf({kWmfRedBrush}, 2, false));
  add("placeable, a region (not played)", Wmf({{0x06FF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}));
  const Bytes plain = Wmf({kWmfRedBrush});
  add("a Windows metafile without its placeable header", Bytes(plain.begin() + 22, plain.end()));

  auto metafile = Make<TMetafile>();
  metafile->LoadFromStream(*StreamOf(good_emf));
  ASSERT_EQ(metafile->GetWidth(), MulDiv(1058, ScreenPixelsPerInch(), 2540));
  ExpectRedBlockOnWhite(*metafile);
  HENHMETAFILE before = metafile->GetHandle();
  // A sound bitmap record passes: the check refuses what is wrong, not what is unusual.
  EXPECT_NO_THROW(Make<TMetafile>()->LoadFromStream(*StreamOf(Emf({StretchedBits(2, 2, 16)}))));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto stream = StreamOf(c.bytes);
    EXPECT_THROW(metafile->LoadFromStream(*stream), EInvalidGraphic);
    EXPECT_EQ(stream->GetPosition(), 0);
    EXPECT_EQ(metafile->GetHandle(), before);
  }
}

// The file with the record at `at` (`size` bytes) standing `times` times where it stood once.
Bytes Repeated(Bytes file, size_t at, size_t size, size_t times) {
  const auto from = file.begin() + static_cast<std::ptrdiff_t>(at);
  Bytes many;
  many.reserve(size * times);
  for (size_t i = 0; i < times; ++i) many.insert(many.end(), from, from + static_cast<std::ptrdiff_t>(size));
  file.erase(from, from + static_cast<std::ptrdiff_t>(size));
  file.insert(file.begin() + static_cast<std::ptrdiff_t>(at), many.begin(), many.end());
  return file;
}

// An enhanced metafile whose records before the end stand `times` times.
Bytes EmfRepeating(const std::vector<Record>& records, size_t times) {
  Bytes file = Emf(records);
  file = Repeated(file, 88, file.size() - 88 - 20, times);
  Put32At(file, 48, static_cast<uint32_t>(file.size()));
  return file;
}

// A placeable Windows metafile whose one record (after the window's size) stands `times` times.
Bytes WmfRepeating(const std::vector<uint16_t>& record, size_t times) {
  constexpr size_t kFirst = 22 + 18 + 10;
  Bytes file = Repeated(Wmf({record}), kFirst, 4 + 2 * record.size(), times);
  const uint32_t words = static_cast<uint32_t>((file.size() - 22) / 2);
  std::memcpy(&file[22 + 6], &words, 4);
  return file;
}

// What a refusal says.
std::string Refusal(const Bytes& bytes) {
  try {
    Make<TMetafile>()->LoadFromStream(*StreamOf(bytes));
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "not refused";
}

TEST(Metafile, WhatPlayingWouldCostIsBoundedAndRefusedAtTheRecordBeyondIt) {
  // SaveDC bombs just under the size limit: eight million states (the system keeps each
  // until the end); refused at the first state too deep, before the system plays any.
  const size_t limit = size_t{64} << 20;
  EXPECT_NE(Refusal(EmfRepeating({{EMR_SAVEDC, {}}}, (limit - 200) / 8)).find("record 1001 (type 33)"),
            std::string::npos);
  EXPECT_NE(Refusal(WmfRepeating({0x001E}, (limit - 200) / 6)).find("record 1002 (function 30)"),
            std::string::npos);  // after the window's size
  // States given back on the way count no more.
  EXPECT_EQ(Refusal(EmfRepeating(
                {{EMR_SAVEDC, {}}, {EMR_SAVEDC, {}}, {EMR_RESTOREDC, {static_cast<uint32_t>(-2)}}}, 1000)),
            "not refused");
  // More records than any picture has, whatever they are.
  EXPECT_NE(Refusal(EmfRepeating({{EMR_SETBKMODE, {TRANSPARENT}}}, 1'000'001)).find("record 1000001 "),
            std::string::npos);
  EXPECT_EQ(Refusal(EmfRepeating({{EMR_SETBKMODE, {TRANSPARENT}}}, 999'999)), "not refused");
  // An object made over one still held would never be freed; made again after its delete, it is.
  EXPECT_NE(Refusal(Emf({kRedBrush, kRedBrush})).find("record 2 "), std::string::npos);
  EXPECT_EQ(Refusal(Emf({kRedBrush, {EMR_DELETEOBJECT, {1}}, kRedBrush})), "not refused");
  // A Windows metafile's objects take the first free slot: no more at once than its table has.
  EXPECT_NE(Refusal(Wmf({kWmfRedBrush, kWmfRedBrush, kWmfRedBrush})).find("record 4 "), std::string::npos);
  EXPECT_EQ(Refusal(Wmf({kWmfRedBrush, kWmfRedBrush, {0x01F0, 0}, kWmfRedBrush})), "not refused");
}

}  // namespace
