#pragma once

#include <QWidget>
#include <vector>

class CFormViewEx;
class PanelHost;
class QSplitter;
class QTextEdit;
namespace platform {
class ScreenScroller;
}

// The slide-out window "Calc effect size" beside the main frame that holds
// the effect-size panels of the current test: a splitter of one column whose
// rows are the panels, one each, below a filler row that stays hidden (the
// window is as tall as its panels, so it has nothing to fill). The frame
// creates it, sizes it and places it; the window keeps itself and the frame
// together in the stacking order.
class CDrawerWnd : public QWidget {
  public:
    static constexpr const char* kTitle = "Calc effect size";
    static constexpr int kMaxPanels = 20;

    // Takes the panels (not yet created) over; at most kMaxPanels of them
    // are kept, the rest are deleted at once. `owner` is the window the
    // drawer stays beside, `host` closes it.
    CDrawerWnd(QWidget* owner, PanelHost* host, std::vector<CFormViewEx*> panels);
    ~CDrawerWnd() override;
    CDrawerWnd(const CDrawerWnd&) = delete;
    CDrawerWnd& operator=(const CDrawerWnd&) = delete;

    // Builds the splitter: the filler row, then every panel as a child of
    // its row, each recording its design size. False when a panel could not
    // be created.
    bool CreateClient();
    // Puts `panel` in place of panel `index` (row index + 1) and deletes the
    // one it replaces; false, deleting `panel`, for an index that holds none.
    bool ReplacePane(int index, CFormViewEx* panel);

    int PanelCount() const { return static_cast<int>(panels_.size()); }
    CFormViewEx* Panel(int index) const;
    const std::vector<CFormViewEx*>& Panels() const { return panels_; }
    // The widest design width and the sum of the design heights.
    int WidestPanel() const;
    int PanelHeights() const;
    // The client height that shows every panel at its design height, with
    // the splitter bars between them.
    int RowsHeight() const;
    // The outer width at which the window manager can show the whole title
    // on the title bar, beside its buttons.
    int TitleWidth() const;
    // The tallest client height the frame allows (the screen's); 0 for none.
    // Rows beyond it scroll.
    void SetHeightLimit(int height) { heightLimit_ = height; }
    QSplitter* Splitter() const { return splitter_; }
    QTextEdit* Filler() const { return filler_; }

    // Makes the window as tall as its rows (within the height limit) and
    // gives every panel its design height; called again after a panel was
    // replaced by one of another height.
    void FitRows();

    // Activates the window and puts the focus on the first field of its
    // panels that takes it from the keyboard.
    void TakeFocus();

  protected:
    void changeEvent(QEvent* event) override;
    // Esc closes the drawer as its "Close" does, and the frame takes the
    // focus back.
    void keyPressEvent(QKeyEvent* event) override;
    // Closing the window by the window manager is the panels' "Close".
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* owner_;
    PanelHost* host_;
    std::vector<CFormViewEx*> panels_;
    QSplitter* splitter_ = nullptr;
    platform::ScreenScroller* scroller_ = nullptr;
    QTextEdit* filler_ = nullptr;
    bool activating_ = false;
    int heightLimit_ = 0;
};
