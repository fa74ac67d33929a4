// mk843nb-cli tones chart as a user runs it: tables made by new and set,
// named by relative paths with folders, the chart opened afterwards.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QXmlStreamReader>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "cli_process.h"
#include "test_files.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;
using test::CliRun;

// The SVG as a viewer reads it: its text elements and its dots by colour.
struct Svg {
    std::vector<std::string> texts;
    std::map<QString, int> pointsByFill;
    int points = 0;
};

Svg ReadSvg(const std::string& path) {
    const auto bytes = test::ReadFileBytes(path);
    QXmlStreamReader xml(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                    static_cast<qsizetype>(bytes.size())));
    Svg svg;
    QString fill;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.attributes().hasAttribute(QStringLiteral("fill")))
            fill = xml.attributes().value(QStringLiteral("fill")).toString();
        if (xml.name() == QStringLiteral("text"))
            svg.texts.push_back(xml.readElementText().trimmed().toStdString());
        if (xml.name() == QStringLiteral("ellipse") || xml.name() == QStringLiteral("circle")) {
            ++svg.points;
            ++svg.pointsByFill[fill];
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return svg;
}

class ChartCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        Table("county/north/e1.tbl", {"T11=600.9", "T21=634.5"});
        Table("county/north/e2.tbl", {"T11=600.9", "T21=634.5"});
        Table("county/m3.tbl", {"T11=746.8", "T21=788.5"});
        fs::create_directories(fs::path(temp.Path()) / "charts");
    }

    CliRun Run(std::vector<std::string> args) { return test::RunCli(std::move(args), temp.Path()); }

    void Table(const std::string& relative, std::vector<std::string> assignments) {
        fs::create_directories((fs::path(temp.Path()) / relative).parent_path());
        ASSERT_EQ(Run({"new", relative}).status, 0) << relative;
        std::vector<std::string> args{"set", relative};
        args.insert(args.end(), assignments.begin(), assignments.end());
        const CliRun set = Run(args);
        ASSERT_EQ(set.status, 0) << relative << ": " << set.err;
    }

    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(temp.Path()))
            if (entry.is_regular_file())
                names.push_back(fs::relative(entry.path(), temp.Path()).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempDir temp;
};

TEST_F(ChartCliTest, AnSvgChartOfFoldersAndFilesNamesThePagersAndShowsTheConflictInRed) {
    const CliRun run =
        Run({"tones", "chart", "county/north", "county/m3.tbl", "--out", "charts/plan.svg"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Wrote charts/plan.svg (1200 x 900): 3 pagers, 1 problem in red\n");

    const Svg svg = ReadSvg(temp.File("charts/plan.svg"));
    const std::vector<std::string>& texts = svg.texts;
    const auto has = [&](const std::string& text) {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    };
    EXPECT_TRUE(has("e1.tbl +1")) << "the shared place names its first holder and one more";
    EXPECT_TRUE(has("m3.tbl"));
    EXPECT_TRUE(has("Tone plan: 3 pagers, 1 problem (red)"));
    // One dot a place: e1 and e2 share theirs.
    EXPECT_EQ(svg.points, 2);
    EXPECT_EQ(svg.pointsByFill.at("#d21414"), 1);

    // Shared on purpose: no longer red.
    const CliRun shared = Run({"tones", "chart", "county", "county/north", "--shared",
                               "600.9/634.5", "--out", "charts/shared.svg"});
    ASSERT_EQ(shared.status, 0) << shared.err;
    EXPECT_EQ(shared.out, "Wrote charts/shared.svg (1200 x 900): 3 pagers, no problems\n");
}

TEST_F(ChartCliTest, AFleetPlanIsDrawnWithItsLabelsAndItsStationCallShared) {
    Table("t/template.tbl", {"T11=600.9", "T21=634.5", "Duty2=1", "T12=707.3", "T22=746.8"});
    std::ofstream(temp.File("t/roster.csv")) << "label,T12,T22\n"
                                                "Engine 1,1006.9,1513.5\n"
                                                "Engine 2,1122.5,1185.2\n";
    const CliRun plan = Run({"fleet", "plan", "t/template.tbl", "t/roster.csv", "--out", "shop"});
    ASSERT_EQ(plan.status, 0) << plan.err;

    const CliRun run = Run({"tones", "chart", "shop", "--out", "shop.svg"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Wrote shop.svg (1200 x 900): 2 pagers, no problems\n");
    const Svg svg = ReadSvg(temp.File("shop.svg"));
    for (const char* label : {"Engine 1 +1", "Engine 1 (call 2)", "Engine 2 (call 2)"})
        EXPECT_NE(std::find(svg.texts.begin(), svg.texts.end(), label), svg.texts.end()) << label;
    // The station call in green, the own calls in blue, nothing red.
    EXPECT_EQ(svg.points, 3);
    EXPECT_EQ(svg.pointsByFill.count("#d21414"), 0u);
    EXPECT_EQ(svg.pointsByFill.at("#14823c"), 1);
}

TEST_F(ChartCliTest, APngChartHasTheAskedSizeAndRedPixels) {
    const CliRun run = Run({"tones", "chart", "county", "county/north", "--out", "charts/Plan.PNG",
                            "--width", "640", "--height", "480"});
    ASSERT_EQ(run.status, 0) << run.err;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(temp.File("charts/Plan.PNG")), "PNG"));
    EXPECT_EQ(image.size(), QSize(640, 480));
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 60 && c.blue() < 60) ++red;
        }
    EXPECT_GT(red, 20);
}

TEST_F(ChartCliTest, ABadNameOrPlaceIsRefusedWithNothingWritten) {
    std::filesystem::create_directories(temp.File("charts/taken.svg"));
    const std::vector<std::string> before = Files();
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {{"--out", "charts/plan.jpg"},
         2,
         "charts/plan.jpg: the chart is written as SVG (name.svg) or PNG (name.png)\n"},
        {{"--out", "charts/plan"},
         2,
         "charts/plan: the chart is written as SVG (name.svg) or PNG (name.png)\n"},
        {{"--out", "nowhere/plan.svg"},
         1,
         "Save Error! nowhere/plan.svg: the folder nowhere does not exist\n"},
        {{"--out", "charts/taken.svg"},
         1,
         "Save Error! charts/taken.svg: a folder of that name is in the way\n"},
        {{"--out", "charts/plan.svg", "--height", "nan"}, 2, ""},
        {{"--out", "charts/plan.svg", "--width", "10"}, 2, ""},
        {{"--out", "charts/plan.svg", "--shared", "600.9"}, 2, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"tones", "chart", "county"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = Run(args);
        EXPECT_EQ(run.status, c.status) << c.args[1] << ": " << run.err;
        if (!c.err.empty()) {
            EXPECT_EQ(run.err, c.err);
        }
    }
    const CliRun missing = Run({"tones", "chart", "county/nope.tbl", "--out", "charts/plan.svg"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "county/nope.tbl: no such file or folder\n");
    EXPECT_EQ(Files(), before);
}

}  // namespace
}  // namespace mk843nb
