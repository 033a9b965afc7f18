#include "qt/splash_screen.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "qt/icons.h"
#include "qt/qt_text.h"
#include "ui/desktop/first_run.h"

namespace qtui {

namespace {

constexpr QSize kPictureSize(450, 276);

}  // namespace

SplashScreen::SplashScreen(QWidget* owner)
    : QDialog(owner, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setWindowTitle(Tr(ui::StringId::ProductName));
    auto* picture = new QLabel;
    picture->setPixmap(DialogIcon(DialogImage::Splash).pixmap(kPictureSize));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picture);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &QDialog::accept);
}

void SplashScreen::Show(QWidget* owner) {
    SplashScreen splash(owner);
    splash.exec();
}

void SplashScreen::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the screen, whatever the owner.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    timer_.start(ui::kSplashDurationMs);
}

void SplashScreen::mousePressEvent(QMouseEvent* event) {
    event->accept();
    accept();
}

void SplashScreen::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Space:
            accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

}  // namespace qtui
