#include "views/history_dialog.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTableView>

#include "report/history_csv.h"
#include "tests/support/english_strings.h"
#include "tests/support/history_fixture.h"
#include "tests/support/qt_application.h"

namespace nimbra {
namespace {

// Answers the window's questions without message boxes and keeps what it said.
class ScriptedHistory : public History {
public:
    using History::History;

    QPushButton* button(int id) const {
        auto* b = findChild<QPushButton*>(QString::number(id));
        EXPECT_NE(b, nullptr) << id;
        return b;
    }
    QString cell(int row, int column) const {
        const auto& m = const_cast<ScriptedHistory*>(this)->model();
        return m.data(m.index(row, column), Qt::DisplayRole).toString();
    }
    int rows() { return model().rowCount(); }

    bool answer = true;
    QStringList questions, informed, errors;

protected:
    bool confirm(const QString& question) override {
        questions << question;
        return answer;
    }
    void inform(const QString& message) override { informed << message; }
    void showError(const QString& message) override { errors << message; }
};

class HistoryDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::qtApplication(); }

    void SetUp() override {
        ::setenv("LC_ALL", "C", 1);
        testing::storeRecords(m_database, testing::fiveMinuteRecords(500));
    }
    void TearDown() override { ::unsetenv("LC_ALL"); }

    std::unique_ptr<ScriptedHistory> open(bool connected = true) {
        HistoryContext context;
        context.database = m_database;
        context.mainIni = m_folder.path() / "Main.ini";
        context.strings = testing::englishStrings();
        context.stationConnected = connected;
        context.hooks.requestClearHistory = [this] { ++clearHistoryRequests; };
        context.hooks.requestClearMemory = [this] { ++clearMemoryRequests; };
        context.hooks.runImport = [this](QWidget*) { return imported; };
        return std::make_unique<ScriptedHistory>(CStationData(), std::move(context));
    }

    const OleDate m_first = OleDate::fromCivil(2024, 3, 5, 0, 5);
    testing::TempFolder m_folder;
    std::filesystem::path m_database = m_folder.path() / "Nimbra7420.db";
    int clearHistoryRequests = 0;
    int clearMemoryRequests = 0;
    std::optional<std::pair<OleDate, OleDate>> imported;
};

TEST_F(HistoryDialogTest, OpensOnTheLastHourWithAnEmptyList) {
    const auto dialog = open();
    const double hour = 1.0 / 24;
    const double now = OleDate::currentTime().value();
    EXPECT_NEAR(dialog->rangeEnd().value(), now, 5.0 / 86400);
    EXPECT_NEAR(dialog->rangeEnd().value() - dialog->rangeStart().value(), hour, 1.5 / 86400);
    EXPECT_EQ(dialog->rows(), 0);
    EXPECT_EQ(dialog->windowTitle(), "History");
    EXPECT_EQ(dialog->button(1217)->text(), "Export ");
    EXPECT_EQ(dialog->minimumSize(), QSize(820, 500));
}

TEST_F(HistoryDialogTest, SearchListsTheRangeInTimeOrderWithRowNumbers) {
    const auto dialog = open();
    dialog->setRange(m_first.addSeconds(-1), m_first.addSeconds(3600));
    dialog->button(1216)->click();
    ASSERT_EQ(dialog->rows(), 13);
    EXPECT_EQ(dialog->cell(0, 0), "1");
    EXPECT_EQ(dialog->cell(0, 1), "2024-03-05 00:05:00");
    EXPECT_EQ(dialog->cell(12, 0), "13");
    EXPECT_EQ(dialog->cell(12, 1), "2024-03-05 01:05:00");
    EXPECT_EQ(dialog->cell(12, 4), "12");
    EXPECT_EQ(dialog->model().headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(),
              "Indoor Temperature(\u00B0C)");
    EXPECT_TRUE(dialog->errors.isEmpty());
}

TEST_F(HistoryDialogTest, SearchBounds) {
    const auto dialog = open();
    dialog->setRange(m_first.addSeconds(-1), m_first.addSeconds(3600));
    dialog->search();
    ASSERT_GT(dialog->rows(), 0);
    // Start equal to end: no rows and no complaint.
    dialog->setRange(m_first, m_first);
    dialog->search();
    EXPECT_EQ(dialog->rows(), 0);
    EXPECT_TRUE(dialog->errors.isEmpty());
    // Start one second after the end: "Time Error", and the list was emptied first.
    dialog->setRange(m_first.addSeconds(-1), m_first.addSeconds(3600));
    dialog->search();
    dialog->setRange(m_first.addSeconds(1), m_first);
    dialog->search();
    EXPECT_EQ(dialog->rows(), 0);
    EXPECT_EQ(dialog->errors, QStringList{"Time Error"});
}

