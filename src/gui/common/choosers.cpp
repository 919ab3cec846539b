#include "gui/common/choosers.h"

#include "engine/common/settings.h"
#include "gui/common/prompt.h"
#include "gui/lang/app_state.h"

namespace vantorel::gui {
using lang::Msg;

QString romFolder() {
    return QString::fromStdString(settings::romFolder(settingsFile()));
}

namespace {

FileRequest request(FileRequest::Mode mode, Msg title, QList<FileFilter> filters, int filterIndex,
                    const QString& folder, bool mustExist) {
    FileRequest r;
    r.mode = mode;
    r.title = msg(title);
    r.filters = std::move(filters);
    r.initialFilter = filterIndex > 0 ? filterIndex - 1 : 0;
    if (r.initialFilter >= r.filters.size()) r.initialFilter = 0;
    r.folder = folder;
    r.mustExist = mustExist;
    return r;
}

QString first(const QStringList& l) {
    return l.isEmpty() ? QString() : l.first().trimmed();
}

}  // namespace

QStringList OpenRomDialog(QWidget* owner, int filterIndex, bool severalFiles) {
    const QList<FileFilter> filters = {
        {msg(Msg::AllRoms), "*.bin;*.smd;*.md;*.gen;*.zip;*.7z;*.gz"},
        {msg(Msg::ZippedRoms), "*.zip;*.7z;*.gz"},
        {msg(Msg::SMDRom), "*.smd"},
        {msg(Msg::BinFile), "*.bin"},
        {msg(Msg::AllFiles), "*.*"},
    };
    return prompt().chooseFiles(
        owner, request(severalFiles ? FileRequest::Mode::OpenMany : FileRequest::Mode::Open, Msg::SelRomBox,
                       filters, filterIndex, romFolder(), true));
}

QString SaveRomDialog(QWidget* owner, int filterIndex) {
    const QList<FileFilter> filters = {
        {msg(Msg::BinFile), "*.bin"}, {msg(Msg::SMDRom), "*.smd"}, {msg(Msg::AllFiles), "*.*"}};
    return first(prompt().chooseFiles(
        owner, request(FileRequest::Mode::Save, Msg::SaveCNV, filters, filterIndex, romFolder(), false)));
}

QString OpenIpsDialog(QWidget* owner) {
    const QList<FileFilter> filters = {{msg(Msg::Patches), "*.ips;*.bps;*.ups"}, {msg(Msg::AllFiles), "*.*"}};
    return first(prompt().chooseFiles(
        owner, request(FileRequest::Mode::Open, Msg::SelIPSBox, filters, 0, romFolder(), true)));
}

QString OpenBinDialog(QWidget* owner) {
    // Images in archives open too (the image is read from them; saving goes elsewhere).
    const QList<FileFilter> filters = {
        {msg(Msg::BinFile), "*.bin"}, {msg(Msg::ZippedRoms), "*.zip;*.7z;*.gz"}, {msg(Msg::AllFiles), "*.*"}};
    return first(
        prompt().chooseFiles(owner, request(FileRequest::Mode::Open, Msg::LoadBinT, filters, 0, {}, true)));
}

QString SaveBinDialog(QWidget* owner) {
    const QList<FileFilter> filters = {{msg(Msg::BinFile), "*.bin"}, {msg(Msg::AllFiles), "*.*"}};
    return first(
        prompt().chooseFiles(owner, request(FileRequest::Mode::Save, Msg::SaveRF, filters, 0, {}, false)));
}

}  // namespace vantorel::gui
