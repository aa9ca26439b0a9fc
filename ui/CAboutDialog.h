#pragma once

#include "ui/CPaletteBitmap.h"

#include <QDialog>

// The About box: the program's name and version, what it does, and its picture.
class CAboutDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int IDD = 160;
    static constexpr int kPictureId = 171;

    explicit CAboutDialog(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CPaletteBitmap m_bitmap;
};
