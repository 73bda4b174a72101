#include "core_test_classes.h"

#include "toolkit/classregistry.h"
#include "toolkit/formreader.h"

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

namespace {

const TEnumInfo& AlignInfo() {
  static const TEnumInfo info{"taNone", "taTop", "taBottom", "taClient"};
  return info;
}
const TEnumInfo& AnchorInfo() {
  static const TEnumInfo info{"tkLeft", "tkTop", "tkRight", "tkBottom"};
  return info;
}

int next_serial = 0;

std::string Tag(const TComponent* c) {
  return c->GetName().empty() ? std::string(c->ClassName()) : c->GetName();
}

}  // namespace

// ---- TTestFont -----------------------------------------------------------------------------

TK_CLASS_INFO(TTestFont, TPersistent)

void TTestFont::Publish(TPublisher<TTestFont>& p) {
  p.Color("Color", &TTestFont::GetColor, &TTestFont::SetColor).Default(clWindowText);
  p.Integer("Height", &TTestFont::GetHeight, &TTestFont::SetHeight).Default(-11);
  p.String("Name", &TTestFont::GetName, &TTestFont::SetName);
}

void TTestFont::Assign(TPersistent* source) {
  if (auto* font = DynamicCast<TTestFont>(source)) {
    height_ = font->height_;
    name_ = font->name_;
    color_ = font->color_;
  } else {
    inherited::Assign(source);
  }
}

// ---- TTestColumn ---------------------------------------------------------------------------

TK_CLASS_INFO(TTestColumn, TCollectionItem)

void TTestColumn::Publish(TPublisher<TTestColumn>& p) {
  p.String("Caption", &TTestColumn::GetCaption, &TTestColumn::SetCaption);
  p.Integer("Width", &TTestColumn::GetWidth, &TTestColumn::SetWidth).Default(50);
}

void TTestColumn::Assign(TPersistent* source) {
  if (auto* column = DynamicCast<TTestColumn>(source)) {
    caption_ = column->caption_;
    width_ = column->width_;
  } else {
    inherited::Assign(source);
  }
}

// ---- TTestWidget ---------------------------------------------------------------------------

TK_CLASS_INFO(TTestWidget, TComponent)

void TTestWidget::Publish(TPublisher<TTestWidget>& p) {
  p.String("Caption", &TTestWidget::GetCaption, &TTestWidget::SetCaption);
  p.WideString("Hint", &TTestWidget::GetHint, &TTestWidget::SetHint);
  p.Integer("Count", &TTestWidget::GetCount, &TTestWidget::SetCount).Default(0);
  p.Float("Ratio", &TTestWidget::GetRatio, &TTestWidget::SetRatio).Default(1);
  p.Enumeration("Align", AlignInfo(), &TTestWidget::GetAlign, &TTestWidget::SetAlign).Default(taNone);
  p.Boolean("Visible", &TTestWidget::GetVisible, &TTestWidget::SetVisible).Default(true);
  p.Set("Anchors", AnchorInfo(), &TTestWidget::GetAnchors, &TTestWidget::SetAnchors)
      .Default(TTestAnchors{tkLeft, tkTop}.Bits());
  p.Color("Color", &TTestWidget::GetColor, &TTestWidget::SetColor).Default(clBtnFace);
  p.Object("Font", &TTestWidget::GetFont, &TTestWidget::SetFont);
  p.Strings("Items", &TTestWidget::GetItems, &TTestWidget::SetItems);
  p.Collection("Columns", &TTestWidget::GetColumns, &TTestWidget::SetColumns);
  p.Binary("Data", &TTestWidget::GetData, &TTestWidget::SetData);
  p.Object("Buddy", &TTestWidget::GetBuddy, &TTestWidget::SetBuddy);
  p.Integer("Serial", &TTestWidget::GetSerial);
  p.Event("OnClick", &TTestWidget::OnClick);
  p.Event("OnKey", &TTestWidget::OnKey);
}

TTestWidget::TTestWidget(TComponent* owner)
    : TComponent(owner),
      font_(New<TTestFont>()),
      items_(New<TStringList>()),
      columns_(New<TCollection>(TTestColumn::StaticClass(), this)),
      serial_(++next_serial) {}

TTestWidget::~TTestWidget() {
  // Owners mark what they own as destroying before freeing it.
  Log().push_back("destroy " + Tag(this) + (GetComponentState().Contains(csDestroying) ? "" : " unmarked"));
  Free(columns_);
  Free(items_);
  Free(font_);
}

void TTestWidget::AfterConstruction() {
  inherited::AfterConstruction();
  Log().push_back("after construction " + std::string(ClassName()));
}

void TTestWidget::BeforeDestruction() {
  Log().push_back("before destruction " + Tag(this));
  inherited::BeforeDestruction();
}

void TTestWidget::SetBuddy(TTestWidget* buddy) {
  buddy_ = buddy;
  if (buddy) buddy->FreeNotification(this);
}

void TTestWidget::SetParentComponent(TComponent* parent) {
  parent_ = parent;
  parent_set_before_properties = caption_writes_ == 0;
}

void TTestWidget::Loaded() {
  inherited::Loaded();
  Log().push_back("loaded " + Tag(this) + (GetComponentState().Contains(csReading) ? " reading" : ""));
}

void TTestWidget::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == buddy_) buddy_ = nullptr;
  Log().push_back(Tag(this) + (operation == opInsert ? " heard insert " : " heard remove ") + Tag(component));
}

// ---- TTestForm -----------------------------------------------------------------------------

TK_CLASS_INFO(TTestForm, TComponent)

void TTestForm::Publish(TPublisher<TTestForm>& p) {
  p.Event("OnCreate", &TTestForm::OnCreate);
  p.Method("WidgetClick", &TTestForm::WidgetClick);
  p.Method("OtherClick", &TTestForm::OtherClick);
  p.Method("WidgetKey", &TTestForm::WidgetKey);
  p.Method("FormCreate", &TTestForm::FormCreate);
}

void TTestForm::WidgetClick(TObject* sender) {
  clicks.push_back("WidgetClick " + Tag(DynamicCast<TComponent>(sender)));
}
void TTestForm::OtherClick(TObject* sender) {
  clicks.push_back("OtherClick " + Tag(DynamicCast<TComponent>(sender)));
}
void TTestForm::WidgetKey(TObject*, WORD& key, int repeat) { key = static_cast<WORD>(key + repeat); }
void TTestForm::NotPublished(TObject*) {}

void TTestForm::FormCreate(TObject*) {
  std::string seen = "create:";
  for (int i = 0; i < GetComponentCount(); ++i) {
    auto* w = DynamicCast<TTestWidget>(GetComponent(i));
    seen += " " + GetComponent(i)->GetName() + (w ? "=" + w->GetCaption() : std::string());
  }
  Log().push_back(seen);
}

void TTestForm::Create(std::string_view definition, std::string_view source) {
  ReadComponentFromText(this, definition, source);
  OnCreate(this);
}

void TTestForm::Loaded() {
  inherited::Loaded();
  Log().push_back("loaded " + GetName());
}

void RegisterTestClasses() { RegisterClasses({TTestWidget::StaticClass(), TTestForm::StaticClass()}); }
