// Opens the model explorer on a model of three groups and two responses
// (loaded from a model file written here), calculates the power of every
// contrast pair and saves two pictures: the Results tab after Calculate,
// and a sheet of every tab, to look at the controls, the grids and the
// tables at the dialog font.
// Usage (under xvfb-run; the sanitizer build reports a leak of the session
// bus library at exit, hence ASAN_OPTIONS):
//   ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 1280x1024x24"
//       explorer_shot docs/images/explorer-results.png docs/images/explorer-every-tab.png
//       [narrow-results.png]   (one line)

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "app/explorer/glmm_explorer.h"
#include "glm/model/power_glmm.h"
#include "glm/model_file.h"
#include "platform/environment.h"

namespace {

void Settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TextArray Table(std::vector<std::vector<std::wstring>> rows) {
    TextArray t(static_cast<int>(rows.size()), static_cast<int>(rows[0].size()));
    for (int r = 0; r < t.rows(); ++r)
        for (int c = 0; c < t.cols(); ++c) t(r, c) = rows[r][c];
    return t;
}

// Three groups (cell means), two responses with SDs 2 and 3 correlated 0.5.
ModelFileGrids ThreeGroups() {
    ModelFileGrids g;
    g.design = Table({{L"cell\\pred", L"control", L"dose 1", L"dose 2", L"ssize weight"},
                      {L"control", L"1", L"0", L"0", L"1"},
                      {L"low", L"0", L"1", L"0", L"1"},
                      {L"high", L"0", L"0", L"1", L"2"}});
    g.means = Table({{L"pred\\var", L"Y 1", L"Y 2"},
                     {L"control", L"10", L"12"},
                     {L"dose 1", L"11", L"12.5"},
                     {L"dose 2", L"12", L"14"}});
    g.sigma =
        Table({{L"SD and corr", L"Y 1", L"Y 2"}, {L"Y 1", L"2", L"0.5"}, {L"Y 2", L"0.5", L"3"}});
    g.predContrasts =
        Table({{L"line", L"label", L"use", L"normalize", L"control", L"dose 1", L"dose 2"},
               {L"1", L"groups", L"1", L"0", L"1", L"-1", L"0"},
               {L"2", L"", L"1", L"0", L"0", L"1", L"-1"},
               {L"3", L"", L"1", L"0", L"", L"", L""},
               {L"4", L"control vs high", L"1", L"0", L"1", L"0", L"-1"},
               {L"5", L"", L"1", L"0", L"", L"", L""}});
    g.varContrasts = Table({{L"line", L"label", L"use", L"normalize", L"Y 1", L"Y 2"},
                            {L"1", L"both", L"1", L"0", L"1", L"0"},
                            {L"2", L"", L"1", L"0", L"0", L"1"},
                            {L"3", L"", L"1", L"0", L"", L""},
                            {L"4", L"Y 1", L"1", L"0", L"1", L"0"},
                            {L"5", L"", L"1", L"0", L"", L""}});
    return g;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s results.png sheet.png [narrow-results.png]\n", argv[0]);
        return 2;
    }
    auto application = platform::CreateApplication(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("three groups.gmm"));
    {
        const std::string bytes = WriteModelFile(ThreeGroups());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
                static_cast<qint64>(bytes.size()))
            return 1;
    }
    PowerGLMM model;
    model.SetDimensions(5, 3, 4);
    CGLMMExplorer explorer;
    explorer.SetModel(&model);
    if (!explorer.OnInitDialog()) return 1;
    QString problem;
    if (!explorer.LoadModel(path, &problem)) {
        std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
        return 1;
    }
    explorer.move(20, 20);
    explorer.show();
    Settle(300);

    std::vector<QPixmap> shots;
    for (int tab = CGLMMExplorer::kGeneral; tab < CGLMMExplorer::kResults; ++tab) {
        explorer.Tabs()->setCurrentIndex(tab);
        Settle(150);
        shots.push_back(explorer.grab());
    }
    explorer.Tabs()->setCurrentIndex(CGLMMExplorer::kResults);
    explorer.CalculateButton()->click();
    Settle(300);
    shots.push_back(explorer.grab());

    // At the smallest size the tables are squeezed: a number such as "-1"
    // must still stand on one line.
    if (argc > 3) {
        explorer.resize(explorer.minimumSize());
        Settle(300);
        if (!explorer.grab().save(QString::fromLocal8Bit(argv[3]))) return 1;
    }

    explorer.resize(1000, 720);
    Settle(300);
    if (!explorer.grab().save(QString::fromLocal8Bit(argv[1]))) return 1;

    const int margin = 12;
    const QSize one = shots.front().size();
    const int columns = 2, rows = (static_cast<int>(shots.size()) + 1) / 2;
    QPixmap sheet(columns * (one.width() + margin) + margin,
                  rows * (one.height() + margin) + margin);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (int i = 0; i < static_cast<int>(shots.size()); ++i)
        painter.drawPixmap(margin + (i % columns) * (one.width() + margin),
                           margin + (i / columns) * (one.height() + margin), shots[i]);
    painter.end();
    return sheet.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
