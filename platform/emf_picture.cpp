#include "platform/emf_picture.h"

#include <uemf.h>

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <cmath>
#include <vector>

namespace platform {

namespace {

// Coordinates are written in sixteenths of a pixel: the metafile's logical
// units are integers, and whole pixels would make thin curves jagged.
constexpr int kSubPixels = 16;

U_POINTL Logical(QPointF p) {
    return point32_set(static_cast<int32_t>(std::lround(p.x() * kSubPixels)),
                       static_cast<int32_t>(std::lround(p.y() * kSubPixels)));
}

U_RECTL LogicalBounds(const QRectF& r) {
    return rectl_set(Logical(r.topLeft()), Logical(r.bottomRight()));
}

}  // namespace

// Records what a QPainter paints as metafile records through libUEMF. The
// painter's transform and clip are applied here, so every record carries
// device coordinates and the file needs no world transform or clip region.
class EmfEngine : public QPaintEngine {
  public:
    explicit EmfEngine(EmfPicture* picture)
        : QPaintEngine(QPaintEngine::AllFeatures), picture_(picture) {}
    ~EmfEngine() override { Discard(); }

    bool begin(QPaintDevice*) override {
        Discard();
        picture_->error_.clear();
        // The library writes the finished file itself; the bytes are taken
        // from its buffer instead, so its own file goes nowhere.
        if (emf_start("/dev/null", 64 * 1024, 64 * 1024, &track_) != 0 ||
            emf_htable_create(128, 128, &handles_) != 0) {
            Fail(QStringLiteral("the metafile could not be started"));
            return false;
        }
        const int w = picture_->pixels_.width();
        const int h = picture_->pixels_.height();
        const double mmPerPixel = 25.4 / picture_->dpi_;
        // Bounds in device pixels (inclusive), frame in hundredths of a
        // millimetre: both the whole picture.
        const U_RECTL bounds = rectl_set(point32_set(0, 0), point32_set(w - 1, h - 1));
        const U_RECTL frame =
            rectl_set(point32_set(0, 0),
                      point32_set(static_cast<int32_t>(std::lround(w * mmPerPixel * 100)),
                                  static_cast<int32_t>(std::lround(h * mmPerPixel * 100))));
        const U_SIZEL device = sizel_set(w, h);
        const U_SIZEL millimetres = sizel_set(static_cast<int32_t>(std::lround(w * mmPerPixel)),
                                              static_cast<int32_t>(std::lround(h * mmPerPixel)));
        Append(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, device, millimetres, 0));
        Append(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        Append(U_EMRSETWINDOWEXTEX_set(sizel_set(w * kSubPixels, h * kSubPixels)));
        Append(U_EMRSETVIEWPORTEXTEX_set(sizel_set(w, h)));
        Append(U_EMRSETBKMODE_set(U_TRANSPARENT));
        Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
        return ok_;
    }

    bool end() override {
        if (!track_) return false;
        if (brush_) {
            Append(U_EMRSELECTOBJECT_set(U_NULL_BRUSH));
            Append(deleteobject_set(&brush_, handles_));
        }
        Append(U_EMREOF_set(0, nullptr, track_));
        if (ok_ && emf_finish(track_, handles_) != 0)
            Fail(QStringLiteral("the metafile could not be finished"));
        if (ok_) picture_->bytes_ = QByteArray(track_->buf, static_cast<qsizetype>(track_->used));
        Discard();
        return ok_;
    }

    void updateState(const QPaintEngineState&) override {}

    void drawPath(const QPainterPath& path) override {
        QPainter* p = painter();
        if (p->brush().style() != Qt::NoBrush) {
            QPainterPath device = p->combinedTransform().map(path);
            device.setFillRule(path.fillRule());
            Fill(device, p->brush().color());
        }
        if (p->pen().style() != Qt::NoPen) Stroke(path);
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        if (count < 2) return;
        QPainterPath path;
        path.moveTo(points[0]);
        for (int i = 1; i < count; ++i) path.lineTo(points[i]);
        if (mode == PolylineMode) {
            if (painter()->pen().style() != Qt::NoPen) Stroke(path);
            return;
        }
        path.closeSubpath();
        path.setFillRule(mode == OddEvenMode ? Qt::OddEvenFill : Qt::WindingFill);
        drawPath(path);
    }

    // Pictures drawn by the program hold no images.
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}

    Type type() const override { return QPaintEngine::User; }

  private:
    void Append(char* record) {
        if (!record) {
            Fail(QStringLiteral("a metafile record could not be made"));
            return;
        }
        if (!track_ || emf_append(reinterpret_cast<U_ENHMETARECORD*>(record), track_, 1) != 0) {
            Fail(QStringLiteral("a metafile record could not be stored"));
        }
    }

    void Fail(const QString& why) {
        if (ok_) picture_->error_ = why;
        ok_ = false;
    }

    void Discard() {
        if (track_) emf_free(&track_);
        if (handles_) emf_htable_free(&handles_);
        track_ = nullptr;
        handles_ = nullptr;
        brush_ = 0;
        brushColour_ = QColor();
        ok_ = true;
    }

