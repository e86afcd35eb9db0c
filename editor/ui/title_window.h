// The title window: the title image with the credit and version lines,
// closed by a click or after 1500 ms.
#pragma once

#include <QDialog>

namespace vorlmake {

class TitleWindow : public QDialog {
    Q_OBJECT

public:
    TitleWindow(const QString &programFolder, const QString &versionText, QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

}  // namespace vorlmake
