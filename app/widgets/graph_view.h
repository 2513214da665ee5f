#pragma once

#include <QImage>
#include <QRectF>
#include <QString>
#include <QWidget>

class LabelFontSource;
class QPainter;

// Base of the two graph windows (the distribution plot and the X-Y plot).
// It draws nothing itself: every paint, copy, save and print hands a painter
// and a rectangle in points to DrawGraph of the derived view. The picture
// leaves the program as an enhanced metafile (clipboard or file) or on one
// printed page.
class CGraphView : public QWidget {
  public:
    // `frame` may be null: the view then looks for the program's main window
    // when it paints, and paints nothing while there is none.
    explicit CGraphView(LabelFontSource* fonts, QWidget* parent = nullptr);
    ~CGraphView() override;

    // Draws the whole picture into `rect` (x, y, width, height in points)
    // on a painter already set up by the caller. Does nothing here.
    virtual void DrawGraph(QPainter* g, const QRectF& rect);

    // Records the picture, framed by a thin black rectangle, as a metafile
    // of the view's client size and puts it on the clipboard. False, after
    // telling the user, when it could not be recorded.
    bool CopyToClipboard();
    // Asks for a file name and writes the same picture there. False when
    // the dialog was cancelled or the file could not be written (the user
    // is told).
    bool SaveAsEmf();
    // Prints the picture on one page, 20 mm from the left and top edges,
    // as wide as the page less 40 mm, with the view's aspect ratio. False
    // when the dialog was cancelled or printing failed (the user is told).
    bool Print();

    // The main window, found again when it was not known yet.
    // The holder of the label fonts: the one given, else the top-level
    // window that holds them.
    LabelFontSource* FontSource();

    // The metafile of the picture as Copy and Save write it; empty when it
    // could not be recorded (`error` says why).
    QByteArray RecordPicture(QString* error);
    // The same picture as an image of the view's size in pixels.
    QImage RenderPicture();

    // Set-up applied before every DrawGraph: smooth drawing, and one scale so
    // that the derived view draws in points on a device of `dpi` dots per inch.
    static void PrepareGraphics(QPainter* g, double dpi);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // The rectangle in points that covers the client area at `dpi`.
    QRectF PictureRect(double dpi) const;
    void Report(const QString& text, const QString& caption);

    LabelFontSource* fontSource_;
};

// Texts of the picture commands.
namespace graph_view_texts {
inline constexpr const char* kSaveTitle = "Name of the enhanced meta file";
inline constexpr const char* kPrintDocument = "GdiplusPrint";
}  // namespace graph_view_texts
