#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QFont>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

// A small borderless pop-up laid over a cell whose text does not fit, showing
// the whole text. Clicks and keys pass through it to the window under it, and
// it hides as soon as the mouse leaves the cell.
class CTitleTip : public QWidget {
  public:
    CTitleTip();
    ~CTitleTip() override;

    // Makes `parent` (the grid) the window the tip serves; true when created.
    virtual bool Create(QWidget* parent);
    // `titleRect` and `hoverRect` are cell rectangles (right and bottom the
    // last pixels) in the parent's coordinates; invalid colours mean the
    // system's tip colours, a null font the parent's font. Shows the tip only
    // when the text does not fit in the title rectangle.
    void Show(const QRect& titleRect, const QString& text, int xOffset = 0,
              const QRect* hoverRect = nullptr, const QFont* font = nullptr,
              const QColor& textClr = QColor(), const QColor& backClr = QColor());
    void Hide();

    // The text shown (with its blank on either side) and the hover area in
    // global coordinates (classic, right and bottom exclusive).
    QString ShownText() const { return shown_; }
    QRect HoverRect() const { return hoverRect_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The window under `global` other than the tip, else the parent.
    QWidget* TargetAt(QPoint global) const;
    void ForwardPress(QMouseEvent* event);

    QPointer<QWidget> parent_;
    QRect titleRect_;
    QRect hoverRect_;
    qint64 lastLButtonDown_ = -1;
    int dblClickTime_ = 0;
    bool created_ = false;
    QString shown_;
    QFont font_;
    QColor textClr_;
    QColor backClr_;
    QElapsedTimer clock_;
    QPointer<QWidget> pressTarget_;  // receives the release of a forwarded press
};
