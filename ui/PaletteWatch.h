#pragma once

#include <QObject>

// Tells the windows when the colours they take from the desktop change: the desktop's theme
// (the application palette) changed, or the user changed the choice of colours. Windows
// connect to Changed and read their appearance again. GUI thread only.
class PaletteWatch : public QObject {
    Q_OBJECT

public:
    static PaletteWatch& Instance();

    // The user's choice changed: every window reads its colours again.
    void Notify() { Q_EMIT Changed(); }

Q_SIGNALS:
    void Changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PaletteWatch();
};
