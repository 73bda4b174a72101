// Actions: one command (its caption, state and handler) shared by the controls that run it.
// A control holds a link to its action; the action tells its links of every change, and a link
// passes a value on to its control only while the control still shows the action's value (a
// control changed on its own keeps its value).
#pragma once

#include <string>
#include <vector>

#include "toolkit/components.h"
#include "toolkit/controls.h"
#include "toolkit/events.h"

class TBasicActionLink;
class TCustomActionList;
class TCustomImageList;

class TBasicAction : public TComponent {
  TK_CLASS(TBasicAction, TComponent)

 public:
  explicit TBasicAction(TComponent* owner);
  // Its links are left without an action (their clients keep their values).
  ~TBasicAction() override;

  // Raises OnExecute; false when there is no handler.
  virtual bool Execute();
  int GetClientCount() const { return static_cast<int>(clients_.size()); }
  TBasicActionLink* GetClient(int index) const { return clients_[index]; }

  TNotifyEvent OnExecute;

 protected:
  // Tells every link that the action changed.
  void Change();

 private:
  friend class TBasicActionLink;
  static void Publish(TPublisher<TBasicAction>& p);
  void RegisterChanges(TBasicActionLink* link);
  void UnRegisterChanges(TBasicActionLink* link);

 protected:
  std::vector<TBasicActionLink*> clients_;
};

// The client's end of the tie to an action; freeing it leaves the action's list.
class TBasicActionLink : public TObject {
  TK_CLASS(TBasicActionLink, TObject)

 public:
  // The client is kept by the derived links, typed.
  explicit TBasicActionLink(TObject* client);
  ~TBasicActionLink() override;

  TBasicAction* GetAction() const { return action_; }
  virtual void SetAction(TBasicAction* action);
  // Runs the action; false without one.
  virtual bool Execute();

  // Raised (with the action as sender) when the action changed.
  TNotifyEvent OnChange;

 protected:
  friend class TBasicAction;
  virtual void Change() { OnChange(action_); }

  TBasicAction* action_ = nullptr;
};

// A link to a TCustomAction: every property is linked to it, and each setter is a hook that
// does nothing here.
class TActionLink : public TBasicActionLink {
  TK_CLASS(TActionLink, TBasicActionLink)

 public:
  using TBasicActionLink::TBasicActionLink;

  virtual bool IsCaptionLinked();
  virtual bool IsCheckedLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsGroupIndexLinked();
  virtual bool IsHintLinked();
  virtual bool IsImageIndexLinked();
  virtual bool IsVisibleLinked();
  virtual void SetCaption(const std::string& value) { (void)value; }
  virtual void SetChecked(bool value) { (void)value; }
  virtual void SetEnabled(bool value) { (void)value; }
  virtual void SetGroupIndex(int value) { (void)value; }
  virtual void SetHint(const std::string& value) { (void)value; }
  virtual void SetImageIndex(int value) { (void)value; }
  virtual void SetVisible(bool value) { (void)value; }

 protected:
  bool HasCustomAction() const;
};

class TCustomAction : public TBasicAction {
  TK_CLASS(TCustomAction, TBasicAction)

 public:
  explicit TCustomAction(TComponent* owner);
  ~TCustomAction() override;

  // Disabled actions do not run.
  bool Execute() override;

  TCustomActionList* GetActionList() const { return action_list_; }
  void SetActionList(TCustomActionList* list);
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;

  const std::string& GetCaption() const { return caption_; }
  void SetCaption(const std::string& value);
  bool GetChecked() const { return checked_; }
  // Checking an action of a group (GroupIndex > 0) unchecks the others of its list's group.
  void SetChecked(bool value);
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool value);
  int GetGroupIndex() const { return group_index_; }
  void SetGroupIndex(int value);
  const std::string& GetHint() const { return hint_; }
  void SetHint(const std::string& value);
  int GetImageIndex() const { return image_index_; }
  void SetImageIndex(int value);
  bool GetVisible() const { return visible_; }
  void SetVisible(bool value);

 private:
  static void Publish(TPublisher<TCustomAction>& p);
  // Calls the setter on every action link, then the links hear of the change.
  template <class F>
  void ForEachLink(F f);

  TCustomActionList* action_list_ = nullptr;
  std::string caption_;
  bool checked_ = false;
  bool enabled_ = true;
  int group_index_ = 0;
  std::string hint_;
  int image_index_ = -1;
  bool visible_ = true;
};

class TAction : public TCustomAction {
  TK_CLASS(TAction, TCustomAction)

 public:
  using TCustomAction::TCustomAction;
};

// Holds actions (a form definition nests them in the list); freeing the list frees the actions
// still in it.
class TCustomActionList : public TComponent {
  TK_CLASS(TCustomActionList, TComponent)

 public:
  explicit TCustomActionList(TComponent* owner);
  ~TCustomActionList() override;

  int GetActionCount() const { return static_cast<int>(actions_.size()); }
  TCustomAction* GetAction(int index) const { return actions_[index]; }
  TCustomImageList* GetImages() const { return images_; }
  void SetImages(TCustomImageList* images);

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TCustomAction;
  static void Publish(TPublisher<TCustomActionList>& p);

  std::vector<TCustomAction*> actions_;
  TCustomImageList* images_ = nullptr;
};

class TActionList : public TCustomActionList {
  TK_CLASS(TActionList, TCustomActionList)

 public:
  using TCustomActionList::TCustomActionList;
};

// A control's link: caption, enabled, hint and visible follow the action while the control's
// value equals the action's.
class TControlActionLink : public TActionLink {
  TK_CLASS(TControlActionLink, TActionLink)

 public:
  explicit TControlActionLink(TControl* client);

  TControl* GetClient() const { return client_; }
  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  void SetCaption(const std::string& value) override;
  void SetEnabled(bool value) override;
  void SetHint(const std::string& value) override;
  void SetVisible(bool value) override;

 protected:
  TCustomAction* Action() const;
  TControl* client_;
};

// Registers the action classes for form definitions.
void RegisterActionClasses();
