// The skinned system menu.
#include "skin/controls/ssystemmenu.h"

#include <algorithm>

#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintext.h"
#include "toolkit/strings.h"

namespace {

const char kSkinItemName[] = "SkinSelectItem";

}  // namespace

std::vector<std::string> SkinNamesOf(TsSkinManager* manager) {
  std::vector<std::string> names;
  if (!manager) return names;
  TStringList list;
  manager->GetSkinNames(&list);
  for (int i = 0; i < list.Count(); ++i) names.push_back(list.Get(i));
  return names;
}

void MinimizeForm(TCustomForm* form) {
  if (Application && Application->GetMainForm() == form)
    Application->Minimize();
  else
    form->SetWindowState(wsMinimized);
}

TK_CLASS_INFO(TsSystemMenu, TPopupMenu)

TsSystemMenu::TsSystemMenu(TComponent* owner, TCustomForm* form) : TPopupMenu(owner), form_(form) {
  ItemRestore = NewItem(SkinText(IDS_SYSMENU_RESTORE, "Restore"), "ItemRestore",
                        TNotifyEvent(this, &TsSystemMenu::RestoreClick));
  ItemMove =
      NewItem(SkinText(IDS_SYSMENU_MOVE, "Move"), "ItemMove", TNotifyEvent(this, &TsSystemMenu::MoveClick));
  ItemSize =
      NewItem(SkinText(IDS_SYSMENU_SIZE, "Size"), "Itemsize", TNotifyEvent(this, &TsSystemMenu::SizeClick));
  ItemMinimize = NewItem(SkinText(IDS_SYSMENU_MINIMIZE, "Minimize"), "ItemMinimize",
                         TNotifyEvent(this, &TsSystemMenu::MinimizeClick));
  ItemMaximize = NewItem(SkinText(IDS_SYSMENU_MAXIMIZE, "Maximize"), "ItemMaximize",
                         TNotifyEvent(this, &TsSystemMenu::MaximizeClick));
  NewItem("-", "", nullptr);
  ItemClose = NewItem(SkinText(IDS_SYSMENU_CLOSE, "Close"), "ItemClose",
                      TNotifyEvent(this, &TsSystemMenu::CloseClick));
  ItemClose->SetShortCut(scAlt | VK_F4);
}

TMenuItem* TsSystemMenu::NewItem(const std::string& caption, const std::string& name, TNotifyEvent click) {
  auto* item = new TMenuItem(this);
  item->SetName(name);
  item->SetCaption(caption);
  item->OnClick = click;
  GetItems()->Add(item);
  return item;
}

TsFrameRules TsSystemMenu::Rules() const {
  TsFrameRules rules;
  rules.Icons = icons_;
  if (form_) {
    rules.Style = form_->GetBorderStyle();
    rules.State = form_->GetWindowState();
  }
  return rules;
}

void TsSystemMenu::UpdateItems() {
  TsFrameRules r = Rules();
  ItemRestore->SetVisible(r.RestoreVisible());
  ItemRestore->SetEnabled(r.RestoreEnabled());
  ItemMove->SetVisible(r.MoveVisible());
  ItemMove->SetEnabled(r.MoveEnabled());
  ItemSize->SetVisible(r.SizeVisible());
  ItemSize->SetEnabled(r.SizeEnabled());
  ItemMinimize->SetVisible(r.MinimizeVisible());
  ItemMinimize->SetEnabled(r.MinimizeEnabled());
  ItemMaximize->SetVisible(r.MaximizeVisible());
  ItemMaximize->SetEnabled(r.MaximizeEnabled());
  ItemClose->SetVisible(r.CloseVisible());
  ItemClose->SetEnabled(r.CloseEnabled());
}

void TsSystemMenu::RemoveSkinItems() {
  TMenuItem* root = GetItems();
  if (root->GetCount() == 0 || root->GetItem(0)->GetName() != kSkinItemName) return;
  // The separator that follows goes too, so rebuilding never piles them up.
  if (root->GetCount() > 1 && root->GetItem(1)->IsLine()) root->Delete(1);
  root->Delete(0);
}

void TsSystemMenu::MakeSkinItems() {
  RemoveSkinItems();
  std::vector<std::string> names = SkinNamesOf(manager_);
  if (names.empty()) return;
  auto* top = new TMenuItem(this);
  top->SetName(kSkinItemName);
  top->SetCaption(SkinText(IDS_SYSMENU_AVAILABLE_SKINS, "Available skins"));
  for (size_t i = 0; i < names.size(); ++i) {
    auto* item = new TMenuItem(this);
    item->SetName(kSkinItemName + std::to_string(i));
    item->SetCaption(names[i]);
    item->SetRadioItem(true);
    item->SetChecked(manager_->GetSkinName() == names[i]);
    item->OnClick = TNotifyEvent(this, &TsSystemMenu::SkinClick);
    top->Add(item);
  }
  auto* line = new TMenuItem(this);
  line->SetCaption("-");
  GetItems()->Insert(0, line);
  GetItems()->Insert(0, top);
}

void TsSystemMenu::ShowAt(int x, int y, bool make_skin_menu) {
  if (make_skin_menu) MakeSkinItems();
  UpdateItems();
  if (TsMenuPainter* painter = manager_ ? manager_->GetMenuPainter() : nullptr) painter->HookPopupMenu(this);
  if (form_) SetWindowHandle(form_->GetHandle());
  Popup(x, y);
}

void TsSystemMenu::SkinClick(TObject* sender) {
  auto* item = DynamicCast<TMenuItem>(sender);
  if (!item || !manager_) return;
  std::string name = item->GetCaption();
  name.erase(std::remove(name.begin(), name.end(), '&'), name.end());
  manager_->SetSkinName(name);
  if (!manager_->GetActive()) manager_->SetActive(true);
}

void TsSystemMenu::SysCommand(WPARAM command) {
  if (form_ && form_->HandleAllocated()) SendMessageA(form_->GetHandle(), WM_SYSCOMMAND, command, 0);
}

void TsSystemMenu::RestoreClick(TObject*) {
  SysCommand(SC_RESTORE);
  UpdateItems();
}
void TsSystemMenu::MoveClick(TObject*) { SysCommand(SC_MOVE); }
void TsSystemMenu::SizeClick(TObject*) { SysCommand(SC_SIZE); }
void TsSystemMenu::MinimizeClick(TObject*) {
  if (form_) MinimizeForm(form_);
  // An MDI child's icon is drawn inside the main form's client, where nothing repaints it.
  if (form_ && form_->GetFormStyle() == fsMDIChild && form_->HandleAllocated())
    RedrawWindow(form_->GetHandle(), nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  UpdateItems();
}
void TsSystemMenu::MaximizeClick(TObject*) {
  SysCommand(SC_MAXIMIZE);
  UpdateItems();
}
void TsSystemMenu::CloseClick(TObject*) { SysCommand(SC_CLOSE); }
