// The main window's protocol list as the program makes it, with the internal skin: 200 ranked
// rows scrolled by dragging the skinned slider and by holding its arrows, and the header's hot
// and pressed sections, all through messages posted to the windows.
#include <windows.h>
#include <windowsx.h>

#include <gtest/gtest.h>

#include <string>

#include "app/appforms.h"
#include "app/classesform.h"
#include "app/mainform.h"
#include "app/protocol.h"
#include "app/startlistfile.h"
#include "app/startlistform.h"
#include "skin/controls/slistview.h"
#include "skin/controls/sscrollbar.h"
#include "skin/engine/sskinmanager.h"
#include "i18n/translator.h"
#include "toolkit/startup.h"
#include "tests/support/dialog_answerer.h"
#include "widgets/justone.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/forms.h"

namespace {

std::string ScratchFolder() {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(sizeof temp, temp);
  std::string folder =
      std::string(temp) + "dravolin_protocol_list_" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// A mouse message posted to a window, the cursor put at the same point first: the system's
// own mouse moves (after a window changes under the cursor) then agree with the posted ones.
void PostMouse(HWND window, UINT msg, WPARAM keys, LPARAM at) {
  POINT p{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  ClientToScreen(window, &p);
  if (msg == WM_MOUSELEAVE) p = POINT{0, 0};  // away from the window
  PlaceCursor(p);
  PostMessageA(window, msg, keys, at);
}

THeatLane Lane(int i) {
  THeatLane lane;
  lane.HasParticipant = true;
  const std::string n = std::to_string(i + 1);
  lane.Participant = {"", {"A", n, "Driver" + n, "Jo", "Ford", "Ka", "Linz", "AT"}};
  for (int lap = 0; lap < 3; ++lap) lane.LapTime[lap] = 30000 + (i * 7919 + lap * 131) % 60000;
  return lane;
}

class ProtocolList : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    lock_ = new TDesktopLock;
    // Copies of this program run side by side: an unnamed mutex keeps the guard from refusing.
    TXJustOne::SetMutexCreator([](const char*) { return CreateMutexA(nullptr, FALSE, nullptr); });
    Application->CreateForm(Main);
    const std::string folder = ScratchFolder();
    AppPaths.ClassList = folder + "Classes.Lst";
    AppPaths.WorkingStartList = folder + "Current.Asl";
    AppPaths.Settings = folder + "test.ini";
    AppPaths.Help = folder + "test.hlp";
    WriteStartListFile(AppPaths.WorkingStartList, {});
    Application->CreateForm(ClassesEditor);
    Application->CreateForm(AddClass);
    Application->CreateForm(EditClass);
    Application->CreateForm(StartList);
    Application->CreateForm(StartListEdit);
    Main->Show();
    Pump();
  }
  static void TearDownTestSuite() {
    ParkCursor();  // off the next test's windows
    delete lock_;
  }

  TsListView* List() { return DynamicCast<TsListView>(Main->FindComponent("ListProtocol")); }
  int TopIndex() { return static_cast<int>(SendMessageA(List()->GetHandle(), LVM_GETTOPINDEX, 0, 0)); }
  // The rows as heats leave them, the last one added, ranked and numbered by the protocol.
  void Fill(int rows) {
    List()->BeginUpdate();
    for (int i = List()->GetItems()->GetCount(); i < rows - 1; ++i) {
      THeatLane lane = Lane(i);
      TProtocolRow row = lane.Participant;
      for (std::string& cell : TProtocol::LaneCells(lane.LapTime, 3, "???")) row.SubItems.push_back(cell);
      Main->AppendProtocolRow(row);
    }
    List()->EndUpdate();
    TProtocol(*Main).AddHeat({Lane(rows)}, 3, "???");
  }
  static LPARAM Middle(const RECT& r) { return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

  static TDesktopLock* lock_;
};

TDesktopLock* ProtocolList::lock_ = nullptr;

}  // namespace

TEST_F(ProtocolList, TwoHundredRowsScrollByTheSkinnedSliderAndArrows) {
  ASSERT_NE(List(), nullptr);
  ASSERT_TRUE(List()->Skinned());
  Fill(200);
  EXPECT_EQ(List()->GetItems()->GetItem(199)->GetCaption(), "200");
  TsScrollBar* bar = List()->GetVerticalBar();
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(bar->GetVisible());
  const SCROLLINFO si = [&] {
    SCROLLINFO info{sizeof(info), SIF_ALL};
    GetScrollInfo(List()->GetHandle(), SB_VERT, &info);
    return info;
  }();
  EXPECT_EQ(bar->GetMax(), si.nMax - static_cast<int>(si.nPage) + 1);
  // The thirteen columns do not fit: the horizontal bar shares the corner.
  TsScrollBar* across = List()->GetHorizontalBar();
  ASSERT_NE(across, nullptr);
  EXPECT_EQ(bar->GetTop() + bar->GetHeight(), across->GetTop());

  // The slider dragged to the bottom of the track.
  const RECT slider = bar->PartRect(spSlider);
  const LPARAM grab = Middle(slider);
  const int bottom = bar->PartRect(spSecondButton).top;
  PostMouse(bar->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, grab);
  PostMouse(bar->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(LOWORD(grab), bottom / 2));
  ASSERT_TRUE(PumpUntil([&] { return bar->GetPosition() > 0; }));
  EXPECT_EQ(TopIndex(), bar->GetPosition());
  PostMouse(bar->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(LOWORD(grab), bottom + 40));
  PostMouse(bar->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(LOWORD(grab), bottom + 40));
  ASSERT_TRUE(PumpUntil([&] { return !bar->SliderDragging() && bar->GetPosition() == bar->GetMax(); }));
  EXPECT_EQ(TopIndex(), bar->GetMax());
  EXPECT_EQ(List()->GetTopItem()->GetCaption(), std::to_string(bar->GetMax() + 1));

  // The upper arrow held: the list follows row by row until it is let go.
  PostMouse(bar->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, Middle(bar->PartRect(spFirstButton)));
  ASSERT_TRUE(PumpUntil([&] { return bar->GetPosition() <= bar->GetMax() - 4; }));
  PostMouse(bar->GetHandle(), WM_LBUTTONUP, 0, Middle(bar->PartRect(spFirstButton)));
  ASSERT_TRUE(PumpUntil([&] { return bar->PartState(spFirstButton) != psPressed; }));
  EXPECT_EQ(TopIndex(), bar->GetPosition());
}

TEST_F(ProtocolList, TheHeaderShowsTheHotAndThePressedSection) {
  HWND header = List()->GetHeaderHandle();
  ASSERT_EQ(List()->GetHookedHeader(), header);
  RECT place{};
  SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&place));
  PostMouse(header, WM_MOUSEMOVE, 0, Middle(place));
  ASSERT_TRUE(PumpUntil([&] { return List()->GetHotSection() == 1; }));
  PostMouse(header, WM_LBUTTONDOWN, MK_LBUTTON, Middle(place));
  ASSERT_TRUE(PumpUntil([&] { return List()->GetPressedSection() == 1; }));
  PostMouse(header, WM_LBUTTONUP, 0, Middle(place));
  ASSERT_TRUE(PumpUntil([&] { return List()->GetPressedSection() == -1; }));
  PostMouse(header, WM_MOUSELEAVE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return List()->GetHotSection() == -2; }));
}

