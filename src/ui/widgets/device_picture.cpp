#include "device_picture.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

#include "blocks/device_model.h"
#include "device/device_simulation.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

enum TextId {
    PowerLed = 8641,
    RunLed = 8642,
    ErrorLed = 8643,
    EscapeKey = 8645,
    DeleteKey = 8646,
    InsertKey = 8647,
    EnterKey = 8648,
    ExtensionA = 8649,  // 8650, 8651 for B and C
};

constexpr int kMargin = 16;
constexpr int kGap = 14;
constexpr int kBaseWidth = 430;
constexpr int kExtensionWidth = 236;
constexpr int kTopStrip = 78;
constexpr int kFace = 172;
constexpr int kBottomStrip = 80;
constexpr int kHousing = kTopStrip + kFace + kBottomStrip;
constexpr int kSliderArea = 70;
constexpr int kInset = 14;
constexpr int kSwitchSize = 18;
constexpr int kSupplyTerminals = 2;
constexpr int kRelays = DeviceSimulation::kOutputs;

constexpr char kInputLetters[] = "IJKL";
constexpr char kOutputLetters[] = "QUVW";

struct Palette {
    QColor housing;
    QColor strip;
    QColor accent;
};

// The family look by picture key: the Relaymaster units in grey and blue, the KX1 units in
// warm white, green for the digital ones and orange for the analog ones.
Palette paletteOf(const char* pictureKey) {
    const QLatin1String key(pictureKey);
    if (key.startsWith(QLatin1String("24VACDC"))) {
        return {QColor(236, 232, 223), QColor(74, 79, 87), QColor(210, 105, 30)};
    }
    if (key.contains(QLatin1String("ACDC"))) {
        return {QColor(236, 232, 223), QColor(74, 79, 87), QColor(46, 139, 87)};
    }
    return {QColor(217, 221, 227), QColor(59, 67, 80), QColor(31, 95, 168)};
}

void paintScrew(QPainter& painter, const QPointF& centre, qreal radius) {
    QRadialGradient metal(centre - QPointF(radius / 3, radius / 3), radius * 1.5);
    metal.setColorAt(0.0, QColor(250, 250, 250));
    metal.setColorAt(0.7, QColor(170, 174, 180));
    metal.setColorAt(1.0, QColor(110, 114, 120));
    painter.setPen(QPen(QColor(60, 62, 66), 1.0));
    painter.setBrush(metal);
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(QPen(QColor(70, 72, 76), 1.6));
    const qreal slot = radius * 0.6;
    painter.drawLine(centre - QPointF(slot, 0), centre + QPointF(slot, 0));
    painter.drawLine(centre - QPointF(0, slot), centre + QPointF(0, slot));
}

QFont sized(QFont font, int pixels, bool bold = false) {
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

}  // namespace

