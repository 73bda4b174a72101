#include "toolkit/actions.h"

#include <algorithm>

#include "toolkit/classregistry.h"
#include "toolkit/imagelist.h"
#include "toolkit/typinfo.h"

// ---- TBasicAction --------------------------------------------------------------------------

TK_CLASS_INFO(TBasicAction, TComponent)

void TBasicAction::Publish(TPublisher<TBasicAction>& p) { p.Event("OnExecute", &TBasicAction::OnExecute); }

TBasicAction::TBasicAction(TComponent* owner) : TComponent(owner) {}

TBasicAction::~TBasicAction() {
  for (TBasicActionLink* link : clients_) link->action_ = nullptr;
  clients_.clear();
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

void TBasicAction::Change() {
  // A link may drop its action while it hears of the change: walk a copy.
  std::vector<TBasicActionLink*> links = clients_;
  for (TBasicActionLink* link : links)
    if (std::find(clients_.begin(), clients_.end(), link) != clients_.end()) link->Change();
}

void TBasicAction::RegisterChanges(TBasicActionLink* link) { clients_.push_back(link); }

void TBasicAction::UnRegisterChanges(TBasicActionLink* link) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), link), clients_.end());
}

// ---- TBasicActionLink ----------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TBasicActionLink, TObject)

TBasicActionLink::TBasicActionLink(TObject* client) { (void)client; }

TBasicActionLink::~TBasicActionLink() {
  if (action_) action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* action) {
  if (action == action_) return;
  if (action_) action_->UnRegisterChanges(this);
  action_ = action;
  if (action_) action_->RegisterChanges(this);
}

bool TBasicActionLink::Execute() { return action_ && action_->Execute(); }

// ---- TActionLink ---------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TActionLink, TBasicActionLink)

bool TActionLink::HasCustomAction() const { return action_ && action_->Is<TCustomAction>(); }
bool TActionLink::IsCaptionLinked() { return HasCustomAction(); }
bool TActionLink::IsCheckedLinked() { return HasCustomAction(); }
bool TActionLink::IsEnabledLinked() { return HasCustomAction(); }
bool TActionLink::IsGroupIndexLinked() { return HasCustomAction(); }
bool TActionLink::IsHintLinked() { return HasCustomAction(); }
bool TActionLink::IsImageIndexLinked() { return HasCustomAction(); }
bool TActionLink::IsVisibleLinked() { return HasCustomAction(); }

// ---- TCustomAction -------------------------------------------------------------------------

TK_CLASS_INFO(TCustomAction, TBasicAction)

void TCustomAction::Publish(TPublisher<TCustomAction>& p) {
  p.String("Caption", &TCustomAction::GetCaption, &TCustomAction::SetCaption);
  p.Boolean("Checked", &TCustomAction::GetChecked, &TCustomAction::SetChecked).Default(false);
  p.Boolean("Enabled", &TCustomAction::GetEnabled, &TCustomAction::SetEnabled).Default(true);
  p.Integer("GroupIndex", &TCustomAction::GetGroupIndex, &TCustomAction::SetGroupIndex).Default(0);
  p.String("Hint", &TCustomAction::GetHint, &TCustomAction::SetHint);
  p.Integer("ImageIndex", &TCustomAction::GetImageIndex, &TCustomAction::SetImageIndex).Default(-1);
  p.Boolean("Visible", &TCustomAction::GetVisible, &TCustomAction::SetVisible).Default(true);
}

TCustomAction::TCustomAction(TComponent* owner) : TBasicAction(owner) {}

TCustomAction::~TCustomAction() { SetActionList(nullptr); }

bool TCustomAction::Execute() { return enabled_ && inherited::Execute(); }

void TCustomAction::SetActionList(TCustomActionList* list) {
  if (list == action_list_) return;
  if (action_list_) {
    auto& actions = action_list_->actions_;
    actions.erase(std::remove(actions.begin(), actions.end(), this), actions.end());
  }
  action_list_ = list;
  if (list) list->actions_.push_back(this);
}

TComponent* TCustomAction::GetParentComponent() const { return action_list_; }

void TCustomAction::SetParentComponent(TComponent* parent) {
  if (auto* list = DynamicCast<TCustomActionList>(parent)) SetActionList(list);
}

// The links judge "linked" against the old value, so they hear of it before it is stored.
template <class F>
void TCustomAction::ForEachLink(F f) {
  std::vector<TBasicActionLink*> links = clients_;
  for (TBasicActionLink* link : links)
    if (auto* action_link = DynamicCast<TActionLink>(link)) f(action_link);
}

