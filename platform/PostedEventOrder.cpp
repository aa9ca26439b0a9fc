#include "platform/PostedEventOrder.h"

#include <QCoreApplication>

#if defined(__SANITIZE_THREAD__)
#define PELLWICK_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define PELLWICK_TSAN 1
#endif
#endif

#ifdef PELLWICK_TSAN
#include <sanitizer/tsan_interface.h>
#endif

void PostedEventOrder::Post(QObject* receiver, QEvent* event)
{
    if (!receiver) {
        delete event;
        return;
    }
#ifdef PELLWICK_TSAN
    __tsan_release(event);
#endif
    QCoreApplication::postEvent(receiver, event);
}

void PostedEventOrder::Watch(QObject* receiver)
{
#ifdef PELLWICK_TSAN
    if (receiver)
        receiver->installEventFilter(this);
#else
    Q_UNUSED(receiver);
#endif
}

bool PostedEventOrder::eventFilter(QObject* watched, QEvent* event)
{
#ifdef PELLWICK_TSAN
    __tsan_acquire(event);
#endif
    return QObject::eventFilter(watched, event);
}
