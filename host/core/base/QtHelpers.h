#pragma once

#include <functional>

class QObject;

namespace Tesselon::QtHelpers {

/// Whether the caller runs on the thread of the application object (the GUI thread in the program).
/// Without an application object every thread counts as the main one: there is no other to defer to.
bool isMainThread();

/// Runs `task` on the main thread through the Qt event loop. With `wait` 0 the task is queued and the call
/// returns at once, also on the main thread itself; otherwise the call returns once the task has run (at
/// once when already on the main thread). A queued task whose `context` object is destroyed before the task
/// is due is dropped, so tasks may safely refer to the context's owner; the context must live on the main
/// thread (see `QObject::moveToThread`). Without an application object
/// there is no event loop to queue on, and the task runs at once on the calling thread.
void runOnMainThread(std::function<void()> task, int wait = 0, const QObject* context = nullptr);

}  // namespace Tesselon::QtHelpers
