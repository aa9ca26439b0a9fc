#pragma once

#include <QString>
#include <QTest>

// Types text into a widget key by key, as a user would: any character (QTest::keyClicks only
// knows Latin-1), and Return for each line break (Shift+Return where Return would send).
inline void TypeText(QWidget* widget, const QString& text, Qt::KeyboardModifiers lineBreak = Qt::NoModifier)
{
    for (const QChar ch : text) {
        if (ch == QLatin1Char('\n'))
            QTest::keyClick(widget, Qt::Key_Return, lineBreak);
        else
            QTest::sendKeyEvent(QTest::Click, widget, static_cast<Qt::Key>(ch.toUpper().unicode()), QString(ch),
                                Qt::NoModifier);
    }
}
