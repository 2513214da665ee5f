// The explorer window's results for every model file of this folder: each
// file is loaded through the window, saved again (is the save the same
// bytes?) and calculated with each of the settings of report_text.h; the
// results the Results tab shows are written as text. The model record's
// test in glm/ reads the output (window_results.txt) and must compute the
// same from the same files without a window.
//
// The files: two_groups.gmm and three_groups.gmm hold the models of the
// explorer's test and of its picture program (verification/explorer). With
// --make-models the program first writes the others from them: the standard
// model, three_groups.gmm with a singular Σ and with one that is none, and
// random models (fixed seed) of every shape the tabs allow in small counts.
//
// Usage (from the worktree root, offscreen):
//   QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
//       build/test/app/explorer_window_results [--make-models]
//       verification/explorer_document > verification/explorer_document/window_results.txt

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "app/explorer/glmm_explorer.h"
#include "app/explorer/glmm_in_general.h"
#include "app/explorer/glmm_results.h"
#include "app/widgets/html_edit.h"
#include "glm/model/power_glmm.h"
#include "glm/model_file.h"
#include "platform/scripted_dialogs.h"
#include "verification/explorer_document/report_text.h"

namespace {

std::wstring Number(double v) {
    wchar_t buf[32];
    std::swprintf(buf, 32, L"%.4g", v);
    return buf;
}

// A random model: 1-6 cells, 1-5 predictors, 1-4 responses; design and
// means of whole numbers, decimals and formulas; Σ a random covariance
// matrix in either mode (now and then one that is none); one to three
// contrasts on each side with random lines, use flags and normalizations.
ExplorerModel RandomModel(std::mt19937& rng) {
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto real = [&rng](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    const int cells = pick(1, 6), predictors = pick(1, 5), responses = pick(1, 4);
    ExplorerModel m(cells, predictors, responses);
    for (int r = 1; r <= cells; ++r) {
        for (int k = 1; k <= predictors; ++k) {
            const int kind = pick(0, 5);
            m.design.texts(r, k) = kind < 3   ? std::to_wstring(pick(0, 1))
                                   : kind < 5 ? Number(real(-2, 2))
                                              : L"=1/" + std::to_wstring(pick(1, 4));
        }
        m.design.texts(r, predictors + 1) = std::to_wstring(pick(1, 3));
    }
    for (int r = 1; r <= predictors; ++r)
        for (int k = 1; k <= responses; ++k)
            m.means.texts(r, k) = pick(0, 4) ? Number(real(-3, 3)) : L"=2*0.25";

    // Σ = L L' with a random lower triangle L.
    std::vector<std::vector<double>> L(responses, std::vector<double>(responses, 0.0));
    for (int i = 0; i < responses; ++i)
        for (int j = 0; j <= i; ++j) L[i][j] = j == i ? real(0.5, 2) : real(-1, 1);
    std::vector<std::vector<double>> S(responses, std::vector<double>(responses, 0.0));
    for (int i = 0; i < responses; ++i)
        for (int j = 0; j < responses; ++j)
            for (int k = 0; k < responses; ++k) S[i][j] += L[i][k] * L[j][k];
    const bool sdCorr = pick(0, 1) == 1;
    TextArray sigma = m.sigma.texts;
    if (sdCorr) sigma(0, 0) = L"SD and corr";
    for (int i = 0; i < responses; ++i) {
        for (int j = 0; j <= i; ++j) {
            double v = S[i][j];
            if (sdCorr) v = i == j ? std::sqrt(S[i][i]) : S[i][j] / std::sqrt(S[i][i] * S[j][j]);
            sigma(i + 1, j + 1) = sigma(j + 1, i + 1) = Number(v);
        }
    }
    if (responses > 1 && pick(0, 5) == 0) sigma(2, 1) = sigma(1, 2) = L"5";  // none, mostly
    m.sigma.Load(sigma);

    for (ContrastGrid* grid : {&m.predContrasts, &m.varContrasts}) {
        const int added = pick(0, 2);
        for (int i = 0; i < added; ++i) grid->AddContrast();
        const int options = static_cast<int>(grid->normalizeOptions.size());
        for (int r = 1; r < grid->Rows(); ++r) {
            if (grid->HasNoCoefficients(r)) continue;
            for (int k = ContrastGrid::kFirstCoefficient; k < grid->Cols(); ++k)
                grid->texts(r, k) = std::to_wstring(pick(-2, 2));
            grid->normalizeModes[r - 1] = pick(0, options - 1);
            if (grid->IsLabelled(r)) grid->SetUseFlag(r, r == 1 || pick(0, 3) != 0);
        }
        grid->RefreshDerivedColumns();
    }
    return m;
}

bool WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size());
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool make = args.removeAll(QStringLiteral("--make-models")) > 0;
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: explorer_window_results [--make-models] folder\n");
        return 2;
    }
    const QDir folder(args[0]);
    if (make) {
        std::vector<std::pair<QString, ExplorerModel>> models = {{"standard.gmm", {}}};
        // Two responses that are one variable (singular Σ), and a correlation
        // of 2 (no Σ at all).
        const QByteArray three = ReadBytes(folder.filePath("three_groups.gmm"));
        ExplorerModel singular, refused;
        if (singular.Load(three.toStdString()) || refused.Load(three.toStdString())) return 1;
        for (int r = 1; r <= 2; ++r)
            for (int c = 1; c <= 2; ++c) singular.sigma.texts(r, c) = L"1";
        singular.sigma.texts(0, 0) = L"Covariance";
        singular.sigma.Load(singular.sigma.texts);
        refused.sigma.texts(2, 1) = refused.sigma.texts(1, 2) = L"2";
        models.emplace_back(QStringLiteral("singular_sigma.gmm"), singular);
        models.emplace_back(QStringLiteral("refused_sigma.gmm"), refused);
        std::mt19937 rng(20261210);
        for (int i = 1; i <= 8; ++i)
            models.emplace_back(QStringLiteral("random_%1.gmm").arg(i), RandomModel(rng));
        for (const auto& [name, model] : models) {
            std::string bytes;
            if (model.Save(&bytes) || !WriteBytes(folder.filePath(name), bytes)) return 1;
        }
    }
    platform::ScriptedDialogs dialogs;
    QTemporaryDir temp;
    int faults = 0;
    for (const QString& name :
         folder.entryList({QStringLiteral("*.gmm")}, QDir::Files, QDir::Name)) {
        const QString path = folder.filePath(name);
        PowerGLMM model;
        model.SetDimensions(5, 3, 4);
        CGLMMExplorer window;
        window.SetModel(&model);
        if (!window.OnInitDialog()) return 1;
        QString error;
        if (!window.LoadModel(path, &error)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(error));
            return 1;
        }
        const QString saved = temp.filePath(name);
        const bool same = window.SaveModel(saved, &error) && ReadBytes(saved) == ReadBytes(path);
        std::printf("== %s\nsave %s\n", qPrintable(name), same ? "same" : "differs");
        CGLMM_In_General* general = window.GeneralForm();
        for (const DocumentSettings& s : kDocumentSettings) {
            general->SetControlText(CGLMM_In_General::kAlphaEdit,
                                    QString::fromStdWString(s.texts.alpha));
            general->SetControlText(CGLMM_In_General::kPowerEdit,
                                    QString::fromStdWString(s.texts.power));
            general->SetControlText(CGLMM_In_General::kTotalEdit,
                                    QString::fromStdWString(s.texts.totalN));
            general->List(CGLMM_In_General::kAnalysisList)
                ->setCurrentIndex(s.texts.aPriori ? CGLMM_In_General::kAPriori
                                                  : CGLMM_In_General::kPostHoc);
            dialogs.messages.clear();
            window.OnCalculate();
            // What the window computes, and a check that it is what it shows.
            PowerGLMM fresh;
            std::vector<ReportBlock> blocks;
            const auto problem = window.Document().Calculate(fresh, blocks);
            CHTMLEdit markup;
            AppendReport(markup, blocks);
            const QString shown = window.ResultsForm()->Html()->Body();
            const bool warned =
                dialogs.messages.size() == (problem ? 1u : 0u) &&
                (!problem || dialogs.messages[0].text == QString::fromStdWString(problem->message));
            if (shown != markup.Body() || !warned) {
                std::fprintf(stderr, "%s, %s: the window shows something else\n", qPrintable(name),
                             s.name);
                ++faults;
            }
            std::printf("-- %s\n%s", s.name, ReportText(problem, blocks).c_str());
        }
    }
    return faults == 0 ? 0 : 1;
}
