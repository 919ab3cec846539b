#include "gui/convert/frm_rom_conv.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>

#include "engine/archive/archive_reader.h"
#include "engine/common/settings.h"
#include "engine/convert/naming.h"
#include "engine/convert/smd.h"
#include "engine/rom/layout.h"
#include "engine/rom/load_image.h"
#include "gui/common/choosers.h"
#include "gui/common/dropped_files.h"
#include "gui/common/error_text.h"
#include "gui/common/host.h"
#include "gui/common/image_entry.h"
#include "gui/common/native_path.h"
#include "gui/common/prompt.h"
#include "gui/lang/app_state.h"
#include "gui/lang/localize.h"

namespace vantorel::gui {
using lang::Msg;

namespace {

constexpr const char* kSection = "frmRomConv";

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

}  // namespace

frmRomConv::~frmRomConv() = default;

frmRomConv::frmRomConv(QWidget* parent) : ToolWindow(parent) {
    setObjectName(QLatin1String(kSection));

    auto* panes = new QHBoxLayout;
    panes->addWidget(buildPane(smd_, "fBS", "SMD-->BIN", "lbOrgSMD", "lsOrgSmd", "cmdSelOrgSMD", "lbDestBin",
                               "lsDstBin", "cmdSelDestBIN", "cmdSMD2BIN", "Picture1"));
    panes->addWidget(buildPane(bin_, "fSB", "BIN-->SMD", "lbOrgBin", "lsOrgBin", "cmdSelOrgBIN", "lbDestSMD",
                               "lsDstSmd", "cmdSelDestSMD", "cmdBIN2SMD", "Picture2"));

    runOut_ = named(new QPushButton(QStringLiteral("ID_CLOSE"), this), "cmdRunOut");
    connect(runOut_, &QPushButton::clicked, this, [this] {
        if (!busy_) unloadTool();
    });
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(runOut_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(panes, 1);
    layout->addLayout(bottom);

    // Frames keep their captions and picture controls have none; lists use size 8.
    LocalizeOptions options;
    options.skipCaption = [](QObject* o) {
        return qobject_cast<QGroupBox*>(o) || qobject_cast<QToolButton*>(o) ||
               qobject_cast<QListWidget*>(o) || o->objectName().startsWith(QLatin1String("Picture"));
    };
    localizeWindow(this, QLatin1String(kSection), options);
    SetRomFolder();
    job_ = newJob();
    connect(job_, &Job::progressed, this, [](qint64 done, qint64 total) {
        ShowProgress(static_cast<int>(total), static_cast<int>(done), QString(), true);
    });
    drainTimer_ = new QTimer(this);
    drainTimer_->setInterval(Job::kFrameMs);
    connect(drainTimer_, &QTimer::timeout, this, &frmRomConv::drainBatch);
}

QGroupBox* frmRomConv::buildPane(Pane& p, const char* frameName, const char* caption, const char* sourceLabel,
                                 const char* sourceList, const char* addButton, const char* destLabel,
                                 const char* destList, const char* folderButton, const char* convertButton,
                                 const char* picture) {
    p.frame = named(new QGroupBox(QLatin1String(caption), this), frameName);
    p.frame->setAcceptDrops(true);
    p.frame->installEventFilter(this);

    auto makeList = [&](const char* name, QAbstractItemView::SelectionMode mode) {
        auto* list = named(new QListWidget(p.frame), name);
        list->setSelectionMode(mode);
        QFont f = list->font();
        f.setPointSize(8);
        list->setFont(f);
        return list;
    };
    auto makePictureButton = [&](const char* name, QStyle::StandardPixmap icon) {
        auto* b = named(new QToolButton(p.frame), name);
        b->setIcon(style()->standardIcon(icon));
        b->setAutoRaise(true);
        return b;
    };

    // Made in reading order, which is the order Tab visits them: each heading's button on
    // its right comes before the list under it.
    auto* orgLabel = named(new QLabel(QStringLiteral("ID_ORIG"), p.frame), sourceLabel);
    p.addButton = makePictureButton(addButton, QStyle::SP_DialogOpenButton);
    p.sources = makeList(sourceList, QAbstractItemView::ExtendedSelection);
    auto* arrow = named(new QLabel(p.frame), picture);
    arrow->setPixmap(style()->standardIcon(QStyle::SP_ArrowDown).pixmap(16, 16));
    arrow->setAlignment(Qt::AlignCenter);
    auto* destLabelWidget = named(new QLabel(QStringLiteral("ID_DEST"), p.frame), destLabel);
    p.folderButton = makePictureButton(folderButton, QStyle::SP_DirOpenIcon);
    p.destinations = makeList(destList, QAbstractItemView::SingleSelection);
    p.convertButton = named(new QPushButton(QStringLiteral("ID_CONVERT"), p.frame), convertButton);

    auto* grid = new QGridLayout(p.frame);
    grid->addWidget(orgLabel, 0, 0);
    grid->addWidget(p.addButton, 0, 1, Qt::AlignRight);
    grid->addWidget(p.sources, 1, 0, 1, 2);
    grid->addWidget(arrow, 2, 0, 1, 2);
    grid->addWidget(destLabelWidget, 3, 0);
    grid->addWidget(p.folderButton, 3, 1, Qt::AlignRight);
    grid->addWidget(p.destinations, 4, 0, 1, 2);
    grid->addWidget(p.convertButton, 5, 0, 1, 2);
    grid->setColumnStretch(0, 1);

    const ConvertDirection d = p.direction;
    connect(p.addButton, &QToolButton::clicked, this, [this, d] { chooseSources(pane(d)); });
    connect(p.folderButton, &QToolButton::clicked, this, [this, d] { chooseDestinationFolder(pane(d)); });
    connect(p.destinations, &QListWidget::itemDoubleClicked, this,
            [this, d](QListWidgetItem*) { chooseDestinationFolder(pane(d)); });
    connect(p.convertButton, &QPushButton::clicked, this, [this, d] { convert(pane(d)); });

    // Delete takes the selected sources and their destinations off the pane.
    auto* remove = new QAction(p.sources);
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetShortcut);
    p.sources->addAction(remove);
    connect(remove, &QAction::triggered, this, [this, d] { removeSelected(pane(d)); });
    return p.frame;
}

namespace {

// Where a source entry keeps the file to read and, for an archive, the image inside it; the
// text shown may be the archive's name with the entry's.
constexpr int kPathRole = Qt::UserRole;
constexpr int kEntryRole = Qt::UserRole + 1;

// The head and size of what a source holds: enough to tell its layout. Nothing when it
// cannot be read; the conversion will say why.
struct Head {
    Bytes bytes;
    std::uint64_t size = 0;
};

std::optional<Head> headOf(const QString& path, const QString& entry) {
    if (entry.isEmpty()) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
        const QByteArray b = f.read(archive::kHeadSize);
        return Head{{b.begin(), b.end()}, static_cast<std::uint64_t>(f.size())};
    }
    auto entries = archive::listEntries({toPath(path), {}});
    if (!entries) return std::nullopt;
    for (const archive::Entry& e : entries.value())
        if (e.name == entry.toStdString()) return Head{e.head, e.size};
    return std::nullopt;
}

bool holdsSmd(const std::optional<Head>& head) {
    return head && rom::isSmdLayout(head->bytes, head->size);
}

// A source whose content the pane would turn into garbage: said on its entry, before the
// batch, though the user may still convert it.
QString mismatchOf(ConvertDirection pane, const std::optional<Head>& head) {
    if (!head) return {};
    if (pane == ConvertDirection::BinToSmd && holdsSmd(head)) return msg(Msg::SrcLooksSmd);
    if (pane == ConvertDirection::SmdToBin && !holdsSmd(head) && rom::hasSegaSignature(head->bytes))
        return msg(Msg::SrcLooksBin);
    return {};
}

}  // namespace

