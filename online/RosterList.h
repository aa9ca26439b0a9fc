#pragma once

#include <QString>

class QListWidgetItem;

// What the presence roster needs of the list that shows it.
class RosterList {
public:
    virtual ~RosterList() = default;

    // Adds an item at its sorted place, in the online state; the roster keeps the item.
    virtual QListWidgetItem* AddUserItem(const QString& name) = 0;
    virtual void RemoveUserItem(QListWidgetItem* item) = 0;
    virtual void SetUserItemInChat(QListWidgetItem* item, bool inChat) = 0;
};
