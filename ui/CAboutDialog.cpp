#include "ui/CAboutDialog.h"

#include "ui/DialogBuilder.h"

#include <QPainter>
#include <QPushButton>

namespace {

const DialogTemplate& AboutTemplate()
{
    using C = DialogControl;
    static const DialogTemplate dialog{
        .id = CAboutDialog::IDD,
        .caption = QStringLiteral("About"),
        .fontFace = QStringLiteral("MS Sans Serif"),
        .pointSize = 8,
        .cx = 186,
        .cy = 111,
        .controls = {
            {1, C::PushButton, QStringLiteral("OK"), 136, 91, 43, 14, C::DefPushButton | C::TabStop},
            {-1, C::Static, QStringLiteral("Pellwick application."), 55, 9, 122, 8},
            {-1, C::Static, QStringLiteral("Version 1.12"), 55, 20, 39, 8},
            {-1, C::Static, QStringLiteral("for Linux"), 101, 20, 75, 10},
            {-1, C::EtchedLine, {}, 55, 33, 125, 1},
            {-1, C::Static, QStringLiteral("A messenger for one local network."), 55, 41, 122, 8},
            {-1, C::Static, QStringLiteral("Who is online, private messages and a shared chat room, with no server."), 55, 52, 130, 17},
            {-1, C::Static, QStringLiteral("Lives in the notification area."), 55, 70, 130, 10},
        },
    };
    return dialog;
}

} // namespace

CAboutDialog::CAboutDialog(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint)
{
    DialogBuilder::Build(this, AboutTemplate());
    setFixedSize(size());
    if (auto* ok = DialogBuilder::Control<QPushButton>(this, 1))
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    m_bitmap.SetResourceId(kPictureId);
    m_bitmap.Load();
}

void CAboutDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    m_bitmap.Paint(painter, QPoint(8, 8));
}
