#include "messages/MessageAppearance.h"

#include "prefs/PreferencesSendMessage.h"

#include <QPlainTextEdit>

void ApplyMessageAppearance(QPlainTextEdit* edit, const PreferencesSendMessage& record)
{
    edit->setFont(record.m_fontText.ToQFont());
    QPalette colours = edit->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Base, ToQColor(record.m_crBackground));
        colours.setColor(group, QPalette::Text, ToQColor(record.m_crText));
    }
    edit->setPalette(colours);
    edit->viewport()->update();
}
