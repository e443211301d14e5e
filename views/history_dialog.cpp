#include "views/history_dialog.h"

#include <QApplication>
#include <QDateEdit>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

#include "config/string_ids.h"
#include "report/history_export.h"
#include "report/history_rows.h"
#include "views/app_icon.h"
#include "views/dialog_messages.h"
#include "views/ole_date_qt.h"

namespace nimbra {

namespace {

// Column widths of the list, at least as wide as their headings.
constexpr int kColumnWidths[kHistoryColumns] = {50,  110, 100, 130, 120, 130, 120,
                                                130, 130, 120, 120, 120, 120, 120,
                                                120, 120, 120, 120, 120, 120, 60};

// Exports longer than this many rows show their progress.
constexpr std::int64_t kProgressRows = 5000;

TextLookup utf8Texts(const StringLookup& strings) {
    return [strings](int id) { return strings(id).toStdString(); };
}

QPushButton* button(int id, const QString& text) {
    auto* b = new QPushButton(text);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    return b;
}

template <typename Edit>
Edit* picker(int id, const QString& format) {
    auto* edit = new Edit;
    edit->setObjectName(QString::number(id));
    edit->setDisplayFormat(format);
    return edit;
}

QString timeFormat() {
    // The locale's time with its seconds: searches run to the second.
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QStringLiteral(" t")).remove(QLatin1Char('t'));
    return format.trimmed().isEmpty() ? QStringLiteral("HH:mm:ss") : format.trimmed();
}

}  // namespace

std::pair<OleDate, OleDate> importedSearchRange(const OleDate& first, const OleDate& last) {
    return {first.addSeconds(-1), last.addSeconds(0.5)};
}

History::History(const CStationData& data, HistoryContext context, QWidget* parent)
    : QDialog(parent),
      m_Data(data),
      m_context(std::move(context)),
      m_table(m_Data.paramBlock(), utf8Texts(m_context.strings),
              HistoryTimeText::fromEnvironment()) {
    const StringLookup& strings = m_context.strings;
    setObjectName(QStringLiteral("320"));
    setWindowTitle(strings(kTextHistory));
    setWindowIcon(appIcon());
    setSizeGripEnabled(true);
    setMinimumSize(820, 500);
    m_Db.setErrorSink([this](const std::string& message) { reportStoreError(message); });

    m_startDate = picker<QDateEdit>(1212, QLocale().dateFormat(QLocale::ShortFormat));
    m_startTime = picker<QTimeEdit>(1213, timeFormat());
    m_endDate = picker<QDateEdit>(1214, QLocale().dateFormat(QLocale::ShortFormat));
    m_endTime = picker<QTimeEdit>(1215, timeFormat());
    for (QDateEdit* date : {m_startDate, m_endDate}) {
        date->setCalendarPopup(true);
    }
    auto* startLabel = new QLabel(strings(kTextStartTime) + QLatin1Char(':'));
    startLabel->setObjectName(QStringLiteral("1227"));
    auto* endLabel = new QLabel(strings(kTextEndTime) + QLatin1Char(':'));
    endLabel->setObjectName(QStringLiteral("1228"));

    auto* searchButton = button(1216, strings(kTextSearch));
    auto* exportButton = button(1217, strings(kTextExport));
    auto* importButton = button(1253, strings(kTextImport));
    m_clearData = button(1229, strings(kTextClearData));
    m_clearMemory = button(1230, strings(kTextClearMemory));
    auto* cancelButton = button(1231, strings(kTextCancel));
    m_clearMemory->setEnabled(m_context.stationConnected);
    importButton->setEnabled(static_cast<bool>(m_context.hooks.runImport));
    connect(searchButton, &QPushButton::clicked, this, &History::search);
    connect(exportButton, &QPushButton::clicked, this, &History::exportClicked);
    connect(importButton, &QPushButton::clicked, this, &History::importClicked);
    connect(m_clearData, &QPushButton::clicked, this, &History::clearDataClicked);
    connect(m_clearMemory, &QPushButton::clicked, this, &History::clearMemoryClicked);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* range = new QGroupBox;
    range->setObjectName(QStringLiteral("1226"));
    auto* pickers = new QGridLayout;
    pickers->addWidget(startLabel, 0, 0);
    pickers->addWidget(m_startDate, 0, 1);
    pickers->addWidget(m_startTime, 0, 2);
    pickers->addWidget(endLabel, 1, 0);
    pickers->addWidget(m_endDate, 1, 1);
    pickers->addWidget(m_endTime, 1, 2);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b :
         {searchButton, exportButton, importButton, m_clearData, m_clearMemory, cancelButton}) {
        b->setMinimumHeight(40);
        buttons->addWidget(b);
    }
    auto* rangeLayout = new QHBoxLayout(range);
    rangeLayout->addLayout(pickers);
    rangeLayout->addSpacing(8);
    rangeLayout->addLayout(buttons);
    rangeLayout->addStretch();

    m_model = new HistoryListModel(m_table, this);
    m_list = new QTableView;
    m_list->setObjectName(QStringLiteral("1211"));
    m_list->setModel(m_model);
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_list->verticalHeader()->hide();
    // Every row is one line high: the view never measures rows it does not show.
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
    m_list->horizontalHeader()->setSectionsMovable(true);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_list->horizontalHeader()->setHighlightSections(false);
    const QFontMetrics metrics = m_list->horizontalHeader()->fontMetrics();
    for (int column = 0; column < kHistoryColumns; ++column) {
        const QString heading =
            QString::fromStdString(m_table.headers()[static_cast<std::size_t>(column)]);
        m_list->setColumnWidth(
            column, std::max(kColumnWidths[column], metrics.horizontalAdvance(heading) + 16));
    }
    // The time column fits a whole time stamp.
    const QString sampleTime = QString::fromStdString(
        HistoryTimeText::fromEnvironment().format(OleDate::fromCivil(2026, 12, 28, 23, 58, 58)));
    m_list->setColumnWidth(1, std::max(m_list->columnWidth(1),
                                       m_list->fontMetrics().horizontalAdvance(sampleTime) + 16));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(range);
    layout->addWidget(m_list, 1);
    resize(1180, 640);

    const HistoryRange initial = defaultHistoryRange(OleDate::currentTime());
    setRange(initial.start, initial.end);
}

