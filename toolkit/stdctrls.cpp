#include "toolkit/stdctrls.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "toolkit/classregistry.h"
#include "toolkit/textcodec.h"
#include "toolkit/typinfo.h"

namespace {

const TEnumInfo& BorderStyleInfo() {
  static const TEnumInfo info{"bsNone", "bsSingle"};
  return info;
}

const TEnumInfo& CharCaseInfo() {
  static const TEnumInfo info{"ecNormal", "ecUpperCase", "ecLowerCase"};
  return info;
}

const TEnumInfo& ComboStyleInfo() {
  static const TEnumInfo info{"csDropDown", "csSimple", "csDropDownList"};
  return info;
}

const TEnumInfo& ScrollBarKindInfo() {
  static const TEnumInfo info{"sbHorizontal", "sbVertical"};
  return info;
}

// The text of a system control as its own procedure has it (no subclass sees the request).
std::string NativeText(TWinControl* control) {
  if (!control->HandleAllocated()) return control->GetText();
  TMessage length{WM_GETTEXTLENGTH, 0, 0, 0};
  control->DefaultHandler(length);
  if (length.Result <= 0) return "";
  std::string text(static_cast<size_t>(length.Result) + 1, '\0');
  TMessage get{WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), 0};
  control->DefaultHandler(get);
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(get.Result, 0, length.Result)));
  return text;
}

// ---- Items of a list or combo box ---------------------------------------------------------

// Answers a request for an item's text (LB_GETTEXT, CB_GETLBTEXT) or its length in bytes
// from the system class's procedure in Unicode, with the length asked first: passed on in
// ANSI to a control of common controls 6 (Unicode only), the system would copy the text
// through a buffer of 512 characters. The caller's buffer holds the length and a zero.
void AnswerItemText(TWinControl* control, TMessage& message, UINT get_length, UINT get_text) {
  WNDPROC proc = control->GetDefWndProcW();
  HWND window = control->GetHandle();
  LRESULT length = CallWindowProcW(proc, window, get_length, message.WParam, 0);
  std::wstring wide(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
  LRESULT got = length < 0 ? length
                           : CallWindowProcW(proc, window, get_text, message.WParam,
                                             reinterpret_cast<LPARAM>(wide.data()));
  if (got < 0) {
    message.Result = got;  // LB_ERR, CB_ERR: no such item
    return;
  }
  wide.resize(static_cast<size_t>(std::min(got, length)));
  std::string text = WideToAnsi(wide);
  if (message.Msg == get_text && message.LParam)
    std::memcpy(reinterpret_cast<char*>(message.LParam), text.c_str(), text.size() + 1);
  message.Result = static_cast<LRESULT>(text.size());
}

// Owner-drawn items without strings carry only their data.
bool ItemsHaveStrings(TWinControl* control, DWORD owner_draw, DWORD has_strings) {
  auto style = static_cast<DWORD>(GetWindowLongPtrA(control->GetHandle(), GWL_STYLE));
  return !(style & owner_draw) || (style & has_strings);
}

// The messages of one kind of list window.
struct TItemMessages {
  UINT add, insert, remove, reset, count, get_text, get_text_length, get_data, set_data, init_storage;
};
constexpr TItemMessages kComboItems{CB_ADDSTRING,   CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT,
                                    CB_GETCOUNT,    CB_GETLBTEXT,    CB_GETLBTEXTLEN, CB_GETITEMDATA,
                                    CB_SETITEMDATA, CB_INITSTORAGE};
constexpr TItemMessages kListItems{LB_ADDSTRING,   LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT,
                                   LB_GETCOUNT,    LB_GETTEXT,      LB_GETTEXTLEN,   LB_GETITEMDATA,
                                   LB_SETITEMDATA, LB_INITSTORAGE};

// The items live in the window while it exists, each change a message sent to it; before
// that (and after the window went without the control) in a list of our own. A list box with
// owner data keeps them in that list always and tells its window only where lines come and go.
class TWindowItems : public TStrings {
  TK_CLASS(TWindowItems, TStrings)

 public:
  TWindowItems(TWinControl* control, const TItemMessages& messages, const bool& sorted,
               const bool* owner_data = nullptr)
      : control_(control),
        messages_(messages),
        sorted_(sorted),
        owner_data_(owner_data),
        saved_(New<TStringList>()) {}
  ~TWindowItems() override { Free(saved_); }

  int Count() const override {
    if (!InWindow()) return saved_->Count();
    return std::max<int>(static_cast<int>(Send(messages_.count)), 0);
  }

  std::string Get(int index) const override {
    if (!InWindow()) return saved_->Get(index);
    CheckIndex(index);
    LRESULT length = Send(messages_.get_text_length, static_cast<WPARAM>(index));
    if (length < 0) Error(Format("List index out of bounds (%d)", index));
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT got = Send(messages_.get_text, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, length)));
    return text;
  }

  void Put(int index, const std::string& s) override {
    if (!OwnerData()) return TStrings::Put(index, s);
    saved_->Put(index, s);
    if (ToldNow()) Redraw(index);
  }

  TObject* Objects(int index) const override {
    if (!InWindow()) return saved_->Objects(index);
    CheckIndex(index);
    return reinterpret_cast<TObject*>(Send(messages_.get_data, static_cast<WPARAM>(index)));
  }

  void PutObject(int index, TObject* object) override {
    if (!InWindow()) return saved_->PutObject(index, object);
    CheckIndex(index);
    Send(messages_.set_data, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(object));
  }

  void InsertObject(int index, const std::string& s, TObject* object) override {
    if (index < 0 || index > Count()) Error(Format("List index out of bounds (%d)", index));
    if (!InWindow()) {
      saved_->InsertObject(index, s, object);
      if (ToldNow()) Send(messages_.insert, static_cast<WPARAM>(index));
      return;
    }
    LRESULT at = Send(messages_.insert, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str()));
    Placed(at, object);
  }

  // A sorted list puts the line where it belongs.
  int AddObject(const std::string& s, TObject* object) override {
    if (!InWindow()) {
      int index = saved_->Count();
      if (sorted_)
        while (index > 0 && AnsiCompareText(saved_->Get(index - 1), s) > 0) --index;
      saved_->InsertObject(index, s, object);
      if (ToldNow()) Send(messages_.insert, static_cast<WPARAM>(index));
      return index;
    }
    LRESULT at = Send(messages_.add, 0, reinterpret_cast<LPARAM>(s.c_str()));
    Placed(at, object);
    return static_cast<int>(at);
  }

  // Many lines into an unsorted window: room for all of them is made at once, and each goes
  // straight to the class's procedure (no subclass has anything to do with a line added).
  void AddStrings(const std::vector<std::string>& lines) override {
    if (!InWindow() || sorted_ || lines.size() < 64) return TStrings::AddStrings(lines);
    size_t bytes = 0;
    for (const std::string& line : lines) bytes += line.size() + 1;
    BeginUpdate();
    try {
      Send(messages_.init_storage, lines.size(), static_cast<LPARAM>(bytes));
      HWND window = control_->GetHandle();
      for (const std::string& line : lines)
        Placed(CallWindowProcA(control_->GetDefWndProc(), window, messages_.add, 0,
                               reinterpret_cast<LPARAM>(line.c_str())),
               nullptr);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
  }

  void Delete(int index) override {
    if (!InWindow()) {
      saved_->Delete(index);
      if (ToldNow()) Send(messages_.remove, static_cast<WPARAM>(index));
      return;
    }
    CheckIndex(index);
    Send(messages_.remove, static_cast<WPARAM>(index));
  }

  void Clear() override {
    if (!InWindow()) {
      saved_->Clear();
      if (ToldNow()) Send(messages_.reset);
      return;
    }
    Send(messages_.reset);
  }

  // Before the window goes: its items stay with the control.
  void SaveFromWindow() {
    if (InWindow()) {
      saved_->Clear();
      int count = Count();
      for (int i = 0; i < count; ++i) saved_->AddObject(Get(i), Objects(i));
    }
    in_window_ = false;
  }

  // Once the window exists: the items kept so far go into it (with owner data, their count).
  void LoadIntoWindow() {
    in_window_ = true;
    if (OwnerData()) {
      Send(LB_SETCOUNT, static_cast<WPARAM>(saved_->Count()));
      return;
    }
    for (int i = 0; i < saved_->Count(); ++i) {
      LRESULT at =
          Send(messages_.insert, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(saved_->Get(i).c_str()));
      Placed(at, saved_->Objects(i));
    }
    saved_->Clear();
  }

 protected:
  void SetUpdateState(bool updating) override {
    if (!InWindow() && !Told()) return;
    // With owner data the lines changed in the update reach the window as one count.
    if (!updating && Told()) Send(LB_SETCOUNT, static_cast<WPARAM>(saved_->Count()));
    Send(WM_SETREDRAW, updating ? FALSE : TRUE);
    if (!updating) InvalidateRect(control_->GetHandle(), nullptr, TRUE);
  }

 private:
  bool OwnerData() const { return owner_data_ && *owner_data_; }
  bool InWindow() const { return in_window_ && !OwnerData() && control_->HandleAllocated(); }
  // An owner-data window that is to learn of changes: at once outside an update.
  bool Told() const { return in_window_ && OwnerData() && control_->HandleAllocated(); }
  bool ToldNow() const { return Told() && UpdateCount() == 0; }
  void Redraw(int index) const {
    RECT r{};
    if (Send(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) != LB_ERR)
      InvalidateRect(control_->GetHandle(), &r, TRUE);
  }
  LRESULT Send(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0) const {
    return SendMessageA(control_->GetHandle(), msg, wparam, lparam);
  }
  void Placed(LRESULT at, TObject* object) {
    // CB_ERR / LB_ERR (-1), CB_ERRSPACE / LB_ERRSPACE (-2).
    if (at < 0) Error("Cannot add an item to the list: not enough memory");
    if (object) Send(messages_.set_data, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(object));
  }

  TWinControl* control_;
  TItemMessages messages_;
  const bool& sorted_;
  const bool* owner_data_;
  TStringList* saved_;
  bool in_window_ = false;
};