// "Remove" with no row marked asks nothing and removes nothing. The pointer coming onto the
// list for the menu and leaving it again must leave every row on the screen.
TEST_F(ProtocolList, RemoveWithNoRowMarkedLeavesEveryRowShown) {
  List()->GetItems()->Clear();
  Fill(3);
  List()->ClearSelection();
  HWND list = List()->GetHandle();
  auto painted = [&] { return PumpUntil([&] { return !GetUpdateRect(list, nullptr, FALSE); }); };
  ASSERT_TRUE(PumpUntil([&] { return GetMouseControl() != List(); }));
  ASSERT_TRUE(painted());
  const COLORREF background = static_cast<COLORREF>(ColorToRGB(List()->GetColor()));
  const std::vector<int> first = TScreenRows(List()).Ink(background);
  RECT empty{};
  GetClientRect(list, &empty);
  empty.top = List()->GetItems()->GetItem(2)->DisplayRect(drBounds).bottom;
  PostMouse(list, WM_MOUSEMOVE, 0, Middle(empty));
  ASSERT_TRUE(PumpUntil([&] { return GetMouseControl() == List(); }));
  {
    testsupport::MessageBoxAnswerer answerer({IDYES});
    Main->miRemoveClick(nullptr);
    EXPECT_TRUE(answerer.boxes().empty());
  }
  ParkCursor();
  ASSERT_TRUE(PumpUntil([&] { return GetMouseControl() != List(); }));
  ASSERT_TRUE(painted());
  ASSERT_EQ(List()->GetItems()->GetCount(), 3);
  const std::vector<int> after = TScreenRows(List()).Ink(background);
  for (size_t i = 0; i < first.size(); ++i) EXPECT_GE(after[i] * 2, first[i]) << "row " << i;
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  RegisterTranslationUnits();
  RegisterToolkitUnits();
  RegisterFormsUnit();
  RegisterSkinEngineUnit();
  TUnitsScope units;
  RegisterAppClasses();
  return RUN_ALL_TESTS();
}
