// Answers the modal dialogs (message boxes, common dialogs) that the current thread opens,
// so in-process tests can drive code that asks the user.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// Calls a handler for every dialog box ("#32770") activated on the constructing thread,
// once per window and once the dialog's modal loop runs, while the object lives. Only one may exist per
// thread.
class DialogWatcher {
 public:
  using Handler = std::function<void(HWND dialog)>;
  explicit DialogWatcher(Handler handler);
  ~DialogWatcher();
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;

 private:
  static LRESULT CALLBACK CbtProc(int code, WPARAM wparam, LPARAM lparam);
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
  Handler handler_;
  HHOOK hook_ = nullptr;
  UINT_PTR timer_ = 0;
  std::vector<HWND> handled_;
  std::vector<HWND> pending_;
};

// Answers message boxes in order with the given button identifiers (IDYES, IDNO, IDOK, ...);
// a box beyond the list is answered with its default button. Records what each box said.
class MessageBoxAnswerer {
 public:
  struct Box {
    std::string title;
    std::string text;
  };
  explicit MessageBoxAnswerer(std::vector<int> answers);

  const std::vector<Box>& boxes() const { return boxes_; }

 private:
  void Answer(HWND box);
  std::vector<int> answers_;
  std::vector<Box> boxes_;
  DialogWatcher watcher_;
};

// Answers the common file dialogs (GetOpenFileName / GetSaveFileName) in order: each gets
// the next name typed into its file-name box and OK pressed; an empty name (or a dialog
// beyond the list) presses Cancel. Message boxes on the way (the overwrite or create prompt,
// the code's own) are answered like MessageBoxAnswerer does, from box_answers. Records the
// file dialogs' titles and what the boxes said.
class FileDialogAnswerer {
 public:
  explicit FileDialogAnswerer(std::vector<std::string> names, std::vector<int> box_answers = {});

  const std::vector<std::string>& titles() const { return titles_; }
  const std::vector<MessageBoxAnswerer::Box>& boxes() const { return boxes_; }

 private:
  void Answer(HWND dialog);
  std::vector<std::string> names_;
  std::vector<int> box_answers_;
  std::vector<std::string> titles_;
  std::vector<MessageBoxAnswerer::Box> boxes_;
  DialogWatcher watcher_;
};

}  // namespace testsupport