History::~History() = default;

void History::setRange(const OleDate& start, const OleDate& end) {
    const QDateTime from = toQDateTime(start);
    const QDateTime to = toQDateTime(end);
    m_startDate->setDate(from.date());
    m_startTime->setTime(from.time());
    m_endDate->setDate(to.date());
    m_endTime->setTime(to.time());
}

OleDate History::rangeStart() const {
    return fromQDateTime(QDateTime(m_startDate->date(), m_startTime->time()));
}

OleDate History::rangeEnd() const {
    return fromQDateTime(QDateTime(m_endDate->date(), m_endTime->time()));
}

void History::search() {
    const OleDate start = rangeStart();
    const OleDate end = rangeEnd();
    m_model->setRows(nullptr);
    if (start.isValid() && end.isValid() && start.value() > end.value()) {
        showError(m_context.strings(kTextTimeError));
        return;
    }
    m_storeError.clear();
    std::int64_t count = 0;
    RecordSearch found;
    if (m_Db.Connect(m_context.database) == 0 && m_Db.BeginSearch(start, end, found, count) == 0) {
        m_model->setRows(std::make_unique<HistoryPager>(m_Db, found, count));
    }
    if (!m_storeError.isEmpty()) {
        showError(std::exchange(m_storeError, QString()));
    }
}

void History::reportStoreError(const std::string& message) {
    // The list reads while it paints: the message waits until the painting is over.
    const bool first = m_storeError.isEmpty();
    if (first) {
        m_storeError = QString::fromStdString(message);
        QTimer::singleShot(0, this, [this] {
            if (!m_storeError.isEmpty()) {
                showError(std::exchange(m_storeError, QString()));
            }
        });
    }
}

