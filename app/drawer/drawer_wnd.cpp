#include "app/drawer/drawer_wnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QSplitter>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "app/drawer/panel_host.h"
#include "app/widgets/form_view_ex.h"
#include "platform/screen_fit.h"

namespace {

constexpr int kPanelMinimum = 30;
// Room on a title bar beside the title: the window's icon, the buttons a
// window manager may add (minimize, maximize, close) and the padding, in
// title-bar heights.
constexpr int kTitleBarButtons = 6;

}  // namespace

CDrawerWnd::CDrawerWnd(QWidget* owner, PanelHost* host, std::vector<CFormViewEx*> panels)
    // A tool window owned by the frame: it stays above the frame, goes with
    // it and has no button of its own on the task bar.
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      owner_(owner),
      host_(host) {
    setWindowTitle(QString::fromLatin1(kTitle));
    setAttribute(Qt::WA_DeleteOnClose, false);
    for (size_t i = 0; i < panels.size(); ++i) {
        if (i < static_cast<size_t>(kMaxPanels)) {
            panels_.push_back(panels[i]);
        } else {
            delete panels[i];
        }
    }
    filler_ = new QTextEdit;
    filler_->setReadOnly(true);
    filler_->setFocusPolicy(Qt::NoFocus);
}

CDrawerWnd::~CDrawerWnd() {
    // Panels that never got a row are still ours.
    for (CFormViewEx* panel : panels_) {
        if (panel && !panel->parentWidget()) delete panel;
    }
    if (!filler_->parentWidget()) delete filler_;
}

bool CDrawerWnd::CreateClient() {
    if (splitter_ || panels_.empty()) return false;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter_ = new QSplitter(Qt::Vertical);
    splitter_->setChildrenCollapsible(false);
    // On a screen lower than the panels the rows scroll rather than shrink.
    scroller_ = new platform::ScreenScroller(splitter_, this);
    layout->addWidget(scroller_);
    // Kept as the splitter's first row, hidden: a blank pane above the
    // panels only pushed them down.
    splitter_->addWidget(filler_);
    filler_->hide();
    splitter_->setStretchFactor(0, 0);
    for (size_t i = 0; i < panels_.size(); ++i) {
        CFormViewEx* panel = panels_[i];
        if (!panel->Create(splitter_, QPoint(0, 0), kFormBorder | kFormVisible)) return false;
        panel->setMinimumHeight(std::min(kPanelMinimum, panel->GetDesignSize().height()));
        splitter_->addWidget(panel);
        splitter_->setStretchFactor(static_cast<int>(i) + 1, 0);
    }
    return true;
}

bool CDrawerWnd::ReplacePane(int index, CFormViewEx* panel) {
    if (!splitter_ || index < 0 || index >= PanelCount() || !panel) {
        delete panel;
        return false;
    }
    CFormViewEx* old = panels_[index];
    // Made outside the splitter: it takes only a stranger in place of a row.
    if (!panel->Create(this, QPoint(0, 0), kFormBorder | kFormVisible)) {
        delete panel;
        return false;
    }
    panel->setMinimumHeight(std::min(kPanelMinimum, panel->GetDesignSize().height()));
    splitter_->replaceWidget(index + 1, panel);
    splitter_->setStretchFactor(index + 1, 0);
    panels_[index] = panel;
    // The old panel may be the one whose button asked for the swap.
    old->hide();
    old->deleteLater();
    return true;
}

CFormViewEx* CDrawerWnd::Panel(int index) const {
    if (index < 0 || index >= PanelCount()) return nullptr;
    return panels_[index];
}

int CDrawerWnd::WidestPanel() const {
    int widest = 0;
    for (CFormViewEx* panel : panels_) widest = std::max(widest, panel->GetDesignSize().width());
    return widest;
}

int CDrawerWnd::PanelHeights() const {
    int sum = 0;
    for (CFormViewEx* panel : panels_) sum += panel->GetDesignSize().height();
    return sum;
}

int CDrawerWnd::RowsHeight() const {
    // The hidden filler's bar is hidden with it: one bar between panels.
    const int bars = splitter_ ? splitter_->handleWidth() * std::max(0, PanelCount() - 1) : 0;
    return PanelHeights() + bars;
}

int CDrawerWnd::TitleWidth() const {
    QFont bold = QApplication::font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    return metrics.horizontalAdvance(windowTitle()) + kTitleBarButtons * (metrics.height() + 8);
}

void CDrawerWnd::FitRows() {
    if (!splitter_) return;
    int height = RowsHeight();
    splitter_->setMinimumSize(WidestPanel(), height);
    if (heightLimit_ > 0) height = std::min(height, heightLimit_);
    setFixedHeight(std::max(1, height));
    // The splitter's own size follows the window only once the layout ran.
    if (layout()) layout()->activate();
    QList<int> rows;
    rows << 0;
    for (CFormViewEx* panel : panels_) rows << panel->GetDesignSize().height();
    splitter_->setSizes(rows);
}

void CDrawerWnd::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || activating_ || !owner_) return;
    if (!isActiveWindow()) return;
    // The frame comes up directly behind the drawer, without being
    // activated; the guard keeps the two from handing activation back and
    // forth.
    activating_ = true;
    owner_->raise();
    raise();
    activating_ = false;
}

void CDrawerWnd::TakeFocus() {
    activateWindow();
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
            w->isVisibleTo(this)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void CDrawerWnd::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    QWidget* owner = owner_;
    if (host_) host_->CloseEffectSizeDrawer();
    if (owner) owner->activateWindow();
}

void CDrawerWnd::closeEvent(QCloseEvent* event) {
    // The frame saves the panel's inputs and destroys the window itself.
    event->ignore();
    if (host_) host_->CloseEffectSizeDrawer();
}
