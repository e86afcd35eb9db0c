#include "run_settings_dialog.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>

namespace vorlmake {

RunSettingsDialog::RunSettingsDialog(RunSettings &settings, QWidget *parent) : QDialog(parent), settings_(settings)
{
    setObjectName("runSettingsDialog");
    setWindowTitle("変換の実行設定");
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout();

    jobs_ = new QSpinBox(this);
    jobs_->setObjectName("jobsBox");
    jobs_->setRange(0, kMostJobs);
    jobs_->setSpecialValueText(QString("CPU の数 (%1)").arg(QThread::idealThreadCount()));
    jobs_->setValue(settings.jobs);
    form->addRow("同時に実行する変換コマンドの数", jobs_);
    auto *jobsNote = new QLabel("2 以上にできるのは、$O 以外のファイルに書き込まない変換コマンドだけです。", this);
    jobsNote->setWordWrap(true);
    form->addRow(jobsNote);

    cacheFolder_ = new QLineEdit(QString::fromStdString(settings.cacheFolder), this);
    cacheFolder_->setObjectName("cacheFolderField");
    cacheFolder_->setPlaceholderText("使わない");
    auto *browse = new QPushButton("参照...", this);
    browse->setObjectName("cacheFolderBrowse");
    auto *cacheRow = new QHBoxLayout();
    cacheRow->addWidget(cacheFolder_, 1);
    cacheRow->addWidget(browse);
    form->addRow("変換結果のキャッシュフォルダ", cacheRow);
    auto *cacheNote = new QLabel(
        "入力ファイルと変換コマンドが同じなら、変換せずに保存しておいた結果を使います。"
        "変換プログラム自体を入れ替えたときは、フォルダを空にしてください。",
        this);
    cacheNote->setWordWrap(true);
    form->addRow(cacheNote);
    layout->addLayout(form);

    auto *buttons = new QHBoxLayout();
    auto *ok = new QPushButton("OK", this);
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    auto *cancel = new QPushButton("キャンセル", this);
    cancel->setObjectName("cmdCancel");
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, [this] {
        QString folder = QFileDialog::getExistingDirectory(this, "変換結果のキャッシュフォルダ", cacheFolder_->text(),
                                                           QFileDialog::DontUseNativeDialog);
        if (!folder.isEmpty()) {
            cacheFolder_->setText(folder);
        }
    });
}

void RunSettingsDialog::accept()
{
    settings_.jobs = jobs_->value();
    settings_.cacheFolder = cacheFolder_->text().trimmed().toStdString();
    QDialog::accept();
}

}  // namespace vorlmake
