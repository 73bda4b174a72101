// Standard controls over the system's own window classes: edits (EDIT), combo boxes
// (COMBOBOX), list boxes (LISTBOX) and scroll bars (SCROLLBAR).
//
// Each control superclasses its system class, so the native procedure is reached through
// DefaultHandler. Item and state changes are messages sent to the control's window
// (SendMessageA), where a subclass of its window procedure sees them; reading Text never
// sends WM_GETTEXT: the text is cached in the object and kept in step from the change
// notifications. Without a window, items and selections are kept in the object and handed
// to the window when it is created (and back when it is destroyed before the control).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/controls.h"
#include "toolkit/forms.h"
#include "toolkit/strings.h"
#include "toolkit/winsubclass.h"

// The frame of edits and lists: bsNone or bsSingle (the sunken client edge).
using TBorderStyle = TFormBorderStyle;

// ---- Edit ----------------------------------------------------------------------------------

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

// A single-line edit. OnChange comes with every change of the text: typed (EN_CHANGE) or set
// from code (also without a window, but not while a form definition is read). Descendants
// add styles in CreateParams (ES_MULTILINE, WS_CLIPCHILDREN for a spin edit).
class TCustomEdit : public TWinControl {
  TK_CLASS(TCustomEdit, TWinControl)
  TK_MESSAGE_MAP

 public:
  explicit TCustomEdit(TComponent* owner);

  // The most characters the user may enter; 0 is the system's limit.
  int GetMaxLength() const { return max_length_; }
  void SetMaxLength(int length);
  bool GetReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only);
  TBorderStyle GetBorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle style);
  // Shown instead of every character when not 0.
  char GetPasswordChar() const { return password_char_; }
  void SetPasswordChar(char password_char);
  TEditCharCase GetCharCase() const { return char_case_; }
  void SetCharCase(TEditCharCase char_case);
  // Whether the whole text is selected when the edit gets the focus from the keyboard.
  bool GetAutoSelect() const { return auto_select_; }
  void SetAutoSelect(bool auto_select) { auto_select_ = auto_select; }
  // Whether the selection disappears while the edit has no focus.
  bool GetHideSelection() const { return hide_selection_; }
  void SetHideSelection(bool hide_selection);
  // Whether typed characters go through the OEM code page and back (ES_OEMCONVERT).
  bool GetOEMConvert() const { return oem_convert_; }
  void SetOEMConvert(bool oem_convert);

  // Whether the user changed the text since it was last set (the window's modify flag).
  bool GetModified();
  void SetModified(bool modified);
  int GetSelStart();
  void SetSelStart(int start);
  int GetSelLength();
  void SetSelLength(int length);
  // The selected part of the (cached) text; setting it replaces the selection.
  std::string GetSelText();
  void SetSelText(const std::string& text);
  void SelectAll();
  void ClearSelection();
  void Clear() { SetText(""); }
  void Undo();
  void CutToClipboard();
  void CopyToClipboard();
  void PasteFromClipboard();

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DoEnter() override;
  // Whether the text runs over several lines: such an edit keeps its caret on entering.
  // By default the window's ES_MULTILINE style.
  virtual bool IsMultiLine();
  // Raises OnChange.
  virtual void Change();
  // Reads the window's text into the cache (after the window changed it itself).
  void UpdateTextFromWindow();

 private:
  static void Publish(TPublisher<TCustomEdit>& p);
  void CNCommand(TMessage& message);
  void WMSetText(TMessage& message);
  void WMLButtonDown(TMessage& message);

  int max_length_ = 0;
  bool read_only_ = false;
  TBorderStyle border_style_ = bsSingle;
  char password_char_ = 0;
  TEditCharCase char_case_ = ecNormal;
  bool auto_select_ = true;
  bool hide_selection_ = true;
  bool oem_convert_ = false;
  bool clicked_into_ = false;  // the focus came with a mouse press: no automatic selection
  int changes_ = 0;            // EN_CHANGE notifications so far
};

