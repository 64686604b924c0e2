#pragma once
#include "app/app_state.h"
#include "app/ui.h"

namespace qs {

// Starts the worker that generates the keys of state.keyGen and saves them: the user's key
// pair into priv_key.bin, or a certification key pair into two files the user picks (and,
// if the user agrees, into the trusted list). The worker only generates and writes
// priv_key.bin; questions, file dialogs and messages run on the user-interface thread, all
// owned by the key-pair dialog, which the last of them ends with 1 or 0.
void StartKeyGeneration(ui::Ui& ui, AppState& state, ui::View& dialog, bool certificationMode);

}  // namespace qs
