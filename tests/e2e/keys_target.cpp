// A stand-in emulator driven by keys: a window that, on its open-file shortcut (Ctrl+O, or
// the sequence in VANTOREL_KEYS_SHORTCUT), shows a text field with the focus; Return there
// writes the field's text to the file named by VANTOREL_KEYS_OUTPUT and ends the program.
#include <QApplication>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString output = qEnvironmentVariable("VANTOREL_KEYS_OUTPUT");
    const QString shortcut = qEnvironmentVariable("VANTOREL_KEYS_SHORTCUT", QStringLiteral("Ctrl+O"));
    if (output.isEmpty()) return 2;

    QWidget window;
    window.setWindowTitle(QStringLiteral("keys target"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("waiting for the open-file shortcut")));
    auto* field = new QLineEdit;
    field->setObjectName(QStringLiteral("path"));
    field->hide();
    layout->addWidget(field);

    auto* open = new QShortcut(QKeySequence(shortcut), &window);
    QObject::connect(open, &QShortcut::activated, [field] {
        field->clear();
        field->show();
        field->setFocus();
        field->activateWindow();
    });
    QObject::connect(field, &QLineEdit::returnPressed, [field, output] {
        QFile f(output + QStringLiteral(".part"));
        if (!f.open(QIODevice::WriteOnly)) QCoreApplication::exit(3);
        f.write(field->text().toUtf8());
        f.close();
        QFile::remove(output);
        QCoreApplication::exit(QFile::rename(output + QStringLiteral(".part"), output) ? 0 : 4);
    });
    window.resize(320, 120);
    window.show();
    return app.exec();
}
