// Shows every picture button in its three states, two user lists and a conversation list,
// or (with the argument "about") the About box, for tests/screenshots/take.sh.
#include "chat/CChatListBox.h"
#include "online/CUserListBox.h"
#include "prefs/FontRecord.h"
#include "ui/CAboutDialog.h"
#include "ui/CHoverBitmapButton.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>

namespace {

QFont Face(const char* face, int pixels, int weight = 400)
{
    return FontRecord{.height = -pixels, .weight = weight, .face = QString::fromUtf8(face)}.ToQFont();
}

CUserListBox* UserList(QWidget* parent, COLORREF colour, const QFont& font)
{
    auto* list = new CUserListBox(parent);
    list->ShowIcons(true);
    list->SetTextAppearance(colour, font);
    for (const char* name : {"All", "anna", "Борис", "vera", "Галина", "dmitry"})
        list->AddString(QString::fromUtf8(name));
    list->SetItemState(list->FindStringExact(-1, QString::fromUtf8("Борис")), CUserListBox::ITEM_IN_CHAT);
    list->SetItemState(list->FindStringExact(-1, QStringLiteral("dmitry")), CUserListBox::ITEM_IN_CHAT);
    list->setFixedSize(150, 150);
    return list;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "about") {
        CAboutDialog about;
        return about.exec() == QDialog::Accepted ? 0 : 1;
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("Pellwick kit"));
    auto* grid = new QGridLayout(&window);

    struct Strip {
        const char* name;
        int image, mask, w, h;
    };
    const Strip strips[] = {
        {"Preferences", 138, 139, 31, 31}, {"Clear", 141, 142, 30, 30},  {"Send", 154, 152, 31, 24},
        {"Close", 158, 159, 33, 33},       {"Font", 186, 187, 15, 15},   {"Colour", 188, 189, 15, 15},
        {"Pin off", 191, 192, 15, 15},     {"Pin on", 195, 193, 15, 15},
    };
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("normal / pressed / hovered")), row++, 0, 1, 4);
    for (const Strip& strip : strips) {
        grid->addWidget(new QLabel(QString::fromUtf8(strip.name)), row, 0);
        for (int state = 0; state < 3; ++state) {
            auto* button = new CHoverBitmapButton(strip.image, strip.mask, QSize(strip.w, strip.h));
            button->setFocusPolicy(Qt::NoFocus);
            if (state == CHoverBitmapButton::kPressed)
                button->setDown(true);
            if (state == CHoverBitmapButton::kHovered)
                button->SetHover(true);
            grid->addWidget(button, row, 1 + state);
        }
        ++row;
    }

    CUserListBox* first = UserList(&window, MakeColorRef(0, 0, 0), Face("Arial Cyr", 16, 700));
    CUserListBox* second = UserList(&window, MakeColorRef(20, 90, 170), Face("Times New Roman Cyr", 15));
    grid->addWidget(first, 0, 4, 5, 1);
    grid->addWidget(second, 5, 4, 5, 1);
    first->SetCurSel(first->FindStringExact(-1, QStringLiteral("anna")));
    second->SetCurSel(second->FindStringExact(-1, QStringLiteral("vera")));

    auto* chat = new CChatListBox(&window);
    chat->setFixedSize(300, 300);
    chat->SetTitleStyle(MakeColorRef(160, 30, 30), Face("Arial Cyr", 14, 700));
    chat->SetTextStyle(MakeColorRef(20, 20, 60), Face("Arial Cyr", 13));
    chat->SetBackgroundColor(MakeColorRef(250, 248, 238));
    grid->addWidget(chat, 0, 5, 10, 1);
    chat->show();
    for (const char* line : {
             "anna%Привет всем! Кто идёт обедать?",
             "Борис%Я иду, но чуть позже: сначала нужно дописать длинный отчёт о квартальных продажах и отправить его "
             "начальству до трёх часов.",
             "vera%ok",
             "Галина%Очень длинная строка без единого переноса, чтобы проверить, как список переносит слова по ширине "
             "и обрезает текст у нижнего края элемента, если высоты не хватило.",
             "dmitry%50% готово, остальное после обеда",
         })
        chat->AddString(QString::fromUtf8(line));

    window.show();
    window.activateWindow();
    first->setFocus();
    return app.exec();
}
