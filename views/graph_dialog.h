#pragma once

#include <QDateTime>
#include <QDialog>
#include <QString>
#include <filesystem>
#include <string>

#include "core/ole_date.h"
#include "core/station_data.h"
#include "store/record_columns.h"
#include "store/weather_db.h"
#include "views/string_lookup.h"

class QComboBox;
class QDateEdit;
class QTimeEdit;

namespace nimbra {

class GraphChart;
struct GraphPlan;

// Plots the stored history of one quantity over a chosen period, and saves the chart as a
// JPEG picture. Works on its own copy of the station record (for the user's units) and on
// its own connection to the database, so it reads while a download writes.
class Grapsh : public QDialog {
    Q_OBJECT

public:
    Grapsh(const CStationData& data, std::filesystem::path databasePath,
           const StringLookup& strings, QWidget* parent = nullptr);
    ~Grapsh() override;

    // What the next search covers, as the pickers and the list would be set by hand; a
    // selection that is not in the list leaves the list as it is.
    void setPeriod(const QDateTime& start, const QDateTime& end);
    void setSelection(int selection);

    // The Search button: redraws the chart for the period and the chosen quantity.
    void search();
    // The export button: asks for a file and saves the chart there as a JPEG.
    void exportImage();

    GraphChart& chart() const { return *m_Chart; }

protected:
    // The dialog's messages; tests and the screenshot answer them without a message box.
    virtual void showError(const QString& message);
    virtual void showInformation(const QString& message);
    // The file to export to; empty when the user cancels.
    virtual QString chooseExportPath();

    void resizeEvent(QResizeEvent* event) override;

private:
    // Fills the plan's series with their columns' values in (start, end].
    void fillSeries(const GraphPlan& plan, OleDate start, OleDate end);
    // Shows the database's message of a failed query.
    void reportQueryFailure();

    CStationData m_Data;
    std::filesystem::path m_databasePath;
    StringLookup m_strings;
    CWeatherDb m_Db;
    std::string m_dbError;

    QWidget* m_controls;
    QDateEdit* m_StartDate;
    QTimeEdit* m_StartTime;
    QDateEdit* m_EndDate;
    QTimeEdit* m_EndTime;
    QComboBox* m_List;
    GraphChart* m_Chart;
};

}  // namespace nimbra
