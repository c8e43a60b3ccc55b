#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QTransform>

#include <vector>

// A paint device that keeps what was drawn on it instead of pixels: each text
// with where its baseline started and in which colour, each image with its
// target, source and composition.
class RecordingEngine final : public QPaintEngine {
public:
    struct Text {
        QPointF origin;
        QColor color;
        QString text;
        QTransform transform;
    };
    struct Image {
        QRect target;
        QRect source;
        QPainter::CompositionMode mode;
        QRect clip;
    };

    RecordingEngine() : QPaintEngine(AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }
    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & DirtyPen)
            m_pen = state.pen();
        if (state.state() & DirtyTransform)
            m_transform = state.transform();
        if (state.state() & DirtyCompositionMode)
            m_mode = state.compositionMode();
        if (state.state() & (DirtyClipRegion | DirtyClipPath | DirtyClipEnabled))
            m_clip = state.isClipEnabled() ? painter()->clipBoundingRect().toAlignedRect() : QRect();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF& r, const QImage&, const QRectF& sr, Qt::ImageConversionFlags) override
    {
        images.push_back({ r.toRect(), sr.toRect(), m_mode, m_clip });
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        texts.push_back({ m_transform.map(p), m_pen.color(), item.text(), m_transform });
    }

    std::vector<Text> texts;
    std::vector<Image> images;

private:
    QPen m_pen;
    QTransform m_transform;
    QPainter::CompositionMode m_mode { QPainter::CompositionMode_SourceOver };
    QRect m_clip;
};

class RecordingCanvas final : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return 1200;
        case PdmHeight: return 900;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmNumColors: return 0x7fffffff;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
        case PdmWidthMM: return 317;
        case PdmHeightMM: return 238;
        default: return 0;
        }
    }
};
