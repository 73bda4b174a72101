// In-process tests answer the program's message boxes through the dialog watcher.
#include "tests/support/dialog_answerer.h"

#include <gtest/gtest.h>

namespace {

using testsupport::MessageBoxAnswerer;

TEST(MessageBoxAnswerer, AnswersInOrderAndRecordsTitleAndText) {
  MessageBoxAnswerer answerer({IDNO, IDYES});
  EXPECT_EQ(MessageBoxA(nullptr, "Delete Record?", "Main", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "Again?", "Main", 36), IDYES);
  ASSERT_EQ(answerer.boxes().size(), 2u);
  EXPECT_EQ(answerer.boxes()[0].title, "Main");
  EXPECT_EQ(answerer.boxes()[0].text, "Delete Record?");
  EXPECT_EQ(answerer.boxes()[1].text, "Again?");
}

TEST(MessageBoxAnswerer, BoxBeyondTheAnswersTakesItsDefaultButton) {
  MessageBoxAnswerer answerer({});
  EXPECT_EQ(MessageBoxA(nullptr, "Excel is not installed!", "ERROR", 16), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "Delete Record?", "Main", MB_YESNO | MB_DEFBUTTON2), IDNO);
  ASSERT_EQ(answerer.boxes().size(), 2u);
  EXPECT_EQ(answerer.boxes()[0].title, "ERROR");
}

}  // namespace