DevicePicture::DevicePicture(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picMarlo"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

bool DevicePicture::hasDisplay() const {
    return HasDisplay(model_);
}

bool DevicePicture::hasAnalog() const {
    return HasAnalog(model_);
}

int DevicePicture::moduleWidth(int module) const {
    return module == 0 ? kBaseWidth : kExtensionWidth;
}

void DevicePicture::setModel(int model, const std::array<bool, kModules>& modules) {
    model_ = IsValidModel(model) ? model : 0;
    modules_ = modules;
    modules_[0] = true;
    setFixedSize(sizeHint());
    update();
}

QSize DevicePicture::sizeHint() const {
    int width = kMargin;
    for (int m = 0; m < kModules; ++m) {
        if (modules_[m]) {
            width += moduleWidth(m) + kGap;
        }
    }
    return {width - kGap + kMargin, kMargin + kHousing + (hasAnalog() ? kSliderArea : 0) + kMargin};
}

QRect DevicePicture::moduleRect(int module) const {
    if (!hasModule(module)) {
        return {};
    }
    int left = kMargin;
    for (int m = 0; m < module; ++m) {
        if (modules_[m]) {
            left += moduleWidth(m) + kGap;
        }
    }
    return {left, kMargin, moduleWidth(module), kHousing};
}

namespace {

// Centre of terminal `index` of the top strip, of `count` across the module.
int terminalX(const QRect& module, int index, int count) {
    const double pitch = double(module.width() - 2 * kInset) / count;
    return module.left() + kInset + int(std::lround(pitch * (index + 0.5)));
}

}  // namespace

QRect DevicePicture::inputSwitchRect(int module, int n) const {
    const QRect r = moduleRect(module);
    if (r.isNull() || n < 1 || n > DeviceSimulation::kInputs) {
        return {};
    }
    const int count = module == 0 ? kSupplyTerminals + DeviceSimulation::kInputs : DeviceSimulation::kInputs;
    const int index = (module == 0 ? kSupplyTerminals : 0) + n - 1;
    const int x = terminalX(r, index, count);
    return {x - kSwitchSize / 2, r.top() + 52, kSwitchSize, kSwitchSize};
}

QRect DevicePicture::supplySwitchRect() const {
    const QRect r = moduleRect(0);
    return {r.left() + kInset + 44, r.top() + kTopStrip + 128, 104, 22};
}

QRect DevicePicture::sliderRect(int module, int k) const {
    const QRect r = moduleRect(module);
    if (r.isNull() || !hasAnalog() || k < 0 || k >= DeviceSimulation::kVoltages) {
        return {};
    }
    return {r.left() + 4, r.bottom() + 14 + k * 30, r.width() - 4 - 112, 22};
}

QRect DevicePicture::sliderLabelRect(int module, int k) const {
    const QRect slider = sliderRect(module, k);
    if (slider.isNull()) {
        return {};
    }
    return {slider.right() + 8, slider.top(), 104, slider.height()};
}

QRect DevicePicture::keyRect(std::uint8_t code) const {
    if (!hasDisplay()) {
        return {};
    }
    const QRect r = moduleRect(0);
    const int left = r.left() + 170;
    const int top = r.top() + kTopStrip + 92;
    // Escape, Delete / Insert, Enter on the left; the arrows as a cross on the right.
    const QPoint cross(r.left() + 336, top + 34);
    switch (code) {
        case DeviceKey::Escape:
            return {left, top, 42, 26};
        case DeviceKey::Delete:
            return {left + 48, top, 42, 26};
        case DeviceKey::Insert:
            return {left, top + 36, 42, 26};
        case DeviceKey::Enter:
            return {left + 48, top + 36, 42, 26};
        case DeviceKey::Up:
            return {cross.x() - 15, cross.y() - 38, 30, 24};
        case DeviceKey::Down:
            return {cross.x() - 15, cross.y() + 14, 30, 24};
        case DeviceKey::Left:
            return {cross.x() - 50, cross.y() - 12, 30, 24};
        case DeviceKey::Right:
            return {cross.x() + 20, cross.y() - 12, 30, 24};
        default:
            return {};
    }
}

std::optional<std::uint8_t> DevicePicture::keyAt(const QPoint& point) const {
    for (std::uint8_t code = 0; code < DeviceKey::Count; ++code) {
        if (keyRect(code).contains(point)) {
            return code;
        }
    }
    return std::nullopt;
}

void DevicePicture::setInputs(int module, std::uint8_t byte) {
    if (module >= 0 && module < kModules && inputs_[module] != byte) {
        inputs_[module] = byte;
        update();
    }
}

void DevicePicture::setOutputs(int module, std::uint8_t byte) {
    if (module >= 0 && module < kModules && outputs_[module] != byte) {
        outputs_[module] = byte;
        update();
    }
}

bool DevicePicture::outputShown(int module, int n) const {
    return hasModule(module) && n >= 1 && n <= kRelays && (outputs_[module] >> (n - 1)) & 1;
}

void DevicePicture::setSupply(bool on) {
    if (supply_ != on) {
        supply_ = on;
        update();
    }
}

QString DevicePicture::supplyPicture() const {
    return supply_ ? QString::fromLatin1(PowerOnPicture(model_)) : QString();
}

void DevicePicture::setLeds(bool power, bool run, bool error) {
    if (power != power_ || run != run_ || error != error_) {
        power_ = power;
        run_ = run;
        error_ = error;
        update();
    }
}

void DevicePicture::setDisplayLines(const std::array<QString, 3>& lines) {
    if (lines != display_) {
        display_ = lines;
        update();
    }
}

void DevicePicture::setPressedKey(std::optional<std::uint8_t> code) {
    if (code != pressed_) {
        pressed_ = code;
        update();
    }
}

// ---- Keys ----

void DevicePicture::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const std::optional<std::uint8_t> code = keyAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && code && !mouseKey_) {
        mouseKey_ = code;
        Q_EMIT keyPressed(*code);
    }
    event->accept();
}

