#include "views/graph_dialog.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QResizeEvent>
#include <QTimeEdit>

#include "config/string_ids.h"
#include "report/graph_plan.h"
#include "views/app_icon.h"
#include "views/epoch_msecs.h"
#include "views/graph_chart.h"
#include "views/ole_date_qt.h"

namespace nimbra {

namespace {

constexpr int kMargin = 10;
constexpr int kControlsHeight = 90;  // the chart starts below the controls

QPushButton* button(int id, const QString& text) {
    auto* b = new QPushButton(text);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    return b;
}

QDateEdit* datePicker(int id, const QDate& date) {
    auto* picker = new QDateEdit(date);
    picker->setObjectName(QString::number(id));
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return picker;
}

QTimeEdit* timePicker(int id, const QTime& time) {
    auto* picker = new QTimeEdit(time);
    picker->setObjectName(QString::number(id));
    picker->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return picker;
}

QLabel* label(int id, const QString& text) {
    auto* l = new QLabel(text);
    l->setObjectName(QString::number(id));
    return l;
}

}  // namespace

Grapsh::Grapsh(const CStationData& data, std::filesystem::path databasePath,
               const StringLookup& strings, QWidget* parent)
    : QDialog(parent),
      m_Data(data),
      m_databasePath(std::move(databasePath)),
      m_strings(strings),
      m_controls(new QWidget(this)),
      m_Chart(new GraphChart(this)) {
    setObjectName(QStringLiteral("321"));
    setWindowTitle(m_strings(kTextGraph));
    setWindowIcon(appIcon());
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    m_Db.setErrorSink([this](const std::string& message) { m_dbError = message; });

    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime hourAgo = now.addSecs(-3600);
    m_StartDate = datePicker(1212, hourAgo.date());
    m_StartTime = timePicker(1213, hourAgo.time());
    m_EndDate = datePicker(1214, now.date());
    m_EndTime = timePicker(1215, now.time());

    m_List = new QComboBox;
    m_List->setObjectName(QStringLiteral("1222"));
    for (int selection = 0; selection < kGraphSelectionCount; ++selection) {
        m_List->addItem(m_strings(graphPlan(selection).listItemId));
    }
    m_List->setCurrentIndex(0);

    auto* searchButton = button(1221, m_strings(kTextSearch));
    auto* cancelButton = button(1229, m_strings(kTextCancel));
    auto* exportButton = button(1230, m_strings(kTextExportAsImage));
    searchButton->setDefault(true);
    connect(searchButton, &QPushButton::clicked, this, &Grapsh::search);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(exportButton, &QPushButton::clicked, this, &Grapsh::exportImage);

    auto* grid = new QGridLayout(m_controls);
    grid->setContentsMargins(0, 8, 0, 8);
    grid->addWidget(label(1224, m_strings(kTextStartTime) + QLatin1Char(':')), 0, 0);
    grid->addWidget(m_StartDate, 0, 1);
    grid->addWidget(m_StartTime, 0, 2);
    grid->addWidget(label(1225, m_strings(kTextEndTime) + QLatin1Char(':')), 1, 0);
    grid->addWidget(m_EndDate, 1, 1);
    grid->addWidget(m_EndTime, 1, 2);
    grid->setColumnMinimumWidth(3, 24);
    grid->addWidget(m_List, 0, 4);
    grid->addWidget(searchButton, 0, 5);
    grid->setColumnStretch(6, 1);
    grid->addWidget(exportButton, 0, 7);
    grid->addWidget(cancelButton, 1, 7);

    setMinimumSize(800, 500);
    resize(800, 500);
}

Grapsh::~Grapsh() = default;

void Grapsh::setPeriod(const QDateTime& start, const QDateTime& end) {
    m_StartDate->setDate(start.date());
    m_StartTime->setTime(start.time());
    m_EndDate->setDate(end.date());
    m_EndTime->setTime(end.time());
}

void Grapsh::setSelection(int selection) {
    if (selection >= 0 && selection < m_List->count()) {
        m_List->setCurrentIndex(selection);
    }
}

void Grapsh::search() {
    const QDateTime startTime(m_StartDate->date(), m_StartTime->time());
    const QDateTime endTime(m_EndDate->date(), m_EndTime->time());
    const OleDate start = fromQDateTime(startTime);
    const OleDate end = fromQDateTime(endTime);
    // Checked before the chart is touched, so that it keeps what it showed.
    if (start.value() > end.value()) {
        showError(m_strings(kTextTimeError));
        return;
    }
    if (m_Db.Connect(m_databasePath) != 0) {
        reportQueryFailure();
        return;
    }

    m_Chart->prepareSearch();
    for (int i = 0; i < GraphChart::kSeriesCount; ++i) {
        m_Chart->clearSeries(i);
    }
    m_Chart->setBottomRange(startTime, endTime);

    const int selection = m_List->currentIndex();
    const GraphPlan& plan = graphPlan(selection);
    m_Chart->setHeading(m_strings(plan.headingId));
    std::vector<MaxMin> columnRanges;
    for (RecordColumn column : plan.rangeColumns) {
        MaxMin range;
        if (m_Db.OpenMaxMin(start, end, column, range) != 0) {
            reportQueryFailure();
            return;
        }
        columnRanges.push_back(range);
    }
    const AxisRange range =
        displayAxisRange(selection, canonicalAxisRange(plan, columnRanges), m_Data);
    m_Chart->setLeftRange(range.min, range.max);
    m_Chart->setLeftTitle(QString::fromStdString(axisTitle(selection, m_Data)));
    m_Chart->setLegendShown(plan.legendShown);

    for (int i = 0; i < GraphChart::kSeriesCount; ++i) {
        const GraphSeriesPlan& series = plan.series[static_cast<std::size_t>(i)];
        if (series.titleId != GraphSeriesPlan::kTitleUnchanged) {
            m_Chart->setSeriesTitle(i, series.titleId == GraphSeriesPlan::kBlankTitle
                                           ? QStringLiteral(" ")
                                           : m_strings(series.titleId));
        }
        if (series.shown != GraphSeriesPlan::keep) {
            m_Chart->setSeriesShown(i, series.shown == GraphSeriesPlan::show);
        }
    }
    fillSeries(plan, start, end);
}

void Grapsh::fillSeries(const GraphPlan& plan, OleDate start, OleDate end) {
    // Each series takes the period's rows that have a value in its column, as many as
    // were counted: rows stored since the count wait for the next search.
    struct Fill {
        int index;
        RecordColumn column;
        std::int64_t count;
        QList<QPointF> points;
    };
    std::vector<Fill> fills;
    for (int i = 0; i < GraphChart::kSeriesCount; ++i) {
        const auto& column = plan.series[static_cast<std::size_t>(i)].column;
        if (!column) {
            continue;
        }
        std::int64_t count = 0;
        if (m_Db.OpenCount(start, end, *column, count) != 0) {
            reportQueryFailure();
            return;
        }
        if (count > 0) {
            fills.push_back({i, *column, count, {}});
            fills.back().points.reserve(static_cast<qsizetype>(count));
        }
    }
    if (fills.empty()) {
        return;
    }

    // One walk over the period serves every series, rather than one query per series.
    RecordCursor cursor;
    if (m_Db.FillHistoryList(start, end, cursor) != 0) {
        reportQueryFailure();
        return;
    }
    EpochMsecs msecs;
    HistoryRecord record;
    while (!cursor.atEnd()) {
        if (cursor.ExchangeRecord(record, ExchangeDirection::read) != 0) {
            reportQueryFailure();
            return;
        }
        const auto time = static_cast<double>(msecs(record.Time));
        for (Fill& fill : fills) {
            if (fill.points.size() < fill.count && !isAbsentIn(fill.column, record)) {
                fill.points.append(QPointF(time, plottedValue(fill.column, record, m_Data)));
            }
        }
        if (cursor.moveNext() != 0) {
            reportQueryFailure();
            return;
        }
    }
    for (Fill& fill : fills) {
        m_Chart->addPoints(fill.index, std::move(fill.points));
    }
}

void Grapsh::reportQueryFailure() {
    showError(QString::fromStdString(m_dbError));
    m_dbError.clear();
}

void Grapsh::exportImage() {
    const QString path = chooseExportPath();
    if (path.isEmpty()) {
        return;
    }
    QString error;
    if (!m_Chart->saveJpeg(path, error)) {
        showError(QDir::toNativeSeparators(path) + QLatin1Char('\n') + error);
        return;
    }
    showInformation(m_strings(kTextExportSucceeded));
}

void Grapsh::showError(const QString& message) {
    QMessageBox box(QMessageBox::Critical, windowTitle(), message, QMessageBox::Ok, this);
    box.exec();
}

void Grapsh::showInformation(const QString& message) {
    QMessageBox box(QMessageBox::Information, windowTitle(), message, QMessageBox::Ok, this);
    box.exec();
}

QString Grapsh::chooseExportPath() {
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("(*.jpeg)"));
    dialog.setDefaultSuffix(QStringLiteral("jpeg"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

void Grapsh::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const QSize client = event->size();
    m_controls->setGeometry(kMargin, 0, client.width() - 2 * kMargin, kControlsHeight);
    m_Chart->setGeometry(kMargin, kControlsHeight, client.width() - 2 * kMargin,
                         client.height() - kControlsHeight - kMargin);
}

}  // namespace nimbra
