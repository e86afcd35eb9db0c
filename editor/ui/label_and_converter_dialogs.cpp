#include "label_and_converter_dialogs.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor_model.h"

namespace vorlmake {
namespace {

QFrame *Line(QWidget *parent, int index)
{
    auto *line = new QFrame(parent);
    line->setObjectName(QString("Line1_%1").arg(index));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QHBoxLayout *Buttons(QDialog *dialog)
{
    auto *row = new QHBoxLayout();
    auto *ok = new QPushButton("OK", dialog);
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    auto *cancel = new QPushButton("キャンセル", dialog);
    cancel->setObjectName("cmdCancel");
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return row;
}

}  // namespace

LabelDialog::LabelDialog(LabelDialogState &state, QWidget *parent) : QDialog(parent), state_(state)
{
    setObjectName("frmILab");
    setWindowTitle("ヘッダラベル名設定ウィンドウ");
    auto *layout = new QVBoxLayout(this);
    auto *heading = new QLabel("型宣言を入力してください", this);
    heading->setObjectName("Label2");
    layout->addWidget(heading);
    auto *types = new QGridLayout();
    const char *captions[] = {"２バイト", "４バイト"};
    const std::string *values[] = {&state.type2, &state.type4};
    for (int i = 0; i < 2; ++i) {
        auto *caption = new QLabel(captions[i], this);
        caption->setObjectName(QString("lbType_%1").arg(i));
        txtType_[i] = new QLineEdit(QString::fromStdString(*values[i]), this);
        txtType_[i]->setObjectName(QString("txtType_%1").arg(i));
        txtType_[i]->setMinimumWidth(320);
        types->addWidget(caption, i, 0);
        types->addWidget(txtType_[i], i, 1);
    }
    layout->addLayout(types);
    layout->addWidget(Line(this, 0));
    auto *nameHeading = new QLabel("配列名を入力してください", this);
    nameHeading->setObjectName("Label1");
    layout->addWidget(nameHeading);
    txtLabel_ = new QLineEdit(QString::fromStdString(state.label), this);
    txtLabel_->setObjectName("txtLabel");
    layout->addWidget(txtLabel_);
    layout->addWidget(Line(this, 1));
    layout->addLayout(Buttons(this));
    for (QLineEdit *box : {txtLabel_, txtType_[0], txtType_[1]}) {
        connect(box, &QLineEdit::textChanged, this, [this, box] { Filter(box); });
    }
    txtLabel_->installEventFilter(this);
}

void LabelDialog::Filter(QLineEdit *box)
{
    if (auto kept = FilterLabelText(box->text().toStdString())) {
        box->setText(QString::fromStdString(*kept));
    }
}

bool LabelDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the name box stores; Escape cancels.
    if (watched == txtLabel_ && event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
        if (key == Qt::Key_Escape) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void LabelDialog::accept()
{
    state_.label = txtLabel_->text().toStdString();
    state_.type2 = txtType_[0]->text().toStdString();
    state_.type4 = txtType_[1]->text().toStdString();
    QDialog::accept();
}

ConvertDialog::ConvertDialog(ConvertDialogState &state, QWidget *parent) : QDialog(parent), state_(state)
{
    setObjectName("frmConvert");
    setWindowTitle("データ変換設定ウィンドウ");
    auto *layout = new QVBoxLayout(this);
    auto *rows = new QGridLayout();
    auto *group = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i) {
        optSelect_[i] = new QRadioButton(this);
        optSelect_[i]->setObjectName(QString("optSelect_%1").arg(i));
        group->addButton(optSelect_[i], i);
        auto *number = new QLabel(QString::number(i), this);
        number->setObjectName(QString("Label1_%1").arg(i));
        rows->addWidget(optSelect_[i], i, 0);
        rows->addWidget(number, i, 1);
        if (i == 0) {
            auto *none = new QLabel("データ変換なし", this);
            none->setObjectName("Label2");
            rows->addWidget(none, i, 2);
        } else {
            txtCmdLine_[i - 1] = new QLineEdit(QString::fromStdString(state.commands[i - 1]), this);
            txtCmdLine_[i - 1]->setObjectName(QString("txtCmdLine_%1").arg(i - 1));
            txtCmdLine_[i - 1]->setMinimumWidth(420);
            rows->addWidget(txtCmdLine_[i - 1], i, 2);
        }
    }
    optSelect_[std::clamp(state.defaultConvert, 0, 4)]->setChecked(true);
    layout->addLayout(rows);
    layout->addWidget(Line(this, 0));
    layout->addWidget(Line(this, 1));
    layout->addLayout(Buttons(this));
}

void ConvertDialog::accept()
{
    for (int i = 0; i < 5; ++i) {
        if (optSelect_[i]->isChecked()) {
            state_.defaultConvert = i;
        }
    }
    for (int i = 0; i < 4; ++i) {
        state_.commands[i] = txtCmdLine_[i]->text().toStdString();
    }
    QDialog::accept();
}

}  // namespace vorlmake
