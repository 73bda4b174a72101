#include "app/mainform.h"

#include <utility>

#include "app/atomicsave.h"
#include "app/classlist.h"
#include "app/export_excel.h"
#include "app/export_html.h"
#include "app/export_text.h"
#include "app/exportui.h"
#include "app/settings.h"
#include "app/startlistfile.h"
#include "app/startlistform.h"
#include "app/startlistlogic.h"
#include "bitmap32/label32.h"
#include "i18n/translator.h"
#include "resources/resource_ids.h"
#include "skin/controls/sbuttons.h"
#include "toolkit/buttons.h"
#include "toolkit/dialogs.h"
#include "toolkit/labels.h"
#include "toolkit/listview.h"
#include "toolkit/menus.h"
#include "toolkit/resstrings.h"
#include "toolkit/shell.h"
#include "toolkit/sysutils.h"
#include "toolkit/timers.h"
#include "toolkit/typinfo.h"
#include "toolkit/starttrace.h"
#include "widgets/galoled.h"
#include "widgets/indicator.h"
#include "widgets/wxled.h"
#include "widgets/wxspeedbutton.h"

TK_CLASS_INFO(TMain, TForm)

void TMain::Publish(TPublisher<TMain>& p) {
  p.Method("FormCreate", &TMain::FormCreate);
  p.Method("FormShow", &TMain::FormShow);
  p.Method("FormCloseQuery", &TMain::FormCloseQuery);
  p.Method("FormKeyDown", &TMain::FormKeyDown);
  p.Method("btnStartMouseDown", &TMain::btnStartMouseDown);
  p.Method("btnTriggerMouseDown", &TMain::btnTriggerMouseDown);
  p.Method("btnStopMouseDown", &TMain::btnStopMouseDown);
  p.Method("btnCrashMouseDown", &TMain::btnCrashMouseDown);
  p.Method("TimersTimerTimer", &TMain::TimersTimerTimer);
  p.Method("BlinkTimerTimer", &TMain::BlinkTimerTimer);
  p.Method("CountDownTimer", &TMain::CountDownTimer);
  p.Method("ListProtocolCompare", &TMain::ListProtocolCompare);
  p.Method("miRemoveClick", &TMain::miRemoveClick);
  p.Method("ledOn3Click", &TMain::ledOn3Click);
  p.Method("ud3Click", &TMain::ud3Click);
  p.Method("ud1ContextPopup", &TMain::ud1ContextPopup);
  p.Method("btnExportHTMLClick", &TMain::btnExportHTMLClick);
  p.Method("btnExportExcelClick", &TMain::btnExportExcelClick);
  p.Method("btnExportWordpadClick", &TMain::btnExportWordpadClick);
  p.Method("btnConfigClick", &TMain::btnConfigClick);
  p.Method("btnInfoClick", &TMain::btnInfoClick);
  p.Method("btnHelpClick", &TMain::btnHelpClick);
  p.Method("btnStartListClick", &TMain::btnStartListClick);
}

TMain::TMain(TComponent* owner) : TForm(owner), race_(std::make_unique<TRaceMachine>(*this)) { Main = this; }

TMain::~TMain() {
  if (Main == this) Main = nullptr;
}

template <class T>
T* TMain::Component(const std::string& name) const {
  // A definition that lacks a component the window needs is a build fault, not a user's.
  T* component = DynamicCast<T>(FindComponent(name));
  if (!component) throw EComponentError(Format("Component %s of the main window is missing", name.c_str()));
  return component;
}