    // The pen's outline as a filled shape: dashes, caps and joins come out
    // exactly as Qt draws them. A cosmetic pen keeps its width in pixels.
    void Stroke(const QPainterPath& path) {
        QPainter* p = painter();
        const QPen pen = p->pen();
        QPainterPathStroker stroker(pen);
        stroker.setDashOffset(pen.dashOffset());
        QPainterPath outline;
        if (pen.isCosmetic() || pen.widthF() == 0) {
            stroker.setWidth(pen.widthF() > 0 ? pen.widthF() : 1.0);
            outline = stroker.createStroke(p->combinedTransform().map(path));
        } else {
            outline = p->combinedTransform().map(stroker.createStroke(path));
        }
        outline.setFillRule(Qt::WindingFill);
        Fill(outline, pen.color());
    }

    void Fill(QPainterPath device, const QColor& colour) {
        if (!track_ || colour.alpha() == 0) return;
        QPainter* p = painter();
        if (p->hasClipping()) {
            const QPainterPath clip = p->combinedTransform().map(p->clipPath());
            device = device.intersected(clip);
        }
        if (device.isEmpty()) return;
        SelectBrush(colour);
        Append(U_EMRSETPOLYFILLMODE_set(device.fillRule() == Qt::OddEvenFill ? U_ALTERNATE
                                                                             : U_WINDING));
        Append(U_EMRBEGINPATH_set());
        const U_RECTL bounds = LogicalBounds(device.boundingRect());
        std::vector<U_POINTL> run;
        bool curves = false;
        auto flush = [&] {
            if (run.empty()) return;
            Append(
                curves
                    ? U_EMRPOLYBEZIERTO_set(bounds, static_cast<uint32_t>(run.size()), run.data())
                    : U_EMRPOLYLINETO_set(bounds, static_cast<uint32_t>(run.size()), run.data()));
            run.clear();
        };
        for (int i = 0; i < device.elementCount(); ++i) {
            const QPainterPath::Element e = device.elementAt(i);
            switch (e.type) {
                case QPainterPath::MoveToElement:
                    flush();
                    Append(U_EMRMOVETOEX_set(Logical(e)));
                    break;
                case QPainterPath::LineToElement:
                    if (curves) flush();
                    curves = false;
                    run.push_back(Logical(e));
                    break;
                case QPainterPath::CurveToElement:
                    if (!curves) flush();
                    curves = true;
                    run.push_back(Logical(e));
                    break;
                case QPainterPath::CurveToDataElement:
                    run.push_back(Logical(e));
                    break;
            }
        }
        flush();
        Append(U_EMRENDPATH_set());
        Append(U_EMRFILLPATH_set(bounds));
    }

    // Metafiles have no transparency: a colour is written without its alpha.
    void SelectBrush(const QColor& colour) {
        const QColor opaque = colour.toRgb();
        if (brush_ && opaque.rgb() == brushColour_.rgb()) return;
        uint32_t fresh = 0;
        Append(
            createbrushindirect_set(&fresh, handles_,
                                    logbrush_set(U_BS_SOLID,
                                                 colorref3_set(static_cast<uint8_t>(opaque.red()),
                                                               static_cast<uint8_t>(opaque.green()),
                                                               static_cast<uint8_t>(opaque.blue())),
                                                 0)));
        Append(selectobject_set(fresh, handles_));
        if (brush_) Append(deleteobject_set(&brush_, handles_));
        brush_ = fresh;
        brushColour_ = opaque;
    }

    EmfPicture* picture_;
    EMFTRACK* track_ = nullptr;
    EMFHANDLES* handles_ = nullptr;
    uint32_t brush_ = 0;
    QColor brushColour_;
    bool ok_ = true;
};

EmfPicture::EmfPicture(QSize pixels, double dpi)
    : pixels_(pixels.expandedTo(QSize(1, 1))),
      dpi_(dpi > 0 ? dpi : 96.0),
      engine_(std::make_unique<EmfEngine>(this)) {}

EmfPicture::~EmfPicture() = default;

QPaintEngine* EmfPicture::paintEngine() const {
    return engine_.get();
}

QByteArray EmfPicture::Bytes() {
    return bytes_;
}

int EmfPicture::metric(PaintDeviceMetric metric) const {
    switch (metric) {
        case PdmWidth:
            return pixels_.width();
        case PdmHeight:
            return pixels_.height();
        case PdmWidthMM:
            return static_cast<int>(std::lround(pixels_.width() * 25.4 / dpi_));
        case PdmHeightMM:
            return static_cast<int>(std::lround(pixels_.height() * 25.4 / dpi_));
        case PdmNumColors:
            return 0x7fffffff;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return static_cast<int>(std::lround(dpi_));
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 0;
    }
}

void PutEmfOnClipboard(const QByteArray& bytes) {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(EmfPicture::kMimeType), bytes);
    QGuiApplication::clipboard()->setMimeData(data);
}

void PutPictureOnClipboard(const QByteArray& emf, const QImage& image) {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(EmfPicture::kMimeType), emf);
    QByteArray png;
    QBuffer buffer(&png);
    if (buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG"))
        data->setData(QStringLiteral("image/png"), png);
    QGuiApplication::clipboard()->setMimeData(data);
}

}  // namespace platform
