#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace vantorel::gui {

// frmSplash: product name, version, platform and a "press a key" line over the picture.
// Any key, a click or the timer hands over to the main window (continued()); Esc ends the
// program instead (escaped()). Closes itself either way.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 2500;
    explicit frmSplash(int timeoutMs = kTimeoutMs, QWidget* parent = nullptr);

    // The one way out: 27 (Esc) ends the program, any other code continues.
    void closeWith(int keyCode);

signals:
    void continued();
    void escaped();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void localize();
    QLabel* addLabel(const char* name, const QRect& geometry);

    QTimer* timOut_ = nullptr;
    QWidget* imgHit_ = nullptr;
    bool done_ = false;
};

}  // namespace vantorel::gui