TEST_F(HistoryDialogTest, ClearDataSetsItsRequestOnlyWhenConfirmed) {
    const auto dialog = open();
    dialog->setRange(m_first.addSeconds(-1), m_first.addSeconds(3600));
    dialog->search();
    dialog->answer = false;
    dialog->button(1229)->click();
    EXPECT_EQ(clearHistoryRequests, 0);
    EXPECT_EQ(dialog->rows(), 13);

    dialog->answer = true;
    dialog->button(1229)->click();
    EXPECT_EQ(clearHistoryRequests, 1);
    EXPECT_EQ(dialog->questions.last(), "Are you sure to clear the history from database?");
    EXPECT_EQ(dialog->informed, QStringList{"Successfully Deleted"});
    EXPECT_FALSE(dialog->button(1229)->isEnabled());
    EXPECT_EQ(dialog->rows(), 0);
}

TEST_F(HistoryDialogTest, ClearMemoryNeedsAStationAndAConfirmation) {
    EXPECT_FALSE(open(false)->button(1230)->isEnabled());
    const auto dialog = open(true);
    ASSERT_TRUE(dialog->button(1230)->isEnabled());
    dialog->answer = false;
    dialog->button(1230)->click();
    EXPECT_EQ(clearMemoryRequests, 0);
    dialog->answer = true;
    dialog->button(1230)->click();
    EXPECT_EQ(clearMemoryRequests, 1);
    EXPECT_EQ(dialog->questions.last(), "Are you sure to clear the Memory of the device?");
    EXPECT_EQ(clearHistoryRequests, 0);
}

TEST_F(HistoryDialogTest, ImportSearchesTheImportedRecordsFirstOneIncluded) {
    const auto dialog = open();
    imported = std::make_pair(m_first.addSeconds(600), m_first.addSeconds(1200));
    dialog->button(1253)->click();
    ASSERT_EQ(dialog->rows(), 3);
    EXPECT_EQ(dialog->cell(0, 1), "2024-03-05 00:15:00");
    EXPECT_EQ(dialog->cell(2, 1), "2024-03-05 00:25:00");

    imported.reset();  // cancelled: nothing changes
    dialog->button(1253)->click();
    EXPECT_EQ(dialog->rows(), 3);
}

TEST_F(HistoryDialogTest, ExportReportsSuccessOnlyForAWrittenFile) {
    const auto dialog = open();
    dialog->setRange(m_first.addSeconds(-1), m_first.addSeconds(3600));
    dialog->search();
    const auto csv = m_folder.path() / "list.csv";
    dialog->exportTo(QString::fromStdString(csv.string()));
    EXPECT_EQ(dialog->informed, QStringList{"Export succeeded"});
    std::string line;
    appendUtf16Le(" 13\t 2024-03-05 01:05:00\t", line);
    EXPECT_NE(testing::readFile(csv).find(line), std::string::npos);

    dialog->informed.clear();
    dialog->exportTo(QString::fromStdString((m_folder.path() / "no" / "list.pdf").string()));
    EXPECT_TRUE(dialog->informed.isEmpty());
    ASSERT_EQ(dialog->errors.size(), 1);
    EXPECT_TRUE(dialog->errors.front().contains("no/list.pdf"));

    // A record stored amid the list's rows since the search changes neither the list nor
    // its export: the file is the list.
    const std::string before = testing::readFile(csv);
    const QString lastRow = dialog->cell(dialog->rows() - 1, 1);
    testing::storeRecords(m_database, {testing::sampleRecord(m_first.addSeconds(1000).value())});
    dialog->exportTo(QString::fromStdString(csv.string()));
    EXPECT_EQ(testing::readFile(csv), before);
    EXPECT_EQ(dialog->cell(dialog->rows() - 1, 1), lastRow);
}

TEST_F(HistoryDialogTest, AnEmptyListExportsNoPdf) {
    const auto dialog = open();
    const auto pdf = m_folder.path() / "list.pdf";
    dialog->exportTo(QString::fromStdString(pdf.string()));
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_TRUE(dialog->informed.isEmpty());
    EXPECT_TRUE(dialog->errors.isEmpty());
}

}  // namespace
}  // namespace nimbra
