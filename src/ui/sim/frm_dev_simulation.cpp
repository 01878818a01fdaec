#include "frm_dev_simulation.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "blocks/device_model.h"
#include "io_form.h"
#include "ladder/program.h"
#include "shell/language_table.h"
#include "sim/analog_evaluation.h"
#include "ui/widgets/captions.h"
#include "ui/widgets/device_picture.h"

namespace bdx {

namespace {

enum TextId {
    DeviceSimulatorCommand = 266,  // "Device &Simulator"
    SupplySwitch = 8644,
    Starting = 8652,
    InputsHint = 8653,
    SlidersHint = 8656,
    KeysHint = 8657,
    SupplyTip = 8655,
};

constexpr int kPowerBlinkMs = 500;
constexpr int kRunBlinkMs = 500;
constexpr int kErrorBlinkMs = 250;
constexpr int kSliderPageStep = 100;  // one volt

const char* const kModuleNames[] = {"Base", "_ExtA", "_ExtB", "_ExtC"};

QString inputBoxName(int module, int index) {
    return QStringLiteral("chkInput%1_%2").arg(QLatin1String(kModuleNames[module])).arg(index);
}

QString sliderName(int module, int k) {
    const QLatin1String suffix(module == 0 ? "_Base" : kModuleNames[module]);
    return QStringLiteral("scrVolt%1_%2").arg(suffix).arg(k);
}

}  // namespace

frmDevSimulation::frmDevSimulation(std::unique_ptr<EmulationCalls> calls, const Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::Window), calls_(std::move(calls)), simulation_(*calls_, clock) {
    setObjectName(QStringLiteral("frmDevSimulation"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->setSpacing(4);

    // The scroll bars move the device picture inside the window.
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("scrDeviceSimulation"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(false);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->horizontalScrollBar()->setObjectName(QStringLiteral("hsbDeviceSimulation"));
    scroll_->verticalScrollBar()->setObjectName(QStringLiteral("vsbDeviceSimulation"));
    picture_ = new DevicePicture;
    scroll_->setWidget(picture_);
    layout->addWidget(scroll_, 1);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setContentsMargins(12, 0, 12, 0);
    status_->setWordWrap(true);
    layout->addWidget(status_);

    connect(picture_, &DevicePicture::keyPressed, this, &frmDevSimulation::keyPressed);
    connect(picture_, &DevicePicture::keyReleased, this, &frmDevSimulation::keyReleased);

    tmrInfinit_.setObjectName(QStringLiteral("tmrInfinit"));
    tmrInfinit_.setInterval(kRunIntervalMs);
    tmrInfinit_.setTimerType(Qt::PreciseTimer);
    tmrTimeDifferance_.setObjectName(QStringLiteral("tmrTimeDifferance"));
    tmrTimeDifferance_.setInterval(kWaitIntervalMs);
    for (QTimer* timer : {&tmrInfinit_, &tmrTimeDifferance_}) {
        connect(timer, &QTimer::timeout, this, &frmDevSimulation::runTick);
    }
    tmrBlinkingPowerLEDTimer_.setObjectName(QStringLiteral("tmrBlinkingPowerLEDTimer"));
    tmrBlinkingPowerLEDTimer_.setInterval(kPowerBlinkMs);
    connect(&tmrBlinkingPowerLEDTimer_, &QTimer::timeout, this, [this] {
        powerBlink_ = !powerBlink_;
        refresh();
    });
    tmrBlinkingRunStopLEDTimer_.setObjectName(QStringLiteral("tmrBlinkingRunStopLEDTimer"));
    tmrBlinkingRunStopLEDTimer_.setInterval(kRunBlinkMs);
    connect(&tmrBlinkingRunStopLEDTimer_, &QTimer::timeout, this, [this] {
        runBlink_ = !runBlink_;
        refresh();
    });
    tmrBlinkingErrorLEDTimer_.setObjectName(QStringLiteral("tmrBlinkingErrorLEDTimer"));
    tmrBlinkingErrorLEDTimer_.setInterval(kErrorBlinkMs);
    connect(&tmrBlinkingErrorLEDTimer_, &QTimer::timeout, this, [this] {
        errorBlink_ = !errorBlink_;
        refresh();
    });
}

frmDevSimulation::~frmDevSimulation() {
    // Whatever ends the window, the library's timer does not go on running.
    simulation_.closeNow();
}

bool frmDevSimulation::load(const Program& program, const QString& imageFilePath, QString* error) {
    if (!simulation_.open(program, imageFilePath, error)) {
        return false;
    }
    std::array<bool, DevicePicture::kModules> modules{};
    for (int m = 0; m < kPanelModuleCount; ++m) {
        modules[m] = simulation_.hasModule(m);
    }
    picture_->setModel(simulation_.model(), modules);
    picture_->setAccessibleName(QString::fromLatin1(ModelDisplayName(simulation_.model())));
    buildControls();
    placeControls();
    retranslate();
    ApplyCaptions(this);

    // Until the library has started nothing can be switched.
    picture_->setEnabled(false);
    setCursor(Qt::BusyCursor);
    status_->setText(LoadText(Starting));
    tmrTimeDifferance_.start();
    tmrBlinkingPowerLEDTimer_.start();
    refresh();

    // The whole picture when the screen has room for it; the scroll bars take over otherwise.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() * 9 / 10 : QSize(1200, 800);
    resize(fullSize().boundedTo(room));
    return true;
}

QString frmDevSimulation::hint() const {
    return LoadText(InputsHint) + (HasAnalog(simulation_.model()) ? LoadText(SlidersHint) : QString()) +
           (simulation_.takesKeys() ? LoadText(KeysHint) : QString());
}

QSize frmDevSimulation::fullSize() const {
    const QSize picture = picture_->sizeHint();
    // Room for the hint the window shows once the device runs, its longer text.
    const QRect hintRect = status_->fontMetrics().boundingRect(QRect(0, 0, picture.width() - 24, 1000),
                                                               Qt::TextWordWrap, hint());
    // Below the picture: the layout's spacing and bottom margin, and a little air.
    return {picture.width() + 4, picture.height() + hintRect.height() + 16};
}

void frmDevSimulation::buildControls() {
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const bool analog = HasAnalog(simulation_.model());
    for (int m = 0; m < kPanelModuleCount; ++m) {
        if (!simulation_.hasModule(m)) {
            continue;
        }
        for (int n = 1; n <= DeviceSimulation::kInputs; ++n) {
            auto* box = new QCheckBox(picture_);
            box->setObjectName(inputBoxName(m, n - 1));
            box->setToolTip(QStringLiteral("%1%2").arg(QLatin1Char("IJKL"[m])).arg(n));
            box->setAccessibleName(box->toolTip());
            connect(box, &QCheckBox::toggled, this, [this, m, n](bool on) { inputClicked(m, n, on); });
            inputBoxes_[m][n - 1] = box;
        }
        if (!analog) {
            continue;
        }
        for (int k = 0; k < DeviceSimulation::kVoltages; ++k) {
            const int channel = m * DeviceSimulation::kVoltages + k;
            auto* slider = new QSlider(Qt::Horizontal, picture_);
            slider->setObjectName(sliderName(m, k));
            slider->setRange(0, kAnalogSliderMaximum);
            slider->setSingleStep(1);
            slider->setPageStep(kSliderPageStep);
            slider->setToolTip(QStringLiteral("%1%2").arg(QLatin1Char("IJKL"[m])).arg(7 + k));
            auto* label = new QLabel(SliderCaption(channel, 0), picture_);
            label->setObjectName(QStringLiteral("lbl") + sliderName(m, k));
            label->setFont(fixed);
            slider->setAccessibleName(SliderCaption(channel, 0).section(u' ', 0, 0));
            connect(slider, &QSlider::valueChanged, this,
                    [this, m, k](int value) { voltageMoved(m, k, value); });
            sliders_[m][k] = slider;
            sliderLabels_[m][k] = label;
        }
    }
    chkSupply_ = new QCheckBox(picture_);
    chkSupply_->setObjectName(QStringLiteral("chkSupply"));
    SetTextId(chkSupply_, SupplySwitch);
    chkSupply_->setProperty(kToolTipIdProperty, SupplyTip);
    chkSupply_->setChecked(simulation_.supplyOn());
    connect(chkSupply_, &QCheckBox::toggled, this, [this](bool on) {
        simulation_.setSupply(on);
        picture_->setSupply(on);
        refresh();
    });
}

void frmDevSimulation::placeControls() {
    for (int m = 0; m < kPanelModuleCount; ++m) {
        for (int n = 1; n <= DeviceSimulation::kInputs; ++n) {
            if (QCheckBox* box = inputBoxes_[m][n - 1]) {
                const QRect at = picture_->inputSwitchRect(m, n);
                box->setGeometry(QRect(at.topLeft() - QPoint(1, 1), box->sizeHint()));
            }
        }
        for (int k = 0; k < DeviceSimulation::kVoltages; ++k) {
            if (sliders_[m][k] != nullptr) {
                sliders_[m][k]->setGeometry(picture_->sliderRect(m, k));
                sliderLabels_[m][k]->setGeometry(picture_->sliderLabelRect(m, k));
            }
        }
    }
    chkSupply_->setGeometry(picture_->supplySwitchRect());
}

void frmDevSimulation::retranslate() {
    setWindowTitle(WithoutAccelerators(LoadText(DeviceSimulatorCommand)) + QStringLiteral(" - ") +
                   QString::fromLatin1(ModelDisplayName(simulation_.model())));
}

void frmDevSimulation::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QWidget::changeEvent(event);
}

QCheckBox* frmDevSimulation::inputBox(int module, int n) const {
    if (module < 0 || module >= kPanelModuleCount || n < 1 || n > DeviceSimulation::kInputs) {
        return nullptr;
    }
    return inputBoxes_[module][n - 1];
}

QSlider* frmDevSimulation::voltageSlider(int module, int k) const {
    if (module < 0 || module >= kPanelModuleCount || k < 0 || k >= DeviceSimulation::kVoltages) {
        return nullptr;
    }
    return sliders_[module][k];
}

QLabel* frmDevSimulation::voltageLabel(int module, int k) const {
    if (module < 0 || module >= kPanelModuleCount || k < 0 || k >= DeviceSimulation::kVoltages) {
        return nullptr;
    }
    return sliderLabels_[module][k];
}

// ---- Running ----

void frmDevSimulation::runTick() {
    const DeviceSimulation::Phase before = simulation_.phase();
    simulation_.tick();
    const DeviceSimulation::Phase after = simulation_.phase();
    if (before == DeviceSimulation::Phase::Opening && after == DeviceSimulation::Phase::Running) {
        enterRunning();
    } else if (before == DeviceSimulation::Phase::Closing && after == DeviceSimulation::Phase::Closed) {
        finishClosing();
        return;
    }
    if (after == DeviceSimulation::Phase::Running) {
        refresh();
    }
}

void frmDevSimulation::enterRunning() {
    tmrTimeDifferance_.stop();
    tmrInfinit_.start();
    tmrBlinkingRunStopLEDTimer_.start();
    tmrBlinkingErrorLEDTimer_.start();
    picture_->setEnabled(true);
    unsetCursor();
    status_->setText(hint());
    picture_->setDisplayLines(simulation_.displayLines());
    picture_->setFocus(Qt::OtherFocusReason);
}

void frmDevSimulation::refresh() {
    const bool running = simulation_.running();
    const bool supply = simulation_.supplyOn();
    const bool starting = simulation_.phase() == DeviceSimulation::Phase::Opening;
    // The power LED blinks while the device starts and stays on while it runs.
    picture_->setLeds(supply && (running || (starting && powerBlink_)),
                      simulation_.runIndicator() && runBlink_, simulation_.deviceError() && errorBlink_);
    for (int m = 0; m < kPanelModuleCount; ++m) {
        picture_->setInputs(m, simulation_.inputByte(m));
        picture_->setOutputs(m, simulation_.outputByte(m));
        // Analog inputs 7 and 8 may have switched with their sliders.
        for (int n = 1; n <= DeviceSimulation::kInputs; ++n) {
            QCheckBox* box = inputBoxes_[m][n - 1];
            if (box != nullptr && box->isChecked() != simulation_.input(m, n)) {
                const QSignalBlocker blocker(box);
                box->setChecked(simulation_.input(m, n));
            }
        }
    }
    picture_->setDisplayLines(simulation_.displayLines());
    picture_->setPressedKey(simulation_.pressedKey());
}

void frmDevSimulation::inputClicked(int module, int n, bool on) {
    simulation_.setInput(module, n, on);
    refresh();
}

void frmDevSimulation::voltageMoved(int module, int k, int value) {
    sliderLabels_[module][k]->setText(SliderCaption(module * DeviceSimulation::kVoltages + k, value));
    simulation_.setVoltage(module, k, value);
    refresh();
}

void frmDevSimulation::keyPressed(std::uint8_t code) {
    simulation_.pressKey(code);
    picture_->setPressedKey(simulation_.pressedKey());
}

void frmDevSimulation::keyReleased(std::uint8_t code) {
    simulation_.releaseKey(code);
    picture_->setPressedKey(simulation_.pressedKey());
}

// ---- Closing ----

void frmDevSimulation::closeEvent(QCloseEvent* event) {
    event->accept();
    if (finished_) {
        return;
    }
    for (QTimer* timer : {&tmrInfinit_, &tmrBlinkingPowerLEDTimer_, &tmrBlinkingRunStopLEDTimer_,
                          &tmrBlinkingErrorLEDTimer_}) {
        timer->stop();
    }
    simulation_.close();
    if (simulation_.phase() == DeviceSimulation::Phase::Closed) {
        finishClosing();
    } else {
        tmrTimeDifferance_.start();  // the wait after EndDLLTimer
    }
}

void frmDevSimulation::shutdown() {
    simulation_.closeNow();
    finishClosing();
}

void frmDevSimulation::finishClosing() {
    if (finished_) {
        return;
    }
    finished_ = true;
    for (QTimer* timer : {&tmrInfinit_, &tmrTimeDifferance_, &tmrBlinkingPowerLEDTimer_,
                          &tmrBlinkingRunStopLEDTimer_, &tmrBlinkingErrorLEDTimer_}) {
        timer->stop();
    }
    hide();
    Q_EMIT finished();
}

}  // namespace bdx
