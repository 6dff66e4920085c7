#include "host/core/base/QtHelpers.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace Tesselon::QtHelpers {

bool isMainThread()
{
    const QCoreApplication* application = QCoreApplication::instance();
    return !application || QThread::currentThread() == application->thread();
}

void runOnMainThread(std::function<void()> task, int wait, const QObject* context)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || (wait != 0 && isMainThread())) {
        task();
        return;
    }
    const QObject* receiver = context ? context : application;
    QMetaObject::invokeMethod(const_cast<QObject*>(receiver), std::move(task),
                              wait != 0 ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

}  // namespace Tesselon::QtHelpers
