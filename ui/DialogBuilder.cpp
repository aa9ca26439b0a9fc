#include "ui/DialogBuilder.h"

#include "res/ResourceLoader.h"
#include "ui/CListBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include <cmath>

namespace {

int MulDiv(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

QString ControlName(int id)
{
    return QString::number(id);
}

} // namespace

QSize DialogBuilder::BaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The line height rounded up, so that a line of text always fits its dialog units.
    return QSize((width / 26 + 1) / 2, static_cast<int>(std::ceil(QFontMetricsF(font).height())));
}

QRect DialogBuilder::MapDialogRect(const QRect& units, QSize base)
{
    return QRect(MulDiv(units.x(), base.width(), 4), MulDiv(units.y(), base.height(), 8),
                 MulDiv(units.width(), base.width(), 4), MulDiv(units.height(), base.height(), 8));
}

QFont DialogBuilder::DialogFont(const DialogTemplate& dialogTemplate)
{
    // The dialogs' Windows face is drawn with its metric-compatible Debian substitute.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    QFont font(dialogTemplate.fontFace);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(dialogTemplate.pointSize * dpi / 72.0))));
    return font;
}

void DialogBuilder::Build(QWidget* dialog, const DialogTemplate& dialogTemplate, const Factory& factory)
{
    const QFont font = DialogFont(dialogTemplate);
    const QSize base = BaseUnits(font);
    dialog->setFont(font);
    dialog->setWindowTitle(dialogTemplate.caption);
    dialog->resize(MapDialogRect(QRect(0, 0, dialogTemplate.cx, dialogTemplate.cy), base).size());

    for (const DialogControl& control : dialogTemplate.controls) {
        QWidget* widget = factory ? factory(control, dialog) : nullptr;
        if (!widget)
            widget = MakeStandardControl(control, dialog);
        if (control.id != -1)
            widget->setObjectName(ControlName(control.id));
        widget->setProperty("controlId", control.id);
        if (!control.name.isEmpty())
            widget->setAccessibleName(control.name);
        QRect geometry = MapDialogRect(QRect(control.x, control.y, control.cx, control.cy), base);
        auto* label = qobject_cast<QLabel*>(widget);
        if (label && control.kind == DialogControl::Static && geometry.height() < 2 * base.height()) {
            // A one-line text is not wrapped: it is widened when the substitute font runs wider.
            label->setWordWrap(false);
            const QPoint centre = geometry.center();
            geometry.setWidth(std::max(geometry.width(), label->sizeHint().width()));
            if (control.styles & DialogControl::Centered)
                geometry.moveCenter(centre);
        }
        widget->setGeometry(geometry);
        if (!(control.styles & DialogControl::TabStop))
            widget->setFocusPolicy(static_cast<Qt::FocusPolicy>(widget->focusPolicy() & ~Qt::TabFocus));
        if (control.styles & DialogControl::Hidden)
            widget->setHidden(true);
        if (control.styles & DialogControl::Disabled)
            widget->setEnabled(false);
    }
}

QWidget* DialogBuilder::MakeStandardControl(const DialogControl& control, QWidget* parent)
{
    switch (control.kind) {
    case DialogControl::PushButton: {
        auto* button = new QPushButton(control.text, parent);
        button->setDefault(control.styles & DialogControl::DefPushButton);
        return button;
    }
    case DialogControl::StaticBitmap: {
        auto* label = new QLabel(parent);
        const int id = control.text.mid(1).toInt();
        // A screen scaled by two gets the picture drawn for it, at the same size.
        QImage picture = parent->devicePixelRatioF() > 1.5 ? LoadBitmapResource(id, 2) : QImage();
        if (picture.isNull())
            picture = LoadBitmapResource(id);
        else
            picture.setDevicePixelRatio(2);
        label->setPixmap(QPixmap::fromImage(picture));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case DialogControl::EtchedLine: {
        auto* line = new QFrame(parent);
        line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
        return line;
    }
    case DialogControl::GroupBox:
        return new QGroupBox(control.text, parent);
    case DialogControl::Edit:
        if (control.styles & DialogControl::Multiline) {
            auto* edit = new QPlainTextEdit(control.text, parent);
            edit->setReadOnly(control.styles & DialogControl::ReadOnly);
            return edit;
        } else {
            auto* edit = new QLineEdit(control.text, parent);
            edit->setReadOnly(control.styles & DialogControl::ReadOnly);
            return edit;
        }
    case DialogControl::ListBox: {
        auto* list = new CListBox(parent);
        list->SetSorted(control.styles & DialogControl::Sort);
        if (control.styles & DialogControl::NoSelection)
            list->setSelectionMode(QAbstractItemView::NoSelection);
        list->setVerticalScrollBarPolicy((control.styles & DialogControl::VScroll) ? Qt::ScrollBarAsNeeded
                                                                                   : Qt::ScrollBarAlwaysOff);
        if (!(control.styles & DialogControl::Border))
            list->setFrameShape(QFrame::NoFrame);
        return list;
    }
    case DialogControl::CheckBox:
        return new QCheckBox(control.text, parent);
    case DialogControl::ComboBox: {
        auto* combo = new QComboBox(parent);
        combo->addItems(control.text.split(u'\n'));
        return combo;
    }
    case DialogControl::Static:
        break;
    }
    auto* label = new QLabel(control.text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(((control.styles & DialogControl::Centered) ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    return label;
}

QWidget* DialogBuilder::Control(const QWidget* dialog, int id)
{
    return dialog->findChild<QWidget*>(ControlName(id), Qt::FindDirectChildrenOnly);
}
