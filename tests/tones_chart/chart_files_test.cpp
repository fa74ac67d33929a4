// The chart as files, opened the way a viewer would: the SVG as XML with its
// text and shapes, the PNG as an image with its pixels.

#include "tones_chart/chart_files.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QXmlStreamReader>
#include <map>
#include <set>
#include <string>

#include "chart_plan.h"
#include "tones/plan_check.h"

namespace mk843nb::tones {
namespace {

class ChartFilesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "chart_files_test";
        static char* argv[] = {name, nullptr};
        if (QGuiApplication::instance() == nullptr) new QGuiApplication(argc, argv);
    }

    TonePlan plan = test::ChartPlan();
    ChartLayout layout = LayoutChart(plan, CheckPlan(plan), {800, 600});
};

struct SvgContents {
    std::set<std::string> texts;
    std::map<std::string, int> ellipsesByFill;
    int width = 0, height = 0;
};

SvgContents ReadSvg(const std::string& bytes) {
    SvgContents svg;
    QXmlStreamReader xml(QByteArray::fromStdString(bytes));
    std::string fill;
    while (!xml.atEnd()) {
        if (!xml.readNext()) break;
        if (!xml.isStartElement()) continue;
        const auto attributes = xml.attributes();
        if (attributes.hasAttribute(QStringLiteral("fill")))
            fill = attributes.value(QStringLiteral("fill")).toString().toStdString();
        if (xml.name() == QStringLiteral("svg")) {
            svg.width = attributes.value(QStringLiteral("width")).toString().remove("mm").toInt();
            svg.height = attributes.value(QStringLiteral("height")).toString().remove("mm").toInt();
        } else if (xml.name() == QStringLiteral("text")) {
            svg.texts.insert(xml.readElementText().trimmed().toStdString());
        } else if (xml.name() == QStringLiteral("ellipse") ||
                   xml.name() == QStringLiteral("circle")) {
            ++svg.ellipsesByFill[fill];
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return svg;
}

TEST_F(ChartFilesTest, TheSvgHoldsTheLabelsAsTextAndEveryPointRedOrNot) {
    const std::string bytes = ChartFileBytes(layout, ChartFormat::Svg);
    ASSERT_FALSE(bytes.empty());
    const SvgContents svg = ReadSvg(bytes);
    for (const ChartLabel& label : layout.labels)
        EXPECT_EQ(svg.texts.count(label.text), 1u) << label.text;
    for (const char* text : {"TONE1 (Hz)", "TONE2 (Hz)", "Tone plan: 7 pagers, 2 problems (red)"})
        EXPECT_EQ(svg.texts.count(text), 1u) << text;
    int tickLabels = 0;
    for (const ChartTick& tick : layout.xTicks)
        if (!tick.text.empty()) {
            EXPECT_GE(svg.texts.count(tick.text), 1u) << tick.text;
            ++tickLabels;
        }
    EXPECT_GE(tickLabels, 5);
    // One dot a place: the two holders of one address share a red dot, so five
    // calls in a problem are four red dots; the clean call and the siren's are not red.
    EXPECT_EQ(svg.ellipsesByFill.at("#d21414"), 4);
    int all = 0;
    for (const auto& [fill, count] : svg.ellipsesByFill) all += count;
    EXPECT_EQ(all, 6);
}

TEST_F(ChartFilesTest, ThePngHasTheCanvasSizeAndRedWhereTheConflictIs) {
    const std::string bytes = ChartFileBytes(layout, ChartFormat::Png);
    ASSERT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    QImage image;
    ASSERT_TRUE(image.loadFromData(QByteArray::fromStdString(bytes), "PNG"));
    EXPECT_EQ(image.size(), QSize(800, 600));
    const auto isRed = [&](const ChartSpot& at) {
        const QColor pixel = image.pixelColor(static_cast<int>(at.x), static_cast<int>(at.y));
        return pixel.red() > 180 && pixel.green() < 80 && pixel.blue() < 80;
    };
    for (const ChartPoint& point : layout.points)
        EXPECT_EQ(isRed(point.at), point.red) << plan.pagers[point.pager].label;
    // The stacked page's cross, where X's TONE2 and Y's TONE1 meet.
    EXPECT_TRUE(isRed(layout.stacks.at(0).formed));
}

TEST(ChartFormat, OnlySvgAndPngByTheirExtensionInAnyCase) {
    EXPECT_EQ(ChartFormatOf("plan.svg"), ChartFormat::Svg);
    EXPECT_EQ(ChartFormatOf("out/Plan.PNG"), ChartFormat::Png);
    EXPECT_EQ(ChartFormatOf("plan.jpg"), std::nullopt);
    EXPECT_EQ(ChartFormatOf("svg"), std::nullopt);
    EXPECT_EQ(ChartFormatOf("plan.svg.txt"), std::nullopt);
}

}  // namespace
}  // namespace mk843nb::tones
