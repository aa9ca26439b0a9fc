#pragma once

#include <QWidget>

class CTaskBarIcon;
class QLabel;

// A small window in place of the tray icon, for desktops without a notification area: the
// same icon and tool tip, and the same left and right clicks.
class TrayStandIn : public QWidget {
public:
    explicit TrayStandIn(CTaskBarIcon& tray);

    void SetIcon(const QIcon& icon);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    CTaskBarIcon& m_tray;
    QLabel* m_pIcon;
};
