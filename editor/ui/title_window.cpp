#include "title_window.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace vorlmake {

constexpr int kTitleMilliseconds = 1500;

TitleWindow::TitleWindow(const QString &programFolder, const QString &versionText, QWidget *parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName("frmTitle");
    QPixmap image(programFolder + "/title.png");
    QSize size = image.isNull() ? QSize(480, 270) : image.size();
    setFixedSize(size);
    auto *background = new QLabel(this);
    background->setPixmap(image);
    background->setGeometry(0, 0, size.width(), size.height());
    background->setStyleSheet("background-color: #123a5c;");

    auto *credit = new QLabel("VORL Maker team", this);
    credit->setObjectName("Label1");
    auto *version = new QLabel(versionText, this);
    version->setObjectName("labVer");
    for (QLabel *label : {credit, version}) {
        label->setStyleSheet("color: white; background: transparent;");
    }
    credit->setGeometry(16, size.height() - 52, size.width() - 32, 20);
    version->setGeometry(16, size.height() - 30, size.width() - 32, 20);

    // Centred on the screen.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->geometry();
        move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
    }
    auto *timer = new QTimer(this);
    timer->setObjectName("Timer");
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, &QDialog::accept);
    timer->start(kTitleMilliseconds);
}

void TitleWindow::mousePressEvent(QMouseEvent *)
{
    accept();
}

}  // namespace vorlmake
