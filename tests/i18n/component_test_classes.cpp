#include "tests/i18n/component_test_classes.h"

TK_CLASS_INFO(TSampleFont, TPersistent)
TK_CLASS_INFO(TSampleItem, TCollectionItem)
TK_CLASS_INFO(TSampleComponent, TComponent)

void TSampleFont::Publish(TPublisher<TSampleFont>& p) { p.String("Name", &TSampleFont::Name); }

void TSampleItem::Publish(TPublisher<TSampleItem>& p) { p.String("Caption", &TSampleItem::Caption); }

TSampleComponent::TSampleComponent(TComponent* owner)
    : TComponent(owner),
      Font(New<TSampleFont>()),
      Lines(New<TStringList>()),
      Columns(New<TCollection>(TSampleItem::StaticClass(), this)) {}

TSampleComponent::~TSampleComponent() {
  Free(Columns);
  Free(Lines);
  Free(Font);
}

void TSampleComponent::SetCaption(const std::string& caption) {
  if (!RefusedCaption.empty() && caption == RefusedCaption) throw Exception("refused by the control");
  caption_ = caption;
}

void TSampleComponent::Publish(TPublisher<TSampleComponent>& p) {
  p.String("Caption", &TSampleComponent::GetCaption, &TSampleComponent::SetCaption);
  p.String("Fixed", &TSampleComponent::GetFixed);
  p.WideString("Hint", &TSampleComponent::Hint);
  p.Object("Font", &TSampleComponent::Font);
  p.Strings("Lines", &TSampleComponent::Lines);
  p.Collection("Columns", &TSampleComponent::Columns);
  p.Object("Partner", &TSampleComponent::Partner);
}
