// The window procedures of the forms' skin providers, for the skin manager's broadcast: a
// skin change reaches each form's provider directly, whether or not its subclass is still
// installed (in unskinned mode the provider must see SKM_SETNEWSKIN to install it again).
#pragma once

#include <windows.h>

#include "toolkit/messages.h"

class TObject;

// The provider registers itself on construction and leaves on destruction.
void RegisterFormProvider(TObject* provider, TWndMethod window_proc);
void UnregisterFormProvider(TObject* provider);
int FormProviderCount();
// Calls every registered provider's window procedure with a copy of the message, in the
// order they registered; a provider freed by an earlier one's handling is skipped.
void SendToFormProviders(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);
