#include "views/num_edit_ctrl.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "tests/support/qt_application.h"

namespace nimbra {
namespace {

class NumEditCtrlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::qtApplication(); }
};

TEST_F(NumEditCtrlTest, TypingKeepsDigitsSignAndOneDecimalPoint) {
    const std::pair<const char*, const char*> cases[] = {
        {"1013.2", "1013.2"}, {"29.9.2", "29.92"}, {".5", "5"},    {"-12.3", "-12.3"},
        {"12a3", "123"},      {"1,5", "15"},       {"-.5", "-.5"}, {"1e3", "13"},
    };
    for (const auto& [typed, shown] : cases) {
        CNumEditCtrl edit;
        QTest::keyClicks(&edit, QString::fromLatin1(typed));
        EXPECT_EQ(edit.text(), shown) << typed;
    }
}

TEST_F(NumEditCtrlTest, EditingKeysAndPastedTextAreNotFiltered) {
    CNumEditCtrl edit;
    QTest::keyClicks(&edit, "29.92");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), "9.9");

    QGuiApplication::clipboard()->setText("abc");
    edit.clear();
    edit.paste();
    EXPECT_EQ(edit.text(), "abc");
}

}  // namespace
}  // namespace nimbra
