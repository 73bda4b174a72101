// Image lists: rows of equally sized images with masks, kept in a comctl32 image list and drawn
// enabled or greyed.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "toolkit/colors.h"
#include "toolkit/components.h"
#include "toolkit/events.h"

#include <vector>

class TBitmap;
class TCanvas;
class TCustomImageList;

// Tells its owner of every change of the image list it is registered with; any number of
// links may listen to one list. Either side may go first: each unregisters itself.
class TChangeLink {
 public:
  TChangeLink() = default;
  ~TChangeLink();
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;
  TCustomImageList* GetSender() const { return sender_; }
  TNotifyEvent OnChange;

 private:
  friend class TCustomImageList;
  TCustomImageList* sender_ = nullptr;
};

// The images are 24-bit with a mask. Changing Width or Height empties the list. A bitmap wider
// than Width adds one image per Width pixels.
class TCustomImageList : public TComponent {
  TK_CLASS(TCustomImageList, TComponent)

 public:
  explicit TCustomImageList(TComponent* owner);
  ~TCustomImageList() override;

  // Copies another image list's size, background colour and images.
  void Assign(TPersistent* source) override;

  int GetWidth() const { return width_; }
  void SetWidth(int width);
  int GetHeight() const { return height_; }
  void SetHeight(int height);
  // clNone (the default) draws through the masks; a colour fills the masked-out parts.
  TColor GetBkColor() const { return bk_color_; }
  void SetBkColor(TColor color);
  int GetCount();

  // Returns the index of the (first) added image, or -1 when nothing was added. A null mask
  // makes the images opaque.
  int Add(TBitmap* image, TBitmap* mask);
  // Pixels of mask_color become transparent. The caller's bitmap is left unchanged.
  int AddMasked(TBitmap* image, TColor mask_color);
  void Delete(int index);
  void Clear();
  // Copies image `index` (opaque, on BkColor or black) into a bitmap of the list's size.
  void GetBitmap(int index, TBitmap* image);

  // Draws image `index` with its top-left corner at (x, y). Disabled images are drawn
  // embossed: their shape in clBtnHighlight one pixel right and down, and in clBtnShadow over
  // it. An index out of range draws nothing.
  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);

  HIMAGELIST GetHandle();
  bool HandleAllocated() const { return handle_ != nullptr; }

  TNotifyEvent OnChange;
  // The link hears of every change from now on (a link registered elsewhere moves here).
  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);

 protected:
  virtual void Change();

 private:
  static void Publish(TPublisher<TCustomImageList>& p);
  void FreeHandle();
  void DrawDisabled(HDC dc, int x, int y, int index);

  HIMAGELIST handle_ = nullptr;
  int width_ = 16;
  int height_ = 16;
  TColor bk_color_ = clNone;
  std::vector<TChangeLink*> links_;
};
