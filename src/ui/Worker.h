#pragma once
// Long work (adding images, the folder import, the build) runs on one worker
// thread, so the window stays responsive. Widgets are touched only on the GUI
// thread: the worker hands progress over with postToGui.
#include <QObject>
#include <QThread>
#include <functional>

// Starts `work` on a new thread. `done` runs afterwards on the GUI thread,
// unless `owner` is gone by then; the thread object deletes itself after
// that. Keep the returned pointer in a QPointer to wait() for it.
QThread* startWorker(QObject* owner, std::function<void()> work, std::function<void()> done);

// Runs `f` on the GUI thread, later, unless `owner` is gone by then. Safe to
// call from any thread.
void postToGui(QObject* owner, std::function<void()> f);
