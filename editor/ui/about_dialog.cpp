#include "about_dialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "about_box.h"

namespace vorlmake {

AboutDialog::AboutDialog(AboutBox &about, const QString &programFolder, QWidget *parent)
    : QDialog(parent), about_(about)
{
    setObjectName("frmAbout");
    const AboutView &view = about.View();
    setWindowTitle(QString::fromStdString(view.caption));
    auto *grid = new QGridLayout(this);

    picIcon_ = new QLabel(this);
    picIcon_->setObjectName("picIcon");
    picIcon_->setPixmap(QPixmap(programFolder + "/vorlmake.png"));
    picIcon_->installEventFilter(this);
    grid->addWidget(picIcon_, 0, 0, 3, 1, Qt::AlignTop);

    auto addLabel = [&](const char *name, const std::string &text, int row) {
        auto *label = new QLabel(QString::fromStdString(text), this);
        label->setObjectName(name);
        grid->addWidget(label, row, 1);
        return label;
    };
    QLabel *title = addLabel("lblTitle", view.title, 0);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    title->setFont(big);
    addLabel("lblVersion", view.version, 1);
    addLabel("lblDllVersion", view.dllVersion, 2);
    addLabel("Label1", "Packs numbered files and writes their index. VORL Maker team", 3);

    auto *frame = new QGroupBox("ワンポイントヒント", this);
    frame->setObjectName("Frame1");
    auto *frameLayout = new QVBoxLayout(frame);
    labHint_ = new QLabel(frame);
    labHint_->setObjectName("labHint");
    labHint_->setWordWrap(true);
    labHint_->setMinimumSize(360, 56);
    labHint_->setCursor(Qt::PointingHandCursor);
    labHint_->installEventFilter(this);
    frameLayout->addWidget(labHint_);
    grid->addWidget(frame, 4, 0, 1, 2);

    auto *buttons = new QHBoxLayout();
    auto *sysInfo = new QPushButton("ｼｽﾃﾑ情報(&S)...", this);
    sysInfo->setObjectName("cmdSysInfo");
    auto *ok = new QPushButton("OK", this);
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);
    grid->addLayout(buttons, 5, 0, 1, 2);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(sysInfo, &QPushButton::clicked, this, [this] { about_.ShowSystemInformation(); });
    ShowHint();
}

void AboutDialog::ShowHint()
{
    labHint_->setText(QString::fromStdString(about_.View().hint).replace("\r\n", "\n"));
}

bool AboutDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == labHint_) {
            about_.ShowNextHint();
            ShowHint();
            return true;
        }
        if (watched == picIcon_) {
            about_.TouchIcon();
            ShowHint();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vorlmake
