#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "engine/about/scroll.h"
#include "gui/about/credit_sheet.h"
#include "gui/about/credits_music.h"

class QLabel;
class QTimer;

namespace vantorel::gui {

class frmWait;

// The visible picture of the show: the part of the sheet copied at the scroll's position.
class CreditView : public QWidget {
    Q_OBJECT
public:
    explicit CreditView(QWidget* parent);
    void setSheet(const QImage* sheet) { sheet_ = sheet; }
    void copyAt(int x, int y, int width, int height);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage* sheet_ = nullptr;
    QRect copy_;
};

// The credits show: every line painted once onto a tall sheet, scrolled up every 10 ms, with
// the tune in a loop. Up and Down change the speed; Escape ends the show.
class frmCredits : public QWidget {
    Q_OBJECT
public:
    // Builds and paints the lines; `progress` hears the count of lines painted.
    explicit frmCredits(QWidget* parent = nullptr, const std::function<void(int)>& progress = {});
    // With the sheet already painted (the preload window paints it line by line).
    frmCredits(QWidget* parent, CreditSheet sheet);

    // What the show prints, and how it paints it, so the preload window can paint ahead.
    static std::vector<about::CreditLine> creditLines();
    static std::unique_ptr<CreditSheetPainter> sheetPainter(const QWidget* reference);
    ~frmCredits() override;

    const about::CreditScroll& scroll() const { return scroll_; }
    const CreditSheet& sheet() const { return sheet_; }
    CreditsMusic& music() { return music_; }

    // What the wait window does on its first tick: write the tune out, start it and the
    // restart timers, and take the program's title. Without music the show goes on silently.
    void startMusic();
    // Ends the show: silence, the temporary file removed, the window closed.
    void quit();
    // Why the show is silent (empty while the tune plays or before it was started).
    const QString& musicProblem() const { return musicProblem_; }

public slots:
    void tickScroll();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void build();
    void start();
    void showWait();
    void chain(QTimer* from, QTimer* to, bool restartTune);

    CreditSheet sheet_;
    about::CreditScroll scroll_;
    CreditsMusic music_;
    CreditView* about_ = nullptr;
    QTimer* timDoStuff_ = nullptr;
    QTimer* timMIDI1_ = nullptr;
    QTimer* timMIDI2_ = nullptr;
    QTimer* timMIDI3_ = nullptr;
    bool activated_ = false;
    QString musicProblem_;
};

}  // namespace vantorel::gui
