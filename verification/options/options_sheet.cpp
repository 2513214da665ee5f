// Draws every options dialog, as it opens with the standard choices, on one
// sheet with its window caption above it, to look at clipped texts and the
// layout. With --tab-order each focusable control carries its place in the
// Tab order, to check that Tab follows the layout.
// Usage (on an X display, e.g. under xvfb-run):
//   options_sheet out.png [--tab-order]

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/options/options_dialogs.h"
#include "platform/environment.h"
#include "platform/fonts.h"

namespace {

struct Sheet {
    QString caption;
    QPixmap picture;
};

// The focusable controls of `dialog` in Tab order, from its first one.
std::vector<QWidget*> TabChain(QWidget* dialog) {
    std::vector<QWidget*> chain;
    QWidget* first = nullptr;
    for (QWidget* w = dialog->nextInFocusChain(); w != dialog; w = w->nextInFocusChain()) {
        if (w == first) break;
        if (!first) first = w;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(dialog)) chain.push_back(w);
    }
    return chain;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out.png [--tab-order]\n", argv[0]);
        return 2;
    }
    const bool tabOrder = argc > 2 && std::strcmp(argv[2], "--tab-order") == 0;
    auto application = platform::CreateApplication(argc, argv);
    using Kind = OptionsDialogKind;
    struct Entry {
        Kind kind;
        int testId;
        bool areMode;
        const char* note;
    };
    const Entry entries[] = {
        {Kind::kExactBinomial, 601, false, ""},
        {Kind::kExactMcNemar, 604, false, ""},
        {Kind::kExactOneCorr, 605, false, ""},
        {Kind::kExactFisherExact, 606, false, ""},
        {Kind::kExactTwoPropUncIeq, 608, false, ""},
        {Kind::kExactMRC, 611, false, ""},
        {Kind::kFManova, 114, false, ""},
        {Kind::kRepMMulti, 111, false, ""},
        {Kind::kRepm, 108, false, ""},
        {Kind::kTWilcoxon, 206, true, " (A.R.E.)"},
        {Kind::kTWilcoxon, 206, false, " (Lehmann)"},
        {Kind::kZTwoProp, 301, false, ""},
        {Kind::kZLogRegress, 304, false, ""},
        {Kind::kZPoisson, 308, false, ""},
        {Kind::kZTetraCorr, 309, false, ""},
        {Kind::kZLogistic, 310, false, ""},
    };
    std::vector<Sheet> sheets;
    for (const Entry& e : entries) {
        OptionsDialogInfo info;
        info.kind = e.kind;
        OptionsDialogFields fields = OptionsFormFor(e.kind).defaults;
        fields.testId = e.testId;
        fields.areMode = e.areMode;
        if (e.kind == Kind::kExactTwoPropUncIeq) fields.effectIndexCode = 1;
        std::unique_ptr<COptionsDialog> dialog = MakeOptionsDialog(nullptr, info, fields);
        if (!dialog) return 1;
        dialog->show();
        QCoreApplication::processEvents();
        QPixmap picture = dialog->grab();
        if (tabOrder) {
            QPainter p(&picture);
            QFont font = p.font();
            font.setPixelSize(10);
            font.setBold(true);
            p.setFont(font);
            int place = 0;
            for (QWidget* w : TabChain(dialog.get())) {
                const QPoint at = w->mapTo(dialog.get(), QPoint(0, 0));
                const QRect tag(at.x() - 2, at.y() - 2, 14, 12);
                p.fillRect(tag, QColor(200, 0, 0));
                p.setPen(Qt::white);
                p.drawText(tag, Qt::AlignCenter, QString::number(++place));
            }
        }
        sheets.push_back({QStringLiteral("%1 %2%3 (test %4)")
                              .arg(dialog->TemplateId())
                              .arg(dialog->windowTitle())
                              .arg(QString::fromUtf8(e.note))
                              .arg(e.testId),
                          picture});
        dialog->hide();
    }

    // Two columns, each dialog under its caption.
    const int gap = 14, captionHeight = 18, columns = 2;
    std::vector<int> columnWidth(columns, 0), rowHeight((sheets.size() + 1) / columns, 0);
    for (size_t i = 0; i < sheets.size(); ++i) {
        columnWidth[i % columns] = std::max(columnWidth[i % columns], sheets[i].picture.width());
        rowHeight[i / columns] =
            std::max(rowHeight[i / columns], sheets[i].picture.height() + captionHeight);
    }
    int width = gap, height = gap;
    for (int w : columnWidth) width += w + gap;
    for (int h : rowHeight) height += h + gap;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(236, 236, 236));
    QPainter p(&image);
    QFont font = platform::MakeFont(QStringLiteral("Lucida Sans Unicode"), 8.0, true);
    p.setFont(font);
    int y = gap;
    for (size_t row = 0; row < rowHeight.size(); ++row) {
        int x = gap;
        for (int c = 0; c < columns; ++c) {
            const size_t i = row * columns + static_cast<size_t>(c);
            if (i < sheets.size()) {
                p.setPen(Qt::black);
                p.drawText(QRect(x, y, columnWidth[c], captionHeight), Qt::AlignLeft,
                           sheets[i].caption);
                p.drawPixmap(x, y + captionHeight, sheets[i].picture);
                p.setPen(QColor(120, 120, 120));
                p.drawRect(QRect(QPoint(x, y + captionHeight), sheets[i].picture.size())
                               .adjusted(-1, -1, 0, 0));
            }
            x += columnWidth[c] + gap;
        }
        y += rowHeight[row] + gap;
    }
    p.end();
    return image.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
