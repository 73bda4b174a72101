// String lists: editing, sorted lists and duplicates, name=value lines, text, events, files.
#include <gtest/gtest.h>

#include <memory>

#include "tests/toolkit/rtl_test_files.h"
#include "toolkit/streams.h"
#include "toolkit/strings.h"

namespace {

// Counts its own destruction.
class Probe : public TObject {
 public:
  explicit Probe(int& freed) : freed_(freed) {}
  ~Probe() override { ++freed_; }

 private:
  int& freed_;
};

// Records the events of a list.
class Listener : public TObject {
 public:
  void Changing(TObject* sender) {
    log += "changing(" + std::to_string(static_cast<TStrings*>(sender)->Count()) + ")";
  }
  void Change(TObject* sender) {
    log += "change(" + std::to_string(static_cast<TStrings*>(sender)->Count()) + ")";
  }
  std::string log;
};

TEST(StringListEditing, InsertDeleteExchangeMoveKeepObjectsWithTheirLines) {
  TStringList list;
  TObject* const a = reinterpret_cast<TObject*>(0x10);
  EXPECT_EQ(list.AddObject("a", a), 0);
  EXPECT_EQ(list.Add("b"), 1);
  list.Insert(0, "c");
  list.Add("d");
  EXPECT_EQ(Lines(list), (V{"c", "a", "b", "d"}));
  list.Exchange(1, 3);
  EXPECT_EQ(Lines(list), (V{"c", "d", "b", "a"}));
  EXPECT_EQ(list.Objects(3), a);
  list.Move(3, 0);
  EXPECT_EQ(Lines(list), (V{"a", "c", "d", "b"}));
  EXPECT_EQ(list.IndexOfObject(a), 0);
  list.Put(0, "A");
  EXPECT_EQ(list.Objects(0), a);
  list.Delete(1);
  EXPECT_EQ(Lines(list), (V{"A", "d", "b"}));
  list.Insert(3, "end");
  EXPECT_EQ(list.Strings(3), "end");
}

TEST(StringListEditing, BadIndexesRaiseAndChangeNothing) {
  TStringList list;
  list.Add("only");
  EXPECT_THROW(list.Get(1), EStringListError);
  EXPECT_THROW(list.Get(-1), EStringListError);
  EXPECT_THROW(list.Delete(1), EStringListError);
  EXPECT_THROW(list.Insert(2, "x"), EStringListError);
  EXPECT_THROW(list.Exchange(0, 1), EStringListError);
  EXPECT_THROW(list.Move(1, 0), EStringListError);
  try {
    list.Put(5, "x");
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (5)");
  }
  EXPECT_EQ(Lines(list), V{"only"});
}

TEST(StringListSearch, IndexOfIgnoresCaseUnlessCaseSensitive) {
  TStringList list;
  list.AddStrings(V{"Miller", "\xC4pfel", "miller"});
  EXPECT_EQ(list.IndexOf("MILLER"), 0);
  EXPECT_EQ(list.IndexOf("\xE4PFEL"), 1);
  EXPECT_EQ(list.IndexOf("Mill"), -1);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("miller"), 2);
  EXPECT_EQ(list.IndexOf("MILLER"), -1);
}

