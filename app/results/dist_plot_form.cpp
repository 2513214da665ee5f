#include "app/results/dist_plot_form.h"

#include <QTabBar>

#include "analysis/power_analysis.h"
#include "app/forms/form_tables.h"
#include "app/results/dist_graph_view.h"
#include "app/results/protocol_view.h"
#include "app/results/result_commands.h"
#include "app/results/result_host.h"

namespace {

platform::DialogTemplate DistPlotFormTable() {
    platform::DialogTemplate t;
    t.id = 136;
    t.width = 345;
    t.height = 170;
    auto add = [&t](int id, platform::ControlKind kind, const char* caption,
                    platform::DialogRect rect) {
        platform::ControlSpec spec;
        spec.id = id;
        spec.kind = kind;
        spec.caption = caption;
        spec.rect = rect;
        t.controls.push_back(spec);
    };
    add(platform::kNoControlId, platform::ControlKind::GroupBox,
        "Central and noncentral distribution of test statistic", {4, 2, 337, 165});
    add(1002, platform::ControlKind::Area, "", {10, 14, 325, 133});
    add(1039, platform::ControlKind::PushButton, "", {290, 150, 45, 13});
    return t;
}

}  // namespace

CDistPlotForm::CDistPlotForm() : CFormViewEx(DistPlotFormTable()) {}

CDistPlotCompForm::CDistPlotCompForm(ResultHost* host)
    : CFormViewEx(form_tables::ResultTabsForm()), host_(host) {}

CDistPlotCompForm::~CDistPlotCompForm() = default;

CProtocolView* CDistPlotCompForm::CreateProtocolView(QWidget* area) {
    auto* view = new CProtocolView;
    view->Create(area, QPoint(0, 0), kFormVisible);
    return view;
}

CProtocolView* CDistPlotCompForm::Protocol() const {
    // Making the view changes what the pane holds, not what it shows.
    return protocol_ || !graph_ ? protocol_ : const_cast<CDistPlotCompForm*>(this)->MakeProtocol();
}

CProtocolView* CDistPlotCompForm::MakeProtocol() {
    protocol_ = CreateProtocolView(Control(kArea));
    protocol_->setGeometry(viewRect_);
    protocol_->stackUnder(graph_);
    protocol_->setVisible(!graphShown_);
    return protocol_;
}

void CDistPlotCompForm::AddProtocolEntry(const ProtocolRecord& record) {
    CProtocolView* protocol = Protocol();
    if (!protocol) return;
    protocol->AddRecord(record);
    if (!graphShown_) protocol->update();
}

void CDistPlotCompForm::OnInitialUpdate() {
    auto* tabs = qobject_cast<QTabBar*>(Control(kTabs));
    QWidget* area = Control(kArea);
    if (!tabs || !area) return;
    if (tabs->count() == 0) {
        tabs->addTab(QStringLiteral("Central and noncentral distributions"));
        tabs->addTab(QStringLiteral("Protocol of power analyses"));
    }
    // Both views take the area's rectangle as it is now; they do not follow
    // later size changes of the pane.
    viewRect_ = area->rect();
    graph_ = new CDistGraphView(host_, area);
    graph_->setGeometry(viewRect_);
    ShowCurrentTab();
}

void CDistPlotCompForm::ShowCurrentTab() {
    if (!graph_) return;
    graph_->setVisible(graphShown_);
    if (graphShown_) {
        if (protocol_) protocol_->hide();
        graph_->update();
    } else {
        Protocol()->show();
        protocol_->update();
    }
}

void CDistPlotCompForm::OnTabChange() {
    graphShown_ = !graphShown_;
    ShowCurrentTab();
}

void CDistPlotCompForm::OnControlEvent(int id, platform::ControlEvent event) {
    if (id != kTabs || event != platform::ControlEvent::SelectionChanged) return;
    auto* tabs = qobject_cast<QTabBar*>(Control(kTabs));
    // The tab bar is the truth: a toggle that missed a change would swap
    // the views against their tabs.
    const bool graph = !tabs || tabs->currentIndex() == 0;
    if (graph != graphShown_) OnTabChange();
}

PlotData* CDistPlotCompForm::GraphData() {
    return graph_ ? &graph_->Data() : nullptr;
}

void CDistPlotCompForm::RedrawPlot() {
    if (!graph_) return;
    // The record just arrived for the current test.
    const PowerAnalysis* test = host_ ? host_->CurrentTest() : nullptr;
    graph_->TakeNewPlot(test ? test->oneTailed : true);
    if (graphShown_) graph_->update();
}

void CDistPlotCompForm::SetPlotFailed(bool failed) {
    if (graph_) graph_->SetFailed(failed);
}

bool CDistPlotCompForm::HandleCommand(int id) {
    using namespace command_ids;
    if (id == kSaveProtocol || id == kPrintProtocol || id == kClearProtocol) {
        if (!protocol_ || graphShown_) return true;
        if (id == kSaveProtocol) protocol_->OnSave();
        if (id == kPrintProtocol) protocol_->OnPrint();
        if (id == kClearProtocol) protocol_->OnClear();
        return true;
    }
    if (id != kCopyDistributionsPlot && id != kSaveDistributionsPlot &&
        id != kPrintDistributionsPlot)
        return false;
    if (!graph_ || !graphShown_ || !graph_->ShowsPlot()) return true;
    if (id == kCopyDistributionsPlot) graph_->CopyToClipboard();
    if (id == kSaveDistributionsPlot) graph_->SaveAsEmf();
    if (id == kPrintDistributionsPlot) graph_->Print();
    return true;
}

bool CDistPlotCompForm::QueryCommand(int id, platform::CommandState* state) {
    using namespace command_ids;
    if (id == kSaveProtocol || id == kPrintProtocol || id == kClearProtocol) {
        state->enabled = protocol_ && !graphShown_;
        return true;
    }
    if (id != kCopyDistributionsPlot && id != kSaveDistributionsPlot &&
        id != kPrintDistributionsPlot)
        return false;
    state->enabled = graph_ && graphShown_ && graph_->ShowsPlot();
    return true;
}
