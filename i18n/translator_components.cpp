// TTranslator's component translation: the walk over published properties, string lists,
// collections and owned components, and the marker that records it.
#include <exception>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "i18n/translator.h"
#include "i18n/translatormarker.h"
#include "toolkit/collections.h"
#include "toolkit/components.h"
#include "toolkit/strings.h"
#include "toolkit/textcodec.h"
#include "toolkit/typinfo.h"

namespace {

const char kMarkerName[] = "TranslatorMarker";

// The component through which each object of a walk was reached, so recorded texts can be
// dropped when it goes.
thread_local std::unordered_map<const TObject*, TComponent*>* walk_origins = nullptr;
thread_local TComponent* walk_component = nullptr;

void NoteOrigin(TObject* object) {
  if (walk_origins) walk_origins->emplace(object, walk_component);
}

}  // namespace

void TTranslator::TranslateComponent(TComponent* component, const std::string& domain) {
  TTranslatorMarker* marker = DynamicCast<TTranslatorMarker>(component->FindComponent(kMarkerName));
  if (marker) {
    // Only after a language change; a failed pass is tried again next time.
    if (marker->LastLanguage != curlang_) marker->Retranslator->Execute();
    marker->LastLanguage = curlang_;
    return;
  }

  marker = New<TTranslatorMarker>(nullptr);
  std::exception_ptr error;
  try {
    marker->SetName(kMarkerName);
    marker->Retranslator = New<TTP_Retranslator>(this);
    retranslator_ = marker->Retranslator;
    TranslateProperties(component, domain);
  } catch (...) {
    error = std::current_exception();
  }
  retranslator_ = nullptr;
  // Inserted after the walk, so the walk never sees it, and also after a failed walk, so
  // the component owns the marker and what was recorded up to the error.
  try {
    component->InsertComponent(marker);
  } catch (...) {
    Free(marker);
    if (error) std::rethrow_exception(error);
    throw;
  }
  marker->LastLanguage = curlang_;
  std::set<TComponent*> watched;
  for (TTP_RetranslatorItem* item : marker->Retranslator->Items())
    if (watched.insert(item->Component).second) marker->Watch(item->Component);
  if (error) std::rethrow_exception(error);
}

void TTranslator::TranslateProperties(TObject* object, std::string domain) {
  if (domain.empty()) domain = curmsgdomain_;
  if (retranslator_) retranslator_->TextDomain = domain;

  std::unordered_map<const TObject*, TComponent*> origins;
  auto* outer_origins = walk_origins;
  TComponent* outer_component = walk_component;
  walk_origins = &origins;
  // A recorder records only the pass that created it; the walk state goes on every path.
  struct TPassEnd {
    TTranslator* self;
    std::unordered_map<const TObject*, TComponent*>* origins;
    TComponent* component;
    ~TPassEnd() {
      self->retranslator_ = nullptr;
      walk_origins = origins;
      walk_component = component;
    }
  } pass_end{this, outer_origins, outer_component};

  std::deque<TObject*> todo{object};
  // Identity by address: every pointer of a 64-bit process is told apart.
  std::unordered_set<const TObject*> done;
  std::set<std::string> ignore;
  while (!todo.empty()) {
    TObject* current = todo.front();
    todo.pop_front();
    if (!DynamicCast<TPersistent>(current)) continue;
    if (!done.insert(current).second) continue;

    TComponent* as_component = DynamicCast<TComponent>(current);
    auto origin = origins.find(current);
    walk_component = as_component ? as_component : origin != origins.end() ? origin->second : nullptr;

    ignore.clear();
    for (TClassMode* mode : class_handling_)
      if (current->InheritsFrom(mode->HClass))
        for (int i = 0; i < mode->PropertiesToIgnore->Count(); ++i)
          ignore.insert(mode->PropertiesToIgnore->Get(i));

    for (const TPropInfo* prop : GetPropList(current))
      if (!ignore.contains(UpperCase(prop->name))) TranslateProperty(current, prop, todo, domain);

    if (TStrings* list = DynamicCast<TStrings>(current)) {
      const std::string text = list->GetText();
      if (!text.empty() && retranslator_)
        retranslator_->Remember(list, walk_component, "Text", AnsiToWide(text));
      TranslateStrings(list, domain);
    }
    if (TCollection* collection = DynamicCast<TCollection>(current)) {
      for (int i = 0; i < collection->GetCount(); ++i) {
        todo.push_back(collection->GetItem(i));
        NoteOrigin(collection->GetItem(i));
      }
    }
    if (as_component)
      for (int i = 0; i < as_component->GetComponentCount(); ++i)
        todo.push_back(as_component->GetComponent(i));
  }
}

void TTranslator::TranslateProperty(TObject* object, const TPropInfo* prop, std::deque<TObject*>& todo,
                                    const std::string& domain) {
  try {
    switch (prop->kind) {
      case TTypeKind::String:
      case TTypeKind::WideString: {
        const std::wstring value = GetWideStrProp(object, prop);
        if (value.empty() || !prop->IsWritable()) return;
        if (retranslator_) retranslator_->Remember(object, walk_component, prop->name, value);
        const std::wstring translated = dgettext(domain, value);
        if (translated != value) {
          const TPropInfo* again = GetPropInfo(object, prop->name);
          if (!again) RaisePropertyDisappeared(object);
          SetWideStrProp(object, again, translated);
        }
        break;
      }
      case TTypeKind::Object:
      case TTypeKind::StringList:
      case TTypeKind::Collection:
        if (TObject* value = GetObjectProp(object, prop)) {
          todo.push_back(value);
          NoteOrigin(value);
        }
        break;
      default: break;
    }
  } catch (const std::exception& e) {
    const Exception* known = dynamic_cast<const Exception*>(&e);
    const std::string reason = known ? known->Message() : e.what();
    throw Exception("Property cannot be translated.\r\nUse TP_GlobalIgnoreClassProperty(" +
                    std::string(object->ClassName()) + "," + prop->name + ") or\r\nTP_Ignore (self,'." +
                    prop->name + "') to prevent this message.\r\nReason: " + reason);
  }
}

void TTranslator::TranslateStrings(TStrings* list, const std::string& domain) {
  if (!list) return;
  TStringList copy;
  for (int i = 0; i < list->Count(); ++i) copy.AddObject(list->Get(i), list->Objects(i));
  for (int i = 0; i < copy.Count(); ++i) {
    const std::string line = copy.Get(i);
    if (!line.empty()) copy.Put(i, WideToAnsi(dgettext(domain, AnsiToWide(line))));
  }
  TStringList* target = DynamicCast<TStringList>(list);
  if (!target) {
    list->Assign(&copy);
    return;
  }
  copy.SetCaseSensitive(target->GetCaseSensitive());
  copy.SetDuplicates(target->GetDuplicates());
  copy.SetSorted(target->GetSorted());
  // Assigning clears the list first: a list that owns its objects would free the very
  // objects that come back with the translated lines.
  const bool owns = target->GetOwnsObjects();
  target->SetOwnsObjects(false);
  try {
    target->Assign(&copy);
  } catch (...) {
    target->SetOwnsObjects(owns);
    throw;
  }
  target->SetOwnsObjects(owns);
}
