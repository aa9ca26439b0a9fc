#pragma once

#include <QFont>
#include <QString>

// The stored description of a font, in the terms the settings use: a height in pixels
// (negative: character height, positive: cell height, 0: the default size), a weight from
// 100 to 900, style flags and a face name of at most 31 characters.
struct FontRecord {
    static constexpr int kMaxFaceLength = 31;

    int height = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face;

    // The font the record describes. Faces that Linux desktops do not ship (the Windows
    // "Arial Cyr" of the defaults) are drawn with a metric-compatible substitute.
    QFont ToQFont() const;

    // The record of a font, with its size as a character height (a negative height).
    static FontRecord FromQFont(const QFont& font);

    // The font a font picker starts from: the face drawn (after substitution), the size in
    // points that gives the pixel height drawn, and the face's own style name for the weight
    // and slant (a picker matches style names, and guesses wrong without one).
    QFont PickerFont() const;
    // What a picker's choice stores. A picker rounds what it was given (whole points, the
    // substituted face), so a choice equal to the font it offered at the start keeps this
    // record as it is: OK without a change stores exactly what was stored.
    FontRecord Picked(const QFont& chosen, const QFont& offered) const;

    bool operator==(const FontRecord&) const = default;
};
