#pragma once
// Handing work to the GUI thread. Posting never waits and may be done from any thread;
// a send waits for the GUI thread to answer, at most a given time. A message for a
// control that has since been destroyed, or has begun to be (it or its form), is dropped.
#include <functional>
#include "platform/ui/Messages.h"

class TControl;

// Queues Msg for `target`'s WndProc; returns false when the target no longer exists.
bool PostMessage(TControl* target, UINT Msg, WPARAM WParam, LPARAM LParam);
// On the GUI thread: Perform at once. From another thread: waits for the answer.
LRESULT SendMessage(TControl* target, UINT Msg, WPARAM WParam, LPARAM LParam);
// Like SendMessage but gives up after timeoutMs. Returns false on timeout or when the
// target is gone; a message given up on before it started is never delivered, and one
// that is running when the sender gives up finishes with its result dropped.
bool SendMessageTimeout(TControl* target, UINT Msg, WPARAM WParam, LPARAM LParam,
                        unsigned timeoutMs, LRESULT* result);

namespace ui {
// Runs fn on the GUI thread at its next message handling (any thread may call).
void RunOnGuiThread(std::function<void()> fn);
// Runs fn on the GUI thread and waits at most timeoutMs for it (true: it ran). fn must
// own what it uses: it can outlive an abandoned wait.
bool SendToGuiThread(std::function<void()> fn, unsigned timeoutMs);
bool IsGuiThread();
// Delivers everything queued so far (the message loop calls this).
void DeliverPosted();
}  // namespace ui