TK_ABSTRACT_CLASS_INFO(TWindowItems, TStrings)

TWindowItems* ItemsOf(TStrings* items) { return static_cast<TWindowItems*>(items); }

}  // namespace

// ---- TCustomEdit ------------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TCustomEdit, TWinControl)
TK_CLASS_INFO(TEdit, TCustomEdit)

void TCustomEdit::Publish(TPublisher<TCustomEdit>& p) {
  p.Boolean("AutoSelect", &TCustomEdit::GetAutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
  p.Enumeration("BorderStyle", BorderStyleInfo(), &TCustomEdit::GetBorderStyle, &TCustomEdit::SetBorderStyle)
      .Default(bsSingle);
  p.Enumeration("CharCase", CharCaseInfo(), &TCustomEdit::GetCharCase, &TCustomEdit::SetCharCase)
      .Default(ecNormal);
  p.Boolean("HideSelection", &TCustomEdit::GetHideSelection, &TCustomEdit::SetHideSelection).Default(true);
  p.Integer("MaxLength", &TCustomEdit::GetMaxLength, &TCustomEdit::SetMaxLength).Default(0);
  p.Boolean("OEMConvert", &TCustomEdit::GetOEMConvert, &TCustomEdit::SetOEMConvert).Default(false);
  p.Integer("PasswordChar", &TCustomEdit::GetPasswordChar, &TCustomEdit::SetPasswordChar).Default(0);
  p.Boolean("ReadOnly", &TCustomEdit::GetReadOnly, &TCustomEdit::SetReadOnly).Default(false);
  p.String("Text", &TCustomEdit::GetText, &TCustomEdit::SetText);
  p.Event("OnChange", &TCustomEdit::OnChange);
}

TK_BEGIN_MESSAGE_MAP(TCustomEdit)
TK_MESSAGE(CN_COMMAND, CNCommand)
TK_MESSAGE(WM_SETTEXT, WMSetText)
TK_MESSAGE(WM_LBUTTONDOWN, WMLButtonDown)
TK_END_MESSAGE_MAP()

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  control_style_ = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
}

void TCustomEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "EDIT");
  params.Style |= ES_AUTOHSCROLL | ES_LEFT;
  if (read_only_) params.Style |= ES_READONLY;
  if (!hide_selection_) params.Style |= ES_NOHIDESEL;
  if (oem_convert_) params.Style |= ES_OEMCONVERT;
  if (password_char_) params.Style |= ES_PASSWORD;
  if (char_case_ == ecUpperCase) params.Style |= ES_UPPERCASE;
  if (char_case_ == ecLowerCase) params.Style |= ES_LOWERCASE;
  if (border_style_ == bsSingle) AddSingleBorder(params);
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  if (max_length_ > 0) SendMessageA(handle_, EM_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
  if (password_char_)
    SendMessageA(handle_, EM_SETPASSWORDCHAR, static_cast<unsigned char>(password_char_), 0);
}