void frmRomConv::addSources(ConvertDirection d, const QStringList& paths) {
    QList<Source> picked;
    for (const QString& path : paths) {
        if (path.isEmpty()) continue;
        const std::optional<QString> entry = chooseImageEntry(this, path);
        if (!entry) continue;  // unreadable archive (said) or the choice cancelled
        picked.append({path, *entry});
    }
    addPicked(d, picked);
}

void frmRomConv::addPicked(ConvertDirection d, const QList<Source>& sources) {
    Pane& p = pane(d);
    const char* extension = d == ConvertDirection::SmdToBin ? ".bin" : ".smd";
    for (const Source& s : sources) {
        auto* item = new QListWidgetItem(
            s.entry.isEmpty() ? s.path : s.path + QLatin1Char('(') + s.entry + QLatin1Char(')'));
        item->setData(kPathRole, s.path);
        item->setData(kEntryRole, s.entry);
        const QString mismatch = mismatchOf(d, headOf(s.path, s.entry));
        if (!mismatch.isEmpty()) {
            item->setToolTip(mismatch);
            item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
        }
        p.sources->addItem(item);
        const std::string destination =
            s.entry.isEmpty()
                ? convert::destinationFor(toNative(s.path), extension)
                : convert::destinationForArchiveEntry(toNative(s.path), s.entry.toStdString(), extension);
        p.destinations->addItem(fromNative(destination));
    }
    p.sources->selectAll();
}

