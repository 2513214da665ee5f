#include "app/widgets/graph_view.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include "app/frame/main_frame.h"
#include "platform/full_disk_test_support.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"

namespace {

// Fills the picture grey and puts a red block in its middle half.
class BlockView : public CGraphView {
  public:
    using CGraphView::CGraphView;
    void DrawGraph(QPainter* g, const QRectF& rect) override {
        rects.push_back(rect);
        g->fillRect(rect, QColor(0xE0, 0xE0, 0xE0));
        g->fillRect(QRectF(rect.x() + rect.width() / 4, rect.y() + rect.height() / 4,
                           rect.width() / 2, rect.height() / 2),
                    QColor(0xFF, 0, 0));
    }
    std::vector<QRectF> rects;
};

class GraphViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        view = std::make_unique<BlockView>(&frame);
        view->resize(400, 200);
    }

    // The SVG that an independent converter makes of a metafile, or empty
    // when the converter is missing.
    static QString ToSvg(const QString& emfPath) {
        const QString converter = QStandardPaths::findExecutable("emf2svg-conv");
        if (converter.isEmpty()) return QString();
        const QString svgPath = emfPath + ".svg";
        QProcess process;
        process.start(converter, {"-i", emfPath, "-o", svgPath});
        if (!process.waitForFinished(30000) || process.exitCode() != 0) return "failed";
        QFile file(svgPath);
        if (!file.open(QIODevice::ReadOnly)) return "failed";
        return QString::fromUtf8(file.readAll());
    }

    CMainFrame frame;
    std::unique_ptr<BlockView> view;
    platform::ScriptedDialogs dialogs;
};

TEST_F(GraphViewTest, PaintDrawsInPointsOverTheClientArea) {
    const QImage image = view->grab().toImage();
    ASSERT_FALSE(view->rects.empty());
    // 96 dots per inch on the test screen: 400 x 200 pixels are 300 x 150 points.
    const double s = 72.0 / view->logicalDpiX();
    EXPECT_EQ(view->rects.back(), QRectF(0, 0, 400 * s, 200 * s));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(0xE0, 0xE0, 0xE0));
    EXPECT_EQ(image.pixelColor(200, 100), QColor(0xFF, 0, 0));
    EXPECT_EQ(image.pixelColor(95, 45), QColor(0xE0, 0xE0, 0xE0));
    EXPECT_EQ(image.pixelColor(105, 55), QColor(0xFF, 0, 0));
}

TEST_F(GraphViewTest, CopyAndSaveWriteTheSameFramedMetafile) {
    ASSERT_TRUE(view->CopyToClipboard());
    const QByteArray copied = QGuiApplication::clipboard()->mimeData()->data("image/x-emf");
    ASSERT_GT(copied.size(), 108);
    // Beside the metafile, a PNG of the view's size with the same drawing.
    const QImage png =
        QImage::fromData(QGuiApplication::clipboard()->mimeData()->data("image/png"), "PNG");
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), QSize(400, 200));
    EXPECT_EQ(png.pixelColor(200, 100), QColor(0xFF, 0, 0));
    EXPECT_EQ(png.pixelColor(0, 100), QColor(0, 0, 0));  // the frame
    // Frame of the picture: the client size in pixels, in hundredths of a mm.
    const double mmPerPixel = 25.4 / view->logicalDpiX();
    EXPECT_EQ(qFromLittleEndian<qint32>(copied.constData() + 32), qRound(400 * mmPerPixel * 100));
    EXPECT_EQ(qFromLittleEndian<qint32>(copied.constData() + 36), qRound(200 * mmPerPixel * 100));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("plot.emf");
    dialogs.QueueFileAnswer(path);
    ASSERT_TRUE(view->SaveAsEmf());
    ASSERT_EQ(dialogs.fileQuestions.size(), 1u);
    const platform::FileDialogRequest& asked = dialogs.fileQuestions[0].request;
    EXPECT_EQ(asked.title, "Name of the enhanced meta file");
    EXPECT_EQ(asked.defaultSuffix, "emf");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), copied);
    EXPECT_TRUE(dialogs.messages.empty());

    const QString svg = ToSvg(path);
    if (svg.isEmpty()) GTEST_SKIP() << "emf2svg-conv (Debian emf2svg) is not installed";
    // The red block in the middle half, and the black frame along the edges.
    EXPECT_TRUE(svg.contains("M 100.0000,50.0000 L 300.0000,50.0000 L 300.0000,150.0000"))
        << svg.toStdString();
    const QRegularExpression black("<path d=\"([^\"]*)\"\\s+fill=\"#000000\"");
    const QString frameOutline = black.match(svg).captured(1);
    EXPECT_TRUE(frameOutline.contains("0.0000,0.0000")) << frameOutline.toStdString();
    EXPECT_TRUE(frameOutline.contains("400.0000,200.0000")) << frameOutline.toStdString();
}

TEST_F(GraphViewTest, SaveFailuresAreReportedAndCancelWritesNothing) {
    EXPECT_FALSE(view->SaveAsEmf());  // cancelled
    EXPECT_TRUE(dialogs.messages.empty());
    dialogs.QueueFileAnswer(QStringLiteral("/nonexistent-folder/plot.emf"));
    EXPECT_FALSE(view->SaveAsEmf());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(
        "The plot could not be saved as\n/nonexistent-folder/plot.emf:\n"))
        << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(dialogs.messages[0].icon, platform::MessageIcon::Error);
}

// Saving over an earlier picture on a full disk: reported with the reason,
// and the earlier file is left byte for byte (it became a 4 KiB piece).
TEST_F(GraphViewTest, SaveOnAFullDiskKeepsTheEarlierPicture) {
    QTemporaryDir dir;
    const QString path = dir.filePath("plot.emf");
    const QByteArray earlier(20000, 'e');
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(earlier);
    }
    dialogs.QueueFileAnswer(path);
    bool saved = true;
    platform::WithDiskFullAfter(256, [&] { saved = view->SaveAsEmf(); });
    EXPECT_FALSE(saved);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.endsWith("could not be written: File too large"))
        << dialogs.messages[0].text.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), earlier);
}

// The bounding box of the pixels that are not white.
QRect InkBox(const QImage& image) {
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != QColor(Qt::white)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

TEST_F(GraphViewTest, PrintsOnePageWithTwentyMillimetreMargins) {
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath("plot.pdf");
    QString document;
    dialogs.printerSetup = [&](QPrinter* printer) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        printer->setPageSize(QPageSize(QPageSize::A4));
        document = printer->docName();
    };
    EXPECT_FALSE(view->Print());  // cancelled: nothing printed, nothing said
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.QueuePrintAnswer(true);
    ASSERT_TRUE(view->Print());
    EXPECT_EQ(document, "GdiplusPrint");
    // At 72 dots per inch one pixel is one point; A4 is 595.3 x 841.9 points.
    QProcess process;
    process.start(pdftoppm, {"-r", "72", "-png", "-singlefile", pdf, dir.filePath("page")});
    ASSERT_TRUE(process.waitForFinished(30000));
    const QImage page(dir.filePath("page.png"));
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.width(), 595, 1);
    const QRect ink = InkBox(page);
    const double margin = 56.693;  // 20 mm
    EXPECT_NEAR(ink.left(), margin, 1.5);
    EXPECT_NEAR(ink.top(), margin, 1.5);
    EXPECT_NEAR(ink.width(), 595.276 - 2 * margin, 2);
    EXPECT_NEAR(double(ink.width()) / ink.height(), 2.0, 0.02);  // the view's 400 x 200
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
