// The two settings dialogs: the header label dialog (frmILab) and the
// data-conversion settings dialog (frmConvert). They edit a copy of the
// values; the model stores it on OK.
#pragma once

#include <QDialog>
#include <array>

#include "editor_host.h"

class QLineEdit;
class QRadioButton;

namespace vorlmake {

class LabelDialog : public QDialog {
    Q_OBJECT

public:
    LabelDialog(LabelDialogState &state, QWidget *parent = nullptr);
    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Filter(QLineEdit *box);
    LabelDialogState &state_;
    QLineEdit *txtLabel_ = nullptr;
    std::array<QLineEdit *, 2> txtType_{};
};

class ConvertDialog : public QDialog {
    Q_OBJECT

public:
    ConvertDialog(ConvertDialogState &state, QWidget *parent = nullptr);
    void accept() override;

private:
    ConvertDialogState &state_;
    std::array<QRadioButton *, 5> optSelect_{};
    std::array<QLineEdit *, 4> txtCmdLine_{};
};

}  // namespace vorlmake
