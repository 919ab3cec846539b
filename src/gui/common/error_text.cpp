#include "gui/common/error_text.h"

#include "gui/common/prompt.h"
#include "gui/lang/app_state.h"

namespace vantorel::gui {

QString errorKey(const Error& error) {
    return QString::fromLatin1(categoryName(error.category()).data(),
                               static_cast<qsizetype>(categoryName(error.category()).size())) +
           QString::number(error.number());
}

QString errorText(const Error& error) {
    const QString english = QString::fromStdString(error.description());
    if (error.category() == ErrorCategory::System) return english;
    QString text = langValue(QStringLiteral("Errors"), errorKey(error));
    if (text.isEmpty()) return english;
    // Highest first, so "%1" never eats the start of "%10"; "%*" stands for all of them.
    const auto& args = error.args();
    QStringList all;
    for (const std::string& a : args) all << QString::fromStdString(a);
    text.replace(QStringLiteral("%*"), all.join(QStringLiteral(", ")));
    for (std::size_t i = args.size(); i-- > 0;)
        text.replace(QLatin1Char('%') + QString::number(i + 1), all[static_cast<qsizetype>(i)]);
    return text;
}

void reportSettingsFailure(QWidget* parent, const Error& error) {
    ask(parent, PromptIcon::Error, PromptButtons::Ok, appTitle(), errorText(error));
}

}  // namespace vantorel::gui