class TEdit : public TCustomEdit {
  TK_CLASS(TEdit, TCustomEdit)

 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

// ---- Combo box ------------------------------------------------------------------------------

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

// A combo box. ItemIndex is set with CB_SETCURSEL sent to the window; the control handles that
// message wherever it comes from and raises OnChange once when the selection or the text
// changed. A selection by the user (CBN_SELCHANGE) raises OnClick, then OnChange; typing into
// a drop-down combo box (CBN_EDITCHANGE) and a new Text from code raise OnChange. Text in a
// drop-down list selects the item that has it. The edit and list parts are subclassed: their
// messages pass ComboWndProc, which gives keys to the control's key events; they are drawn in
// the control's Color and font colour. The list part's messages come in their Unicode form.
class TCustomComboBox : public TWinControl {
  TK_CLASS(TCustomComboBox, TWinControl)
  TK_MESSAGE_MAP

 public:
  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;

  // The items; changes go to the window as CB_ messages.
  TStrings* GetItems() const { return items_; }
  void SetItems(TStrings* items);
  // The selected item; -1 for none.
  int GetItemIndex();
  void SetItemIndex(int index);
  TComboBoxStyle GetStyle() const { return style_; }
  void SetStyle(TComboBoxStyle style);
  bool GetDroppedDown();
  void SetDroppedDown(bool dropped_down);
  // Items the dropped-down list shows without scrolling.
  int GetDropDownCount() const { return drop_down_count_; }
  void SetDropDownCount(int count);
  // The height of a list item; 0 until set means the system's.
  int GetItemHeight();
  void SetItemHeight(int height);
  int GetMaxLength() const { return max_length_; }
  void SetMaxLength(int length);
  bool GetSorted() const { return sorted_; }
  void SetSorted(bool sorted);
  // The edit part (null for a drop-down list) and the list part (GetComboBoxInfo).
  HWND GetEditHandle();
  HWND GetListHandle();
  // True when the focus is on the control or on one of its parts.
  bool Focused() override;
  // Removes the items and the text.
  void Clear();

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  // An editable combo box entered from the keyboard selects its whole text, as an edit does.
  void DoEnter() override;
  virtual void Change();
  virtual void DropDown();
  virtual void CloseUp();
  // Messages of the edit and list parts. The default hands key messages of the edit part to
  // the key events (and the form's key preview), reports the focus to the form and passes
  // everything on with CallPartProc.
  virtual void ComboWndProc(TMessage& message, HWND part);
  // The part's own procedure.
  void CallPartProc(TMessage& message, HWND part);

 private:
  static void Publish(TPublisher<TCustomComboBox>& p);
  void EditPartProc(TMessage& message);
  void ListPartProc(TMessage& message);
  void AdjustDropDown();
  void ReadWindowText();

  void CNCommand(TMessage& message);
  void CBSetCurSel(TMessage& message);
  void CBGetLBText(TMessage& message);
  void WMSetText(TMessage& message);
  void WMDestroy(TMessage& message);
  void WMCtlColorPart(TMessage& message);
  void CMWantSpecialKey(TMessage& message);

  TStrings* items_;
  TComboBoxStyle style_ = csDropDown;
  int drop_down_count_ = 8;
  int item_height_ = 0;
  int max_length_ = 0;
  bool sorted_ = false;
  int saved_index_ = -1;  // the selection while there is no window
  bool restoring_ = false;
  TWindowSubclass edit_part_;
  TWindowSubclass list_part_;
};

class TComboBox : public TCustomComboBox {
  TK_CLASS(TComboBox, TCustomComboBox)

 public:
  explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};

// ---- List box -------------------------------------------------------------------------------

// A list box. A selection by the user raises OnClick (LBN_SELCHANGE), a double click OnDblClick
// (LBN_DBLCLK); selections from code raise nothing. The window has its own vertical scroll
// bar, readable with GetScrollInfo(handle, SB_VERT).
class TCustomListBox : public TWinControl {
  TK_CLASS(TCustomListBox, TWinControl)
  TK_MESSAGE_MAP

 public:
  explicit TCustomListBox(TComponent* owner);
  ~TCustomListBox() override;

