// Draws the effect-size panels of one mean, matched pairs, correlations and
// logistic regression side by side at the dialog font, each under its class
// name, into one picture, to look for clipped labels.
// Usage (on an X display, e.g. under xvfb-run): means_correlations_sheet out.png

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "app/panels/correlation_forms.h"
#include "app/panels/logistic_form.h"
#include "app/panels/mean_forms.h"
#include "platform/environment.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    std::vector<std::pair<const char*, std::unique_ptr<CEffectSizePanel>>> panels;
    panels.emplace_back("CEff_T_OneMean", std::make_unique<CEff_T_OneMean>(nullptr));
    panels.emplace_back("CEff_T_PairedMeans", std::make_unique<CEff_T_PairedMeans>(nullptr));
    panels.emplace_back("CEff_Exact_1Corr", std::make_unique<CEff_Exact_1Corr>(nullptr));
    panels.emplace_back("CEff_T_Corr_PBM", std::make_unique<CEff_T_Corr_PBM>(nullptr));
    panels.emplace_back("CEff_Z_2Corr", std::make_unique<CEff_Z_2Corr>(nullptr));
    panels.emplace_back("CEff_Z_2DepCorr", std::make_unique<CEff_Z_2DepCorr>(nullptr));
    panels.emplace_back("CEff_Z_LogRegress", std::make_unique<CEff_Z_LogRegress>(nullptr));

    std::vector<QPixmap> shots;
    for (auto& [name, panel] : panels) {
        if (!panel->Create(nullptr, QPoint(0, 0))) return 1;
        panel->show();
        QApplication::processEvents();
        shots.push_back(panel->grab());
    }
    // Four panels in a row, each with its class name above it.
    constexpr int kColumns = 4;
    constexpr int kPad = 12;
    constexpr int kCaption = 18;
    int cellWidth = 0;
    int cellHeight = 0;
    for (const QPixmap& shot : shots) {
        cellWidth = std::max(cellWidth, shot.width());
        cellHeight = std::max(cellHeight, shot.height());
    }
    const int rows = (static_cast<int>(shots.size()) + kColumns - 1) / kColumns;
    QPixmap sheet(kPad + kColumns * (cellWidth + kPad),
                  kPad + rows * (kCaption + cellHeight + kPad));
    sheet.fill(QColor(200, 200, 200));
    QPainter painter(&sheet);
    for (size_t i = 0; i < shots.size(); ++i) {
        const int x = kPad + static_cast<int>(i % kColumns) * (cellWidth + kPad);
        const int y = kPad + static_cast<int>(i / kColumns) * (kCaption + cellHeight + kPad);
        painter.drawText(QRect(x, y, cellWidth, kCaption), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromLatin1(panels[i].first));
        painter.drawPixmap(x, y + kCaption, shots[i]);
    }
    painter.end();
    return sheet.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
