// The main frame's control of the effect-size drawer and the services that
// the drawer's panels use to read and write the main window.

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLayout>
#include <QMoveEvent>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <cmath>

#include "app/drawer/drawer_placement.h"
#include "app/drawer/drawer_wnd.h"
#include "app/frame/main_frame.h"
#include "app/panels/effect_size_panel.h"
#include "app/panels/panel_registry.h"
#include "app/widgets/form_view_ex.h"
#include "platform/environment.h"
#include "platform/screen_fit.h"
#include "platform/sound.h"

namespace {

constexpr int kInitialWidth = 200;
constexpr int kExtraWidth = 12;
constexpr int kSlideInMs = 240;
constexpr int kSlideOutMs = 200;

// Reveals (or, with `hiding`, covers) the window from its left edge over
// `ms` milliseconds by growing or shrinking its visible part; the events keep
// flowing meanwhile.
void Slide(QPointer<QWidget> window, int ms, bool hiding) {
    QElapsedTimer clock;
    clock.start();
    const QSize size = window->size();
    for (;;) {
        const double t = std::min(1.0, clock.elapsed() / static_cast<double>(ms));
        const double shown = hiding ? 1.0 - t : t;
        const int width = std::max(1, static_cast<int>(std::lround(shown * size.width())));
        window->setMask(QRegion(0, 0, width, size.height()));
        platform::PumpMessages();
        if (!window) return;  // closed meanwhile
        if (t >= 1.0) break;
        platform::SleepMilliseconds(10);
    }
    window->clearMask();
}

// A value for a whole-number input: truncated toward zero and held within
// the 32-bit range of the inputs; false for NaN.
bool WholeValue(double value, long* out) {
    if (std::isnan(value)) return false;
    const double t = std::trunc(std::clamp(value, -2147483648.0, 2147483647.0));
    *out = static_cast<long>(t);
    return true;
}

}  // namespace

void CMainFrame::SetDrawerAnimation(bool onOpen, bool onClose) {
    animateDrawerOpen_ = onOpen;
    animateDrawerClose_ = onClose;
}

void CMainFrame::CreateEffectSizePanels(int panelTestId) {
    OpenEffectSizePanels(panelTestId, false);
}

void CMainFrame::OpenEffectSizePanels(int panelTestId, bool takeFocus) {
    // A calculation owns the input list that the panels read and write.
    if (busy_ || drawer_) return;
    std::vector<CFormViewEx*> panels =
        panelFactory_ ? panelFactory_(panelTestId) : EffectSizePanelTable(panelTestId, this);
    if (panels.empty()) return;
    OpenEffectSizeDrawer(std::move(panels), panelTestId);
    // The set-ups copy from the main window into inputs that are restored or
    // defaulted by now.
    if (!drawer_) return;
    if (takeFocus) drawer_->TakeFocus();
    TypedTextKeeper typed(drawer_->Panels());
    for (CFormViewEx* panel : drawer_->Panels()) {
        if (auto* effectPanel = dynamic_cast<CEffectSizePanel*>(panel))
            effectPanel->SetUpAfterOpening(panelTestId);
    }
    if (drawer_) typed.PutBack();
}

void CMainFrame::OpenEffectSizeDrawer(std::vector<CFormViewEx*> panels, int testId) {
    if (drawer_ || busy_ || panels.empty()) {
        for (CFormViewEx* panel : panels) delete panel;
        return;
    }
    auto* drawer = new CDrawerWnd(this, this, std::move(panels));
    if (!drawer->CreateClient()) {
        delete drawer;
        return;
    }
    // Known before the inputs are restored: a selector that restores another
    // procedure replaces its panel in this drawer.
    drawer_ = drawer;
    drawerTestId_ = testId;
    // A selector learns its procedure's panel (the array ends with null).
    std::vector<CFormViewEx*> attached = drawer->Panels();
    attached.push_back(nullptr);
    drawer->Panel(0)->AttachPanels(attached.data());
    if (testId >= 0) {
        bool created = false;
        PropertyList* store = inputStores_.FindOrCreate(testId, &created);
        for (CFormViewEx* panel : drawer->Panels()) panel->SetValueStore(store);
        // The first opening keeps the panel's defaults, a later one shows
        // what the panel held when it was last closed.
        if (created) {
            drawer->Panel(0)->SaveInputs(store);
        } else {
            drawer->Panel(0)->RestoreInputs(store);
        }
    }
    drawer_->setFixedSize(kInitialWidth, std::max(1, drawer_->RowsHeight()));
    FitEffectSizeDrawer(true);
    platform::PlaySoundFile(QDir(programFolder_).filePath(QStringLiteral("minimieren.wav")));
    if (animateDrawerOpen_) {
        drawer_->setMask(QRegion(0, 0, 1, 1));
        drawer_->show();
        Slide(drawer_, kSlideInMs, false);
    } else {
        drawer_->show();
    }
    // Shown windows learn their decoration only now.
    FitEffectSizeDrawer(true);
    raise();
    if (drawer_) drawer_->raise();
}

void CMainFrame::DetermineEffectSize(int panelTestId) {
    // Opened from the keyboard, the drawer must be reachable from it: the
    // focus goes to its first field, or to the field a set-up reports (a
    // reopening for another test leaves the focus where the user is).
    if (drawer_) {
        drawer_->TakeFocus();
        return;
    }
    OpenEffectSizePanels(panelTestId, true);
}

