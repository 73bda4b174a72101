#include "app/commstatus.h"

#include "toolkit/classregistry.h"
#include "toolkit/forms.h"
#include "toolkit/typinfo.h"

// ---- TMyCommWatcher -------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TMyCommWatcher, TThread)

TMyCommWatcher::TMyCommWatcher(TThreadMethod on_change) : TThread(true), on_change_(std::move(on_change)) {}

void TMyCommWatcher::SetPort(TCommPort* port) {
  TCriticalSectionGuard guard(lock_);
  port_ = port;
  last_status_ = 0;
}

uint32_t TMyCommWatcher::GetLastStatus() {
  TCriticalSectionGuard guard(lock_);
  return last_status_;
}

bool TMyCommWatcher::Poll() {
  TCriticalSectionGuard guard(lock_);
  uint32_t status = 0;
  // A failed query keeps the last status: no event.
  if (!port_ || !port_->GetModemStatus(status) || status == last_status_) return false;
  last_status_ = status;
  return true;
}

void TMyCommWatcher::Execute() {
  try {
    while (!Terminated()) {
      // The hand-over runs outside the lock: the user-interface thread may be waiting for
      // it in SetPort meanwhile.
      if (Poll()) Synchronize(on_change_);
      if (!Sleep(kPollInterval)) break;
    }
  } catch (...) {
    // A failing port or hand-over ends the watcher quietly; the component goes on without
    // changes until it is freed.
  }
}

// ---- TMyCommStatus --------------------------------------------------------------------------

TK_CLASS_INFO(TMyCommStatus, TComponent)

void TMyCommStatus::Publish(TPublisher<TMyCommStatus>& p) {
  p.Boolean("ClearToSend", &TMyCommStatus::GetClearToSend, &TMyCommStatus::IgnoreLine);
  p.Boolean("DataSetReady", &TMyCommStatus::GetDataSetReady, &TMyCommStatus::IgnoreLine);
  p.Boolean("Ring", &TMyCommStatus::GetRing, &TMyCommStatus::IgnoreLine);
  p.Boolean("ReceiveLine", &TMyCommStatus::GetReceiveLine, &TMyCommStatus::IgnoreLine);
  p.Integer("Comm", &TMyCommStatus::GetComm, &TMyCommStatus::SetComm).Default(0);
  p.Event("OnChanged", &TMyCommStatus::OnChanged);
  p.Boolean("Active", &TMyCommStatus::GetActive);
}

TMyCommStatus::TMyCommStatus(TComponent* owner) : TMyCommStatus(owner, Win32CommPorts()) {}

TMyCommStatus::TMyCommStatus(TComponent* owner, TCommPorts& ports) : TComponent(owner), ports_(ports) {
  CreateWatcher();
  SetComm(0);
}

TMyCommStatus::~TMyCommStatus() {
  FreeWatcher();  // freed without Free: BeforeDestruction has not run
  port_.reset();
}

void TMyCommStatus::BeforeDestruction() {
  inherited::BeforeDestruction();
  // Before any destructor runs, so a hand-over still waiting finds the component whole.
  FreeWatcher();
}

void TMyCommStatus::CreateWatcher() {
  watcher_ = New<TMyCommWatcher>(TThreadMethod(this, &TMyCommStatus::WatcherChanged));
  try {
    watcher_->SetPriority(tpHighest);
  } catch (...) {
    FreeAndNil(watcher_);
    throw;
  }
}

void TMyCommStatus::FreeWatcher() {
  // The component owns the watcher rather than letting it free itself: a watcher that
  // ended on a failure must not leave a dangling pointer behind. Freeing it terminates it
  // and serves its pending hand-over, which finds csDestroying and raises no event.
  FreeAndNil(watcher_);
}

void TMyCommStatus::SetComm(int n) {
  if (n < 0 || n > kMaxCommPort) n = 0;
  if (watcher_) watcher_->SetPort(nullptr);
  port_.reset();
  comm_ = n;
  if (n != 0) port_ = ports_.Open(n);

  // A port that opens but does not answer stays open and watched: it is inactive, and the
  // watcher's failing queries raise no event.
  uint32_t word = 0;
  active_ = port_ && port_->GetModemStatus(word);

  if (watcher_ && watcher_->Finished()) {
    // It ended on a failure: choosing a port again brings the light barrier back.
    FreeAndNil(watcher_);
    CreateWatcher();
  }
  // Report all lines False before the watcher gets the port: its first poll then hands
  // every line that is already set over as a change, so such a line arrives as a rising
  // edge, and exactly once.
  try {
    StatusChanged();
  } catch (...) {
    ArmWatcher();
    throw;
  }
  ArmWatcher();
}

void TMyCommStatus::ArmWatcher() {
  if (!watcher_) return;
  watcher_->SetPort(port_.get());
  if (port_)
    watcher_->Resume();
  else
    watcher_->Suspend();
}

void TMyCommStatus::WatcherChanged() {
  try {
    StatusChanged();
  } catch (...) {
    // A handler that failed (a trigger of the race) is told to the officials here; raised
    // on into the watcher it would end the light barrier without a word.
    if (!Application) throw;
    Application->HandleException(this);
  }
}

void TMyCommStatus::StatusChanged() {
  UpdateStatus(watcher_ && port_ ? watcher_->GetLastStatus() : 0);
  if (!GetComponentState().Contains(csDestroying)) OnChanged(this);
}

void RegisterCommStatusClass() { RegisterClass(TMyCommStatus::StaticClass()); }