void TMain::FindComponents() {
  for (int n = 1; n <= 3; ++n) {
    TLaneControls& lane = lane_[n - 1];
    const std::string prefix = "lbl_" + std::to_string(n);
    lane.Display = Component<TIAeverLiquidIndicator>(prefix + "ind");
    lane.Lamp = Component<TIAgaloLED>("led" + std::to_string(n));
    lane.Title = Component<TLabel32>(prefix + "Title");
    for (int lap = 1; lap <= 3; ++lap)
      lane.Lap[lap - 1] = Component<TLabel32>(prefix + "r" + std::to_string(lap));
    lane.Status = Component<TLabel32>(prefix + "Status");
    lane.Switch = Component<TWxLED>("ledOn" + std::to_string(n));
    lane.UpDown = Component<TCustomUpDown>("ud" + std::to_string(n));
  }
  btnStart = Component<TWxSpeedButton>("btnStart");
  btnTrigger = Component<TWxSpeedButton>("btnTrigger");
  btnStop = Component<TWxSpeedButton>("btnStop");
  btnCrash = Component<TWxSpeedButton>("btnCrash");
  btnConfig = Component<TsButton>("btnConfig");
  btnInfo = Component<TsButton>("btnInfo");
  btnHelp = Component<TsButton>("btnHelp");
  btnStartList = Component<TsButton>("btnStartList");
  btnExportHTML = Component<TsButton>("btnExportHTML");
  btnExportExcel = Component<TsButton>("btnExportExcel");
  btnExportWordpad = Component<TsButton>("btnExportWordpad");
  ListProtocol = Component<TListView>("ListProtocol");
  CountDown = Component<TTimer>("CountDown");
  SaveHTML = Component<TSaveDialog>("SaveHTML");
  SaveRTF = Component<TSaveDialog>("SaveRTF");
}

const TMain::TLaneControls* TMain::Lane(int lane) const {
  return lane >= 1 && lane <= 3 && lane_[lane - 1].Display ? &lane_[lane - 1] : nullptr;
}

TMain::TLaneControls* TMain::Lane(int lane) {
  return const_cast<TLaneControls*>(static_cast<const TMain*>(this)->Lane(lane));
}

TLaneAssignment* TMain::Assignment() const {
  // The start list editor is created after the main window: the lanes reach its list once
  // it exists.
  if (!lanes_ && StartList)
    lanes_ = std::make_unique<TLaneAssignment>(*const_cast<TMain*>(this), StartList->Logic(), *race_);
  return lanes_.get();
}

int TMain::LaneOf(TObject* sender) const {
  for (int n = 1; n <= 3; ++n)
    if (sender == lane_[n - 1].Switch || sender == lane_[n - 1].UpDown) return n;
  return 0;
}

TControl* TMain::Button(TRaceButton button) const {
  switch (button) {
    case TRaceButton::btnStart: return btnStart;
    case TRaceButton::btnTrigger: return btnTrigger;
    case TRaceButton::btnStop: return btnStop;
    case TRaceButton::btnCrash: return btnCrash;
    case TRaceButton::btnConfig: return btnConfig;
    case TRaceButton::btnInfo: return btnInfo;
    case TRaceButton::btnHelp: return btnHelp;
    case TRaceButton::btnStartList: return btnStartList;
    case TRaceButton::btnExportHTML: return btnExportHTML;
    case TRaceButton::btnExportExcel: return btnExportExcel;
    case TRaceButton::btnExportWordpad: return btnExportWordpad;
  }
  return nullptr;
}

// ---- Creation and first showing -----------------------------------------------------------

void TMain::FormCreate(TObject*) {
  SetCaption(LoadStr(IDS_MAIN_CAPTION));
  TranslateComponent(this);
  FindComponents();
  SetKeyPreview(true);
  const std::string exe = GetModuleName(nullptr);
  AppPaths.ClassList = ClassListFileName(exe);
  AppPaths.WorkingStartList = WorkingStartListFileName(exe);
  AppPaths.Settings = SettingsFileName(exe);
  AppPaths.Help = ChangeFileExt(exe, ".hlp");
  RemoveStaleTemporaries(ExtractFilePath(exe));
  for (int lane = 1; lane <= 3; ++lane) {
    SetLaneSwitch(lane, false);
    SetLaneLampColor(lane, clLaneRed);
  }
  SetConfigTriggerHandler(TNotifyEvent(this, &TMain::LightBarrierTrigger));
}