  // The items; changes go to the window as LB_ messages.
  TStrings* GetItems() const { return items_; }
  void SetItems(TStrings* items);
  // The selected item (-1 for none); with MultiSelect the item with the focus rectangle.
  int GetItemIndex();
  void SetItemIndex(int index);
  bool GetMultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool multi_select);
  // With MultiSelect: Shift and Ctrl extend the selection (else every click toggles).
  bool GetExtendedSelect() const { return extended_select_; }
  void SetExtendedSelect(bool extended_select);
  bool GetSelected(int index);
  void SetSelected(int index, bool selected);
  int GetSelCount();
  int GetItemHeight();
  void SetItemHeight(int height);
  // The first visible item.
  int GetTopIndex();
  void SetTopIndex(int index);
  bool GetSorted() const { return sorted_; }
  void SetSorted(bool sorted);
  // Whether the height is cut to whole items.
  bool GetIntegralHeight() const { return integral_height_; }
  void SetIntegralHeight(bool integral_height);
  TBorderStyle GetBorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle style);
  // The window holds no lines (owner data): it is told their count and the control draws
  // each line from its items, so a long list costs the window nothing to take or drop.
  bool GetOwnerData() const { return owner_data_; }
  void SetOwnerData(bool owner_data);

  // The item at a client point; with existing, -1 below the last item, else the count.
  int ItemAtPos(POINT pos, bool existing);
  RECT ItemRect(int index);
  void Clear();
  void ClearSelection();
  void SelectAll();
  void DeleteSelected();

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

 private:
  static void Publish(TPublisher<TCustomListBox>& p);
  void CNCommand(TMessage& message);
  void CNDrawItem(TMessage& message);
  int FontLineHeight();
  void LBGetText(TMessage& message);
  void WMDestroy(TMessage& message);

  TStrings* items_;
  bool owner_data_ = false;
  bool multi_select_ = false;
  bool extended_select_ = true;
  bool sorted_ = false;
  bool integral_height_ = false;
  TBorderStyle border_style_ = bsSingle;
  int item_height_ = 0;
  // The selection and scroll position while there is no window.
  int saved_index_ = -1;
  int saved_top_ = 0;
  std::vector<int> saved_selection_;
};

class TListBox : public TCustomListBox {
  TK_CLASS(TListBox, TCustomListBox)

 public:
  explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

// ---- Scroll bar -----------------------------------------------------------------------------

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode {
  scLineUp,
  scLineDown,
  scPageUp,
  scPageDown,
  scPosition,
  scTrack,
  scTop,
  scBottom,
  scEndScroll
};
// OnScroll may change the position the scroll bar then takes.
using TScrollEvent = TEvent<TObject* /*sender*/, TScrollCode, int& /*position*/>;

// A stand-alone scroll bar. The user's scrolling arrives as CN_HSCROLL / CN_VSCROLL: the new
// position is worked out from the code, clamped, given to OnScroll and then taken. Position
// stays within Min .. Max - PageSize + 1 (the last position the system's bar can show).
class TScrollBar : public TWinControl {
  TK_CLASS(TScrollBar, TWinControl)
  TK_MESSAGE_MAP

 public:
  explicit TScrollBar(TComponent* owner);

  TScrollBarKind GetKind() const { return kind_; }
  // Recreates the window; width and height are swapped (unless a form definition is read).
  void SetKind(TScrollBarKind kind);
  int GetMin() const { return min_; }
  void SetMin(int min) { SetParams(position_, min, max_); }
  int GetMax() const { return max_; }
  void SetMax(int max) { SetParams(position_, min_, max); }
  int GetPosition() const { return position_; }
  void SetPosition(int position) { SetParams(position, min_, max_); }
  int GetPageSize() const { return page_size_; }
  void SetPageSize(int page_size);
  // Raises EInvalidOperation for max < min (accepted while a form definition is read).
  // OnChange follows a changed position.
  void SetParams(int position, int min, int max);
  int GetSmallChange() const { return small_change_; }
  void SetSmallChange(int change) { small_change_ = change; }
  int GetLargeChange() const { return large_change_; }
  void SetLargeChange(int change) { large_change_ = change; }

  TNotifyEvent OnChange;
  TScrollEvent OnScroll;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Loaded() override;
  virtual void Change();
  virtual void Scroll(TScrollCode code, int& position);

 private:
  static void Publish(TPublisher<TScrollBar>& p);
  void CNScroll(TMessage& message);
  int LastPosition() const;
  void ApplyScrollInfo(bool redraw);

  TScrollBarKind kind_ = sbHorizontal;
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
  int page_size_ = 0;
  int small_change_ = 1;
  int large_change_ = 1;
};

// Registers the classes above for form definitions.
void RegisterStdCtrlsClasses();
