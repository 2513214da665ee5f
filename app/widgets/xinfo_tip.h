#pragma once

#include <QFont>
#include <QHash>
#include <QIcon>
#include <QPainterPath>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

// The balloon tip: a borderless pop-up shaped as a speech balloon whose tail
// points at the mouse cursor. It shows the help text of a registered control
// once the cursor has rested on it for the show delay, and vanishes when the
// cursor moves away or a mouse button is pressed. The owner passes its mouse
// events through RelayEvent.
class CXInfoTip : public QWidget {
  public:
    static constexpr int kShowDelayMs = 500;
    static constexpr int kWatchIntervalMs = 500;
    // Margins of the text inside the balloon and the height of the tail.
    static constexpr int kMarginX = 12;
    static constexpr int kMarginY = 10;
    static constexpr int kTailHeight = 25;

    CXInfoTip();
    ~CXInfoTip() override;

    // Makes the tip a pop-up owned by `parent`'s window, with the default font.
    void Create(QWidget* parent);
    void SetTipFont(const QFont& font);

    void AddTool(QWidget* control, const QString& text, const QIcon& icon = QIcon());
    void RemoveTool(QWidget* control);
    bool HasTool(QWidget* control) const;

    // Feed every mouse event of the owner's controls here: moves arm or hide
    // the tip, button presses hide it.
    void RelayEvent(QObject* watched, QEvent* event);

    // Where the cursor is now, in global coordinates (replaceable in tests).
    void SetCursorSource(std::function<QPoint()> source) { cursorPos_ = std::move(source); }

    // The balloon's outline for the current text and font: a rounded body of
    // w by h and a tail below it; the widget is w by h + kTailHeight.
    QPainterPath BalloonPath(QSize* size) const;
    const QString& CurrentText() const { return text_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Tool {
        QString text;
        QIcon icon;
    };

    void ShowTip();
    void WatchCursor();
    void HideTip();

    QTimer showTimer_;
    QTimer watchTimer_;
    QPoint lastPos_{-1, -1};
    QString text_;
    QIcon icon_;
    QSize iconSize_;
    QFont font_;
    QHash<QWidget*, Tool> tools_;
    std::function<QPoint()> cursorPos_;
};