void TCustomEdit::SetMaxLength(int length) {
  length = std::max(length, 0);
  if (length == max_length_) return;
  max_length_ = length;
  // 0 gives the window its own (largest) limit back.
  if (handle_) SendMessageA(handle_, EM_LIMITTEXT, static_cast<WPARAM>(length), 0);
}

void TCustomEdit::SetReadOnly(bool read_only) {
  if (read_only == read_only_) return;
  read_only_ = read_only;
  if (handle_) SendMessageA(handle_, EM_SETREADONLY, read_only ? TRUE : FALSE, 0);
}

void TCustomEdit::SetBorderStyle(TBorderStyle style) {
  if (style != bsNone) style = bsSingle;
  if (style == border_style_) return;
  border_style_ = style;
  RecreateWnd();
}

void TCustomEdit::SetPasswordChar(char password_char) {
  if (password_char == password_char_) return;
  password_char_ = password_char;
  if (handle_) {
    SendMessageA(handle_, EM_SETPASSWORDCHAR, static_cast<unsigned char>(password_char), 0);
    Invalidate();
  }
}

void TCustomEdit::SetCharCase(TEditCharCase char_case) {
  if (char_case == char_case_) return;
  char_case_ = char_case;
  RecreateWnd();
  // The system converts what is typed; what is there already follows the new case too.
  if (char_case == ecUpperCase) SetText(AnsiUpperCase(GetText()));
  if (char_case == ecLowerCase) SetText(AnsiLowerCase(GetText()));
}

void TCustomEdit::SetHideSelection(bool hide_selection) {
  if (hide_selection == hide_selection_) return;
  hide_selection_ = hide_selection;
  RecreateWnd();
}

void TCustomEdit::SetOEMConvert(bool oem_convert) {
  if (oem_convert == oem_convert_) return;
  oem_convert_ = oem_convert;
  RecreateWnd();
}

bool TCustomEdit::GetModified() { return handle_ && SendMessageA(handle_, EM_GETMODIFY, 0, 0) != 0; }

void TCustomEdit::SetModified(bool modified) {
  if (handle_) SendMessageA(handle_, EM_SETMODIFY, modified ? TRUE : FALSE, 0);
}

int TCustomEdit::GetSelStart() {
  if (!handle_) return 0;
  DWORD start = 0, end = 0;
  SendMessageA(handle_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int start) {
  if (handle_) SendMessageA(handle_, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start));
}

int TCustomEdit::GetSelLength() {
  if (!handle_) return 0;
  DWORD start = 0, end = 0;
  SendMessageA(handle_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int length) {
  if (!handle_) return;
  int start = GetSelStart();
  SendMessageA(handle_, EM_SETSEL, static_cast<WPARAM>(start),
               static_cast<LPARAM>(start + std::max(length, 0)));
}

std::string TCustomEdit::GetSelText() {
  const std::string& text = GetText();
  size_t start = std::min(static_cast<size_t>(std::max(GetSelStart(), 0)), text.size());
  return text.substr(start, static_cast<size_t>(std::max(GetSelLength(), 0)));
}

void TCustomEdit::SetSelText(const std::string& text) {
  if (!handle_) {
    SetText(GetText() + text);
    return;
  }
  SendMessageA(handle_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TCustomEdit::SelectAll() {
  if (handle_) SendMessageA(handle_, EM_SETSEL, 0, -1);
}

void TCustomEdit::ClearSelection() {
  if (handle_) SendMessageA(handle_, WM_CLEAR, 0, 0);
}

void TCustomEdit::Undo() {
  if (handle_) SendMessageA(handle_, WM_UNDO, 0, 0);
}

void TCustomEdit::CutToClipboard() {
  if (handle_) SendMessageA(handle_, WM_CUT, 0, 0);
}

void TCustomEdit::CopyToClipboard() {
  if (handle_) SendMessageA(handle_, WM_COPY, 0, 0);
}

void TCustomEdit::PasteFromClipboard() {
  if (handle_) SendMessageA(handle_, WM_PASTE, 0, 0);
}

void TCustomEdit::Change() { OnChange(this); }

void TCustomEdit::UpdateTextFromWindow() { StoreText(NativeText(this)); }

void TCustomEdit::CNCommand(TMessage& message) {
  if (HIWORD(message.WParam) != EN_CHANGE) return;
  ++changes_;
  UpdateTextFromWindow();
  if (!control_state_.Contains(csCreating)) Change();
}

void TCustomEdit::WMSetText(TMessage& message) {
  int changes = changes_;
  TK_INHERITED(message);
  // A multi-line window, or none at all, announces nothing itself.
  if (changes_ == changes && !GetComponentState().Contains(csLoading) && !control_state_.Contains(csCreating))
    Change();
}

void TCustomEdit::WMLButtonDown(TMessage& message) {
  clicked_into_ = true;
  try {
    TK_INHERITED(message);
  } catch (...) {
    clicked_into_ = false;
    throw;
  }
  clicked_into_ = false;
}

void TCustomEdit::DoEnter() {
  if (auto_select_ && !clicked_into_ && handle_ && !IsMultiLine()) SelectAll();
  TWinControl::DoEnter();
}

bool TCustomEdit::IsMultiLine() { return handle_ && (GetWindowLongPtrA(handle_, GWL_STYLE) & ES_MULTILINE); }

// ---- TCustomComboBox --------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TCustomComboBox, TWinControl)
TK_CLASS_INFO(TComboBox, TCustomComboBox)

void TCustomComboBox::Publish(TPublisher<TCustomComboBox>& p) {
  p.Enumeration("Style", ComboStyleInfo(), &TCustomComboBox::GetStyle, &TCustomComboBox::SetStyle)
      .Default(csDropDown);
  p.Integer("DropDownCount", &TCustomComboBox::GetDropDownCount, &TCustomComboBox::SetDropDownCount)
      .Default(8);
  p.Integer("ItemHeight", &TCustomComboBox::GetItemHeight, &TCustomComboBox::SetItemHeight);
  p.Integer("MaxLength", &TCustomComboBox::GetMaxLength, &TCustomComboBox::SetMaxLength).Default(0);
  p.Boolean("Sorted", &TCustomComboBox::GetSorted, &TCustomComboBox::SetSorted).Default(false);
  p.Strings("Items", &TCustomComboBox::GetItems, &TCustomComboBox::SetItems);
  p.Integer("ItemIndex", &TCustomComboBox::GetItemIndex, &TCustomComboBox::SetItemIndex).Default(-1);
  p.String("Text", &TCustomComboBox::GetText, &TCustomComboBox::SetText);
  p.Event("OnChange", &TCustomComboBox::OnChange);
  p.Event("OnDropDown", &TCustomComboBox::OnDropDown);
  p.Event("OnCloseUp", &TCustomComboBox::OnCloseUp);
}

TK_BEGIN_MESSAGE_MAP(TCustomComboBox)
TK_MESSAGE(CN_COMMAND, CNCommand)
TK_MESSAGE(CB_SETCURSEL, CBSetCurSel)
TK_MESSAGE(CB_DELETESTRING, CBSetCurSel)
TK_MESSAGE(CB_RESETCONTENT, CBSetCurSel)
TK_MESSAGE(CB_GETLBTEXT, CBGetLBText)
TK_MESSAGE(CB_GETLBTEXTLEN, CBGetLBText)
TK_MESSAGE(WM_SETTEXT, WMSetText)
TK_MESSAGE(WM_DESTROY, WMDestroy)
TK_MESSAGE(WM_CTLCOLOREDIT, WMCtlColorPart)
TK_MESSAGE(WM_CTLCOLORLISTBOX, WMCtlColorPart)
TK_MESSAGE(WM_CTLCOLORSTATIC, WMCtlColorPart)
TK_MESSAGE(CM_WANTSPECIALKEY, CMWantSpecialKey)
TK_END_MESSAGE_MAP()

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner),
      items_(New<TWindowItems>(this, kComboItems, sorted_)),
      edit_part_(TWndMethod(this, &TCustomComboBox::EditPartProc)),
      list_part_(TWndMethod(this, &TCustomComboBox::ListPartProc)) {
  // The system's combo box captures the mouse for its list itself; clicks come as CBN_SELCHANGE.
  control_style_ = {csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 145, 21);
  SetTabStop(true);
}

TCustomComboBox::~TCustomComboBox() {
  // The window (and the parts' subclasses) go before the items.
  DestroyHandle();
  Free(items_);
}

void TCustomComboBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "COMBOBOX");
  params.Style |= WS_VSCROLL | CBS_AUTOHSCROLL;
  switch (style_) {
    case csDropDown: params.Style |= CBS_DROPDOWN; break;
    case csSimple: params.Style |= CBS_SIMPLE; break;
    case csDropDownList: params.Style |= CBS_DROPDOWNLIST; break;
  }
  if (sorted_) params.Style |= CBS_SORT;
}

