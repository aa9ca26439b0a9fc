#pragma once

#include <QWidget>

class CTaskBarIcon;
class FramePlacer;
class QLabel;

// A small window in place of the tray icon, for desktops without a notification area: the
// same icon and tool tip, and the same left and right clicks. An ordinary window in the task
// bar, first shown in the lower right corner of the work area.
class TrayStandIn : public QWidget {
public:
    explicit TrayStandIn(CTaskBarIcon& tray);

    void SetIcon(const QIcon& icon);

    static constexpr QSize kSize{160, 44};

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    CTaskBarIcon& m_tray;
    QLabel* m_pIcon;
    FramePlacer* m_pPlacer;
    bool m_bPlaced = false;
};
