#include "app/FrameMonitor.h"

#include "app/About.h"
#include "app/Forms.h"
#include "app/LineStatus.h"
#include "base/Files.h"
#include "indicator/FileAccess.h"
#include "indicator/Torvik.h"
#include "modbus/FrameCapture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace qv7 {

namespace {

// The functions the filter offers: those the tool sends.
constexpr int FilterFunctions[] = {3, 4, 6, 16};

template <typename T> T* named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

FrameMonitor::FrameMonitor(QWidget* parent) : QWidget(parent, Qt::Window), log_(this), filter_(this) {
    setObjectName(QStringLiteral("FrameMonitor"));
    filter_.setSourceModel(&log_);
    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(QuietMs);
    connect(refreshTimer_, &QTimer::timeout, this, [this] { refresh(); });
    errorsOnly_ = named(new QCheckBox(this), "CbErrorsOnly");
    function_ = named(new QComboBox(this), "CbFunction");
    pause_ = named(new QPushButton(this), "BtnPause");
    pause_->setCheckable(true);
    clear_ = named(new QPushButton(this), "BtnClear");
    copy_ = named(new QPushButton(this), "BtnCopy");
    save_ = named(new QPushButton(this), "BtnSave");
    count_ = named(new QLabel(this), "LbCount");
    view_ = named(new QTableView(this), "FrameView");
    view_->setModel(&filter_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setWordWrap(false);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
    view_->horizontalHeader()->setStretchLastSection(true); // the decoding

    auto* bar = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{errorsOnly_, function_, pause_, clear_, copy_, save_})
        bar->addWidget(w);
    bar->addStretch(1);
    bar->addWidget(count_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(view_, 1);

    connect(errorsOnly_, &QCheckBox::toggled, this, [this](bool on) {
        filter_.setErrorsOnly(on);
        showCount();
    });
    connect(function_, &QComboBox::currentIndexChanged, this, [this](int i) {
        filter_.setFunction(function_->itemData(i).toInt());
        showCount();
    });
    connect(pause_, &QPushButton::toggled, this, [this](bool on) { log_.setPaused(on); });
    connect(clear_, &QPushButton::clicked, this, [this] { log_.clear(); });
    connect(copy_, &QPushButton::clicked, this, [this] { copySelection(); });
    connect(save_, &QPushButton::clicked, this, [this] { askAndSave(); });
    auto* copyKey = new QShortcut(QKeySequence::Copy, view_, [this] { copySelection(); });
    copyKey->setContext(Qt::WidgetShortcut);
    // New rows keep the view at its end when it was there.
    connect(&log_, &QAbstractItemModel::rowsInserted, this, [this] {
        QScrollBar* scroll = view_->verticalScrollBar();
        if (isVisible() && scroll->value() >= scroll->maximum() - 1) view_->scrollToBottom();
        showCount();
    });
    connect(&log_, &QAbstractItemModel::modelReset, this, [this] { showCount(); });
    // Room for every column on a usual screen, but never past the edges of the one it opens on.
    const QRect room = screen()->availableGeometry();
    resize(std::min(1440, room.width() * 9 / 10), std::min(440, room.height() * 9 / 10));
    retranslate();
}

void FrameMonitor::attach(TTorvik& torvik, QWidget& mainWindow,
                          std::function<void(const TFrameRecord&)> alsoTo) {
    torvik.OnFrame = [this, alsoTo = std::move(alsoTo)](TComponent*, const TFrameRecord& frame) {
        if (alsoTo) alsoTo(frame);
        addFrame(frame);
    };
    const auto open = [this] {
        show();
        raise();
        activateWindow();
    };
    for (const QKeySequence& key : {QKeySequence(Qt::Key_F9), QKeySequence(Qt::CTRL | Qt::Key_M)})
        new QShortcut(key, &mainWindow, open);
    if (AboutBox) connect(AboutBox, &TAboutBox::frameMonitorAsked, this, open);
    // The status line has no room for a button: its context menu opens the monitor.
    if (auto* status = mainWindow.findChild<QStatusBar*>(QStringLiteral("StatusBar"))) {
        auto* action = named(new QAction(tr("Moniteur de trames"), this), "ActFrameMonitor");
        action->setShortcut(QKeySequence(Qt::Key_F9));
        action->setShortcutContext(Qt::WidgetShortcut); // the window's own shortcut takes the key
        connect(action, &QAction::triggered, this, open);
        connect(this, &QObject::destroyed, status,
                [status] { status->setContextMenuPolicy(Qt::DefaultContextMenu); });
        status->setContextMenuPolicy(Qt::ActionsContextMenu);
        status->addAction(action);
    }
}

void FrameMonitor::addFrame(const TFrameRecord& frame) {
    if (pending_.empty()) waiting_.start();
    pending_.push_back(frame);
    if (waiting_.elapsed() >= MaxLagMs || pending_.size() >= FrameLog::MaxRows) return refresh();
    refreshTimer_->start(); // again: the line is not quiet yet
}

void FrameMonitor::refresh() {
    refreshTimer_->stop();
    if (pending_.empty()) return;
    // A received frame comes once the checks are done with it, maybe after the request it let go.
    std::stable_sort(pending_.begin(), pending_.end(),
                     [](const TFrameRecord& a, const TFrameRecord& b) { return a.at < b.at; });
    log_.add(pending_);
    pending_.clear();
}

QString FrameMonitor::countText() const {
    const int all = log_.rowCount();
    const int shown = filter_.rowCount();
    if (shown == all) return all == 1 ? tr("1 trame") : tr("%1 trames").arg(all);
    return all == 1 ? tr("%1 / 1 trame").arg(shown) : tr("%1 / %2 trames").arg(shown).arg(all);
}

void FrameMonitor::showCount() {
    count_->setText(countText());
}

QString FrameMonitor::withExtension(const QString& path, Format format) {
    const QString extension = format == Format::Csv       ? QStringLiteral(".csv")
                              : format == Format::Capture ? QStringLiteral(".pcapng")
                                                          : QStringLiteral(".txt");
    return path.endsWith(extension, Qt::CaseInsensitive) ? path : path + extension;
}

void FrameMonitor::retranslate() {
    setWindowTitle(tr("Moniteur de trames"));
    errorsOnly_->setText(tr("Rejets seulement"));
    const int chosen = function_->currentIndex();
    function_->blockSignals(true);
    function_->clear();
    function_->addItem(tr("Toutes les fonctions"), -1);
    for (int f : FilterFunctions)
        function_->addItem(tr("Fonction %1").arg(f), f);
    function_->setCurrentIndex(std::max(chosen, 0));
    function_->blockSignals(false);
    pause_->setText(tr("Pause"));
    clear_->setText(tr("Effacer"));
    copy_->setText(tr("Copier"));
    save_->setText(tr("Enregistrer…"));
    if (auto* action = findChild<QAction*>(QStringLiteral("ActFrameMonitor")))
        action->setText(tr("Moniteur de trames"));
    log_.retranslate();
    showCount();
    fitColumns();
}

void FrameMonitor::fitColumns() {
    // Widths for what the columns usually hold (the whole text is in each cell's tooltip); the
    // header's own text where it is wider.
    static const char* const samples[FrameLog::ColumnCount] = {
        "✖",
        "00000",
        "000000.0",
        "0000.0",
        "← reçue",
        "FF 03 00 00 00 0C D1 D0",
        "mauvais",
        "réponse périmée",
        "00000",
        "0000.0",
        "16 écriture de registres",
        "0000",
        "000",
        "16 Seuil d'alarme 1 = 5000; 17 Hystérésis d'alarme"};
    QFont bold = view_->font();
    bold.setBold(true); // a rejected row's weight
    const QFontMetrics metrics(bold);
    for (int c = 0; c < FrameLog::ColumnCount; ++c) {
        const QString header = log_.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        view_->setColumnWidth(c, std::max(metrics.horizontalAdvance(QString::fromUtf8(samples[c])),
                                          metrics.horizontalAdvance(header) + 8) +
                                     12);
    }
}

void FrameMonitor::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QWidget::changeEvent(event);
}

QString FrameMonitor::selectionText() const {
    std::vector<int> rows;
    for (const QModelIndex& index : view_->selectionModel()->selectedRows())
        rows.push_back(filter_.mapToSource(index).row());
    std::sort(rows.begin(), rows.end());
    return rows.empty() ? QString() : log_.text(rows);
}

void FrameMonitor::copySelection() const {
    const QString text = selectionText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

int FrameMonitor::saveAs(const QString& path, Format format) {
    refresh();
    std::string bytes;
    if (format == Format::Capture) {
        FrameCapture capture(masterText);
        for (int r = 0; r < log_.rowCount(); ++r)
            capture.add(log_.frameRow(r).frame);
        bytes = capture.bytes();
    } else {
        bytes = (format == Format::Csv ? log_.csv() : log_.text()).toUtf8().toStdString();
    }
    return saveWholeFile(fileNameBytes(path), bytes);
}

void FrameMonitor::askAndSave() {
    const QString text = tr("Texte (*.txt)"), csv = tr("CSV (*.csv)"),
                  capture = tr("Capture pcapng (*.pcapng)");
    QString chosen;
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Enregistrer les trames"), QString(),
        text + QStringLiteral(";;") + csv + QStringLiteral(";;") + capture, &chosen);
    if (path.isEmpty()) return;
    const Format format = chosen == csv ? Format::Csv : chosen == capture ? Format::Capture : Format::Text;
    if (const int error = saveAs(withExtension(path, format), format))
        QMessageBox::warning(
            this, windowTitle(),
            tr("Trames non enregistrées : %1").arg(QString::fromLocal8Bit(std::strerror(error))));
}

} // namespace qv7