void DevicePicture::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && mouseKey_) {
        const std::uint8_t code = *mouseKey_;
        mouseKey_.reset();
        Q_EMIT keyReleased(code);
    }
    event->accept();
}

void DevicePicture::keyPressEvent(QKeyEvent* event) {
    const std::optional<std::uint8_t> code = DeviceKeyOfKeyboard(event->key());
    if (!code || event->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // A held key repeats on the keyboard, not on the device.
    if (event->isAutoRepeat() || keyboardKey_) {
        return;
    }
    keyboardKey_ = code;
    Q_EMIT keyPressed(*code);
}

void DevicePicture::keyReleaseEvent(QKeyEvent* event) {
    const std::optional<std::uint8_t> code = DeviceKeyOfKeyboard(event->key());
    if (!code) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || keyboardKey_ != code) {
        return;
    }
    keyboardKey_.reset();
    Q_EMIT keyReleased(*code);
}

void DevicePicture::focusOutEvent(QFocusEvent* event) {
    // A key let go elsewhere must not stay down on the device.
    releaseHeldKey();
    QWidget::focusOutEvent(event);
}

void DevicePicture::releaseHeldKey() {
    if (keyboardKey_) {
        const std::uint8_t code = *keyboardKey_;
        keyboardKey_.reset();
        Q_EMIT keyReleased(code);
    }
}

// ---- Drawing ----

void DevicePicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    for (int m = 0; m < kModules; ++m) {
        if (modules_[m]) {
            paintModule(painter, m);
        }
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1.0, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void DevicePicture::paintModule(QPainter& painter, int module) const {
    const QRect r = moduleRect(module);
    const DeviceModel& model = kDeviceModels[model_];
    const Palette colours = paletteOf(module == 0 ? model.basePicture : model.extensionPicture);
    const QFont base = font();

    // Housing with a soft shadow, the terminal strips darker.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawRoundedRect(QRectF(r).translated(3, 4), 10, 10);
    QLinearGradient body(r.topLeft(), r.bottomLeft());
    body.setColorAt(0.0, colours.housing.lighter(106));
    body.setColorAt(1.0, colours.housing.darker(106));
    painter.setBrush(body);
    painter.setPen(QPen(colours.housing.darker(150), 1.2));
    painter.drawRoundedRect(QRectF(r), 10, 10);
    const QRect top(r.left() + 6, r.top() + 6, r.width() - 12, kTopStrip - 10);
    const QRect bottom(r.left() + 6, r.bottom() - kBottomStrip + 5, r.width() - 12, kBottomStrip - 10);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.strip);
    painter.drawRoundedRect(QRectF(top), 6, 6);
    painter.drawRoundedRect(QRectF(bottom), 6, 6);

    // Top strip: the supply terminals on the base unit, then the inputs with their switches.
    const int inputs = DeviceSimulation::kInputs;
    const int count = module == 0 ? kSupplyTerminals + inputs : inputs;
    painter.setFont(sized(base, 10, true));
    const SupplyKind supply = ModelSupply(model_).value_or(SupplyKind::AC);
    for (int i = 0; i < count; ++i) {
        const int x = terminalX(r, i, count);
        paintScrew(painter, QPointF(x, r.top() + 22), 8.5);
        QString label;
        bool lit = false;
        if (module == 0 && i < kSupplyTerminals) {
            const bool dc = supply == SupplyKind::DC;
            label = QString::fromLatin1(i == 0 ? (dc ? "+" : "L") : (dc ? "-" : "N"));
        } else {
            const int n = i - (module == 0 ? kSupplyTerminals : 0) + 1;
            label = QStringLiteral("%1%2").arg(QLatin1Char(kInputLetters[module])).arg(n);
            lit = (inputs_[module] >> (n - 1)) & 1;
        }
        painter.setPen(lit ? QColor(255, 214, 92) : QColor(225, 228, 233));
        painter.drawText(QRect(x - 20, r.top() + 33, 40, 16), Qt::AlignCenter, label);
    }

    const QRect face(r.left() + 6, r.top() + kTopStrip, r.width() - 12, kFace);
    paintFace(painter, face, module);

    // Bottom strip: the relay outputs, each a contact between its two terminals.
    const double cell = double(bottom.width() - 2 * (kInset - 6)) / kRelays;
    for (int n = 1; n <= kRelays; ++n) {
        const QRect relay(bottom.left() + (kInset - 6) + int(cell * (n - 1)), bottom.top(), int(cell),
                          bottom.height());
        paintRelay(painter, relay, QStringLiteral("%1%2").arg(QLatin1Char(kOutputLetters[module])).arg(n),
                   outputShown(module, n));
    }
}

