#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

class QWidget;

// A dialog described as a table of controls in dialog units, turned into widgets. A dialog
// unit is a quarter of the dialog font's average character width across and an eighth of
// its character height down. Each control's id is its object name and its "controlId"
// property; every text is shown as plain text. A control without a text of its own (a list,
// an edit, a picture) carries the name a screen reader gives it.
struct DialogControl {
    enum Class {
        PushButton,
        Static, // a line of text
        StaticBitmap, // text "#<id>" names the bitmap resource
        EtchedLine, // a sunken horizontal rule
        GroupBox,
        Edit,
        ListBox,
        CheckBox,
        ComboBox, // a drop-down list; text holds its items, one a line
    };
    enum Style : unsigned {
        TabStop = 1u << 0,
        DefPushButton = 1u << 1,
        OwnerDraw = 1u << 2,
        Centered = 1u << 3,
        Hidden = 1u << 4,
        Disabled = 1u << 5,
        Sort = 1u << 6,
        NoSelection = 1u << 7,
        VScroll = 1u << 8,
        Border = 1u << 9,
        Multiline = 1u << 10,
        ReadOnly = 1u << 11,
    };

    int id = -1; // -1: a control nobody addresses
    Class kind = Static;
    QString text;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    unsigned styles = 0;
    QString name{}; // for screen readers
};

struct DialogTemplate {
    int id = 0;
    QString caption;
    QString fontFace;
    int pointSize = 8;
    int cx = 0; // client size in dialog units
    int cy = 0;
    std::vector<DialogControl> controls;
};

class DialogBuilder {
public:
    // Makes the widget of a control that needs its own class, or returns nullptr for the
    // standard widget of its kind.
    using Factory = std::function<QWidget*(const DialogControl&, QWidget* parent)>;

    // The dialog font's base units: average width of the Latin letters and line height.
    static QSize BaseUnits(const QFont& font);
    // Rounds like the platform's MulDiv: each value on its own.
    static QRect MapDialogRect(const QRect& units, QSize base);
    static QFont DialogFont(const DialogTemplate& dialogTemplate);

    // Sets the dialog's caption, font and client size and creates its controls in order.
    static void Build(QWidget* dialog, const DialogTemplate& dialogTemplate, const Factory& factory = {});

    // The control with the given id inside dialog, or nullptr.
    static QWidget* Control(const QWidget* dialog, int id);
    template <typename T> static T* Control(const QWidget* dialog, int id)
    {
        return qobject_cast<T*>(Control(dialog, id));
    }

private:
    static QWidget* MakeStandardControl(const DialogControl& control, QWidget* parent);
};
