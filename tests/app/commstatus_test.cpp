// The serial-port component and its watcher thread on scripted ports: opening and closing,
// the hand-over of changes to the main thread, pausing, and the watcher's failure.
#include "app/commstatus.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/app/scripted_comm_ports.h"
#include "toolkit/formreader.h"
#include "toolkit/formwriter.h"
#include "toolkit/typinfo.h"

namespace {

// Records every OnChanged: the thread it ran on and the lines it saw.
class TChangeLog : public TObject {
 public:
  void Changed(TObject* sender) {
    auto* comm = static_cast<TMyCommStatus*>(sender);
    threads.push_back(GetCurrentThreadId());
    lines.push_back(comm->GetLines());
  }
  std::vector<DWORD> threads;
  std::vector<TModemLines> lines;
};

// A form that holds the component in its definition and handles its changes.
class TCommHolder : public TComponent {
  TK_CLASS(TCommHolder, TComponent)

 public:
  explicit TCommHolder(TComponent* owner) : TComponent(owner) {}
  void CommChanged(TObject*) { ++changes; }
  int changes = 0;

 private:
  static void Publish(TPublisher<TCommHolder>& p) { p.Method("CommChanged", &TCommHolder::CommChanged); }
};
TK_CLASS_INFO(TCommHolder, TComponent)

class CommStatus : public ::testing::Test {
 protected:
  void SetUp() override {
    com1 = &ports.Add(1);
    com2 = &ports.Add(2);
    comm = New<TMyCommStatus>(nullptr, ports);
    comm->OnChanged = TNotifyEvent(&log, &TChangeLog::Changed);
  }
  void TearDown() override { Free(comm); }

  TModemLines Lines(uint32_t word) { return TModemLines::FromStatusWord(word); }

