// Skinning of an MDI main form, made by the form's skin provider: the MDI client's background
// and its thin border come from the provider's cache bitmap, the client's scroll bars are
// our own bar controls (a grip in the corner when both show), and while the active child is
// maximized a child-window item leads the main menu.
#pragma once

#include <windows.h>

#include <vector>

#include "toolkit/controls.h"
#include "toolkit/persistent.h"
#include "toolkit/stdctrls.h"

class TBitmap;
class TCustomForm;
class TMenuItem;
class TsGrip;
class TsScrollBar;
class TWindowSubclass;
class TsSkinProvider;

// The bars the client's scrolling goes through, and the corner between them.
using TsMDIScrollBar = TsScrollBar;
using TsMDIGrip = TsGrip;

class TsMDIForm : public TPersistent {
  TK_CLASS(TsMDIForm, TPersistent)

 public:
  explicit TsMDIForm(TsSkinProvider* provider);
  ~TsMDIForm() override;

  // Sums of the heights (alTop, alBottom) or widths (alLeft, alRight) of the form's
  // visible controls with that alignment.
  int AlignedExtent(TAlign align) const;
  int ClientAreaWidth() const;
  int ClientAreaHeight() const;
  // Where the MDI client's area starts in the provider's cache bitmap.
  POINT ClientOffset() const;
  // The child-window item leads the main menu exactly while the active child is maximized;
  // then the bars follow.
  void UpdateMDIIconItem();
  void UpdateScrollBars();
  // The client told its size again: it works its scroll ranges out anew (posted to itself).
  void ResizeClient();
  // A child just shown: bars, frame, menu item and the client's ground follow it.
  void ChildShown();
  // The client's ground in the provider's cache from the "MDIAREA" section, when the skin has
  // one and no maximized child covers the client.
  void PaintArea(TBitmap* cache) const;

  TMenuItem* GetChildItem() const { return child_item_; }
  // A component of the provider is being freed: the child-window item goes with a menu freed
  // while the item led it.
  void ComponentRemoved(TComponent* component);
  TsMDIScrollBar* GetVertBar() const { return vert_bar_; }
  TsMDIScrollBar* GetHorzBar() const { return horz_bar_; }
  TsMDIGrip* GetGrip() const { return grip_; }

 private:
  void ClientProc(TMessage& message);
  void EraseClient(TMessage& message);
  void PaintRing(TMessage& message);
  bool ChildMaximized() const;
  bool Skinned() const;
  // The client's scroll information of one bar as our bars take it; false: no bar.
  bool ScrollInfo(int bar, SCROLLINFO& info, int& origin) const;
  bool ScrollInfoWanted(int bar) const;
  TsMDIScrollBar* PlaceBar(TsMDIScrollBar*& bar, bool vertical, const SCROLLINFO& info);
  void FreeBars();
  void BarChanged(TObject* sender);
  void BarScrolled(TObject* sender, TScrollCode code, int& position);
  // A bar no longer asked for while its own event runs: hidden now, freed once that is over.
  void FreeBar(TsMDIScrollBar*& bar);
  void FreeRetiredBars();
  void ChildCommand(TObject* sender);
  void BuildChildItem();

  TWindowSubclass* subclass_;
  TsMDIScrollBar* vert_bar_ = nullptr;
  TsMDIScrollBar* horz_bar_ = nullptr;
  TsMDIGrip* grip_ = nullptr;
  TCustomForm* form_ = nullptr;
  TMenuItem* child_item_ = nullptr;
  TsSkinProvider* provider_;
  // On while our bars are set or move the client: their changes are not the user's.
  bool guard_ = false;
  // The client's scroll range minimum, subtracted from our bars' positions.
  int h_origin_ = 0;
  int v_origin_ = 0;
  // The bar whose scroll event runs now, and bars waiting to be freed after such an event.
  TsMDIScrollBar* scrolling_bar_ = nullptr;
  std::vector<TsMDIScrollBar*> retired_bars_;
};