void DevicePicture::paintFace(QPainter& painter, const QRect& face, int module) const {
    const DeviceModel& model = kDeviceModels[model_];
    const Palette colours = paletteOf(module == 0 ? model.basePicture : model.extensionPicture);
    const QFont base = font();
    const QString name = QString::fromLatin1(model.displayName);
    const int dash = name.indexOf(QLatin1String(" - "));
    const QString supplyText = dash > 0 ? name.left(dash) : QString();
    const QString product = dash > 0 ? name.mid(dash + 3) : name;
    const int space = product.indexOf(u' ');
    const QString family = space > 0 ? product.left(space) : QString();
    const QString code = space > 0 ? product.mid(space + 1) : product;

    // The accent band along the top of the face.
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.accent);
    painter.drawRect(QRect(face.left(), face.top() + 4, face.width(), 4));

    const int left = face.left() + kInset - 6;
    painter.setPen(QColor(40, 44, 52));
    if (module != 0) {
        painter.setFont(sized(base, 15, true));
        painter.drawText(QRect(left, face.top() + 14, face.width() - 2 * left + 2 * face.left(), 22),
                         Qt::AlignLeft | Qt::AlignVCenter, LoadText(ExtensionA + module - 1));
        painter.setFont(sized(base, 11));
        painter.setPen(QColor(90, 96, 106));
        painter.drawText(QRect(left, face.top() + 36, face.width() - 16, 16),
                         Qt::AlignLeft | Qt::AlignVCenter, code + QStringLiteral(" · ") + supplyText);
    } else {
        painter.setFont(sized(base, 11));
        painter.setPen(QColor(90, 96, 106));
        painter.drawText(QRect(left, face.top() + 14, 150, 16), Qt::AlignLeft | Qt::AlignVCenter, family);
        painter.setFont(sized(base, 15, true));
        painter.setPen(QColor(40, 44, 52));
        painter.drawText(QRect(left, face.top() + 30, 158, 22), Qt::AlignLeft | Qt::AlignVCenter, code);
        painter.setFont(sized(base, 11));
        painter.setPen(QColor(90, 96, 106));
        painter.drawText(QRect(left, face.top() + 52, 150, 16), Qt::AlignLeft | Qt::AlignVCenter, supplyText);
        paintBaseControls(painter, face);
    }

    // Models without a display, and the extension modules, show their inputs and outputs on
    // rows of small LEDs.
    if (module == 0 && hasDisplay()) {
        return;
    }
    const int rowsLeft = module == 0 ? face.left() + 176 : left;
    const int pitch = 26;
    painter.setFont(sized(base, 9));
    for (int n = 1; n <= DeviceSimulation::kInputs; ++n) {
        const QPoint centre(rowsLeft + 8 + (n - 1) * pitch, face.top() + (module == 0 ? 40 : 82));
        paintLed(painter, centre, QColor(255, 176, 0), (inputs_[module] >> (n - 1)) & 1,
                 QStringLiteral("%1%2").arg(QLatin1Char(kInputLetters[module])).arg(n));
    }
    for (int n = 1; n <= kRelays; ++n) {
        const QPoint centre(rowsLeft + 8 + (n - 1) * pitch, face.top() + (module == 0 ? 96 : 130));
        paintLed(painter, centre, QColor(46, 204, 113), outputShown(module, n),
                 QStringLiteral("%1%2").arg(QLatin1Char(kOutputLetters[module])).arg(n));
    }
}

