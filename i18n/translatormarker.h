// What component translation leaves behind in a translated component: the marker that says
// into which language it was translated, and the recording of its English texts from which
// it is translated again after a language change. Also the per-class rules of properties
// that are never translated.
#pragma once

#include <string>
#include <vector>

#include "toolkit/components.h"

class TTranslator;
class TStringList;

// The error for a recorded or walked property that the object no longer has.
[[noreturn]] void RaisePropertyDisappeared(const TObject* object);

// Something that can be run.
class TExecutable : public TObject {
  TK_CLASS(TExecutable, TObject)

 public:
  virtual void Execute() = 0;

 protected:
  TExecutable() = default;
};

// One recorded text: the object, its property and the untranslated value. `component` is the
// component through which the object was reached; when it goes, so does the item.
class TTP_RetranslatorItem : public TObject {
  TK_CLASS(TTP_RetranslatorItem, TObject)

 public:
  TTP_RetranslatorItem(TObject* object, TComponent* component, const std::string& prop_name,
                       const std::wstring& old_value)
      : Obj(object), Component(component), PropName(prop_name), OldValue(old_value) {}
  TObject* Obj;
  TComponent* Component;
  std::string PropName;
  std::wstring OldValue;
};

// The recording of one translated component.
class TTP_Retranslator : public TExecutable {
  TK_CLASS(TTP_Retranslator, TExecutable)

 public:
  explicit TTP_Retranslator(TTranslator* instance) : instance_(instance) {}
  ~TTP_Retranslator() override;

  // Appends one item.
  void Remember(TObject* object, TComponent* component, const std::string& prop_name,
                const std::wstring& old_value);
  // Restores every recorded English text and translates it in TextDomain, in recording order.
  // Raises "Property disappeared..." when a recorded property no longer exists.
  void Execute() override;
  // Drops the items of a component that is going away.
  void Forget(TComponent* component);
  const std::vector<TTP_RetranslatorItem*>& Items() const { return items_; }

  std::string TextDomain;

 private:
  TTranslator* instance_;  // not owned
  std::vector<TTP_RetranslatorItem*> items_;
};

// Inserted into a translated component under the name "TranslatorMarker".
class TTranslatorMarker : public TComponent {
  TK_CLASS(TTranslatorMarker, TComponent)

 public:
  explicit TTranslatorMarker(TComponent* owner);
  ~TTranslatorMarker() override;

  // Keeps the recording free of components that have gone.
  void Watch(TComponent* component);

  std::string LastLanguage;
  TTP_Retranslator* Retranslator = nullptr;  // owned

 protected:
  void Notification(TComponent* component, TOperation operation) override;
};

// The properties never translated in objects of a class and its descendants.
class TClassMode : public TObject {
  TK_CLASS(TClassMode, TObject)

 public:
  explicit TClassMode(TClass handled_class);
  ~TClassMode() override;
  TClass HClass;
  TStringList* PropertiesToIgnore;  // upper-case names, sorted, duplicates ignored
};