void TCustomAction::SetCaption(const std::string& value) {
  if (value == caption_) return;
  ForEachLink([&](TActionLink* link) { link->SetCaption(value); });
  caption_ = value;
  Change();
}

void TCustomAction::SetChecked(bool value) {
  if (value == checked_) return;
  ForEachLink([&](TActionLink* link) { link->SetChecked(value); });
  checked_ = value;
  if (value && group_index_ > 0 && action_list_) {
    std::vector<TCustomAction*> actions = action_list_->actions_;
    for (TCustomAction* other : actions)
      if (other != this && other->group_index_ == group_index_) other->SetChecked(false);
  }
  Change();
}

void TCustomAction::SetEnabled(bool value) {
  if (value == enabled_) return;
  ForEachLink([&](TActionLink* link) { link->SetEnabled(value); });
  enabled_ = value;
  Change();
}

void TCustomAction::SetGroupIndex(int value) {
  if (value == group_index_) return;
  ForEachLink([&](TActionLink* link) { link->SetGroupIndex(value); });
  group_index_ = value;
  Change();
}

void TCustomAction::SetHint(const std::string& value) {
  if (value == hint_) return;
  ForEachLink([&](TActionLink* link) { link->SetHint(value); });
  hint_ = value;
  Change();
}

void TCustomAction::SetImageIndex(int value) {
  if (value == image_index_) return;
  ForEachLink([&](TActionLink* link) { link->SetImageIndex(value); });
  image_index_ = value;
  Change();
}

void TCustomAction::SetVisible(bool value) {
  if (value == visible_) return;
  ForEachLink([&](TActionLink* link) { link->SetVisible(value); });
  visible_ = value;
  Change();
}

TK_CLASS_INFO(TAction, TCustomAction)

// ---- TCustomActionList ---------------------------------------------------------------------

TK_CLASS_INFO(TCustomActionList, TComponent)

void TCustomActionList::Publish(TPublisher<TCustomActionList>& p) {
  p.Object("Images", &TCustomActionList::GetImages, &TCustomActionList::SetImages);
}

TCustomActionList::TCustomActionList(TComponent* owner) : TComponent(owner) {}

TCustomActionList::~TCustomActionList() {
  while (!actions_.empty()) {
    TCustomAction* action = actions_.back();
    action->SetActionList(nullptr);
    // An owner that is being freed frees its actions itself.
    if (!action->GetComponentState().Contains(csDestroying)) Free(action);
  }
}

void TCustomActionList::SetImages(TCustomImageList* images) {
  if (images == images_) return;
  images_ = images;
  if (images) images->FreeNotification(this);
}

void TCustomActionList::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == images_) images_ = nullptr;
  if (auto* action = DynamicCast<TCustomAction>(component); action && action->GetActionList() == this)
    action->SetActionList(nullptr);
}

TK_CLASS_INFO(TActionList, TCustomActionList)

// ---- TControlActionLink --------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TControlActionLink, TActionLink)

TControlActionLink::TControlActionLink(TControl* client) : TActionLink(client), client_(client) {}

TCustomAction* TControlActionLink::Action() const { return DynamicCast<TCustomAction>(action_); }

bool TControlActionLink::IsCaptionLinked() {
  return inherited::IsCaptionLinked() && client_->GetCaption() == Action()->GetCaption();
}
bool TControlActionLink::IsEnabledLinked() {
  return inherited::IsEnabledLinked() && client_->GetEnabled() == Action()->GetEnabled();
}
bool TControlActionLink::IsHintLinked() {
  return inherited::IsHintLinked() && client_->GetHint() == Action()->GetHint();
}
bool TControlActionLink::IsVisibleLinked() {
  return inherited::IsVisibleLinked() && client_->GetVisible() == Action()->GetVisible();
}
void TControlActionLink::SetCaption(const std::string& value) {
  if (IsCaptionLinked()) client_->SetCaption(value);
}
void TControlActionLink::SetEnabled(bool value) {
  if (IsEnabledLinked()) client_->SetEnabled(value);
}
void TControlActionLink::SetHint(const std::string& value) {
  if (IsHintLinked()) client_->SetHint(value);
}
void TControlActionLink::SetVisible(bool value) {
  if (IsVisibleLinked()) client_->SetVisible(value);
}

void RegisterActionClasses() { RegisterClasses({TAction::StaticClass(), TActionList::StaticClass()}); }
