// Components: named objects with an owner that frees them, notifications about components
// coming and going, and the loading states of form definitions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/persistent.h"
#include "toolkit/sets.h"
#include "toolkit/sysutils.h"

TK_EXCEPTION(EComponentError, Exception)

enum TComponentStateFlag {
  csLoading,     // created from a form definition, until its Loaded
  csReading,     // its properties are being read from a form definition
  csWriting,     // being written to a form definition
  csDestroying,  // being freed (set on it and on everything it owns first)
  csDesigning,   // never set: there is no designer at run time
};
using TComponentState = TSet<TComponentStateFlag>;

enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
  TK_CLASS(TComponent, TPersistent)

 public:
  // The owner (may be null) takes the component in and frees it when it is freed itself.
  explicit TComponent(TComponent* owner);
  // Frees the owned components (after the derived destructors, which may still use them),
  // tells FreeNotification partners, then leaves the owner.
  ~TComponent() override;
  // Marks the tree as csDestroying; overrides call inherited.
  void BeforeDestruction() override;

  // Unique (without case) among the owner's components; a valid identifier or empty.
  // Raises EComponentError otherwise.
  const std::string& GetName() const { return name_; }
  virtual void SetName(const std::string& name);
  intptr_t GetTag() const { return tag_; }
  void SetTag(intptr_t tag) { tag_ = tag; }

  TComponent* GetOwner() const override { return owner_; }
  // Owned components in insertion order.
  int GetComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* GetComponent(int index) const;
  // This component's position in its owner's list; -1 without owner.
  int GetComponentIndex() const;
  // An owned component by name (without case); null when there is none.
  TComponent* FindComponent(std::string_view name) const;

  // Takes a component over from its current owner (if any); every owned component, the new
  // one included, is notified with opInsert.
  void InsertComponent(TComponent* component);
  // Gives a component up without freeing it; every owned component is notified with opRemove.
  void RemoveComponent(TComponent* component);
  // Frees the owned components, the last inserted first.
  void DestroyComponents();

  // Asks that `component` be notified (opRemove) when this one is freed, and the other way
  // round; components of the same owner are notified through the owner anyway.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  TComponentState GetComponentState() const { return state_; }

  // The component that contains this one on screen (a control's parent); null for
  // non-visual components. Form definitions nest components in their parent and set it
  // before any other property.
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent* parent) { (void)parent; }

 protected:
  // Told about every component inserted into or removed from the owner, and about freed
  // components this one asked FreeNotification for. Overrides call inherited: it forwards to
  // the owned components.
  virtual void Notification(TComponent* component, TOperation operation);
  // After a form definition has been read: the root first, then its components in creation
  // order. Clears csLoading; overrides call inherited.
  virtual void Loaded();
  // Marks this component and everything it owns as being destroyed.
  void Destroying();
  void IncludeState(TComponentStateFlag flag) { state_.Include(flag); }
  void ExcludeState(TComponentStateFlag flag) { state_.Exclude(flag); }

 private:
  friend class TFormReader;
  friend class TFormWriter;
  static void Publish(TPublisher<TComponent>& p);
  void ValidateRename(TComponent* component, std::string_view new_name) const;
  void Teardown();

  std::string name_;
  intptr_t tag_ = 0;
  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> free_notifies_;
  TComponentState state_;
  bool torn_down_ = false;
};

// A valid component name: a letter or '_' followed by letters, digits or '_'.
bool IsValidIdent(std::string_view name);
