// TXJustOne: keeps a second copy of the program from running. Streamed with the main window,
// it claims a mutex named after the application's title; a second copy brings the first one's
// window to the front and ends before it shows a window of its own.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/components.h"
#include "toolkit/events.h"

class TXJustOne : public TComponent {
  TK_CLASS(TXJustOne, TComponent)

 public:
  explicit TXJustOne(TComponent* owner);
  ~TXJustOne() override;

  bool GetSwitchToPrevious() const { return switch_to_previous_; }
  void SetSwitchToPrevious(bool value) { switch_to_previous_ = value; }
  // This copy was refused (another one holds the mutex).
  bool GetRefused() const { return refused_; }
  // The mutex name: the application's title (at most 256 characters), whatever desktop the
  // copy runs on, so that two copies never write the same files.
  static std::string MutexName();

  // How the mutex is made; replaceable so that a test can make the creation fail.
  using TCreateMutex = HANDLE (*)(const char* name);
  static void SetMutexCreator(TCreateMutex creator);

  TNotifyEvent AlreadyExist;

 protected:
  void Loaded() override;

 private:
  static void Publish(TPublisher<TXJustOne>& p);
  void Refuse(const std::string& name);

  bool switch_to_previous_ = true;
  bool created_ = false;
  bool refused_ = false;
  HANDLE mutex_ = nullptr;
};
