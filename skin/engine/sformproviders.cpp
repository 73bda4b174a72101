// The registered form providers.
#include "skin/engine/sformproviders.h"

#include <algorithm>
#include <vector>

namespace {

struct Entry {
  TObject* provider;
  TWndMethod window_proc;
};

std::vector<Entry>& Providers() {
  static std::vector<Entry> providers;
  return providers;
}

}  // namespace

void RegisterFormProvider(TObject* provider, TWndMethod window_proc) {
  UnregisterFormProvider(provider);
  Providers().push_back({provider, window_proc});
}

void UnregisterFormProvider(TObject* provider) {
  std::erase_if(Providers(), [provider](const Entry& e) { return e.provider == provider; });
}

int FormProviderCount() { return static_cast<int>(Providers().size()); }

void SendToFormProviders(UINT msg, WPARAM wparam, LPARAM lparam) {
  // A snapshot: a handler may free forms (and so unregister providers) on the way.
  std::vector<TObject*> order;
  for (const Entry& e : Providers()) order.push_back(e.provider);
  for (TObject* provider : order) {
    auto it = std::find_if(Providers().begin(), Providers().end(),
                           [provider](const Entry& e) { return e.provider == provider; });
    if (it == Providers().end()) continue;
    TMessage message{msg, wparam, lparam, 0};
    it->window_proc(message);
  }
}
