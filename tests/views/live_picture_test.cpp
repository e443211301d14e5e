#include "views/live_picture.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>

#include "config/languages.h"
#include "config/string_table.h"
#include "core/units.h"
#include "tests/support/qt_application.h"
#include "views/nimbra_view.h"

namespace nimbra {
namespace {

const QColor kBar(181, 204, 255);

class LivePictureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::qtApplication(); }

    static QImage render(const CStationData& data) {
        LiveStation live;
        live.publish(data);
        const CNimbraView view(live,
                               LiveLabels::fromStrings([](int id) { return QString::number(id); }));
        return view.renderFrame();
    }
};

TEST_F(LivePictureTest, EmptyStationDrawsNoBarsAndNoArrow) {
    const QImage frame = render(CStationData{});
    ASSERT_EQ(frame.size(), QSize(900, 600));
    EXPECT_NE(frame.pixelColor(755, 560), kBar);  // indoor thermometer empty
    EXPECT_NE(frame.pixelColor(855, 560), kBar);
    EXPECT_NE(frame.pixelColor(640, 175), kBar);  // hour gauge empty
    EXPECT_NE(frame.pixelColor(795, 60), kBar);   // no arrow
    EXPECT_EQ(frame.pixelColor(795, 105), kBar);  // the hub is always there
}

TEST_F(LivePictureTest, ReadingsFillBarsGaugesAndTheArrow) {
    CStationData data;
    data.m_Current.InTemp = 20.0f;     // bar top at (60 - 20) * 3 + 270 = 390
    data.m_Current.OutTemp = -30.0f;   // top at 540
    data.m_Current.Rain1 = 20.0f;      // half of the 40 mm scale
    data.m_Current.WindDirection = 4;  // east: the arrow points right
    const QImage frame = render(data);
    EXPECT_EQ(frame.pixelColor(755, 395), kBar);
    EXPECT_NE(frame.pixelColor(755, 385), kBar);
    EXPECT_EQ(frame.pixelColor(855, 545), kBar);
    EXPECT_NE(frame.pixelColor(855, 535), kBar);
    EXPECT_EQ(frame.pixelColor(640, 170), kBar);
    EXPECT_NE(frame.pixelColor(640, 150), kBar);
    EXPECT_EQ(frame.pixelColor(850, 105), kBar);
    EXPECT_NE(frame.pixelColor(795, 60), kBar);
}

// Every label of every language whole in its rectangle, measured in the font the picture
// resolves on this system (the rectangles are fixed; long translations are abbreviated).
TEST_F(LivePictureTest, EveryLabelOfEveryLanguageFitsItsRectangle) {
    for (const UiLanguage& language : kLanguages) {
        std::string error;
        const auto table = StringTable::load(stringTablePath(NIMBRA_STRINGS_DIR, language), error);
        ASSERT_TRUE(table) << error;
        const auto labels = LiveLabels::fromStrings(
            [&table](int id) { return QString::fromStdString(table->text(id)); });
        for (const PlacedLabel& placed : livePictureLabels(labels)) {
            const QFontMetrics metrics(placed.font);
            const int width = metrics.horizontalAdvance(placed.text);
            EXPECT_LE(width, placed.rect.width())
                << language.storedName << ": \"" << placed.text.toStdString() << "\" is " << width
                << " px wide in " << QFontInfo(placed.font).family().toStdString() << ", its box "
                << placed.rect.width() << " px at (" << placed.rect.left() << ","
                << placed.rect.top() << ")";
            EXPECT_LE(metrics.height(), placed.rect.height() + 2)
                << language.storedName << ": " << placed.text.toStdString();
        }
    }
}

TEST_F(LivePictureTest, ThermometerScalesAreWholeInBothUnits) {
    for (int unit : {kCelsius, kFahrenheit}) {
        CStationData data;
        data.InTempUnit = data.OutTempUnit = unit;
        for (const PlacedLabel& placed : thermometerScaleLabels(data)) {
            EXPECT_LE(QFontMetrics(placed.font).horizontalAdvance(placed.text), placed.rect.width())
                << "unit " << unit << ": \"" << placed.text.toStdString() << "\" at ("
                << placed.rect.left() << "," << placed.rect.top() << ")";
        }
    }
}

}  // namespace
}  // namespace nimbra
