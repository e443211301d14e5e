#include "views/import_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <fstream>

#include "tests/support/english_strings.h"
#include "tests/support/qt_application.h"
#include "tests/support/store_fixture.h"

namespace nimbra {
namespace {

// Answers the next message box as soon as it shows, keeping its text and icon.
class MessageBoxAnswer {
public:
    MessageBoxAnswer() {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_text = box->text();
                m_icon = box->icon();
                box->accept();
                m_timer.stop();
            }
        });
        m_timer.start();
    }
    const QString& text() const { return m_text; }
    QMessageBox::Icon icon() const { return m_icon; }

private:
    QTimer m_timer;
    QString m_text;
    QMessageBox::Icon m_icon = QMessageBox::NoIcon;
};

class ImportDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::qtApplication(); }
    static QString lookup(int id) { return QStringLiteral("s%1").arg(id); }

    std::filesystem::path database() const { return m_folder.path() / "Nimbra7420.db"; }
    QString writeFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(m_folder.path() / name, std::ios::binary) << bytes;
        return QString::fromStdString((m_folder.path() / name).string());
    }

    testing::TempFolder m_folder;
};

std::string datLine(const std::string& time) {
    return "\"1,x," + time +
           ",5,45,21.3,88,-7.9,-9.1,-12.6,990.7,1013.2,3.4,n,6.8,n,11,n,77,n,0.3,1.2,3.4,5.6,"
           "7.8,901.2,5432.1,4,\n";
}

TEST_F(ImportDialogTest, ShowsThePathRowAndTheTwoButtons) {
    Cimportd dialog(database(), lookup);
    EXPECT_EQ(dialog.objectName(), "329");
    EXPECT_EQ(dialog.windowTitle(), "s3094");
    EXPECT_EQ(dialog.findChild<QLabel*>("1255")->text(), "s3095:");
    auto* path = dialog.findChild<QLineEdit*>("1252");
    EXPECT_TRUE(path->isReadOnly());
    EXPECT_EQ(dialog.findChild<QPushButton*>("1229")->text(), "...");
    EXPECT_EQ(dialog.findChild<QPushButton*>("1")->text(), "s3094");
    EXPECT_EQ(dialog.findChild<QPushButton*>("2")->text(), "s3046");
    dialog.setSourcePath("/somewhere/export.dat");
    EXPECT_EQ(path->text(), "/somewhere/export.dat");
}

TEST_F(ImportDialogTest, ImportWithoutAFileClosesWithNothingImported) {
    Cimportd dialog(database(), lookup);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.lastResult());
    EXPECT_FALSE(dialog.importedRange());
}

TEST_F(ImportDialogTest, ImportReportsWhatWasStoredAndSkippedAndGivesTheRange) {
    const StringLookup english = testing::englishStrings();
    Cimportd dialog(database(), english);
    dialog.setSourcePath(writeFile(
        "e.dat", datLine("2024-03-05 09:12:00") + datLine("2024-03-05 09:07:00") + "short\n"));
    MessageBoxAnswer answer;
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(answer.icon(), QMessageBox::Information);
    EXPECT_TRUE(answer.text().startsWith(english(3059) + "\n\n2 records read, 2 stored."))
        << answer.text().toStdString();
    EXPECT_TRUE(answer.text().contains("1 lines skipped")) << answer.text().toStdString();
    const auto range = dialog.importedRange();
    ASSERT_TRUE(range);
    EXPECT_DOUBLE_EQ(range->first.value(), OleDate::fromCivil(2024, 3, 5, 9, 7).value());
    EXPECT_DOUBLE_EQ(range->second.value(), OleDate::fromCivil(2024, 3, 5, 9, 12).value());
}

TEST_F(ImportDialogTest, ASourceThatCannotBeReadIsReportedWithTheStopIcon) {
    Cimportd dialog(database(), lookup);
    dialog.setSourcePath(writeFile("notes.db", "plain text"));
    MessageBoxAnswer answer;
    dialog.accept();
    EXPECT_EQ(answer.icon(), QMessageBox::Critical);
    EXPECT_TRUE(answer.text().startsWith("s3267\n\n"))  // "Cannot open the database!"
        << answer.text().toStdString();
    EXPECT_TRUE(answer.text().contains("notes.db")) << answer.text().toStdString();
    EXPECT_FALSE(dialog.importedRange());
    EXPECT_FALSE(std::filesystem::exists(database()));
}

}  // namespace
}  // namespace nimbra
