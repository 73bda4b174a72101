#include "toolkit/imagelist.h"

#include <algorithm>

#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/typinfo.h"

namespace {

void InitCommonControlsOnce() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    return InitCommonControlsEx(&init) != FALSE;
  }();
  (void)done;
}

COLORREF ImageListColor(TColor color) { return color == clNone ? CLR_NONE : ColorToRGB(color); }

// DSPDxax: the brush where the source is white, the destination where it is black.
constexpr DWORD kPaintWhereWhite = 0x00E20746;

}  // namespace

TK_CLASS_INFO(TCustomImageList, TComponent)

void TCustomImageList::Publish(TPublisher<TCustomImageList>& p) {
  p.Color("BkColor", &TCustomImageList::GetBkColor, &TCustomImageList::SetBkColor).Default(clNone);
  p.Integer("Height", &TCustomImageList::GetHeight, &TCustomImageList::SetHeight).Default(16);
  p.Integer("Width", &TCustomImageList::GetWidth, &TCustomImageList::SetWidth).Default(16);
}

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : links_) link->sender_ = nullptr;
  FreeHandle();
}

TChangeLink::~TChangeLink() {
  if (sender_) sender_->UnRegisterChanges(this);
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
  if (!link || link->sender_ == this) return;
  if (link->sender_) link->sender_->UnRegisterChanges(link);
  link->sender_ = this;
  links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
  std::erase(links_, link);
  if (link && link->sender_ == this) link->sender_ = nullptr;
}

void TCustomImageList::FreeHandle() {
  if (handle_) ImageList_Destroy(handle_);
  handle_ = nullptr;
}

void TCustomImageList::Change() {
  OnChange(this);
  // A listener may unregister (or free) links while it hears of the change.
  const std::vector<TChangeLink*> links = links_;
  for (TChangeLink* link : links)
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->OnChange(this);
}

void TCustomImageList::Assign(TPersistent* source) {
  if (auto* list = DynamicCast<TCustomImageList>(source)) {
    if (list == this) return;
    FreeHandle();
    width_ = list->width_;
    height_ = list->height_;
    bk_color_ = list->bk_color_;
    if (list->handle_) {
      handle_ = ImageList_Duplicate(list->handle_);
      if (!handle_) throw EOutOfResources("Cannot copy the image list");
    }
    Change();
    return;
  }
  inherited::Assign(source);
}

HIMAGELIST TCustomImageList::GetHandle() {
  if (!handle_) {
    InitCommonControlsOnce();
    handle_ = ImageList_Create(width_, height_, ILC_COLOR24 | ILC_MASK, 4, 4);
    if (!handle_) throw EOutOfResources("Cannot create an image list");
    ImageList_SetBkColor(handle_, ImageListColor(bk_color_));
  }
  return handle_;
}

void TCustomImageList::SetWidth(int width) {
  width = std::max(width, 1);
  if (width == width_) return;
  FreeHandle();
  width_ = width;
  Change();
}

void TCustomImageList::SetHeight(int height) {
  height = std::max(height, 1);
  if (height == height_) return;
  FreeHandle();
  height_ = height;
  Change();
}

void TCustomImageList::SetBkColor(TColor color) {
  if (color == bk_color_) return;
  bk_color_ = color;
  if (handle_) ImageList_SetBkColor(handle_, ImageListColor(color));
  Change();
}

int TCustomImageList::GetCount() { return handle_ ? ImageList_GetImageCount(handle_) : 0; }

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  if (!image || image->GetEmpty()) return -1;
  HIMAGELIST list = GetHandle();
  int index =
      ImageList_Add(list, image->GetHandle(), mask && !mask->GetEmpty() ? mask->GetHandle() : nullptr);
  if (index >= 0) Change();
  return index;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor mask_color) {
  if (!image || image->GetEmpty()) return -1;
  HIMAGELIST list = GetHandle();
  // The system blackens the masked pixels of the bitmap it is given: give it a copy.
  TBitmap* copy = New<TBitmap>();
  int index;
  try {
    copy->Assign(image);
    index = ImageList_AddMasked(list, copy->GetHandle(), ColorToRGB(mask_color));
  } catch (...) {
    Free(copy);
    throw;
  }
  Free(copy);
  if (index >= 0) Change();
  return index;
}

void TCustomImageList::Delete(int index) {
  if (index < 0 || index >= GetCount()) return;
  ImageList_Remove(handle_, index);
  Change();
}

void TCustomImageList::Clear() {
  if (GetCount() == 0) return;
  ImageList_Remove(handle_, -1);
  Change();
}

void TCustomImageList::GetBitmap(int index, TBitmap* image) {
  if (!image || index < 0 || index >= GetCount()) return;
  image->SetSize(width_, height_);
  TCanvas* canvas = image->GetCanvas();
  canvas->GetBrush()->SetColor(bk_color_ == clNone ? clBlack : bk_color_);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->FillRect(RECT{0, 0, width_, height_});
  ImageList_Draw(handle_, index, canvas->GetHandle(), 0, 0, ILD_TRANSPARENT);
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
  if (!canvas || index < 0 || index >= GetCount()) return;
  HDC dc = canvas->GetHandle();
  if (enabled)
    ImageList_Draw(handle_, index, dc, x, y, ILD_NORMAL);
  else
    DrawDisabled(dc, x, y, index);
}

void TCustomImageList::DrawDisabled(HDC dc, int x, int y, int index) {
  // The image's shape as a monochrome bitmap: the mask, white where the image is transparent.
  HDC mono_dc = TrackDC(CreateCompatibleDC(dc));
  HBITMAP mono = nullptr;
  try {
    mono = static_cast<HBITMAP>(TrackGdiObject(CreateBitmap(width_, height_, 1, 1, nullptr)));
  } catch (...) {
    DeleteTrackedDC(mono_dc);
    throw;
  }
  HGDIOBJ old_mono = SelectObject(mono_dc, mono);
  PatBlt(mono_dc, 0, 0, width_, height_, WHITENESS);
  ImageList_Draw(handle_, index, mono_dc, 0, 0, ILD_MASK);

  // A monochrome source maps 0 to the text colour and 1 to the background colour: the shape
  // (0) becomes white, which the raster operation paints with the brush.
  COLORREF old_text = SetTextColor(dc, RGB(255, 255, 255));
  COLORREF old_back = ::SetBkColor(dc, RGB(0, 0, 0));
  HBRUSH highlight = CreateSolidBrush(GetSysColor(COLOR_BTNHIGHLIGHT));
  HBRUSH shadow = CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW));
  HGDIOBJ old_brush = nullptr;
  if (highlight && shadow) {
    old_brush = SelectObject(dc, highlight);
    BitBlt(dc, x + 1, y + 1, width_, height_, mono_dc, 0, 0, kPaintWhereWhite);
    SelectObject(dc, shadow);
    BitBlt(dc, x, y, width_, height_, mono_dc, 0, 0, kPaintWhereWhite);
    SelectObject(dc, old_brush);
  }
  if (highlight) DeleteObject(highlight);
  if (shadow) DeleteObject(shadow);
  SetTextColor(dc, old_text);
  ::SetBkColor(dc, old_back);

  SelectObject(mono_dc, old_mono);
  DeleteTrackedObject(mono);
  DeleteTrackedDC(mono_dc);
}
