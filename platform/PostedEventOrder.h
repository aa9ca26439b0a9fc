#pragma once

#include <QObject>

class QEvent;

// Qt hands a posted event to the receiving thread under its own locks, which ThreadSanitizer
// cannot see (Qt is not built with it), so the receiver's reads of an event look like races
// with the poster's writes. Post records the hand-off of each event (a release on the event by
// the poster) and a watched receiver's filter records the taking (an acquire on the same
// event before the receiver sees it), which is exactly the order Qt's queue guarantees.
// Outside ThreadSanitizer builds Post is QCoreApplication::postEvent and Watch does nothing.
class PostedEventOrder : public QObject {
public:
    // A null receiver deletes the event.
    static void Post(QObject* receiver, QEvent* event);

    // On the receiver's thread; the filter lives as long as this object.
    void Watch(QObject* receiver);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