QString History::chooseExportFile() {
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters{QStringLiteral("(*.csv)"), QStringLiteral("(*.pdf)")};
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters](const QString& f) {
        dialog.setDefaultSuffix(f == filters[1] ? QStringLiteral("pdf") : QStringLiteral("csv"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

void History::exportClicked() {
    const QString file = chooseExportFile();
    if (!file.isEmpty()) {
        exportTo(file);
    }
}

void History::exportTo(const QString& file) {
    m_storeError.clear();
    // The rows of the last search as the list shows them: a download since then may have
    // stored records in the range that the list leaves out.
    const HistoryPager* shown = m_model->pager();
    HistoryPager pager(m_Db, shown != nullptr ? shown->search() : RecordSearch{},
                       shown != nullptr ? shown->size() : 0);
    PagerRows rows(pager, m_table);
    const std::int64_t count = rows.size();

    std::unique_ptr<QProgressDialog> progressDialog;
    ExportProgress progress;
    if (count > kProgressRows) {
        progressDialog = std::make_unique<QProgressDialog>(
            QString(), m_context.strings(kTextCancel), 0, static_cast<int>(count), this);
        progressDialog->setWindowTitle(m_context.strings(kTextExport).trimmed());
        progressDialog->setWindowModality(Qt::WindowModal);
        progressDialog->setMinimumDuration(300);
        progress = [&progressDialog](std::int64_t done, std::int64_t) {
            progressDialog->setValue(static_cast<int>(done));
            return !progressDialog->wasCanceled();
        };
    }
    const ExportResult result = exportHistory(file.toStdString(), m_table, rows,
                                              usesChineseFace(m_context.mainIni), progress);
    progressDialog.reset();
    if (!m_storeError.isEmpty()) {
        showError(std::exchange(m_storeError, QString()));
        return;
    }
    showExportResult(result);
}

void History::showExportResult(const ExportResult& result) {
    switch (result.outcome) {
        case ExportOutcome::written:
            inform(m_context.strings(kTextExportSucceeded));
            break;
        case ExportOutcome::failed:
            showError(QString::fromStdString(result.error));
            break;
        case ExportOutcome::noRows:
        case ExportOutcome::cancelled:
            break;
    }
}

void History::importClicked() {
    if (!m_context.hooks.runImport) {
        return;
    }
    if (const auto imported = m_context.hooks.runImport(this)) {
        const auto [start, end] = importedSearchRange(imported->first, imported->second);
        setRange(start, end);
        search();
    }
}

void History::clearDataClicked() {
    if (!confirm(m_context.strings(kTextConfirmClearHistory))) {
        return;
    }
    if (m_context.hooks.requestClearHistory) {
        m_context.hooks.requestClearHistory();
    }
    inform(m_context.strings(kTextSuccessfullyDeleted));
    m_clearData->setEnabled(false);
    m_model->setRows(nullptr);
}

void History::clearMemoryClicked() {
    if (confirm(m_context.strings(kTextConfirmClearMemory)) && m_context.hooks.requestClearMemory) {
        m_context.hooks.requestClearMemory();
    }
}

bool History::confirm(const QString& question) {
    return askOkCancel(this, question);
}

void History::inform(const QString& message) {
    QMessageBox::information(this, windowTitle(), message);
}

void History::showError(const QString& message) {
    QMessageBox::critical(this, windowTitle(), message);
}

namespace {

// A window nobody answers: its messages go to standard error instead of waiting.
class UnattendedHistory : public History {
public:
    using History::History;

protected:
    void inform(const QString& message) override { showError(message); }
    void showError(const QString& message) override {
        std::fprintf(stderr, "nimbraplus: %s\n", message.toLocal8Bit().constData());
    }
};

}  // namespace

bool saveHistoryScreenshot(const CStationData& data, HistoryContext context,
                           std::optional<OleDate> from, std::optional<OleDate> to,
                           const QString& file) {
    UnattendedHistory dialog(data, std::move(context));
    if (from && to) {
        dialog.setRange(*from, *to);
        dialog.search();
    }
    dialog.show();
    QApplication::processEvents();
    return dialog.grab().save(file);
}

}  // namespace nimbra