void frmRomConv::acceptFiles(const QStringList& paths) {
    if (busy_) return;
    // A plain file joins the pane its name says; an archive's image the pane its own name
    // says, or its content when the name says neither.
    QList<Source> smd, bin;
    for (const QString& path : paths) {
        if (path.isEmpty()) continue;
        const std::optional<QString> entry = chooseImageEntry(this, path);
        if (!entry) continue;
        const QString name = entry->isEmpty() ? path : *entry;
        bool isSmd = name.endsWith(QLatin1String(".smd"), Qt::CaseInsensitive);
        if (!entry->isEmpty() && !isSmd && !name.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive))
            isSmd = holdsSmd(headOf(path, *entry));
        (isSmd ? smd : bin).append({path, *entry});
    }
    if (!smd.isEmpty()) addPicked(ConvertDirection::SmdToBin, smd);
    if (!bin.isEmpty()) addPicked(ConvertDirection::BinToSmd, bin);
}

void frmRomConv::removeSelected(Pane& p) {
    if (busy_) return;
    for (int k = p.sources->count() - 1; k >= 0; --k) {
        if (!p.sources->item(k)->isSelected()) continue;
        delete p.sources->takeItem(k);
        if (k < p.destinations->count()) delete p.destinations->takeItem(k);
    }
}

void frmRomConv::chooseSources(Pane& p) {
    if (busy_) return;
    const QStringList paths = OpenRomDialog(this, p.direction == ConvertDirection::SmdToBin ? 3 : 4, true);
    if (paths.isEmpty() || paths.first().isEmpty()) return;
    addSources(p.direction, paths);
}

void frmRomConv::chooseDestinationFolder(Pane& p) {
    if (busy_) return;
    const QString folder = prompt().chooseFolder(this, msg(Msg::RomFolder), romFolder());
    if (folder.isEmpty()) return;
    const std::string native = toNative(folder);
    for (int k = 0; k < p.destinations->count(); ++k) {
        QListWidgetItem* item = p.destinations->item(k);
        item->setText(fromNative(convert::destinationInFolder(toNative(item->text()), native)));
    }
}

void frmRomConv::setBusy(bool busy) {
    busy_ = busy;
    for (Pane* p : {&smd_, &bin_}) {
        p->convertButton->setEnabled(!busy);
        p->addButton->setEnabled(!busy);
        p->folderButton->setEnabled(!busy);
    }
    runOut_->setEnabled(!busy);
}

// One batch: the worker converts file after file without waiting for the window, and
// tells what happened, in order, through a queue that the window reads at screen rate.
struct frmRomConv::Batch {
    struct Item {
        QString source;  // as shown: an archive's with its entry
        QString destination;
        // The destination's list entry; lists cannot change while a batch runs.
        QListWidgetItem* entry;
    };
    struct Event {
        int index;
        bool started;                        // else done, with its outcome
        std::optional<Result<void>> result;  // set when done
    };
    ConvertDirection direction;
    QList<Item> items;
    struct Work {
        std::string source, destination;
        std::optional<std::string> entry;
    };
    std::vector<Work> work;           // what the worker reads
    convert::ConvertBuffers buffers;  // the worker's alone

    std::mutex mutex;
    std::deque<Event> events;  // guarded by mutex
    void push(Event e) {
        const std::lock_guard lock(mutex);
        events.push_back(std::move(e));
    }
    std::optional<Event> pop() {
        const std::lock_guard lock(mutex);
        if (events.empty()) return std::nullopt;
        Event e = std::move(events.front());
        events.pop_front();
        return e;
    }

    // The window's side.
    int written = 0;
    QStringList failed;
    bool workerDone = false;
};