void CMainFrame::CloseEffectSizeDrawer() {
    if (!drawer_) return;
    CDrawerWnd* drawer = drawer_;
    // Cleared first: nothing reached from here may find a half-closed drawer.
    drawer_ = nullptr;
    if (PropertyList* store = inputStores_.Find(drawerTestId_)) {
        if (CFormViewEx* first = drawer->Panel(0)) first->SaveInputs(store);
    }
    drawerTestId_ = -1;
    platform::PlaySoundFile(QDir(programFolder_).filePath(QStringLiteral("minimieren.wav")));
    if (animateDrawerClose_ && drawer->isVisible()) Slide(drawer, kSlideOutMs, true);
    drawer->hide();
    // The frame goes back to where it stood before it moved aside for the
    // drawer, unless the user has put it elsewhere since.
    if (frameMovedForDrawer_) {
        const auto [before, movedTo] = *frameMovedForDrawer_;
        frameMovedForDrawer_.reset();
        if (frameGeometry().topLeft() == movedTo)
            move(platform::FitInside(QRect(before, frameGeometry().size()),
                                     platform::AvailableArea(this))
                     .topLeft());
    }
    // A panel's own "Close" button may be what called: the window goes once
    // that click has been handled.
    drawer->deleteLater();
}

CFormViewEx* CMainFrame::ReplaceDrawerPane(int index, CFormViewEx* view) {
    if (!drawer_) {
        delete view;
        return nullptr;
    }
    if (!drawer_->ReplacePane(index, view)) return nullptr;
    if (PropertyList* store = inputStores_.Find(drawerTestId_)) view->SetValueStore(store);
    FitEffectSizeDrawer(true);
    return view;
}

void CMainFrame::FitEffectSizeDrawer(bool mayMoveFrame) {
    if (!drawer_) return;
    const QRect frameRect = frameGeometry();
    const QRect drawerRect = drawer_->frameGeometry();
    // The window manager's decoration around the drawer's client area.
    const QSize decoration = drawerRect.size() - drawer_->size();
    const QScreen* holder = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect area =
        holder ? holder->availableGeometry() : QRect(frameRect.topLeft(), QSize(1 << 20, 1 << 20));
    // As tall as its panels, unless the screen is lower than that: then the
    // panels scroll beside a scroll bar.
    const QSize room = (area.size() - decoration).expandedTo(QSize(1, 1));
    const int bar =
        drawer_->RowsHeight() > room.height()
            ? drawer_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, drawer_)
            : 0;
    const int widest = drawer_->WidestPanel() + bar;
    // A drawer narrower than its title would show the title cut.
    const int outerWidth = std::max(widest + kExtraWidth, drawer_->TitleWidth());
    const int clientWidth =
        std::min(std::max(widest, outerWidth - decoration.width()), room.width());
    drawer_->SetHeightLimit(room.height());
    const int clientHeight = std::max(1, std::min(drawer_->RowsHeight(), room.height()));
    if (QLayout* layout = drawer_->layout()) {
        const int margin = std::max(0, (clientWidth - widest) / 2);
        layout->setContentsMargins(margin, 0, std::max(0, clientWidth - widest - margin), 0);
    }
    // A dialog frame: the user does not size the drawer.
    drawer_->setFixedSize(clientWidth, clientHeight);
    const DrawerPlacement placement = PlaceDrawer(
        frameRect, QSize(clientWidth, clientHeight) + decoration, area, drawerInset_, mayMoveFrame);
    if (placement.frame != frameRect.topLeft()) {
        // A frame that moves again for the same drawer still goes back to
        // where it stood before the drawer opened.
        const QPoint before =
            frameMovedForDrawer_ && frameMovedForDrawer_->second == frameRect.topLeft()
                ? frameMovedForDrawer_->first
                : frameRect.topLeft();
        // The move event that follows finds the drawer in place already.
        movingForDrawer_ = true;
        move(placement.frame);
        movingForDrawer_ = false;
        frameMovedForDrawer_.emplace(before, frameGeometry().topLeft());
    }
    drawer_->move(placement.drawer);
    drawer_->FitRows();
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    // Where the user moved the window, it stays; the drawer follows it.
    if (!movingForDrawer_) FitEffectSizeDrawer(false);
}

PropertyList* CMainFrame::GetCurrentInputStore() {
    // While the drawer is open its panels work on the store it opened with.
    if (drawer_) return inputStores_.Find(drawerTestId_);
    // The test belongs to a running calculation.
    if (busy_ || !currentTest_) return nullptr;
    return inputStores_.Find(currentTest_->GetTestId());
}

void CMainFrame::SetParameterValue(std::string label, double value) {
    // A running calculation owns the input list and writes it back to the
    // form when it ends.
    if (busy_) return;
    // What the user typed into the other inputs survives the rewrite below.
    GetInputsFromForm(&inputs_);
    if (Property* input = inputs_.Find(label)) {
        long whole = 0;
        switch (input->GetType()) {
            case Property::kLong:
                if (WholeValue(value, &whole)) static_cast<PropertyLong*>(input)->SetValue(whole);
                break;
            case Property::kSelection:
                if (WholeValue(value, &whole))
                    static_cast<PropertySelection*>(input)->SetIndex(static_cast<int>(whole));
                break;
            case Property::kDouble:
            case Property::kExDouble:
                static_cast<PropertyDouble*>(input)->SetValue(value);
                break;
            default:
                break;
        }
    }
    SetInputsOnForm(&inputs_);
}

void CMainFrame::SetEffectSize(double value) {
    if (busy_) return;
    SetEffectSizeOnForm(value);
}
