#include "app/xyplot/table_title.h"

#include <QImage>

#include "app/xyplot/xy_plot_settings.h"
#include "platform/widget_test_main.h"
#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/symbol_table.h"

namespace {

class TableTitleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        mathtext::InitSymbolFonts();
        fonts = std::make_unique<mathtext::LabelFontSets>();
        title = std::make_unique<CTableTitle>(fonts.get());
        title->resize(700, 50);
    }
    void TearDown() override {
        title.reset();
        fonts.reset();
        mathtext::FreeSymbolFonts();
        mathtext::ClearSymbolMap();
    }
    QImage Paint() {
        QImage image(title->size(), QImage::Format_RGB32);
        title->render(&image);
        return image;
    }
    static bool Uniform(const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != image.pixel(0, 0)) return false;
        return true;
    }

    std::unique_ptr<mathtext::LabelFontSets> fonts;
    std::unique_ptr<CTableTitle> title;
    PlotSettings settings;
};

TEST_F(TableTitleTest, WithoutCurvesOnlyTheBackground) {
    EXPECT_EQ(title->objectName(), "TableTitle");
    EXPECT_TRUE(Uniform(Paint()));
    settings.title = "t tests - Means";
    title->SetSettings(&settings);  // no table curves yet
    EXPECT_TRUE(Uniform(Paint()));
    EXPECT_EQ(title->Title(), "");
}

TEST_F(TableTitleTest, ShowsTitleAndSplitsALongSubtitleAtACommaNearItsMiddle) {
    settings.tableCurves.push_back({{10, 0.5}});
    settings.title = "t tests - Means: Difference between two independent means (two groups)";
    settings.subtitle = "Tail(s) = Two, $\\alpha$ err prob = 0.05";
    title->SetSettings(&settings);
    EXPECT_FALSE(Uniform(Paint()));
    EXPECT_EQ(title->Title(), settings.title);
    EXPECT_EQ(title->Subtitle1(), settings.subtitle);
    EXPECT_EQ(title->Subtitle2(), "");

    settings.subtitle =
        "Tail(s) = Two, Allocation ratio N2/N1 = 1, Power (1-$\\beta$ err prob) = 0.8, "
        "$\\alpha$ err prob = 0.05, Effect size d = 0.5";
    Paint();
    EXPECT_EQ(title->Subtitle1(),
              "Tail(s) = Two, Allocation ratio N2/N1 = 1, Power (1-$\\beta$ err prob) = 0.8,");
    EXPECT_EQ(title->Subtitle2(), "$\\alpha$ err prob = 0.05, Effect size d = 0.5");
}

}  // namespace
