#pragma once

#include "prefs/PreferencesMessageList.h"

#include <QDialog>

#include <memory>
#include <optional>

class CChatListBox;
class CListBox;
class CRegistry;
class QPushButton;

// "Preferences" of a conversation list: the fonts and colours of the sender's name ("User
// Alias") and of the text ("Message Text"), and the background, shown on a sample line while
// they are edited. OK stores the scheme in the record's section; Cancel stores nothing. The
// opener reloads its record from the store after OK, so it shows what the store keeps.
class CMessageListPrefsDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int IDD = 172;
    enum ControlId { IDC_COLOR = 1010, IDC_FONT = 1011, IDC_PROTOTYPE = 1017, IDC_ITEMS = 1018 };
    // The parts of the scheme, in the order of the Items list.
    enum Part { PART_TEXT = 0, PART_TITLE = 1, PART_BACKGROUND = 2 };

    // record is a fresh PreferencesChat or PreferencesInMessage: its class says which section
    // the dialog loads and stores.
    CMessageListPrefsDialog(CRegistry& registry, std::unique_ptr<PreferencesMessageList> record,
                            QWidget* parent = nullptr);
    ~CMessageListPrefsDialog() override;

    const PreferencesMessageList& Record() const { return *m_pRecord; }

    void accept() override;

private:
    // The part the selected Items entry names; none when nothing is selected.
    std::optional<Part> SelectedPart() const;
    void OnItemsSelChange();
    void OnColor();
    void OnFont();
    void ShowScheme();

    CRegistry& m_registry;
    std::unique_ptr<PreferencesMessageList> m_pRecord;
    QPushButton* m_pFontButton = nullptr;
    QPushButton* m_pColorButton = nullptr;
    CListBox* m_pItems = nullptr;
    CChatListBox* m_pPrototype = nullptr;
};
