// The splash screen at start-up: the program's picture, centred on the screen, until two seconds
// have passed, the picture is clicked, or Enter or Escape is pressed.
#pragma once

#include <QDialog>
#include <QTimer>

namespace qtui {

class SplashScreen final : public QDialog {
    Q_OBJECT
public:
    explicit SplashScreen(QWidget* owner = nullptr);

    // Shows it modally and returns once it has closed.
    static void Show(QWidget* owner = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTimer timer_;
};

}  // namespace qtui
