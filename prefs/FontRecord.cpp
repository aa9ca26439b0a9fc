#include "prefs/FontRecord.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>

namespace {

void InstallSubstitutions()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Windows faces of the default settings, drawn with the metric-compatible faces
        // that Debian ships in fonts-liberation.
        const QString sans = QStringLiteral("Liberation Sans");
        for (const char* face : {"Arial Cyr", "Arial", "MS Sans Serif"})
            QFont::insertSubstitution(QString::fromLatin1(face), sans);
        QFont::insertSubstitution(QStringLiteral("Times New Roman Cyr"), QStringLiteral("Liberation Serif"));
        QFont::insertSubstitution(QStringLiteral("Courier New Cyr"), QStringLiteral("Liberation Mono"));
    });
}

qreal LogicalDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

} // namespace

QFont FontRecord::ToQFont() const
{
    InstallSubstitutions();
    QFont font(face.left(kMaxFaceLength));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 100, 900)));
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    if (height < 0) {
        font.setPixelSize(-height);
    } else if (height > 0) {
        // A cell height: ascent plus descent. Scale the em size to fit it.
        font.setPixelSize(100);
        const QFontMetricsF metrics(font);
        const qreal cell = metrics.ascent() + metrics.descent();
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(height * 100.0 / (cell > 0 ? cell : 100.0)))));
    }
    return font;
}

QFont FontRecord::PickerFont() const
{
    const QFontInfo drawn(ToQFont());
    const QString family = drawn.family();
    QFont font(family);
    font.setPointSizeF(drawn.pixelSize() * 72.0 / LogicalDpi());
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 100, 900)));
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    // The plainest style of the face with this weight and slant ("Book", not "Condensed Book").
    QString best;
    int bestDistance = 0;
    for (const QString& style : QFontDatabase::styles(family)) {
        if (QFontDatabase::italic(family, style) != italic)
            continue;
        const int distance = std::abs(QFontDatabase::weight(family, style) - weight) * 100 + style.size();
        if (best.isEmpty() || distance < bestDistance) {
            best = style;
            bestDistance = distance;
        }
    }
    if (!best.isEmpty())
        font.setStyleName(best);
    return font;
}

FontRecord FontRecord::Picked(const QFont& chosen, const QFont& offered) const
{
    return chosen == offered ? *this : FromQFont(chosen);
}

FontRecord FontRecord::FromQFont(const QFont& font)
{
    FontRecord record;
    const int pixels = font.pixelSize() > 0 ? font.pixelSize()
                                            : static_cast<int>(std::lround(font.pointSizeF() * LogicalDpi() / 72.0));
    record.height = -pixels;
    record.weight = font.weight();
    record.italic = font.italic();
    record.underline = font.underline();
    record.strikeOut = font.strikeOut();
    record.face = font.family().left(kMaxFaceLength);
    return record;
}
