#include "app/frame/diagnostic_dump.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <chrono>
#include <iomanip>
#include <iostream>
#include <random>
#include <sstream>

#include "app/frame/main_frame.h"
#include "numerics/cephes.h"
#include "numerics/incomplete_beta.h"
#include "numerics/special_functions.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "power/multivariate/power_mult_criterion.h"

bool WriteLogGammaTable(const QString& path, int lines, std::string* error) {
    std::ostringstream text;
    text << std::setprecision(20);
    // A fixed sequence, so that two dumps compare line by line.
    std::minstd_rand generator(1);
    std::uniform_int_distribution<int> draw(1, 32767);
    for (int i = 0; i < lines; ++i) {
        const double x = draw(generator) / 32767.0 * 13413.0;
        text << x << ' ' << LogGamma(x) << ' ' << LogGammaAlngam(x) << ' ' << cephes::lgam(x)
             << '\n';
    }
    const std::string bytes = text.str();
    QString problem;
    if (!platform::SaveFileAtomically(
            path, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), &problem)) {
        *error = problem.toStdString();
        return false;
    }
    return true;
}

void WriteCriterionDiagnostics(std::ostream& out) {
    constexpr int p = 3, q = 2, groups = 2;
    constexpr double n = 16, criterion = 0.359;
    PowerMultWilksMP wilks;
    const double fromCriterion = wilks.SetFromCriterion(criterion, n, groups, p, q);
    out << "\ndf1 = " << wilks.df1 << "\ndf2 = " << wilks.df2 << "\nf2  = " << wilks.f2
        << "\nnc  = " << fromCriterion;
    const double fromEffect = wilks.SetFromEffect(wilks.f, n, groups, p, q);
    out << "\ndf1 = " << wilks.df1 << "\ndf2 = " << wilks.df2 << "\nf2  = " << wilks.f2
        << "\ncrit= " << wilks.criterionValue << '\n';
    wilks.EffectFromNoncentrality(fromEffect, n, groups, p, q);
    wilks.SampleSizeFromNoncentrality(wilks.f, fromEffect, groups, p, q);
}

QString DiagnosticDumpFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    QDir().mkpath(folder);
    return folder;
}

namespace {

// How long 100,001 calls of each log-gamma routine take; only for a look
// in a debugger, nothing is written.
struct DumpTimings {
    double milliseconds[3] = {0, 0, 0};
    double sink = 0;
};

DumpTimings TimeLogGammaRoutines() {
    DumpTimings t;
    double (*const routines[3])(double) = {&LogGamma, &LogGammaAlngam, &cephes::lgam};
    for (int r = 0; r < 3; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i <= 100000; ++i) t.sink += routines[r](1.0 + i * 0.01);
        t.milliseconds[r] =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
    }
    return t;
}

}  // namespace

void CMainFrame::OnDiagnosticDump() {
    QApplication::beep();
    [[maybe_unused]] volatile double sink = TimeLogGammaRoutines().sink;

    // The table goes where the user says, never silently over a file of the
    // working folder: the dialog opens in the program's data folder and asks
    // before it replaces a file.
    platform::FileDialogRequest request;
    request.title = QStringLiteral("Name of the diagnostic table");
    request.folder = DiagnosticDumpFolder();
    request.fileName = QStringLiteral("test.dat");
    request.filter = QStringLiteral("dat (*.dat);;all (*.*)");
    request.defaultSuffix = QStringLiteral("dat");
    const std::optional<QString> path = platform::FileDialogs().SaveFileName(this, request);
    if (!path || path->isEmpty()) return;
    std::string error;
    if (!WriteLogGammaTable(*path, 1000, &error)) {
        platform::ShowMessage(
            this,
            QStringLiteral("The diagnostic table could not be written to\n%1\n(%2)")
                .arg(QDir::toNativeSeparators(*path), QString::fromStdString(error)),
            QString::fromLatin1(kTitle), platform::MessageIcon::Error);
        return;
    }
    WriteCriterionDiagnostics(std::cerr);
}
