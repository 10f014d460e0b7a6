#pragma once
// The one message pump that every loop of the game calls. Mouse, key and action
// handlers run only inside it.
#include <functional>

// Runs the hook (if any), then delivers every pending window event.
void ProcessMessages();

// Tests install a hook to feed scripted input at chosen (virtual) times; it runs
// at the start of every ProcessMessages. An empty function removes it.
using TMessageHook = std::function<void()>;
void SetMessageHook(TMessageHook hook);
