#include "platform/emf_picture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include "platform/files.h"
#include "platform/widget_test_main.h"

namespace {

quint32 U32(const QByteArray& b, int offset) {
    return qFromLittleEndian<quint32>(b.constData() + offset);
}
qint32 I32(const QByteArray& b, int offset) {
    return qFromLittleEndian<qint32>(b.constData() + offset);
}

// A 300 x 150 pixel picture at 96 dpi: a grey background, a red square,
// a blue dashed line clipped to the left half, and a word of text.
QByteArray Sample(QString* error = nullptr) {
    platform::EmfPicture picture(QSize(300, 150), 96);
    {
        QPainter p(&picture);
        p.fillRect(QRectF(0, 0, 300, 150), QColor(0xFB, 0xFB, 0xFB));
        p.save();
        p.translate(50, 40);
        p.fillRect(QRectF(0, 0, 40, 30), QColor(0xFF, 0, 0));  // 50..90 x 40..70
        p.restore();
        p.setClipRect(QRectF(0, 0, 150, 150));
        QPen dashed(QColor(0, 0, 0xFF), 2);
        dashed.setDashPattern({5, 3});
        p.setPen(dashed);
        p.drawLine(QPointF(10, 120), QPointF(290, 120));
        p.setClipping(false);
        p.setPen(QColor(0, 0x80, 0));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(20);
        p.setFont(font);
        p.drawText(QPointF(180, 60), QStringLiteral("Hg"));
    }
    if (error) *error = picture.Error();
    return picture.Bytes();
}

TEST(EmfPicture, HeaderCarriesTheFrameOfThePicture) {
    QString error;
    const QByteArray emf = Sample(&error);
    ASSERT_GT(emf.size(), 108) << error.toStdString();
    EXPECT_EQ(U32(emf, 0), 1u);                    // EMR_HEADER
    EXPECT_EQ(emf.mid(40, 4), " EMF");             // signature
    EXPECT_EQ(U32(emf, 48), quint32(emf.size()));  // nBytes
    // Bounds in pixels (inclusive), frame in hundredths of a millimetre.
    EXPECT_EQ(I32(emf, 16), 299);
    EXPECT_EQ(I32(emf, 20), 149);
    EXPECT_EQ(I32(emf, 32), 7938);  // 300 px at 96 dpi = 79.375 mm
    EXPECT_EQ(I32(emf, 36), 3969);
    // The last record is EMR_EOF.
    EXPECT_EQ(U32(emf, emf.size() - 20), 14u);
}

// Reads the metafile back with an independent converter and checks that the
// shapes come out where they were painted.
TEST(EmfPicture, ConvertsBackToTheShapesThatWerePainted) {
    const QString converter = QStandardPaths::findExecutable("emf2svg-conv");
    if (converter.isEmpty()) GTEST_SKIP() << "emf2svg-conv (Debian emf2svg) is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    ASSERT_TRUE(platform::SaveFileAtomically(dir.filePath("a.emf"), Sample(), &error))
        << error.toStdString();
    QProcess process;
    process.start(converter, {"-i", dir.filePath("a.emf"), "-o", dir.filePath("a.svg")});
    ASSERT_TRUE(process.waitForFinished(30000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QFile file(dir.filePath("a.svg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(file.readAll());
    // The converter takes the picture's size from the inclusive bounds
    // (299 x 149 here); the frame itself is checked in the header above.
    const QRegularExpression size("<svg [^>]*width=\"([0-9.]+)\" height=\"([0-9.]+)\"");
    const QRegularExpressionMatch m = size.match(svg);
    ASSERT_TRUE(m.hasMatch()) << svg.left(400).toStdString();
    EXPECT_NEAR(m.captured(1).toDouble(), 300, 1);
    EXPECT_NEAR(m.captured(2).toDouble(), 150, 1);
    // Each shape as one filled path of its colour, where it was painted.
    auto path = [&](const char* colour) {
        const QRegularExpression re(
            QStringLiteral("<path d=\"([^\"]*)\"\\s+fill=\"%1\"").arg(QString::fromLatin1(colour)),
            QRegularExpression::CaseInsensitiveOption);
        return re.match(svg).captured(1);
    };
    auto xRange = [](const QString& d) {
        double lo = 1e9, hi = -1e9;
        const QRegularExpression number("([0-9.]+),([0-9.]+)");
        for (auto it = number.globalMatch(d); it.hasNext();) {
            const double x = it.next().captured(1).toDouble();
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
        return std::make_pair(lo, hi);
    };
    EXPECT_TRUE(path("#FBFBFB").startsWith("M 0.0000,0.0000 L 300.0000,0.0000"));
    EXPECT_EQ(path("#FF0000").left(48), "M 50.0000,40.0000 L 90.0000,40.0000 L 90.0000,70");
    // The dashed line: cut into dashes, and clipped at x = 150.
    const QString dashes = path("#0000FF");
    EXPECT_GT(dashes.count('M'), 5);
    EXPECT_LE(xRange(dashes).second, 150.0);
    // The text as glyph outlines right of x = 180.
    const QString glyphs = path("#008000");
    ASSERT_FALSE(glyphs.isEmpty());
    EXPECT_GE(xRange(glyphs).first, 180.0);
    EXPECT_TRUE(glyphs.contains('C'));  // the curves of the "g"
}

TEST(EmfPicture, FileErrorsAreReported) {
    QString error;
    EXPECT_FALSE(platform::SaveFileAtomically("/nonexistent-folder/x.emf", "abc", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(EmfPicture, ClipboardCarriesTheMetafileType) {
    const QByteArray emf = Sample();
    platform::PutEmfOnClipboard(emf);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data("image/x-emf"), emf);
}

}  // namespace
