#include "toolkit/components.h"

#include <algorithm>

#include "toolkit/typinfo.h"

TK_CLASS_INFO(TComponent, TPersistent)

void TComponent::Publish(TPublisher<TComponent>& p) {
  p.String("Name", &TComponent::GetName, &TComponent::SetName);
  p.Integer("Tag", &TComponent::GetTag, &TComponent::SetTag).Default(0);
}

bool IsValidIdent(std::string_view name) {
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (name.empty() || !alpha(name[0])) return false;
  return std::all_of(name.begin() + 1, name.end(),
                     [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); });
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() { Teardown(); }

void TComponent::BeforeDestruction() {
  if (!state_.Contains(csDestroying)) Destroying();
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

// Runs in the destructor, after the derived classes' destructors: like them, the owned
// components may still be used there.
void TComponent::Teardown() {
  if (torn_down_) return;
  torn_down_ = true;
  Destroying();
  while (!free_notifies_.empty()) {
    TComponent* other = free_notifies_.back();
    free_notifies_.pop_back();
    // Unlinked here, so a Notification override that skips inherited leaves nothing dangling.
    std::erase(other->free_notifies_, this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && !IsValidIdent(name))
    throw EComponentError(Format("\"%s\" is not a valid component name", name));
  if (owner_) owner_->ValidateRename(this, name);
  name_ = name;
}

void TComponent::ValidateRename(TComponent* component, std::string_view new_name) const {
  if (new_name.empty()) return;
  TComponent* found = FindComponent(new_name);
  if (found && found != component)
    throw EComponentError(Format("A component named %s already exists", new_name));
}

TComponent* TComponent::GetComponent(int index) const {
  if (index < 0 || index >= GetComponentCount())
    throw EListError(Format("List index out of bounds (%d)", index));
  return components_[static_cast<size_t>(index)];
}

int TComponent::GetComponentIndex() const {
  if (!owner_) return -1;
  auto& list = owner_->components_;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  for (const TComponent* c = this; c; c = c->owner_)
    if (c == component) throw EComponentError(Format("%s cannot own itself", component->ClassName()));
  if (component->owner_ == this) return;
  ValidateRename(component, component->name_);
  if (component->owner_) component->owner_->RemoveComponent(component);
  components_.push_back(component);
  component->owner_ = this;
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (component->owner_ != this) return;
  Notification(component, opRemove);
  std::erase(components_, component);
  component->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* last = components_.back();
    RemoveComponent(last);
    Free(last);
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  // Components of one owner hear of each other through the owner.
  if (owner_ && component->owner_ == owner_) return;
  if (std::find(free_notifies_.begin(), free_notifies_.end(), component) == free_notifies_.end())
    free_notifies_.push_back(component);
  if (std::find(component->free_notifies_.begin(), component->free_notifies_.end(), this) ==
      component->free_notifies_.end())
    component->free_notifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  std::erase(free_notifies_, component);
  std::erase(component->free_notifies_, this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // Backwards, staying in range when a handler frees or removes components.
  for (size_t i = components_.size(); i > 0;) {
    --i;
    if (i >= components_.size()) {
      if (components_.empty()) break;
      i = components_.size() - 1;
    }
    components_[i]->Notification(component, operation);
  }
}

void TComponent::Loaded() { state_.Exclude(csLoading); }
