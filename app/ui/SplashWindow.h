#pragma once

#include <QTimer>
#include <QWidget>

// The start-up picture: a frameless, topmost window exactly the size of picture 131, centred
// on the screen for 3000 ms. A key press or a mouse click ends it early, and that input is
// consumed: it does nothing else. At most one exists; the main window's key filter asks for
// it through Current(). GUI thread.
class SplashWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDisplayMs = 3000;

    explicit SplashWindow(int displayMs = kDisplayMs);
    ~SplashWindow() override;

    // The picture while it is shown, else null.
    static SplashWindow* Current();
    // Ends the picture now (deletes it later, safe inside its own event handlers).
    void End();

Q_SIGNALS:
    void ended();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QTimer timer_;
    bool ending_ = false;
};
