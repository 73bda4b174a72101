#include "i18n/translatormarker.h"

#include <algorithm>

#include "i18n/translator.h"
#include "toolkit/strings.h"
#include "toolkit/textcodec.h"
#include "toolkit/typinfo.h"

void RaisePropertyDisappeared(const TObject* object) {
  throw Exception(
      std::string("Property disappeared when retranslating an object of class ") + object->ClassName() +
      ". Use the TRANSLATORDEBUG define to get a log that shows what component that has the problem.");
}

TK_ABSTRACT_CLASS_INFO(TExecutable, TObject)
TK_ABSTRACT_CLASS_INFO(TTP_RetranslatorItem, TObject)
TK_ABSTRACT_CLASS_INFO(TTP_Retranslator, TExecutable)
TK_CLASS_INFO(TTranslatorMarker, TComponent)
TK_ABSTRACT_CLASS_INFO(TClassMode, TObject)

TTP_Retranslator::~TTP_Retranslator() {
  for (TTP_RetranslatorItem* item : items_) Free(item);
}

void TTP_Retranslator::Remember(TObject* object, TComponent* component, const std::string& prop_name,
                                const std::wstring& old_value) {
  items_.push_back(New<TTP_RetranslatorItem>(object, component, prop_name, old_value));
}

void TTP_Retranslator::Execute() {
  for (TTP_RetranslatorItem* item : items_) {
    if (TStrings* list = DynamicCast<TStrings>(item->Obj)) {
      list->SetText(WideToAnsi(item->OldValue));
      instance_->TranslateStrings(list, TextDomain);
      continue;
    }
    const std::wstring translated = instance_->dgettext(TextDomain, item->OldValue);
    const TPropInfo* prop = GetPropInfo(item->Obj, item->PropName);
    if (!prop) RaisePropertyDisappeared(item->Obj);
    SetWideStrProp(item->Obj, prop, translated);
  }
}

void TTP_Retranslator::Forget(TComponent* component) {
  auto gone = std::remove_if(items_.begin(), items_.end(), [component](TTP_RetranslatorItem* item) {
    if (item->Component != component && item->Obj != component) return false;
    Free(item);
    return true;
  });
  items_.erase(gone, items_.end());
}

TTranslatorMarker::TTranslatorMarker(TComponent* owner) : TComponent(owner) {}

TTranslatorMarker::~TTranslatorMarker() { FreeAndNil(Retranslator); }

void TTranslatorMarker::Watch(TComponent* component) {
  // Components of the marker's owner are announced through the owner anyway.
  if (component && component != GetOwner() && component->GetOwner() != GetOwner())
    FreeNotification(component);
}

void TTranslatorMarker::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && Retranslator && component != this) Retranslator->Forget(component);
}

TClassMode::TClassMode(TClass handled_class) : HClass(handled_class), PropertiesToIgnore(New<TStringList>()) {
  PropertiesToIgnore->SetSorted(true);
  PropertiesToIgnore->SetDuplicates(dupIgnore);
}

TClassMode::~TClassMode() { Free(PropertiesToIgnore); }
