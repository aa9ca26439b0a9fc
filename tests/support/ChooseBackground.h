#pragma once

#include "chat/CMessageListPrefsDialog.h"
#include "ui/CListBox.h"
#include "ui/DialogBuilder.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QPushButton>

#include <gtest/gtest.h>

// Picks Background in the list's preferences, opens Color... and answers the chooser with the colour.
inline void ChooseBackground(CMessageListPrefsDialog* prefs, const QColor& colour, bool accept = true)
{
    DialogBuilder::Control<CListBox>(prefs, CMessageListPrefsDialog::IDC_ITEMS)
        ->SetCurSel(CMessageListPrefsDialog::PART_BACKGROUND);
    DialogBuilder::Control<QPushButton>(prefs, CMessageListPrefsDialog::IDC_COLOR)->click();
    auto* chooser = prefs->findChild<QColorDialog*>();
    ASSERT_TRUE(chooser && chooser->isModal());
    chooser->setCurrentColor(colour);
    accept ? chooser->accept() : chooser->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
