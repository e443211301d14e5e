#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>

#include "core/station_data.h"
#include "report/export_result.h"
#include "report/history_table.h"
#include "store/weather_db.h"
#include "views/history_list_model.h"
#include "views/string_lookup.h"

class QDateEdit;
class QPushButton;
class QTableView;
class QTimeEdit;

namespace nimbra {

// Runs the import window; the times of the first and last record it stored, or nothing
// when it was cancelled or stored nothing.
using HistoryImportHook =
    std::function<std::optional<std::pair<OleDate, OleDate>>(QWidget* parent)>;

// What the history window asks of the main window.
struct HistoryHooks {
    std::function<void()> requestClearHistory;  // empty the store at the monitor's next pass
    std::function<void()> requestClearMemory;   // clear the station's memory likewise
    HistoryImportHook runImport;
};

struct HistoryContext {
    std::filesystem::path database;  // the store the list reads, through its own connection
    std::filesystem::path mainIni;   // read at each export for the PDF face
    StringLookup strings;
    bool stationConnected = false;  // Clear Memory is offered only with a station
    HistoryHooks hooks;
};

// The start and end pickers for an import that stored `first` .. `last`: one second
// before the first, so the half-open search shows it, and the last rounded up to its
// second.
std::pair<OleDate, OleDate> importedSearchRange(const OleDate& first, const OleDate& last);

// The history window: the stored records of a chosen range in the user's units, their
// export as CSV or PDF, import, and the clearing of the store and of the station. Works
// on the copy of the station record taken when it opened.
class History : public QDialog {
    Q_OBJECT

public:
    History(const CStationData& data, HistoryContext context, QWidget* parent = nullptr);
    ~History() override;

    // Sets the four pickers to `start` and `end` (to the second).
    void setRange(const OleDate& start, const OleDate& end);
    // The range the pickers hold.
    OleDate rangeStart() const;
    OleDate rangeEnd() const;

    // The Search button.
    void search();
    // Writes the shown rows to `file` as the Export button does after its save dialog.
    void exportTo(const QString& file);

    QTableView* list() const { return m_list; }
    HistoryListModel& model() { return *m_model; }
    const HistoryTable& table() const { return m_table; }

protected:
    // The message boxes and the save dialog; tests answer them without windows.
    virtual bool confirm(const QString& question);
    virtual void inform(const QString& message);
    virtual void showError(const QString& message);
    virtual QString chooseExportFile();

private:
    void exportClicked();
    void importClicked();
    void clearDataClicked();
    void clearMemoryClicked();
    void reportStoreError(const std::string& message);
    void showExportResult(const ExportResult& result);

    CStationData m_Data;
    HistoryContext m_context;
    HistoryTable m_table;
    CWeatherDb m_Db;
    HistoryListModel* m_model = nullptr;
    QTableView* m_list = nullptr;
    QDateEdit* m_startDate = nullptr;
    QTimeEdit* m_startTime = nullptr;
    QDateEdit* m_endDate = nullptr;
    QTimeEdit* m_endTime = nullptr;
    QPushButton* m_clearData = nullptr;
    QPushButton* m_clearMemory = nullptr;
    QString m_storeError;  // the first store failure of an action, shown once it is over
};

// For the command line's --show history --screenshot: the window built as the History
// command builds it, the range searched first when both ends are given, saved to
// `file` as a picture. False when the picture could not be saved.
bool saveHistoryScreenshot(const CStationData& data, HistoryContext context,
                           std::optional<OleDate> from, std::optional<OleDate> to,
                           const QString& file);

}  // namespace nimbra