void frmRomConv::convert(Pane& p) {
    if (busy_) return;
    auto refuse = [this] {
        ask(this, PromptIcon::Error, PromptButtons::Ok, appTitle(), msg(Msg::SelRomErr));
    };
    if (p.sources->count() == 0) return refuse();
    // The batch works on the entries selected when it starts.
    auto batch = std::make_shared<Batch>();
    batch->direction = p.direction;
    for (int k = 0; k < p.sources->count(); ++k) {
        QListWidgetItem* source = p.sources->item(k);
        if (!source->isSelected() || k >= p.destinations->count()) continue;
        const QString path = source->data(kPathRole).toString();
        const QString entry = source->data(kEntryRole).toString();
        batch->items.append({source->text(), p.destinations->item(k)->text(), p.destinations->item(k)});
        batch->work.push_back(
            {toNative(path), toNative(p.destinations->item(k)->text()),
             entry.isEmpty() ? std::nullopt : std::optional<std::string>(entry.toStdString())});
    }
    if (batch->items.isEmpty()) return refuse();
    // Two sources written to one file would lose the first: refused before anything runs.
    std::vector<convert::BatchEntry> entries;
    for (const Batch::Work& w : batch->work) entries.push_back({w.source, w.destination});
    const auto clashes = convert::findBatchClashes(entries);
    if (!clashes.empty()) {
        QStringList why;
        for (const convert::BatchClash& c : clashes) why << errorText(convert::batchClashError(c, entries));
        ask(this, PromptIcon::Error, PromptButtons::Ok, appTitle(), why.join(QLatin1Char('\n')));
        return;
    }
    batch_ = std::move(batch);
    setBusy(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    host().setProgressVisible(true);
    ShowProgress(100, 0, QString(), false);
    SetStatusText(msg(Msg::CNVProg));

    const auto engine =
        batch_->direction == ConvertDirection::SmdToBin ? &convert::SMD2Bin : &convert::Bin2SMD;
    // The worker shares the batch, so it never outlives what it writes into.
    job_->start(
        [engine, batch = batch_](const ProgressFn& progress) {
            for (std::size_t i = 0; i < batch->work.size(); ++i) {
                const int index = static_cast<int>(i);
                const Batch::Work& w = batch->work[i];
                batch->push({index, true, std::nullopt});
                auto result = engine(w.source, w.destination, progress, &batch->buffers, w.entry);
                const bool stopped = !result && result.error().category() == ErrorCategory::Stopped;
                batch->push({index, false, std::move(result)});
                if (stopped) return;
            }
        },
        [this] {
            if (!batch_) return;
            batch_->workerDone = true;
            drainBatch();
        });
    drainTimer_->start();
}

// Reports what the worker did, in order: the status line, the reason on a failed entry, the
// box for each failure (the worker goes on meanwhile), and the closing box once all is told.
void frmRomConv::drainBatch() {
    if (!batch_ || draining_ || job_->paused()) return;
    draining_ = true;
    const QPointer<frmRomConv> alive(this);
    const bool stopping = job_->stopRequested();
    while (batch_) {
        const std::optional<Batch::Event> e = batch_->pop();
        if (!e) break;
        Batch& b = *batch_;
        const Batch::Item& item = b.items[e->index];
        if (e->started) {
            SetStatusText(
                conversionStatus(b.direction, item.source, e->index + 1, static_cast<int>(b.items.size())));
            continue;
        }
        const Result<void>& result = *e->result;
        if (result) {
            // Written whole, even when the stop came while it was being written.
            ++b.written;
            item.entry->setToolTip(QString());
            SetStatusText(msg(Msg::DstMsg, QStringLiteral("%r"), item.destination));
            continue;
        }
        if (result.error().category() == ErrorCategory::Stopped) continue;  // discarded whole
        // The reason stays on the entry, where the user can read it after the batch.
        item.entry->setToolTip(errorText(result.error()));
        b.failed << item.destination;
        if (!stopping) {
            QApplication::restoreOverrideCursor();
            ask(this, PromptIcon::Error, PromptButtons::Ok, appTitle(), msg(Msg::CantCNV1));
            if (!alive) return;
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
        SetStatusText(msg(Msg::CantCNV2));
    }
    draining_ = false;
    if (batch_ && batch_->workerDone) finishBatch(job_->stopRequested());
}

void frmRomConv::finishBatch(bool stopped) {
    drainTimer_->stop();
    const std::shared_ptr<Batch> b = std::move(batch_);
    QApplication::restoreOverrideCursor();
    host().setProgressVisible(false);
    setBusy(false);
    if (stopped) {
        // The file in progress was discarded whole; the ones before it are written.
        SetStatusText(msg(Msg::CNVStopped, QStringLiteral("%1"), QString::number(b->written),
                          QStringLiteral("%2"), QString::number(b->items.size())));
        return;
    }
    if (b->failed.isEmpty())
        ask(this, PromptIcon::Information, PromptButtons::Ok, appTitle(), msg(Msg::OKCNV));
    else
        ask(this, PromptIcon::Warning, PromptButtons::Ok, appTitle(),
            failureReport(msg(Msg::ErrCNV), b->failed));
}

bool frmRomConv::eventFilter(QObject* watched, QEvent* event) {
    const bool smdPane = watched == smd_.frame;
    if (!smdPane && watched != bin_.frame) return ToolWindow::eventFilter(watched, event);
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* e = static_cast<QDragMoveEvent*>(event);
        if (!busy_ && !droppedPaths(e->mimeData()).isEmpty())
            e->acceptProposedAction();
        else
            e->ignore();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* e = static_cast<QDropEvent*>(event);
        const QStringList paths = droppedPaths(e->mimeData());
        if (busy_ || paths.isEmpty()) {
            e->ignore();
            return true;
        }
        addSources(smdPane ? ConvertDirection::SmdToBin : ConvertDirection::BinToSmd, paths);
        e->acceptProposedAction();
        return true;
    }
    return ToolWindow::eventFilter(watched, event);
}

void frmRomConv::closeEvent(QCloseEvent* event) {
    // A running batch stops at its next block; the files already written stay.
    stopWork();
    SetStatusText(appMessage());
    ToolWindow::closeEvent(event);
}

}  // namespace vantorel::gui
