// Components with published string properties, a nested object, a string list, a
// collection and a component reference, for the component translation tests.
#pragma once

#include "toolkit/collections.h"
#include "toolkit/components.h"
#include "toolkit/strings.h"
#include "toolkit/typinfo.h"

class TSampleFont : public TPersistent {
  TK_CLASS(TSampleFont, TPersistent)

 public:
  TSampleFont() = default;
  std::string Name;

 private:
  static void Publish(TPublisher<TSampleFont>& p);
};

class TSampleItem : public TCollectionItem {
  TK_CLASS(TSampleItem, TCollectionItem)

 public:
  explicit TSampleItem(TCollection* collection) : TCollectionItem(collection) {}
  std::string Caption;

 private:
  static void Publish(TPublisher<TSampleItem>& p);
};

class TSampleComponent : public TComponent {
  TK_CLASS(TSampleComponent, TComponent)

 public:
  explicit TSampleComponent(TComponent* owner);
  ~TSampleComponent() override;

  const std::string& GetCaption() const { return caption_; }
  void SetCaption(const std::string& caption);
  std::string GetFixed() const { return fixed_; }
  void SetFixedText(const std::string& text) { fixed_ = text; }

  std::wstring Hint;
  TSampleFont* Font;
  TStringList* Lines;
  TCollection* Columns;
  TSampleComponent* Partner = nullptr;
  // A Caption setter that refuses this value, as a control might.
  std::string RefusedCaption;

 private:
  static void Publish(TPublisher<TSampleComponent>& p);
  std::string caption_;
  std::string fixed_;
};

// Counts its destructions, to see that a string list did not free it.
class TTracked : public TObject {
 public:
  explicit TTracked(int* destroyed) : destroyed_(destroyed) {}
  ~TTracked() override { ++*destroyed_; }

 private:
  int* destroyed_;
};