void TMain::FormShow(TObject*) {
  if (columns_built_) return;
  columns_built_ = true;
  BuildProtocolColumns();
  StartMark("protocol columns built");
  ConfigOpenSavedPort();
}

void TMain::FormCloseQuery(TObject*, bool& can_close) {
  // Each question keeps the program open by default: Enter must not throw a heat or the
  // day's protocol away.
  auto ask = [this](UINT text) {
    return Application->MessageBox(LoadStr(text), GetCaption(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
           IDYES;
  };
  if (race_->Armed() && !ask(IDS_CLOSE_HEAT_RUNNING)) {
    can_close = false;
    return;
  }
  if (protocol_exported_ || GetProtocolCount() == 0) return;
  can_close = ask(IDS_CLOSE_PROTOCOL_NOT_EXPORTED);
}

void TMain::BuildProtocolColumns() {
  std::vector<TListColumnInfo> columns = StartListColumns();
  if (!columns.empty()) columns[0].Caption = LoadStr(IDS_PROTOCOL_PLACE);
  const std::string lap = GetWord(TRaceWord::Lap);
  for (const char* n : {" 1", " 2", " 3"}) columns.push_back({lap + n, 55});
  columns.push_back({LoadStr(IDS_PROTOCOL_BEST), 55});
  // One change for the window, while it does not redraw: each column told on its own costs
  // an insert, a caption and a width, and each insert lets the list lay out its rows, header
  // and bars again.
  TListItems* rows = ListProtocol->GetItems();
  TListColumns* list = ListProtocol->GetColumns();
  rows->BeginUpdate();
  list->BeginUpdate();
  try {
    list->Clear();
    for (const TListColumnInfo& info : columns) {
      TListColumn* column = list->Add();
      column->SetCaption(info.Caption);
      column->SetWidth(info.Width);
    }
  } catch (...) {
    list->EndUpdate();
    rows->EndUpdate();
    throw;
  }
  list->EndUpdate();
  rows->EndUpdate();
}

// ---- Keys, race buttons, timers --------------------------------------------------------------

void TMain::FormKeyDown(TObject*, WORD& key, TShiftState shift) {
  // F10 is the system menu's key: once it has run the crash it must not open that menu too.
  if (race_->FormKeyDown(key, shift.Bits()) && key == VK_F10) key = 0;
}

// Every press acts once, whichever mouse button (the second press of a double click too).
void TMain::btnStartMouseDown(TObject*, TMouseButton, TShiftState, int, int) { race_->PrepareRace(); }
void TMain::btnTriggerMouseDown(TObject*, TMouseButton, TShiftState, int, int) { race_->TriggerEvent(); }
void TMain::btnStopMouseDown(TObject*, TMouseButton, TShiftState, int, int) { race_->StopRace(); }
void TMain::btnCrashMouseDown(TObject*, TMouseButton, TShiftState, int, int) { race_->CrashRace(); }
void TMain::LightBarrierTrigger(TObject*) { race_->RunCommand(TRaceCommand::Trigger); }

void TMain::TimersTimerTimer(TObject*) { race_->TimersTimerTimer(); }
void TMain::BlinkTimerTimer(TObject*) { race_->BlinkTimerTimer(); }
void TMain::CountDownTimer(TObject*) { race_->CountDownTimer(); }

// ---- Lane assignment ------------------------------------------------------------------------

void TMain::ledOn3Click(TObject* sender) {
  auto* lane_switch = DynamicCast<TWxLED>(sender);
  if (!lane_switch || !Assignment()) return;
  lane_switch->SetStatus(!lane_switch->GetStatus());
  Assignment()->ledOn3Click(static_cast<int>(lane_switch->GetTag()), lane_switch->GetStatus());
}

void TMain::ud3Click(TObject*, TUDBtnType) {
  if (Assignment()) Assignment()->ud3Click();
}

void TMain::ud1ContextPopup(TObject* sender, POINT, bool& handled) {
  if (Assignment() && Assignment()->ud1ContextPopup(LaneOf(sender))) handled = true;
}

// ---- Protocol ---------------------------------------------------------------------------------

namespace {

TProtocolRow RowOf(const TListItem* item) {
  TProtocolRow row{item->GetCaption(), {}};
  const TStrings* sub_items = item->GetSubItems();
  const int count = sub_items->Count();
  row.SubItems.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) row.SubItems.push_back(sub_items->Get(i));
  return row;
}

// A row as the ranking reads it: its best lap, the last sub-item, written into `row`. Copying
// whole rows for a sort of tens of thousands cost more than the sort.
void ReadRankRow(const TListItem* item, TProtocolRow& row) {
  const TStrings* sub_items = item->GetSubItems();
  const int count = sub_items->Count();
  row.SubItems.resize(count ? 1 : 0);
  if (count) row.SubItems[0] = sub_items->Get(count - 1);
}

}  // namespace

void TMain::ListProtocolCompare(TObject*, TListItem* item1, TListItem* item2, intptr_t, int& compare) {
  TProtocolRow spare1, spare2;
  const TProtocolRow& a = SortRow(item1, spare1);
  const TProtocolRow& b = SortRow(item2, spare2);
  compare = protocol_compare_ ? protocol_compare_(a, b) : TProtocol::ListProtocolCompare(a, b);
}

// The rows read for the running sort, found by the index the item had when it began (the
// list renumbers its items only after sorting); any other item is read now.
const TProtocolRow& TMain::SortRow(const TListItem* item, TProtocolRow& spare) const {
  const size_t index = static_cast<size_t>(item->GetIndex());
  if (index < sort_count_ && sort_items_[index] == item) return sort_rows_[index];
  ReadRankRow(item, spare);
  return spare;
}

void TMain::miRemoveClick(TObject*) {
  if (ListProtocol->GetSelCount() == 0) return;
  if (Application->MessageBox(LoadStr(IDS_DELETE_RECORD), GetCaption(), MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  ListProtocol->DeleteSelected();
  protocol_exported_ = false;
}

TProtocolTable TMain::ProtocolTable() const {
  TProtocolTable table;
  const TListColumns* columns = ListProtocol->GetColumns();
  for (int i = 0; i < columns->GetCount(); ++i)
    table.Columns.push_back({columns->GetItem(i)->GetCaption(), columns->GetItem(i)->GetWidth()});
  const TListItems* items = ListProtocol->GetItems();
  for (int i = 0; i < items->GetCount(); ++i) table.Rows.push_back(RowOf(items->GetItem(i)));
  return table;
}

// ---- Exports and the other forms ------------------------------------------------------------

void TMain::btnExportHTMLClick(TObject*) {
  if (!SaveHTML->Execute()) return;
  const std::string file = SaveHTML->GetFileName();
  DWORD error = 0;
  if (!ListViewToHTML(ProtocolTable(), ConfigSign(), file, &error)) {
    ShowExportMessage(GetHandle(), ExportFailedMessage(file, error));
    return;
  }
  protocol_exported_ = true;
  ShellOpenFile(file);
}

void TMain::btnExportExcelClick(TObject*) {
  // A failing automation call raises before the protocol counts as exported.
  if (auto message = ProtocolToSpreadsheet(ProtocolTable(), DateToStr(Date()), ConfigTitle(), ConfigSign()))
    ShowExportMessage(GetHandle(), *message);
  else
    protocol_exported_ = true;
}

void TMain::btnExportWordpadClick(TObject*) {
  if (!SaveRTF->Execute()) return;
  const std::string file = SaveRTF->GetFileName();
  // A write error raises and reaches the application's error report; the file is then not opened.
  SaveProtocolText(file, ProtocolTable(), DateToStr(Date()), ConfigTitle(), ConfigSign());
  protocol_exported_ = true;
  ShellOpenFile(file);
}

void TMain::btnConfigClick(TObject*) { ShowConfig(); }
void TMain::btnInfoClick(TObject*) { ShowInfo(); }
void TMain::btnHelpClick(TObject*) { ShellExecuteOpen(AppPaths.Help); }

void TMain::btnStartListClick(TObject*) {
  ShowStartListEditor();
  UpdateLanes();
}

// ---- TRaceView ------------------------------------------------------------------------------

bool TMain::GetLaneSwitch(int lane) const {
  const TLaneControls* controls = Lane(lane);
  return controls && controls->Switch->GetStatus();
}

void TMain::SetLaneText(int lane, TLaneElement element, const std::string& text) {
  TLaneControls* controls = Lane(lane);
  if (!controls) return;
  switch (element) {
    case TLaneElement::Display: controls->Display->SetIndicatorstring(text); break;
    case TLaneElement::Title: controls->Title->SetCaption(text); break;
    case TLaneElement::Lap1: controls->Lap[0]->SetCaption(text); break;
    case TLaneElement::Lap2: controls->Lap[1]->SetCaption(text); break;
    case TLaneElement::Lap3: controls->Lap[2]->SetCaption(text); break;
    case TLaneElement::Status: controls->Status->SetCaption(text); break;
  }
}

std::string TMain::GetLaneDisplayText(int lane) const {
  const TLaneControls* controls = Lane(lane);
  return controls ? controls->Display->GetIndicatorstring() : std::string();
}

void TMain::SetLaneLampColor(int lane, TLaneColor color) {
  if (TLaneControls* controls = Lane(lane)) controls->Lamp->SetLedPlasticColor(color);
}

TLaneColor TMain::GetLaneLampColor(int lane) const {
  const TLaneControls* controls = Lane(lane);
  return controls ? controls->Lamp->GetLedPlasticColor() : clLaneNone;
}

void TMain::UpdateLanes() {
  if (Assignment()) Assignment()->UpdateLanes();
}

bool TMain::GetLaneParticipant(int lane, TStartListEntry& entry) const {
  return Assignment() && Assignment()->GetLaneParticipant(lane, entry);
}

bool TMain::GetButtonEnabled(TRaceButton button) const {
  TControl* control = Button(button);
  return control && control->GetEnabled();
}

void TMain::SetButtonEnabled(TRaceButton button, bool enabled) {
  if (TControl* control = Button(button)) control->SetEnabled(enabled);
}

void TMain::SetTriggerCaption(const std::string& caption) { btnTrigger->SetCaption(caption); }
void TMain::SetDisplayTimerEnabled(bool enabled) { Component<TTimer>("TimersTimer")->SetEnabled(enabled); }
bool TMain::GetCountDownEnabled() const { return CountDown->GetEnabled(); }
void TMain::SetCountDownEnabled(bool enabled) { CountDown->SetEnabled(enabled); }
int TMain::GetCountDownTag() const { return static_cast<int>(CountDown->GetTag()); }
void TMain::SetCountDownTag(int tag) { CountDown->SetTag(tag); }
int TMain::GetCountDownSeconds() const { return ConfigCountDown(); }
int TMain::GetLapChoice() const { return ConfigLapChoice(); }

std::string TMain::GetWord(TRaceWord word) const {
  switch (word) {
    case TRaceWord::Start: return LoadStr(IDS_WORD_START);
    case TRaceWord::Prepare: return LoadStr(IDS_WORD_PREPARE);
    case TRaceWord::Waiting: return LoadStr(IDS_WORD_WAITING);
    case TRaceWord::Finish: return LoadStr(IDS_WORD_FINISH);
    case TRaceWord::Stop: return LoadStr(IDS_WORD_STOP);
    case TRaceWord::Crash: return LoadStr(IDS_WORD_CRASH);
    case TRaceWord::Lap: return LoadStr(IDS_WORD_LAP);
    case TRaceWord::F8: return LoadStr(IDS_WORD_F8);
  }
  return {};
}

int TMain::GetProtocolCount() const { return ListProtocol->GetItems()->GetCount(); }

TProtocolRow TMain::GetProtocolRow(int index) const {
  return RowOf(ListProtocol->GetItems()->GetItem(index));
}

void TMain::AppendProtocolRow(const TProtocolRow& row) {
  protocol_exported_ = false;
  TListItem* item = ListProtocol->GetItems()->Add();
  item->SetCaption(row.Caption);
  TStrings* sub_items = item->GetSubItems();
  sub_items->BeginUpdate();
  for (const std::string& text : row.SubItems) sub_items->Add(text);
  sub_items->EndUpdate();
}

void TMain::SetProtocolCaption(int index, const std::string& caption) {
  ListProtocol->GetItems()->GetItem(index)->SetCaption(caption);
}

void TMain::SortProtocol(const TProtocolCompare& compare) {
  // The list's sort is stable and asks ListProtocolCompare, which applies `compare`.
  protocol_compare_ = compare;
  const TListItems* items = ListProtocol->GetItems();
  sort_count_ = static_cast<size_t>(items->GetCount());
  sort_items_.resize(sort_count_);
  // Never shrunk: the next heat's rows reuse the cells' memory.
  if (sort_rows_.size() < sort_count_) sort_rows_.resize(sort_count_);
  for (size_t i = 0; i < sort_count_; ++i) {
    sort_items_[i] = items->GetItem(static_cast<int>(i));
    ReadRankRow(sort_items_[i], sort_rows_[i]);
  }
  auto done = [this] {
    sort_count_ = 0;
    protocol_compare_ = nullptr;
  };
  try {
    ListProtocol->AlphaSort();
  } catch (...) {
    done();
    throw;
  }
  done();
}

void TMain::BeginProtocolUpdate() { ListProtocol->GetItems()->BeginUpdate(); }
void TMain::EndProtocolUpdate() { ListProtocol->GetItems()->EndUpdate(); }

// ---- TLaneAssignmentView ------------------------------------------------------------------

void TMain::SetLaneSwitch(int lane, bool on) {
  if (TLaneControls* controls = Lane(lane)) controls->Switch->SetStatus(on);
}

void TMain::SetLaneSwitchEnabled(int lane, bool enabled) {
  if (TLaneControls* controls = Lane(lane)) controls->Switch->SetEnabled(enabled);
}

int TMain::GetUpDownPosition(int lane) const {
  const TLaneControls* controls = Lane(lane);
  return controls ? controls->UpDown->GetPosition() : 0;
}

void TMain::SetUpDownPosition(int lane, int position) {
  if (TLaneControls* controls = Lane(lane)) controls->UpDown->SetPosition(position);
}

int TMain::GetUpDownMax(int lane) const {
  const TLaneControls* controls = Lane(lane);
  return controls ? controls->UpDown->GetMax() : 0;
}

void TMain::SetUpDownMax(int lane, int max) {
  if (TLaneControls* controls = Lane(lane)) controls->UpDown->SetMax(max);
}

bool TMain::GetUpDownEnabled(int lane) const {
  const TLaneControls* controls = Lane(lane);
  return controls && controls->UpDown->GetEnabled();
}

void TMain::SetUpDownEnabled(int lane, bool enabled) {
  if (TLaneControls* controls = Lane(lane)) controls->UpDown->SetEnabled(enabled);
}

void TMain::SetLaneTitle(int lane, const std::string& title) {
  SetLaneText(lane, TLaneElement::Title, title);
}

void TMain::SetStartEnabled(bool enabled) { btnStart->SetEnabled(enabled); }

bool TMain::ExecuteSelectCar(const std::vector<std::string>& lines, int& selected) {
  return ::ExecuteSelectCar(lines, selected);
}
