// A small class tree for the object-model, property and form-definition tests: a form-like
// root with published handlers, widgets with one property of every kind, a nested object, a
// string list and a collection. Everything that happens in order is appended to Log().
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/collections.h"
#include "toolkit/colors.h"
#include "toolkit/components.h"
#include "toolkit/events.h"
#include "toolkit/strings.h"
#include "toolkit/typinfo.h"

std::vector<std::string>& Log();

enum TTestAlign { taNone, taTop, taBottom, taClient };
enum TTestAnchor { tkLeft, tkTop, tkRight, tkBottom };
using TTestAnchors = TSet<TTestAnchor>;
using TTestKeyEvent = TEvent<TObject*, WORD&, int>;

class TTestFont : public TPersistent {
  TK_CLASS(TTestFont, TPersistent)

 public:
  int GetHeight() const { return height_; }
  void SetHeight(int height) { height_ = height; }
  const std::string& GetName() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }
  TColor GetColor() const { return color_; }
  void SetColor(TColor color) { color_ = color; }
  void Assign(TPersistent* source) override;

 private:
  static void Publish(TPublisher<TTestFont>& p);
  int height_ = -11;
  std::string name_ = "Tahoma";
  TColor color_ = clWindowText;
};

class TTestColumn : public TCollectionItem {
  TK_CLASS(TTestColumn, TCollectionItem)

 public:
  using TCollectionItem::TCollectionItem;
  const std::string& GetCaption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; }
  int GetWidth() const { return width_; }
  void SetWidth(int width) { width_ = width; }
  std::string GetDisplayName() const override { return caption_; }
  void Assign(TPersistent* source) override;

 private:
  static void Publish(TPublisher<TTestColumn>& p);
  std::string caption_;
  int width_ = 50;
};

// A component with one published property of each kind; a component named by the test
// decides what its Loaded and Notification log.
class TTestWidget : public TComponent {
  TK_CLASS(TTestWidget, TComponent)

 public:
  explicit TTestWidget(TComponent* owner);
  ~TTestWidget() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  const std::string& GetCaption() const { return caption_; }
  void SetCaption(const std::string& caption) {
    caption_ = caption;
    ++caption_writes_;
  }
  int GetCaptionWrites() const { return caption_writes_; }
  const std::wstring& GetHint() const { return hint_; }
  void SetHint(const std::wstring& hint) { hint_ = hint; }
  double GetRatio() const { return ratio_; }
  void SetRatio(double ratio) { ratio_ = ratio; }
  int16_t GetCount() const { return count_; }
  void SetCount(int16_t count) { count_ = count; }
  TTestAlign GetAlign() const { return align_; }
  void SetAlign(TTestAlign align) { align_ = align; }
  bool GetVisible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  TTestAnchors GetAnchors() const { return anchors_; }
  void SetAnchors(TTestAnchors anchors) { anchors_ = anchors; }
  TColor GetColor() const { return color_; }
  void SetColor(TColor color) { color_ = color; }
  TTestFont* GetFont() const { return font_; }
  void SetFont(TTestFont* font) { font_->Assign(font); }
  TStringList* GetItems() const { return items_; }
  void SetItems(TStrings* items) { items_->Assign(items); }
  TCollection* GetColumns() const { return columns_; }
  void SetColumns(TCollection* columns) { columns_->Assign(columns); }
  const std::string& GetData() const { return data_; }
  void SetData(const std::string& data) { data_ = data; }
  TTestWidget* GetBuddy() const { return buddy_; }
  void SetBuddy(TTestWidget* buddy);
  int GetSerial() const { return serial_; }

  TNotifyEvent OnClick;
  TTestKeyEvent OnKey;

  TComponent* GetParentComponent() const override { return parent_; }
  void SetParentComponent(TComponent* parent) override;
  bool parent_set_before_properties = false;

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  static void Publish(TPublisher<TTestWidget>& p);
  std::string caption_;
  int caption_writes_ = 0;
  std::wstring hint_;
  int16_t count_ = 0;
  double ratio_ = 1;
  TTestAlign align_ = taNone;
  bool visible_ = true;
  TTestAnchors anchors_{tkLeft, tkTop};
  TColor color_ = clBtnFace;
  TTestFont* font_;
  TStringList* items_;
  TCollection* columns_;
  std::string data_;
  TTestWidget* buddy_ = nullptr;
  TComponent* parent_ = nullptr;
  int serial_;
};

// A form-like root: published handlers, an OnCreate that runs after its definition is read.
class TTestForm : public TComponent {
  TK_CLASS(TTestForm, TComponent)

 public:
  using TComponent::TComponent;

  void WidgetClick(TObject* sender);
  void OtherClick(TObject* sender);
  void WidgetKey(TObject* sender, WORD& key, int repeat);
  void FormCreate(TObject* sender);
  void NotPublished(TObject* sender);

  // Reads the definition text, then runs OnCreate, as forms do.
  void Create(std::string_view definition, std::string_view source = "test.form");

  TNotifyEvent OnCreate;
  std::vector<std::string> clicks;

 protected:
  void Loaded() override;

 private:
  static void Publish(TPublisher<TTestForm>& p);
};

// Registers the test classes for creation by name.
void RegisterTestClasses();