void TCustomComboBox::CreateWnd() {
  std::string text = GetText();
  TWinControl::CreateWnd();
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (GetComboBoxInfo(handle_, &info)) {
    if (info.hwndItem && info.hwndItem != handle_) edit_part_.Install(info.hwndItem);
    // The combo box asks its list for item texts in Unicode.
    if (info.hwndList) list_part_.Install(info.hwndList, true);
  }
  if (item_height_ > 0) SendMessageA(handle_, CB_SETITEMHEIGHT, 0, item_height_);
  if (max_length_ > 0) SendMessageA(handle_, CB_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
  restoring_ = true;
  try {
    ItemsOf(items_)->LoadIntoWindow();
    int index = saved_index_;
    if (index < 0 && style_ == csDropDownList && !text.empty())
      index = static_cast<int>(SendMessageA(handle_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(text.c_str())));
    if (index >= 0 && index < items_->Count()) {
      SendMessageA(handle_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    } else if (style_ != csDropDownList) {
      TMessage set{WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), 0};
      DefaultHandler(set);
    }
  } catch (...) {
    restoring_ = false;
    throw;
  }
  restoring_ = false;
  ReadWindowText();
}

void TCustomComboBox::WMDestroy(TMessage& message) {
  // The window goes while the control stays (a new style, a parent's new window): keep the
  // items and the selection for the next window.
  if (!GetComponentState().Contains(csDestroying)) {
    saved_index_ = static_cast<int>(SendMessageA(handle_, CB_GETCURSEL, 0, 0));
    ItemsOf(items_)->SaveFromWindow();
  }
  edit_part_.Uninstall();
  list_part_.Uninstall();
  TK_INHERITED(message);
}

void TCustomComboBox::SetItems(TStrings* items) {
  if (items) items_->Assign(items);
}

int TCustomComboBox::GetItemIndex() {
  if (!handle_) return saved_index_;
  return static_cast<int>(SendMessageA(handle_, CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int index) {
  if (!handle_) {
    // Before the window: a form definition gives the index after the items.
    std::string old_text = GetText();
    int old_index = saved_index_;
    saved_index_ = index;
    if (index >= 0 && index < items_->Count()) {
      StoreText(items_->Get(index));
    } else if (style_ == csDropDownList) {
      StoreText("");
    }
    if ((index != old_index || GetText() != old_text) && !GetComponentState().Contains(csLoading)) Change();
    return;
  }
  SendMessageA(handle_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TCustomComboBox::CBSetCurSel(TMessage& message) {
  // Wherever the message comes from (ItemIndex, a subclass, another program part).
  if (!handle_) {
    TK_INHERITED(message);
    return;
  }
  int old_index = static_cast<int>(CallWindowProcA(def_wnd_proc_, handle_, CB_GETCURSEL, 0, 0));
  std::string old_text = GetText();
  TK_INHERITED(message);
  ReadWindowText();
  if (message.Msg != CB_SETCURSEL || restoring_) return;
  if (old_index != static_cast<int>(CallWindowProcA(def_wnd_proc_, handle_, CB_GETCURSEL, 0, 0)) ||
      old_text != GetText())
    Change();
}

void TCustomComboBox::SetStyle(TComboBoxStyle style) {
  if (style == style_) return;
  style_ = style;
  RecreateWnd();
}

bool TCustomComboBox::GetDroppedDown() {
  return handle_ && SendMessageA(handle_, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool dropped_down) {
  if (handle_) SendMessageA(handle_, CB_SHOWDROPDOWN, dropped_down ? TRUE : FALSE, 0);
}

void TCustomComboBox::SetDropDownCount(int count) { drop_down_count_ = std::max(count, 1); }

int TCustomComboBox::GetItemHeight() {
  if (!handle_) return item_height_;
  return static_cast<int>(SendMessageA(handle_, CB_GETITEMHEIGHT, 0, 0));
}

void TCustomComboBox::SetItemHeight(int height) {
  if (height <= 0) return;
  item_height_ = height;
  if (handle_) SendMessageA(handle_, CB_SETITEMHEIGHT, 0, height);
}

void TCustomComboBox::SetMaxLength(int length) {
  max_length_ = std::max(length, 0);
  if (handle_) SendMessageA(handle_, CB_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
}

void TCustomComboBox::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  if (sorted && !handle_) {
    // The items kept so far take their sorted places too.
    std::vector<std::pair<std::string, TObject*>> lines;
    for (int i = 0; i < items_->Count(); ++i) lines.emplace_back(items_->Get(i), items_->Objects(i));
    items_->BeginUpdate();
    items_->Clear();
    for (auto& [text, object] : lines) items_->AddObject(text, object);
    items_->EndUpdate();
  }
  RecreateWnd();
}

void TCustomComboBox::DoEnter() {
  // A click into the edit part places the caret after this, as the edit's own press does.
  if (style_ != csDropDownList && handle_) SendMessageA(handle_, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
  TWinControl::DoEnter();
}

HWND TCustomComboBox::GetEditHandle() {
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (!GetComboBoxInfo(GetHandle(), &info) || info.hwndItem == handle_) return nullptr;
  return info.hwndItem;
}

HWND TCustomComboBox::GetListHandle() {
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  return GetComboBoxInfo(GetHandle(), &info) ? info.hwndList : nullptr;
}

bool TCustomComboBox::Focused() {
  if (!handle_) return false;
  HWND focus = GetFocus();
  return focus && (focus == handle_ || focus == edit_part_.GetWindow() || focus == list_part_.GetWindow());
}

void TCustomComboBox::Clear() {
  items_->Clear();
  saved_index_ = -1;
  SetText("");
}

void TCustomComboBox::Change() { OnChange(this); }
void TCustomComboBox::DropDown() { OnDropDown(this); }
void TCustomComboBox::CloseUp() { OnCloseUp(this); }

void TCustomComboBox::ReadWindowText() {
  if (!handle_) return;
  if (style_ == csDropDownList) {
    // The text of a drop-down list is its selected item.
    int index = static_cast<int>(CallWindowProcA(def_wnd_proc_, handle_, CB_GETCURSEL, 0, 0));
    StoreText(index >= 0 ? items_->Get(index) : std::string());
  } else {
    StoreText(NativeText(this));
  }
}

void TCustomComboBox::AdjustDropDown() {
  // The system sizes the dropped list from the window's height: make room for the items.
  int count = std::clamp(items_->Count(), 1, drop_down_count_);
  int item = std::max<int>(static_cast<int>(SendMessageA(handle_, CB_GETITEMHEIGHT, 0, 0)), 1);
  RECT r{};
  GetWindowRect(handle_, &r);
  SetWindowPos(handle_, nullptr, 0, 0, r.right - r.left, (r.bottom - r.top) + item * count + 2,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void TCustomComboBox::CNCommand(TMessage& message) {
  switch (HIWORD(message.WParam)) {
    case CBN_SELCHANGE: {
      // The edit part shows the new item only after this notification.
      int index = static_cast<int>(SendMessageA(handle_, CB_GETCURSEL, 0, 0));
      if (index >= 0) StoreText(items_->Get(index));
      Click();
      Change();
      break;
    }
    case CBN_EDITCHANGE:
      StoreText(NativeText(this));
      Change();
      break;
    case CBN_DROPDOWN:
      AdjustDropDown();
      DropDown();
      break;
    case CBN_CLOSEUP: CloseUp(); break;
    case CBN_KILLFOCUS: {
      // The edit part keeps its selection shown (the system makes it so); once the focus is
      // outside the combo box, another control shows it and the selection goes.
      HWND edit = GetEditHandle(), focus = GetFocus();
      if (edit && focus != handle_ && focus != edit && !IsChild(handle_, focus))
        SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
      break;
    }
    default: break;
  }
}

void TCustomComboBox::WMSetText(TMessage& message) {
  if (!handle_) {
    TK_INHERITED(message);
    if (!GetComponentState().Contains(csLoading)) Change();
    return;
  }
  if (style_ != csDropDownList) {
    // The system reports no change for text from code; the control does, like an edit.
    std::string old_text = NativeText(this);
    TK_INHERITED(message);
    ReadWindowText();
    if (GetText() != old_text && !restoring_) Change();
    return;
  }
  // A drop-down list shows only its items: the text selects the item that has it.
  auto* text = reinterpret_cast<const char*>(message.LParam);
  int index = -1;
  if (text && *text)
    index =
        static_cast<int>(SendMessageA(handle_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), message.LParam));
  SendMessageA(handle_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  ReadWindowText();
  message.Result = index >= 0 || !text || !*text;
}

void TCustomComboBox::CBGetLBText(TMessage& message) {
  if (handle_ && GetDefWndProcW() &&
      ItemsHaveStrings(this, CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE, CBS_HASSTRINGS))
    AnswerItemText(this, message, CB_GETLBTEXTLEN, CB_GETLBTEXT);
  else
    TK_INHERITED(message);
}

void TCustomComboBox::WMCtlColorPart(TMessage& message) {
  // The edit and list parts ask the combo box: they take its colour and font colour.
  auto part = reinterpret_cast<HWND>(message.LParam);
  if (part && (part == edit_part_.GetWindow() || part == list_part_.GetWindow()))
    message.Result = Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
  else
    TK_INHERITED(message);
}

void TCustomComboBox::CMWantSpecialKey(TMessage& message) {
  // Enter and Escape close an open list rather than reaching the form's buttons.
  if ((message.WParam == VK_RETURN || message.WParam == VK_ESCAPE) && GetDroppedDown())
    message.Result = 1;
  else
    TK_INHERITED(message);
}

void TCustomComboBox::EditPartProc(TMessage& message) { ComboWndProc(message, edit_part_.GetWindow()); }
void TCustomComboBox::ListPartProc(TMessage& message) { ComboWndProc(message, list_part_.GetWindow()); }

void TCustomComboBox::CallPartProc(TMessage& message, HWND part) {
  if (part && part == edit_part_.GetWindow())
    edit_part_.CallPrevious(message);
  else if (part && part == list_part_.GetWindow())
    list_part_.CallPrevious(message);
}

void TCustomComboBox::ComboWndProc(TMessage& message, HWND part) {
  if (part == edit_part_.GetWindow()) {
    switch (message.Msg) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        if (DoKeyDown(message)) return;
        break;
      case WM_CHAR:
        if (DoKeyPress(message)) return;
        break;
      case WM_KEYUP:
      case WM_SYSKEYUP:
        if (DoKeyUp(message)) return;
        break;
      case WM_SETFOCUS:
        // The focus went straight to the edit part: the form learns it is on this control.
        if (TCustomForm* form = GetParentForm(this); form && !GetComponentState().Contains(csDestroying))
          form->SetFocusedControl(this);
        break;
      default: break;
    }
  }
  CallPartProc(message, part);
}

// ---- TCustomListBox ---------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TCustomListBox, TWinControl)
TK_CLASS_INFO(TListBox, TCustomListBox)

void TCustomListBox::Publish(TPublisher<TCustomListBox>& p) {
  p.Enumeration("BorderStyle", BorderStyleInfo(), &TCustomListBox::GetBorderStyle,
                &TCustomListBox::SetBorderStyle)
      .Default(bsSingle);
  p.Boolean("ExtendedSelect", &TCustomListBox::GetExtendedSelect, &TCustomListBox::SetExtendedSelect)
      .Default(true);
  p.Boolean("IntegralHeight", &TCustomListBox::GetIntegralHeight, &TCustomListBox::SetIntegralHeight)
      .Default(false);
  p.Integer("ItemHeight", &TCustomListBox::GetItemHeight, &TCustomListBox::SetItemHeight);
  p.Boolean("MultiSelect", &TCustomListBox::GetMultiSelect, &TCustomListBox::SetMultiSelect).Default(false);
  p.Boolean("Sorted", &TCustomListBox::GetSorted, &TCustomListBox::SetSorted).Default(false);
  p.Strings("Items", &TCustomListBox::GetItems, &TCustomListBox::SetItems);
}

TK_BEGIN_MESSAGE_MAP(TCustomListBox)
TK_MESSAGE(CN_COMMAND, CNCommand)
TK_MESSAGE(CN_DRAWITEM, CNDrawItem)
TK_MESSAGE(LB_GETTEXT, LBGetText)
TK_MESSAGE(LB_GETTEXTLEN, LBGetText)
TK_MESSAGE(WM_DESTROY, WMDestroy)
TK_END_MESSAGE_MAP()

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner), items_(New<TWindowItems>(this, kListItems, sorted_, &owner_data_)) {
  // The system's list box tracks the mouse itself; clicks come as LBN_SELCHANGE and LBN_DBLCLK.
  control_style_ = {csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
}

TCustomListBox::~TCustomListBox() {
  DestroyHandle();
  Free(items_);
}

void TCustomListBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "LISTBOX");
  params.Style |= WS_VSCROLL | LBS_NOTIFY;
  if (!integral_height_) params.Style |= LBS_NOINTEGRALHEIGHT;
  if (multi_select_) params.Style |= extended_select_ ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (sorted_ && !owner_data_) params.Style |= LBS_SORT;
  if (owner_data_) params.Style |= LBS_NODATA | LBS_OWNERDRAWFIXED;
  if (border_style_ == bsSingle) AddSingleBorder(params);
}

void TCustomListBox::CreateWnd() {
  TWinControl::CreateWnd();
  if (item_height_ > 0)
    SendMessageA(handle_, LB_SETITEMHEIGHT, 0, item_height_);
  else if (owner_data_)
    SendMessageA(handle_, LB_SETITEMHEIGHT, 0, FontLineHeight());
  ItemsOf(items_)->LoadIntoWindow();
  int count = items_->Count();
  if (multi_select_) {
    for (int index : saved_selection_)
      if (index < count) SendMessageA(handle_, LB_SETSEL, TRUE, index);
    if (saved_index_ >= 0 && saved_index_ < count)
      SendMessageA(handle_, LB_SETCARETINDEX, saved_index_, FALSE);
  } else if (saved_index_ >= 0 && saved_index_ < count) {
    SendMessageA(handle_, LB_SETCURSEL, static_cast<WPARAM>(saved_index_), 0);
  }
  if (saved_top_ > 0) SendMessageA(handle_, LB_SETTOPINDEX, static_cast<WPARAM>(saved_top_), 0);
  saved_selection_.clear();
}

// The system's own lines are as high as the window's font; lines drawn by the control would
// keep the height of the font the window was made with.
int TCustomListBox::FontLineHeight() {
  HDC dc = GetDC(handle_);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(handle_, WM_GETFONT, 0, 0)));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(handle_, dc);
  return std::max<int>(metrics.tmHeight, 1);
}

void TCustomListBox::WMDestroy(TMessage& message) {
  if (!GetComponentState().Contains(csDestroying)) {
    saved_index_ = GetItemIndex();
    saved_top_ = GetTopIndex();
    saved_selection_.clear();
    if (multi_select_) {
      for (int i = 0, count = items_->Count(); i < count; ++i)
        if (GetSelected(i)) saved_selection_.push_back(i);
    }
    ItemsOf(items_)->SaveFromWindow();
  }
  TK_INHERITED(message);
}

void TCustomListBox::SetItems(TStrings* items) {
  if (items) items_->Assign(items);
}

int TCustomListBox::GetItemIndex() {
  if (!handle_) return saved_index_;
  // A multiple-selection list box answers with its focused item.
  return static_cast<int>(SendMessageA(handle_, multi_select_ ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int index) {
  if (!handle_) {
    saved_index_ = index;
    return;
  }
  if (multi_select_)
    SendMessageA(handle_, LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
  else
    SendMessageA(handle_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TCustomListBox::SetMultiSelect(bool multi_select) {
  if (multi_select == multi_select_) return;
  multi_select_ = multi_select;
  RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool extended_select) {
  if (extended_select == extended_select_) return;
  extended_select_ = extended_select;
  RecreateWnd();
}

bool TCustomListBox::GetSelected(int index) {
  if (index < 0 || index >= items_->Count()) throw EListError(Format("List index out of bounds (%d)", index));
  if (!handle_) {
    if (!multi_select_) return index == saved_index_;
    return std::find(saved_selection_.begin(), saved_selection_.end(), index) != saved_selection_.end();
  }
  return SendMessageA(handle_, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

void TCustomListBox::SetSelected(int index, bool selected) {
  if (index < 0 || index >= items_->Count()) throw EListError(Format("List index out of bounds (%d)", index));
  if (!handle_) {
    if (!multi_select_) {
      if (selected)
        saved_index_ = index;
      else if (saved_index_ == index)
        saved_index_ = -1;
    } else {
      std::erase(saved_selection_, index);
      if (selected) saved_selection_.push_back(index);
    }
    return;
  }
  if (multi_select_) {
    SendMessageA(handle_, LB_SETSEL, selected ? TRUE : FALSE, index);
  } else if (selected) {
    SendMessageA(handle_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  } else if (GetItemIndex() == index) {
    SendMessageA(handle_, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  }
}

int TCustomListBox::GetSelCount() {
  if (!handle_)
    return multi_select_ ? static_cast<int>(saved_selection_.size()) : (saved_index_ >= 0 ? 1 : 0);
  if (!multi_select_) return GetItemIndex() >= 0 ? 1 : 0;
  return std::max<int>(static_cast<int>(SendMessageA(handle_, LB_GETSELCOUNT, 0, 0)), 0);
}

int TCustomListBox::GetItemHeight() {
  if (!handle_) return item_height_;
  return static_cast<int>(SendMessageA(handle_, LB_GETITEMHEIGHT, 0, 0));
}

void TCustomListBox::SetItemHeight(int height) {
  if (height <= 0) return;
  item_height_ = height;
  if (handle_) {
    SendMessageA(handle_, LB_SETITEMHEIGHT, 0, height);
    Invalidate();
  }
}

int TCustomListBox::GetTopIndex() {
  if (!handle_) return saved_top_;
  return static_cast<int>(SendMessageA(handle_, LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int index) {
  if (!handle_) {
    saved_top_ = std::max(index, 0);
    return;
  }
  SendMessageA(handle_, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(index, 0)), 0);
}

void TCustomListBox::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  if (sorted && !handle_) {
    std::vector<std::pair<std::string, TObject*>> lines;
    for (int i = 0; i < items_->Count(); ++i) lines.emplace_back(items_->Get(i), items_->Objects(i));
    items_->BeginUpdate();
    items_->Clear();
    for (auto& [text, object] : lines) items_->AddObject(text, object);
    items_->EndUpdate();
  }
  RecreateWnd();
}

void TCustomListBox::SetOwnerData(bool owner_data) {
  if (owner_data == owner_data_) return;
  // The window's lines come back to the items before they stop living there.
  ItemsOf(items_)->SaveFromWindow();
  owner_data_ = owner_data;
  RecreateWnd();
}

void TCustomListBox::SetIntegralHeight(bool integral_height) {
  if (integral_height == integral_height_) return;
  integral_height_ = integral_height;
  RecreateWnd();
}

void TCustomListBox::SetBorderStyle(TBorderStyle style) {
  if (style != bsNone) style = bsSingle;
  if (style == border_style_) return;
  border_style_ = style;
  RecreateWnd();
}

int TCustomListBox::ItemAtPos(POINT pos, bool existing) {
  int count = items_->Count();
  if (handle_) {
    // The system answers with the nearest item: it counts only when the point is on it.
    LRESULT hit = SendMessageA(handle_, LB_ITEMFROMPOINT, 0, MAKELPARAM(pos.x, pos.y));
    int index = LOWORD(hit);
    if (HIWORD(hit) == 0 && index < count) {
      RECT r = ItemRect(index);
      if (PtInRect(&r, pos)) return index;
    }
  }
  return existing ? -1 : count;
}

RECT TCustomListBox::ItemRect(int index) {
  RECT r{};
  if (index < 0 || index >= items_->Count()) throw EListError(Format("List index out of bounds (%d)", index));
  SendMessageA(GetHandle(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  return r;
}

void TCustomListBox::Clear() {
  items_->Clear();
  saved_index_ = -1;
  saved_top_ = 0;
  saved_selection_.clear();
}

void TCustomListBox::ClearSelection() {
  if (!handle_) {
    saved_selection_.clear();
    saved_index_ = -1;
    return;
  }
  if (multi_select_)
    SendMessageA(handle_, LB_SETSEL, FALSE, -1);
  else
    SendMessageA(handle_, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void TCustomListBox::SelectAll() {
  if (!multi_select_) return;
  if (!handle_) {
    saved_selection_.clear();
    for (int i = 0; i < items_->Count(); ++i) saved_selection_.push_back(i);
    return;
  }
  SendMessageA(handle_, LB_SETSEL, TRUE, -1);
}

void TCustomListBox::DeleteSelected() {
  items_->BeginUpdate();
  try {
    for (int i = items_->Count() - 1; i >= 0; --i)
      if (GetSelected(i)) items_->Delete(i);
  } catch (...) {
    items_->EndUpdate();
    throw;
  }
  items_->EndUpdate();
}

void TCustomListBox::LBGetText(TMessage& message) {
  if (owner_data_) {
    // The window has no lines: asked by anyone, it answers from the items.
    const int index = static_cast<int>(message.WParam);
    if (index < 0 || index >= items_->Count()) {
      message.Result = LB_ERR;
      return;
    }
    const std::string text = items_->Get(index);
    if (message.Msg == LB_GETTEXT && message.LParam)
      std::memcpy(reinterpret_cast<char*>(message.LParam), text.c_str(), text.size() + 1);
    message.Result = static_cast<LRESULT>(text.size());
    return;
  }
  if (handle_ && GetDefWndProcW() &&
      ItemsHaveStrings(this, LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE, LBS_HASSTRINGS))
    AnswerItemText(this, message, LB_GETTEXTLEN, LB_GETTEXT);
  else
    TK_INHERITED(message);
}

// An owner-data line drawn as the system draws its own: the colours the window's parent
// chose, the highlight when selected, the text one pixel in.
void TCustomListBox::CNDrawItem(TMessage& message) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
  message.Result = TRUE;
  if (item->itemAction == ODA_FOCUS) return (void)DrawFocusRect(item->hDC, &item->rcItem);
  if (item->itemID >= static_cast<UINT>(items_->Count())) return;
  HDC dc = item->hDC;
  // The window paints its lines in one device context: the next line starts from its colours.
  const COLORREF back = GetBkColor(dc), fore = GetTextColor(dc);
  if (item->itemState & ODS_SELECTED) {
    SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else if (item->itemState & ODS_DISABLED) {
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  }
  const std::string text = items_->Get(static_cast<int>(item->itemID));
  ExtTextOutA(dc, item->rcItem.left + 1, item->rcItem.top, ETO_OPAQUE | ETO_CLIPPED, &item->rcItem,
              text.data(), static_cast<UINT>(text.size()), nullptr);
  if (item->itemState & ODS_FOCUS) DrawFocusRect(dc, &item->rcItem);
  SetBkColor(dc, back);
  SetTextColor(dc, fore);
}

void TCustomListBox::CNCommand(TMessage& message) {
  switch (HIWORD(message.WParam)) {
    case LBN_SELCHANGE: Click(); break;
    case LBN_DBLCLK: DblClick(); break;
    default: break;
  }
}

// ---- TScrollBar -------------------------------------------------------------------------------

TK_CLASS_INFO(TScrollBar, TWinControl)

void TScrollBar::Publish(TPublisher<TScrollBar>& p) {
  p.Enumeration("Kind", ScrollBarKindInfo(), &TScrollBar::GetKind, &TScrollBar::SetKind)
      .Default(sbHorizontal);
  p.Integer("Min", &TScrollBar::GetMin, &TScrollBar::SetMin).Default(0);
  p.Integer("Max", &TScrollBar::GetMax, &TScrollBar::SetMax).Default(100);
  p.Integer("PageSize", &TScrollBar::GetPageSize, &TScrollBar::SetPageSize).Default(0);
  p.Integer("Position", &TScrollBar::GetPosition, &TScrollBar::SetPosition).Default(0);
  p.Integer("SmallChange", &TScrollBar::GetSmallChange, &TScrollBar::SetSmallChange).Default(1);
  p.Integer("LargeChange", &TScrollBar::GetLargeChange, &TScrollBar::SetLargeChange).Default(1);
  p.Event("OnChange", &TScrollBar::OnChange);
  p.Event("OnScroll", &TScrollBar::OnScroll);
}

TK_BEGIN_MESSAGE_MAP(TScrollBar)
TK_MESSAGE(CN_HSCROLL, CNScroll)
TK_MESSAGE(CN_VSCROLL, CNScroll)
TK_END_MESSAGE_MAP()

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner) {
  // The system's bar tracks the mouse in a loop of its own: no capture or clicks of ours.
  control_style_ = {csFramed, csDoubleClicks, csOpaque};
  SetColor(clBtnFace);
  SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
  SetTabStop(true);
}

void TScrollBar::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "SCROLLBAR");
  params.Style |= kind_ == sbHorizontal ? SBS_HORZ : SBS_VERT;
}

void TScrollBar::CreateWnd() {
  TWinControl::CreateWnd();
  ApplyScrollInfo(true);
}

void TScrollBar::Loaded() {
  TWinControl::Loaded();
  // The values were taken as read; now they must fit together.
  if (max_ >= min_) SetParams(position_, min_, max_);
}

void TScrollBar::SetKind(TScrollBarKind kind) {
  if (kind == kind_) return;
  kind_ = kind;
  if (!IsReading() && !GetComponentState().Contains(csLoading))
    SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
  RecreateWnd();
}

int TScrollBar::LastPosition() const { return page_size_ > 0 ? std::max(min_, max_ - page_size_ + 1) : max_; }

void TScrollBar::SetParams(int position, int min, int max) {
  bool reading = IsReading();
  if (max < min && !reading) throw EInvalidOperation("Scrollbar property out of range");
  min_ = min;
  max_ = max;
  if (!reading) position = std::clamp(position, min_, LastPosition());
  bool changed = position != position_;
  position_ = position;
  if (handle_) ApplyScrollInfo(true);
  if (changed && !reading) Change();
}

void TScrollBar::SetPageSize(int page_size) {
  if (page_size < 0 || page_size == page_size_) return;
  page_size_ = page_size;
  if (IsReading()) return;
  // A larger page may leave the position beyond the last one the bar shows.
  SetParams(position_, min_, max_);
  if (handle_) ApplyScrollInfo(true);
}

void TScrollBar::ApplyScrollInfo(bool redraw) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = min_;
  info.nMax = std::max(max_, min_);
  info.nPage = static_cast<UINT>(page_size_);
  info.nPos = position_;
  SendMessageA(handle_, SBM_SETSCROLLINFO, redraw ? TRUE : FALSE, reinterpret_cast<LPARAM>(&info));
}

void TScrollBar::Change() { OnChange(this); }

void TScrollBar::Scroll(TScrollCode code, int& position) { OnScroll(this, code, position); }

void TScrollBar::CNScroll(TMessage& message) {
  int position = position_;
  TScrollCode code;
  switch (LOWORD(message.WParam)) {
    case SB_LINEUP:
      code = scLineUp;
      position -= small_change_;
      break;
    case SB_LINEDOWN:
      code = scLineDown;
      position += small_change_;
      break;
    case SB_PAGEUP:
      code = scPageUp;
      position -= large_change_;
      break;
    case SB_PAGEDOWN:
      code = scPageDown;
      position += large_change_;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      code = LOWORD(message.WParam) == SB_THUMBTRACK ? scTrack : scPosition;
      if (min_ >= 0 && max_ <= 0xFFFF) {
        position = HIWORD(message.WParam);
      } else {
        // The message has room for 16 bits only.
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_TRACKPOS;
        SendMessageA(handle_, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&info));
        position = info.nTrackPos;
      }
      break;
    }
    case SB_TOP:
      code = scTop;
      position = min_;
      break;
    case SB_BOTTOM:
      code = scBottom;
      position = max_;
      break;
    case SB_ENDSCROLL: code = scEndScroll; break;
    default: return;
  }
  position = std::clamp(position, min_, LastPosition());
  Scroll(code, position);
  SetPosition(position);
}

void RegisterStdCtrlsClasses() {
  RegisterClasses(
      {TEdit::StaticClass(), TComboBox::StaticClass(), TListBox::StaticClass(), TScrollBar::StaticClass()});
}