TEST(SortedStringList, KeepsOrderAndFindsByBinarySearch) {
  TStringList list;
  list.AddStrings(V{"delta", "Bravo", "charlie"});
  list.SetSorted(true);
  EXPECT_EQ(Lines(list), (V{"Bravo", "charlie", "delta"}));
  EXPECT_EQ(list.Add("alpha"), 0);
  EXPECT_EQ(list.Add("Echo"), 4);
  EXPECT_EQ(list.Add("Charly"), 3);
  int index = -1;
  EXPECT_TRUE(list.Find("CHARLIE", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(list.Find("beta", index));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(list.IndexOf("ECHO"), 5);
}

TEST(SortedStringList, PositionalEditsWouldBreakTheOrderAndRaise) {
  TStringList list;
  list.SetSorted(true);
  list.AddStrings(V{"b", "a"});
  EXPECT_THROW(list.Insert(0, "z"), EStringListError);
  EXPECT_THROW(list.Put(0, "z"), EStringListError);
  EXPECT_THROW(list.Exchange(0, 1), EStringListError);
  EXPECT_THROW(list.Move(0, 1), EStringListError);
  EXPECT_EQ(Lines(list), (V{"a", "b"}));
  list.Delete(0);
  EXPECT_EQ(Lines(list), V{"b"});
}

TEST(SortedStringList, DuplicatesAreIgnoredAcceptedOrRefused) {
  TStringList list;
  list.SetSorted(true);
  list.AddStrings(V{"a", "b"});
  EXPECT_EQ(list.Add("B"), 1);  // dupIgnore by default: the existing index
  EXPECT_EQ(list.Count(), 2);
  list.SetDuplicates(dupError);
  EXPECT_THROW(list.Add("A"), EStringListError);
  EXPECT_EQ(list.Count(), 2);
  list.SetDuplicates(dupAccept);
  list.Add("A");
  EXPECT_EQ(Lines(list), (V{"A", "a", "b"}));
  list.SetCaseSensitive(true);
  list.SetDuplicates(dupError);
  EXPECT_NO_THROW(list.Add("B"));
  EXPECT_EQ(Lines(list), (V{"A", "B", "a", "b"}));
}

TEST(StringListNameValue, NamesAreMatchedWithoutCaseAndNotTrimmed) {
  TStringList list;
  list.AddStrings(V{"COMPORT=3", "no value", "Title=a=b", "Sign =x", "Empty="});
  EXPECT_EQ(list.Names(0), "COMPORT");
  EXPECT_EQ(list.Names(1), "");
  EXPECT_EQ(list.IndexOfName("comport"), 0);
  EXPECT_EQ(list.Values("title"), "a=b");
  EXPECT_EQ(list.ValueFromIndex(2), "a=b");
  EXPECT_EQ(list.IndexOfName("no value"), -1);
  EXPECT_EQ(list.Values("Sign"), "");
  EXPECT_EQ(list.Values("Sign "), "x");
  EXPECT_EQ(list.IndexOfName("Empty"), 4);
  EXPECT_EQ(list.Values("missing"), "");
}

TEST(StringListNameValue, SetValueReplacesAddsAndDeletesOnEmpty) {
  TStringList list;
  list.AddStrings(V{"a=1", "b=2"});
  list.SetValue("A", "9");
  list.SetValue("c", "3");
  EXPECT_EQ(Lines(list), (V{"A=9", "b=2", "c=3"}));
  list.SetValue("b", "");
  EXPECT_EQ(Lines(list), (V{"A=9", "c=3"}));
}

TEST(StringListText, LinesEndWithCrLfAndAnyBreakSplits) {
  TStringList list;
  EXPECT_EQ(list.GetText(), "");
  list.SetText("a\r\nb\nc\rd");
  EXPECT_EQ(Lines(list), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(list.GetText(), "a\r\nb\r\nc\r\nd\r\n");
  list.SetText("one\r\n");
  EXPECT_EQ(Lines(list), V{"one"});
  list.SetText("\r\n\r\n");
  EXPECT_EQ(Lines(list), (V{"", ""}));
  list.SetText("x\n\r\ny\n\n");
  EXPECT_EQ(Lines(list), (V{"x", "", "y", ""}));
  list.SetText("");
  EXPECT_EQ(list.Count(), 0);
}

TEST(StringListText, CrLfTextRoundTripsEmptyAndBlankLines) {
  TStringList list, copy;
  list.AddStrings(V{"[DRAVOLIN1ASLREC]", "", "  Miller ", "\xC4pfel", ""});
  copy.SetText(list.GetText());
  EXPECT_EQ(Lines(copy), Lines(list));
}

TEST(StringListText, CommaTextQuotesWhatWouldSplit) {
  TStringList list;
  list.AddStrings(V{"plain", "two words", "a,b", "say \"hi\"", ""});
  EXPECT_EQ(list.GetCommaText(), "plain,\"two words\",\"a,b\",\"say \"\"hi\"\"\",");
  TStringList copy;
  copy.SetCommaText(list.GetCommaText());
  EXPECT_EQ(Lines(copy), Lines(list));
  copy.SetCommaText(" x y, z ");
  EXPECT_EQ(Lines(copy), (V{"x", "y", "z"}));
  list.SetText("\r\n");
  copy.SetCommaText(list.GetCommaText());
  EXPECT_EQ(Lines(copy), V{""});
}

TEST(StringListEvents, EveryChangeIsAnnouncedBeforeAndAfter) {
  Listener listener;
  TStringList list;
  list.OnChanging = TNotifyEvent(&listener, &Listener::Changing);
  list.OnChange = TNotifyEvent(&listener, &Listener::Change);
  list.Add("a");
  list.Delete(0);
  EXPECT_EQ(listener.log, "changing(0)change(1)changing(1)change(0)");
}

TEST(StringListEvents, UpdatesAnnounceOnceAtTheOutermostEndAndOnlyIfChanged) {
  Listener listener;
  TStringList list;
  list.OnChanging = TNotifyEvent(&listener, &Listener::Changing);
  list.OnChange = TNotifyEvent(&listener, &Listener::Change);
  list.BeginUpdate();
  list.Add("a");
  list.BeginUpdate();
  list.SetText("x\r\ny\r\nz");
  list.EndUpdate();
  EXPECT_EQ(listener.log, "changing(0)");
  list.EndUpdate();
  EXPECT_EQ(listener.log, "changing(0)change(3)");
  listener.log.clear();
  list.BeginUpdate();
  list.EndUpdate();
  EXPECT_EQ(listener.log, "");
}

TEST(StringListAssign, CopiesLinesObjectsAndListSettings) {
  TObject* const tag = reinterpret_cast<TObject*>(0x20);
  TStringList source, dest;
  source.SetCaseSensitive(true);
  source.SetDuplicates(dupAccept);
  source.SetSorted(true);
  source.AddStrings(V{"b", "a", "a"});
  source.PutObject(2, tag);
  dest.Add("old");
  dest.Assign(&source);
  EXPECT_EQ(Lines(dest), (V{"a", "a", "b"}));
  EXPECT_EQ(dest.Objects(2), tag);
  EXPECT_TRUE(dest.GetSorted());
  EXPECT_TRUE(dest.GetCaseSensitive());
  EXPECT_EQ(dest.GetDuplicates(), dupAccept);
  dest.Assign(&dest);
  EXPECT_EQ(dest.Count(), 3);
  dest.AddStrings(dest);
  EXPECT_EQ(dest.Count(), 6);
}

TEST(StringListOwnedObjects, AreFreedWithTheirLinesOnlyWhenOwned) {
  int freed = 0;
  {
    TStringList list;
    list.SetOwnsObjects(true);
    list.AddObject("a", new Probe(freed));
    list.AddObject("b", new Probe(freed));
    list.AddObject("c", new Probe(freed));
    list.Delete(0);
    EXPECT_EQ(freed, 1);
    list.Clear();
    EXPECT_EQ(freed, 3);
    list.AddObject("d", new Probe(freed));
  }
  EXPECT_EQ(freed, 4);
  auto kept = std::make_unique<Probe>(freed);
  {
    TStringList list;
    list.AddObject("e", kept.get());
  }
  EXPECT_EQ(freed, 4);
}

using StringListFiles = ScratchFolder;

TEST_F(StringListFiles, SaveWritesBytesWithCrLfAndLoadSplitsAnyBreak) {
  TStringList list;
  list.AddStrings(V{"Klasse A", "\xC4pfel \xDF", ""});
  list.SaveToFile(Path("Classes.Lst"));
  EXPECT_EQ(ReadBytes(Path("Classes.Lst")), "Klasse A\r\n\xC4pfel \xDF\r\n\r\n");
  WriteBytes(Path("unix.lst"), "one\ntwo\r\nthree");
  list.LoadFromFile(Path("unix.lst"));
  EXPECT_EQ(Lines(list), (V{"one", "two", "three"}));
  TStringList empty;
  empty.SaveToFile(Path("empty.lst"));
  EXPECT_EQ(ReadBytes(Path("empty.lst")), "");
}

TEST_F(StringListFiles, FailuresRaiseOpenAndCreateErrorsAndKeepTheList) {
  TStringList list;
  list.Add("kept");
  EXPECT_THROW(list.LoadFromFile(Path("missing.lst")), EFOpenError);
  EXPECT_EQ(Lines(list), V{"kept"});
  EXPECT_THROW(list.SaveToFile(Path("no\\such\\folder\\x.lst")), EFCreateError);
}

TEST(StringListStreams, LoadReadsFromThePositionToTheEnd) {
  TMemoryStream stream;
  stream.WriteBuffer("skip|a\r\nb", 9);
  stream.SetPosition(5);
  TStringList list;
  list.LoadFromStream(stream);
  EXPECT_EQ(Lines(list), (V{"a", "b"}));
  TMemoryStream out;
  list.SaveToStream(out);
  EXPECT_EQ(std::string(static_cast<char*>(out.Memory()), static_cast<size_t>(out.GetSize())), "a\r\nb\r\n");
}

}  // namespace
