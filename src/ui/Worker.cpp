#include "ui/Worker.h"

#include <QMetaObject>

QThread* startWorker(QObject* owner, std::function<void()> work, std::function<void()> done) {
  QThread* thread = QThread::create(std::move(work));
  QObject::connect(thread, &QThread::finished, owner, std::move(done));
  QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
  thread->start();
  return thread;
}

void postToGui(QObject* owner, std::function<void()> f) {
  QMetaObject::invokeMethod(owner, std::move(f), Qt::QueuedConnection);
}