void DevicePicture::paintBaseControls(QPainter& painter, const QRect& face) const {
    const QFont base = font();
    const int left = face.left() + kInset - 6;

    // The three LEDs.
    painter.setFont(sized(base, 9, true));
    paintLed(painter, QPoint(left + 12, face.top() + 90), QColor(46, 204, 113), power_, LoadText(PowerLed));
    paintLed(painter, QPoint(left + 62, face.top() + 90), QColor(46, 204, 113), run_, LoadText(RunLed));
    paintLed(painter, QPoint(left + 112, face.top() + 90), QColor(231, 76, 60), error_, LoadText(ErrorLed));

    // The supply switch: a badge that shows the switched-on supply, the window's box beside it.
    const QRect badge(left, face.top() + 128, 38, 22);
    painter.setPen(QPen(QColor(70, 74, 80), 1.0));
    painter.setBrush(supply_ ? QColor(255, 196, 61) : QColor(150, 154, 160));
    painter.drawRoundedRect(QRectF(badge), 4, 4);
    painter.setPen(QPen(QColor(40, 44, 52), 1.6));
    const QPointF mid(badge.center().x() + 0.5, badge.center().y() + 0.5);
    if (QLatin1String(PowerOnPicture(model_)) == QLatin1String("AC_ON")) {
        QPainterPath wave;  // a sine period
        for (int i = 0; i <= 24; ++i) {
            const QPointF p(mid.x() - 12 + i, mid.y() - 5 * std::sin(i * 3.14159265 / 12));
            i == 0 ? wave.moveTo(p) : wave.lineTo(p);
        }
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(wave);
    } else {  // a solid line over a dashed one
        painter.drawLine(QPointF(mid.x() - 12, mid.y() - 3), QPointF(mid.x() + 12, mid.y() - 3));
        for (int i = 0; i < 3; ++i) {
            painter.drawLine(QPointF(mid.x() - 12 + i * 9, mid.y() + 3),
                             QPointF(mid.x() - 6 + i * 9, mid.y() + 3));
        }
    }

    if (!hasDisplay()) {
        return;
    }
    // The display, lit while the device runs.
    const QRect lcd(face.left() + 170, face.top() + 14, 200, 68);
    const bool lit = power_ || !display_[0].isEmpty();
    painter.setPen(QPen(QColor(40, 44, 52), 2.0));
    painter.setBrush(QColor(30, 34, 40));
    painter.drawRoundedRect(QRectF(lcd), 5, 5);
    const QRect glass = lcd.adjusted(6, 6, -6, -6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(lit ? QColor(190, 214, 140) : QColor(112, 124, 96));
    painter.drawRect(glass);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(17);
    fixed.setBold(true);
    painter.setFont(fixed);
    painter.setPen(QColor(24, 36, 20));
    for (int line = 0; line < 3; ++line) {
        painter.drawText(QRect(glass.left() + 6, glass.top() + 1 + line * 18, glass.width() - 8, 18),
                         Qt::AlignLeft | Qt::AlignVCenter, display_[line]);
    }

    // The keys.
    const std::array<std::pair<std::uint8_t, QString>, DeviceKey::Count> keys = {{
        {DeviceKey::Escape, LoadText(EscapeKey)},
        {DeviceKey::Delete, LoadText(DeleteKey)},
        {DeviceKey::Insert, LoadText(InsertKey)},
        {DeviceKey::Enter, LoadText(EnterKey)},
        {DeviceKey::Up, QString()},
        {DeviceKey::Down, QString()},
        {DeviceKey::Left, QString()},
        {DeviceKey::Right, QString()},
    }};
    painter.setFont(sized(base, 10, true));
    for (const auto& [code, caption] : keys) {
        const QRect key = keyRect(code);
        const bool down = pressed_ == code;
        QLinearGradient cap(key.topLeft(), key.bottomLeft());
        cap.setColorAt(0.0, down ? QColor(120, 126, 136) : QColor(250, 251, 252));
        cap.setColorAt(1.0, down ? QColor(150, 156, 166) : QColor(196, 201, 209));
        painter.setPen(QPen(QColor(80, 86, 96), 1.0));
        painter.setBrush(cap);
        painter.drawRoundedRect(QRectF(key), 5, 5);
        painter.setPen(QColor(40, 44, 52));
        if (!caption.isEmpty()) {
            painter.drawText(key, Qt::AlignCenter, caption);
            continue;
        }
        // An arrow pointing the key's way.
        const QPointF c = QRectF(key).center();
        QPointF tip, a, b;
        switch (code) {
            case DeviceKey::Up:
                tip = c + QPointF(0, -6), a = c + QPointF(-6, 4), b = c + QPointF(6, 4);
                break;
            case DeviceKey::Down:
                tip = c + QPointF(0, 6), a = c + QPointF(-6, -4), b = c + QPointF(6, -4);
                break;
            case DeviceKey::Left:
                tip = c + QPointF(-6, 0), a = c + QPointF(4, -6), b = c + QPointF(4, 6);
                break;
            default:
                tip = c + QPointF(6, 0), a = c + QPointF(-4, -6), b = c + QPointF(-4, 6);
                break;
        }
        painter.setBrush(QColor(40, 44, 52));
        painter.setPen(Qt::NoPen);
        const QPointF arrow[] = {tip, a, b};
        painter.drawPolygon(arrow, 3);
    }
}

void DevicePicture::paintLed(QPainter& painter, const QPoint& centre, const QColor& colour, bool lit,
                             const QString& caption) const {
    const qreal radius = 5.5;
    if (lit) {
        QRadialGradient glow(centre, radius + 5);
        glow.setColorAt(0.5, QColor(colour.red(), colour.green(), colour.blue(), 120));
        glow.setColorAt(1.0, QColor(colour.red(), colour.green(), colour.blue(), 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawEllipse(QPointF(centre), radius + 5, radius + 5);
    }
    QRadialGradient body(QPointF(centre) - QPointF(2, 2), radius * 1.6);
    body.setColorAt(0.0, lit ? colour.lighter(170) : QColor(120, 124, 130));
    body.setColorAt(1.0, lit ? colour.darker(120) : QColor(70, 74, 80));
    painter.setPen(QPen(QColor(50, 54, 60), 1.0));
    painter.setBrush(body);
    painter.drawEllipse(QPointF(centre), radius, radius);
    if (!caption.isEmpty()) {
        painter.setPen(QColor(60, 64, 72));
        painter.drawText(QRect(centre.x() - 26, centre.y() + 7, 52, 14), Qt::AlignCenter, caption);
    }
}

void DevicePicture::paintRelay(QPainter& painter, const QRect& cell, const QString& name, bool closed) const {
    const QFont base = font();
    const qreal y = cell.top() + 20;
    const QPointF left(cell.left() + cell.width() * 0.3, y);
    const QPointF right(cell.left() + cell.width() * 0.7, y);
    // The contact: two posts, the blade closed onto the right one or lifted off it.
    const QColor metal = closed ? QColor(120, 230, 150) : QColor(210, 214, 220);
    painter.setPen(QPen(metal, 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(left, left + QPointF(0, 9));
    painter.drawLine(right, right + QPointF(0, 9));
    painter.drawLine(left, closed ? right : right + QPointF(-4, -10));
    painter.setPen(Qt::NoPen);
    painter.setBrush(metal);
    painter.drawEllipse(left, 2.5, 2.5);
    painter.drawEllipse(right, 2.5, 2.5);
    paintScrew(painter, QPointF(left.x(), cell.top() + 42), 8.0);
    paintScrew(painter, QPointF(right.x(), cell.top() + 42), 8.0);
    painter.setFont(sized(base, 10, true));
    painter.setPen(closed ? QColor(120, 230, 150) : QColor(225, 228, 233));
    painter.drawText(QRect(cell.left(), cell.top() + 52, cell.width(), 16), Qt::AlignCenter, name);
}

}  // namespace bdx