  TScriptedCommPorts ports;
  TScriptedPort* com1 = nullptr;
  TScriptedPort* com2 = nullptr;
  TChangeLog log;
  TMyCommStatus* comm = nullptr;
};

TEST_F(CommStatus, StartsWithNoPortAndAPausedWatcher) {
  EXPECT_EQ(comm->GetComm(), 0);
  EXPECT_FALSE(comm->GetActive());
  EXPECT_EQ(comm->GetLines(), TModemLines());
  ASSERT_NE(comm->GetWatcher(), nullptr);
  EXPECT_TRUE(comm->GetWatcher()->Suspended());
  EXPECT_EQ(comm->GetWatcher()->Priority(), tpHighest);
}

TEST_F(CommStatus, OpeningAPortTakesItsLinesAndReportsThemAsChangesFromAllFalse) {
  com1->status = kModemDataSetReady | kModemRing;
  comm->SetComm(1);
  EXPECT_TRUE(comm->GetActive());
  EXPECT_EQ(com1->open, 1);
  // SetComm's own report shows every line False: the watcher starts from status 0 ...
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(log.lines[0], TModemLines());
  // ... so its first poll hands the lines already set over as a change.
  ASSERT_TRUE(ServeUntil([&] { return log.lines.size() == 2; }));
  EXPECT_EQ(log.lines[1], Lines(kModemDataSetReady | kModemRing));
  EXPECT_TRUE(comm->GetDataSetReady());
  EXPECT_TRUE(comm->GetRing());
  EXPECT_FALSE(comm->GetClearToSend());
  EXPECT_FALSE(comm->GetReceiveLine());
}

TEST_F(CommStatus, EveryChangeIsHandedOverOnTheMainThreadAndOnlyChanges) {
  comm->SetComm(1);
  for (uint32_t word : {kModemClearToSend, kModemClearToSend | kModemReceiveLine, 0u}) {
    com1->status = word;
    ASSERT_TRUE(ServePolls(*com1, 3));
  }
  ASSERT_EQ(log.lines.size(), 4u);  // SetComm's report and three changes; no repeats
  EXPECT_EQ(log.lines[1], Lines(kModemClearToSend));
  EXPECT_EQ(log.lines[2], Lines(kModemClearToSend | kModemReceiveLine));
  EXPECT_EQ(log.lines[3], TModemLines());
  for (DWORD thread : log.threads) EXPECT_EQ(thread, GetCurrentThreadId());
}

TEST_F(CommStatus, APortThatDoesNotOpenOrAnswerOrIsOutsideTheListLeavesItInactive) {
  comm->SetComm(3);  // no such port
  EXPECT_EQ(comm->GetComm(), 3);
  EXPECT_FALSE(comm->GetActive());
  EXPECT_TRUE(comm->GetWatcher()->Suspended());
  // One that opens but does not answer is held and watched; its failing queries tell nothing.
  com2->answers = false;
  com2->status = kModemDataSetReady;
  comm->SetComm(2);
  EXPECT_FALSE(comm->GetActive());
  EXPECT_EQ(comm->GetLines(), TModemLines());
  EXPECT_EQ(com2->open, 1);
  EXPECT_FALSE(comm->GetWatcher()->Suspended());
  ASSERT_TRUE(ServePolls(*com2, 3));
  EXPECT_EQ(comm->GetLines(), TModemLines());
  EXPECT_EQ(log.lines.size(), 2u);  // one report per SetComm, nothing from the watcher
  ports.Add(17);
  for (int outside : {17, -1}) {
    comm->SetComm(outside);
    EXPECT_EQ(comm->GetComm(), 0);
    EXPECT_FALSE(comm->GetActive());
  }
}

TEST_F(CommStatus, SwitchingPortsClosesTheOldOneAndWatchesTheNewOne) {
  com1->status = kModemRing;
  comm->SetComm(1);
  ASSERT_TRUE(ServePolls(*com1));
  com2->status = kModemRing;
  comm->SetComm(2);
  EXPECT_EQ(com1->open, 0);
  EXPECT_EQ(com2->open, 1);
  // The same word on the new port still arrives: the last status started again from 0.
  ASSERT_TRUE(ServeUntil([&] { return comm->GetRing(); }));
  int old_queries = com1->queries;
  ASSERT_TRUE(ServePolls(*com2, 3));
  EXPECT_EQ(com1->queries, old_queries);
}

TEST_F(CommStatus, AFailingWatcherEndsQuietlyAndTheNextPortChoiceStartsANewOne) {
  comm->SetComm(1);
  ASSERT_TRUE(ServePolls(*com1));
  com1->fails = true;
  ASSERT_TRUE(ServeUntil([&] { return comm->GetWatcher()->Finished(); }));
  size_t reports = log.lines.size();
  com1->fails = false;
  com1->status = kModemDataSetReady;
  EXPECT_FALSE(CheckSynchronize());  // no watcher, no changes
  EXPECT_EQ(log.lines.size(), reports);

  comm->SetComm(1);
  ASSERT_TRUE(ServeUntil([&] { return comm->GetDataSetReady(); }));
  EXPECT_FALSE(comm->GetWatcher()->Finished());
}

TEST_F(CommStatus, FreeingItWhileAChangeWaitsForTheMainThreadRaisesNoEvent) {
  comm->SetComm(1);
  ASSERT_TRUE(ServePolls(*com1));
  size_t reports = log.lines.size();
  // The watcher sees the change and waits for this thread, which does not serve it.
  com1->status = kModemReceiveLine;
  int queries = com1->queries;
  ASSERT_TRUE(WaitUntil([&] { return com1->queries > queries; }));
  Free(comm);
  comm = nullptr;
  EXPECT_EQ(log.lines.size(), reports);
  EXPECT_EQ(com1->open, 0);
}

TEST(CommStatusDefinition, AFormDefinitionHoldsItWithItsPortAndHandlerAndReadsBackWhatItWrites) {
  RegisterCommStatusClass();
  auto* holder = New<TCommHolder>(nullptr);
  // The line flags are read only in effect: a definition may name them without changing them.
  ReadComponentFromText(holder,
                        "object Holder: TCommHolder\n  object Comm1: TMyCommStatus\n    ClearToSend = True\n"
                        "    Ring = True\n    Comm = 17\n    OnChanged = CommChanged\n  end\nend\n",
                        "comm.form");
  auto* comm = DynamicCast<TMyCommStatus>(holder->FindComponent("Comm1"));
  ASSERT_TRUE(comm);
  EXPECT_EQ(comm->GetComm(), 0);  // outside the ports: none
  EXPECT_FALSE(comm->GetActive());
  EXPECT_EQ(comm->GetLines(), TModemLines());
  const int changes = holder->changes;
  comm->SetComm(0);
  EXPECT_EQ(holder->changes, changes + 1);

  // What it writes reads again: the read-only Active is left out.
  const std::string written = WriteComponentToText(holder);
  EXPECT_EQ(written.find("Active"), std::string::npos) << written;
  auto* again = New<TCommHolder>(nullptr);
  ReadComponentFromText(again, written, "written.form");
  auto* copy = DynamicCast<TMyCommStatus>(again->FindComponent("Comm1"));
  ASSERT_TRUE(copy);
  copy->SetComm(0);
  EXPECT_GE(again->changes, 1);
  Free(again);
  Free(holder);
}

}  // namespace
