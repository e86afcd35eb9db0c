// The about box window over the AboutBox rules.
#pragma once

#include <QDialog>

class QLabel;

namespace vorlmake {

class AboutBox;

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    AboutDialog(AboutBox &about, const QString &programFolder, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ShowHint();
    AboutBox &about_;
    QLabel *picIcon_ = nullptr;
    QLabel *labHint_ = nullptr;
};

}  // namespace vorlmake
