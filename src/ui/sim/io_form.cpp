#include "io_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QRadialGradient>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "blocks/device_model.h"
#include "ladder/program.h"
#include "sim/pc_simulation.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    PanelTitle = 8090,
    BaseModule = 8091,  // 8092..8094 Extension A..C
    InputsCaption = 8095,
    OutputsCaption = 8096,
    AnalogCaption = 8097,
    StopHint = 8098,
};

constexpr char kInputLetters[] = "IJKL";
constexpr char kOutputLetters[] = "QUVW";
constexpr int kOutputsPerModule = 4;
constexpr int kRefreshMilliseconds = 33;  // screen rate; a scan takes about a microsecond

// One slider step is a hundredth of a volt, a page one volt.
constexpr int kSliderPageStep = 100;

const char* const kStyle = R"(
QGroupBox {
    border: 1px solid palette(mid);
    border-radius: 6px;
    margin-top: 1.1em;
    padding: 6px 8px 8px 8px;
    font-weight: bold;
}
QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 4px; }
QLabel[section="true"] { color: palette(dark); }
QCheckBox::indicator {
    width: 13px; height: 13px;
    border: 1px solid #8a9099; border-radius: 3px;
    background: palette(base);
}
QCheckBox::indicator:hover { border-color: #2f80ed; }
QCheckBox::indicator:checked { background: #2f80ed; border-color: #1f63c1; }
QCheckBox::indicator:disabled { background: palette(window); border-color: palette(midlight); }
QCheckBox::indicator:checked:disabled { background: #a9c3e8; }
)";

QLabel* sectionCaption(int textId, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setProperty("section", true);
    SetTextId(label, textId);
    return label;
}

}  // namespace

QString SliderCaption(int channel, int hundredths) {
    const QChar zero(u'0');
    return QStringLiteral("V%1 = %2.%3V")
        .arg(channel + 1)
        .arg(hundredths / 100, 2, 10, zero)
        .arg(hundredths % 100, 2, 10, zero);
}

// ---- OutputLamp ----

OutputLamp::OutputLamp(const QString& name, QWidget* parent) : QWidget(parent), name_(name) {
    setObjectName(QStringLiteral("lamp") + name);
    setToolTip(name);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void OutputLamp::setOn(bool on) {
    if (on != on_) {
        on_ = on;
        update();
    }
}

QSize OutputLamp::sizeHint() const {
    const QFontMetrics metrics(font());
    return {std::max(34, metrics.horizontalAdvance(name_) + 8), 24 + metrics.height()};
}

void OutputLamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = 8.5;
    const QPointF centre(width() / 2.0, 12.0);
    const bool enabled = isEnabled();

    if (on_ && enabled) {  // a soft glow around a lit lamp
        QRadialGradient glow(centre, radius + 4);
        glow.setColorAt(0.6, QColor(46, 204, 113, 110));
        glow.setColorAt(1.0, QColor(46, 204, 113, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawEllipse(centre, radius + 4, radius + 4);
    }
    QRadialGradient body(centre - QPointF(radius / 3, radius / 3), radius * 1.6);
    if (on_) {
        body.setColorAt(0.0, QColor(190, 255, 210));
        body.setColorAt(0.45, QColor(46, 204, 113));
        body.setColorAt(1.0, QColor(22, 130, 68));
    } else {
        body.setColorAt(0.0, QColor(236, 238, 241));
        body.setColorAt(0.6, QColor(170, 176, 184));
        body.setColorAt(1.0, QColor(120, 126, 135));
    }
    painter.setOpacity(enabled ? 1.0 : 0.45);
    painter.setPen(QPen(on_ ? QColor(20, 110, 58) : QColor(105, 111, 120), 1.0));
    painter.setBrush(body);
    painter.drawEllipse(centre, radius, radius);

    painter.setPen(palette().color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(QRectF(0, 24, width(), height() - 24), Qt::AlignHCenter | Qt::AlignTop, name_);
}

// ---- I_O_form ----

I_O_form::I_O_form(PcSimulation& simulation, QWidget* parent)
    : QWidget(parent, Qt::Tool), simulation_(simulation) {
    // A tool window of its own, unless its owner docks it.
    setObjectName(QStringLiteral("I_O_form"));
    SetTextId(this, PanelTitle);
    setStyleSheet(QString::fromLatin1(kStyle));
    setFocusPolicy(Qt::StrongFocus);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->setHorizontalSpacing(10);
    layout->setVerticalSpacing(8);
    for (int m = 0; m < kPanelModules; ++m) {
        frames_[m] = buildModule(m);
        layout->addWidget(frames_[m], m / 2, m % 2);
    }
    auto* hint = sectionCaption(StopHint, this);
    hint->setObjectName(QStringLiteral("lblStopHint"));
    layout->addWidget(hint, 2, 0, 1, 2, Qt::AlignRight);

    ApplyCaptions(this);

    refreshTimer_.setInterval(kRefreshMilliseconds);
    connect(&refreshTimer_, &QTimer::timeout, this, &I_O_form::refresh);
}

QGroupBox* I_O_form::buildModule(int m) {
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("fraModule%1").arg(m));
    SetTextId(frame, BaseModule + m);
    auto* column = new QVBoxLayout(frame);
    column->setSpacing(4);

    column->addWidget(sectionCaption(InputsCaption, frame));
    auto* inputs = new QGridLayout;
    inputs->setHorizontalSpacing(12);
    for (int n = 0; n < kInputsPerModule; ++n) {
        const int index = m * kInputsPerModule + n;
        auto* box =
            new QCheckBox(QStringLiteral("%1%2").arg(QLatin1Char(kInputLetters[m])).arg(n + 1), frame);
        box->setObjectName(QStringLiteral("Check1_%1").arg(index));
        connect(box, &QCheckBox::toggled, this, [this, index](bool on) { inputToggled(index, on); });
        inputs->addWidget(box, n / 4, n % 4);
        Check1_[index] = box;
    }
    column->addLayout(inputs);

    column->addSpacing(4);
    column->addWidget(sectionCaption(OutputsCaption, frame));
    auto* outputs = new QHBoxLayout;
    outputs->setSpacing(6);
    for (int n = 0; n < kOutputsPerModule; ++n) {
        auto* lamp =
            new OutputLamp(QStringLiteral("%1%2").arg(QLatin1Char(kOutputLetters[m])).arg(n + 1), frame);
        outputs->addWidget(lamp);
        lamps_[m * kOutputsPerModule + n] = lamp;
    }
    outputs->addStretch();
    column->addLayout(outputs);

    // Inputs 7 and 8 double as analog inputs on the analog models.
    auto* analog = new QWidget(frame);
    analog->setObjectName(QStringLiteral("fraAnalog%1").arg(m));
    auto* sliders = new QGridLayout(analog);
    sliders->setContentsMargins(0, 4, 0, 0);
    sliders->setHorizontalSpacing(8);
    sliders->addWidget(sectionCaption(AnalogCaption, analog), 0, 0, 1, 2);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int k = 0; k < kSlidersPerModule; ++k) {
        const int channel = m * kSlidersPerModule + k;
        auto* slider = new QSlider(Qt::Horizontal, analog);
        slider->setObjectName(QStringLiteral("HScroll1_%1").arg(channel));
        slider->setRange(0, kAnalogSliderMaximum);
        slider->setSingleStep(1);
        slider->setPageStep(kSliderPageStep);
        slider->setMinimumWidth(120);
        const SliderInput twin = SliderInputOf(channel);
        slider->setToolTip(QStringLiteral("%1%2").arg(QLatin1Char(twin.module)).arg(twin.n));
        auto* label = new QLabel(SliderCaption(channel, 0), analog);
        label->setObjectName(QStringLiteral("lblHScroll1_%1").arg(channel));
        label->setFont(fixed);
        label->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(SliderCaption(channel, 1000)));
        connect(slider, &QSlider::valueChanged, this,
                [this, channel](int value) { sliderMoved(channel, value); });
        sliders->addWidget(slider, k + 1, 0);
        sliders->addWidget(label, k + 1, 1);
        HScroll1_[channel] = slider;
        sliderLabels_[channel] = label;
    }
    analog->setVisible(false);
    column->addWidget(analog);
    analogSections_[m] = analog;
    column->addStretch();
    return frame;
}

void I_O_form::prepare(const Program& program) {
    loading_ = true;
    const bool analog = HasAnalog(program.ModelIndex);
    for (int m = 0; m < kPanelModules; ++m) {
        frames_[m]->setEnabled(m == 0 || program.ExtensionModules[m - 1] != 0);
        analogSections_[m]->setVisible(analog);
    }
    for (int index = 0; index < kPanelInputs; ++index) {
        Check1_[index]->setChecked(
            simulation_.input(kInputLetters[index / kInputsPerModule], index % kInputsPerModule + 1));
    }
    for (int channel = 0; channel < kAnalogChannels; ++channel) {
        const int value = simulation_.slider(channel);
        HScroll1_[channel]->setValue(value);
        sliderLabels_[channel]->setText(SliderCaption(channel, value));
    }
    loading_ = false;
    refresh();
    adjustSize();
}

void I_O_form::inputToggled(int index, bool on) {
    if (!loading_) {
        simulation_.setInput(kInputLetters[index / kInputsPerModule], index % kInputsPerModule + 1, on);
    }
}

void I_O_form::sliderMoved(int channel, int value) {
    sliderLabels_[channel]->setText(SliderCaption(channel, value));
    if (loading_ || !simulation_.setSlider(channel, value)) {
        return;
    }
    const SliderInput twin = SliderInputOf(channel);
    QCheckBox* box = Check1_[(channel / kSlidersPerModule) * kInputsPerModule + twin.n - 1];
    const QSignalBlocker blocker(box);
    box->setChecked(simulation_.input(twin.module, twin.n));
}

void I_O_form::refresh() {
    const ScanEngine& engine = simulation_.engine();
    for (int k = 0; k < kPanelOutputs; ++k) {
        const auto code = static_cast<unsigned char>(kOutputLetters[k / kOutputsPerModule]);
        const auto letter = static_cast<std::uint16_t>(code);
        lamps_[k]->setOn(engine.operandValue(letter, k % kOutputsPerModule + 1));
    }
    // The image may also change without the boxes (the sliders' coupling, a script).
    for (int index = 0; index < kPanelInputs; ++index) {
        const bool on =
            simulation_.input(kInputLetters[index / kInputsPerModule], index % kInputsPerModule + 1);
        if (Check1_[index]->isChecked() != on) {
            const QSignalBlocker blocker(Check1_[index]);
            Check1_[index]->setChecked(on);
        }
    }
}

void I_O_form::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F5 && event->modifiers() == Qt::NoModifier) {
        event->accept();
        Q_EMIT stopRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

void I_O_form::closeEvent(QCloseEvent* event) {
    // Without the panel the inputs could no longer be driven: closing it ends the run.
    QWidget::closeEvent(event);
    Q_EMIT stopRequested();
}

void I_O_form::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
    if (!paused_) {
        refreshTimer_.start();
    }
}

void I_O_form::setPaused(bool paused) {
    paused_ = paused;
    refresh();
    if (paused || !isVisible()) {
        refreshTimer_.stop();
    } else {
        refreshTimer_.start();
    }
}

void I_O_form::hideEvent(QHideEvent* event) {
    refreshTimer_.stop();
    QWidget::hideEvent(event);
}

}  // namespace bdx
