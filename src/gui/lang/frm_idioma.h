#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace vantorel::gui {

// frmIdioma: lists the language files of the language folder and lets the user pick one.
// While the user moves through the list, the buttons and the instruction show the selected
// file's own texts. First-run mode (no usable language yet) cannot be cancelled or closed
// from the title bar and selects the first file at once.
class frmIdioma : public QDialog {
    Q_OBJECT
public:
    // An empty folder means the program's language folder.
    frmIdioma(bool firstRun, const QString& folder = {}, QWidget* parent = nullptr);

    // The file OK would accept.
    QString chosenPath() const { return chosen_; }
    bool firstRun() const { return firstRun_; }

    // Opens the chooser modally. On return, appState() holds the outcome: languageChanged
    // and, when changed, the new languageFile (also written to the settings file).
    static void run(QWidget* parent, bool firstRun, const QString& folder = {});

public slots:
    void ok();
    void cancel();
    void reject() override;

protected:
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    void select(int row);
    void showTexts();

    bool firstRun_;
    bool finishing_ = false;
    QString folder_;
    QString chosen_;
    QListWidget* list_ = nullptr;
    QLabel* msg_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace vantorel::gui
