#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>
#include <QString>
#include <memory>

class QWidget;

class QImage;

namespace platform {

// A picture recorded as an enhanced metafile: paint on it with QPainter like
// on any widget, then take the file's bytes. Its frame is `pixels` at `dpi`
// dots per inch. Every filled or stroked shape is written as a filled path
// (text as its glyph outlines), so that any viewer shows exactly the shapes
// painted here without needing our fonts or our pen styles; images are not
// recorded.
class EmfPicture : public QPaintDevice {
  public:
    static constexpr const char* kMimeType = "image/x-emf";

    EmfPicture(QSize pixels, double dpi);
    ~EmfPicture() override;
    EmfPicture(const EmfPicture&) = delete;
    EmfPicture& operator=(const EmfPicture&) = delete;

    // The metafile, once the painter has ended; empty when recording failed
    // (Error says why).
    QByteArray Bytes();
    QString Error() const { return error_; }

    QPaintEngine* paintEngine() const override;

  protected:
    int metric(PaintDeviceMetric metric) const override;

  private:
    friend class EmfEngine;
    QSize pixels_;
    double dpi_;
    QString error_;
    QByteArray bytes_;
    std::unique_ptr<class EmfEngine> engine_;
};

// Puts a metafile on the clipboard under its MIME type.
void PutEmfOnClipboard(const QByteArray& bytes);
// Puts a picture on the clipboard twice: as a metafile, and as a PNG image
// ("image/png"), which the programs of a Linux desktop can paste.
void PutPictureOnClipboard(const QByteArray& emf, const QImage& image);

}  // namespace platform
