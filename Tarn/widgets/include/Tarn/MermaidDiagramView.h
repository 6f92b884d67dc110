#pragma once

#include <Tarn/MermaidRenderer.h>

#include <QPointer>
#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QPropertyAnimation;
class QToolButton;

namespace Tarn {

class MermaidPictureView;
class StyledTextView;

/// The panel of one diagram in the preview: a header with the collapse button and the size
/// picker, then the picture, a progress line while the diagram renders off the main thread, or
/// the failure text with the source below it. Renders come from `MermaidCache` when it has
/// them; collapse and zoom come from `MermaidViewState`, shared by panels of equal source.
class MermaidDiagramView : public QWidget
{
    Q_OBJECT

public:
    enum class Phase { loading, image, failed };
    Q_ENUM(Phase)

    static constexpr std::string_view rasteriseFailureMessage = "Could not rasterise the diagram";

    explicit MermaidDiagramView(QString source, QWidget *parent = nullptr);
    ~MermaidDiagramView() override;

    const QString &source() const { return m_source; }
    Phase phase() const { return m_phase; }
    /// The text shown in place of the picture; empty unless the phase is `failed`.
    QString failureMessage() const { return m_failureMessage; }
    /// Whether the load now shown or running is for the dark appearance.
    bool isDark() const { return m_loadDark; }
    /// The picture, present once the phase is `image`.
    MermaidPictureView *picture() const { return m_picture; }

Q_SIGNALS:
    void phaseChanged(Tarn::MermaidDiagramView::Phase phase);
    /// A load finished and its result is shown.
    void presented();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildHeader();
    void load();
    void present(const MermaidRender &render);
    void setPhase(Phase phase);
    void applyState(bool animated);
    void updateHeader();
    void updateColours();

    QString m_source;
    Phase m_phase = Phase::loading;
    QString m_failureMessage;
    bool m_loadDark = false;
    std::uint64_t m_loadGeneration = 0;
    bool m_collapsed = false;

    QToolButton *m_collapseButton = nullptr;
    QComboBox *m_zoomPicker = nullptr;
    QWidget *m_divider = nullptr;
    QWidget *m_content = nullptr;
    QWidget *m_loadingRow = nullptr;
    QLabel *m_loadingLabel = nullptr;
    QWidget *m_failureBox = nullptr;
    QLabel *m_failureIcon = nullptr;
    QLabel *m_failureLabel = nullptr;
    StyledTextView *m_sourceText = nullptr;
    MermaidPictureView *m_picture = nullptr;
    QPointer<QPropertyAnimation> m_collapseAnimation;
};

/// A diagram picture kept as vector data and drawn at the displayed size in device pixels, so
/// it stays sharp at every zoom step and screen density.
class MermaidPictureView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double maximumDisplayWidth READ maximumDisplayWidth WRITE setMaximumDisplayWidth)

public:
    /// Nothing when `pdfData` does not decode into a page of some area.
    static MermaidPictureView *create(const QByteArray &pdfData, QSizeF naturalSize,
                                      QWidget *parent = nullptr);
    ~MermaidPictureView() override;

    QSizeF naturalSize() const { return m_naturalSize; }
    double maximumDisplayWidth() const { return m_maximumWidth; }
    void setMaximumDisplayWidth(double width);
    /// The picture's rectangle for the current width: at most the maximum width, the natural
    /// aspect ratio kept, centred.
    QRectF displayRect() const;
    QSizeF displaySize(double availableWidth) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Decoded;
    MermaidPictureView(std::unique_ptr<Decoded> decoded, QSizeF naturalSize, QWidget *parent);

    std::unique_ptr<Decoded> m_decoded;
    QSizeF m_naturalSize;
    double m_maximumWidth = 0;
    QImage m_rendered;
};

} // namespace Tarn
