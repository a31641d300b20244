// Renders the guide's ten pictures from our own simulator arm at the pose the guide
// explains (18, -18, -38, -52 degrees) and writes them as 24-bit bitmaps.
//
//   generador_guia [output folder]      (default: the sources' resources/guia)
//
// It runs offscreen and in the Fusion style, so that the pictures do not depend on the
// desktop they are made on.

#include "controls.h"
#include "designunits.h"
#include "frmbrazo.h"
#include "picturearea.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QString>
#include <QStyleFactory>
#include <QWidget>

#include <cstdio>
#include <functional>

namespace {

constexpr quint32 kGroupGrey = 0x00C0C0C0;

const char *const kPose[4] = {"18", "-18", "-38", "-52"};
const char *const kReadouts[3] = {"15.754", "05.119", "20.958"};

// The simulator's entries have no buttons of their own; the guide's joint boxes show the
// plus and minus buttons its texts speak of, to the left of the real entry.
QImage jointPicture(const QString &title, const QPixmap &entry, const QSize &size)
{
    QGroupBox box(title);
    Controls::setBackColor(&box, DesignUnits::color(kGroupGrey));
    box.resize(size);

    const int top = box.fontMetrics().height() + 2;
    const int available = size.height() - top - 4;
    const int buttonHeight = available / 2;
    constexpr int kButtonLeft = 5;
    constexpr int kButtonWidth = 26;
    auto *plus = new QPushButton(QStringLiteral("+"), &box);
    plus->setGeometry(kButtonLeft, top, kButtonWidth, buttonHeight);
    auto *minus = new QPushButton(QStringLiteral("-"), &box);
    minus->setGeometry(kButtonLeft, top + buttonHeight, kButtonWidth, buttonHeight);
    auto *field = new QLabel(&box);
    field->setPixmap(entry);
    field->setGeometry(size.width() - entry.width() - 6, top + (available - entry.height()) / 2,
                       entry.width(), entry.height());

    box.show();
    return box.grab().toImage();
}

// The simulator puts each readout's title above its box; the guide shows them side by side.
QImage readoutPicture(const QPixmap &title, const QPixmap &readout, const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(DesignUnits::color(DesignUnits::kBlue));
    QPainter painter(&image);
    painter.drawPixmap(1, (size.height() - title.height()) / 2, title);
    painter.drawPixmap(size.width() - readout.width() - 1, (size.height() - readout.height()) / 2,
                       readout);
    return image;
}

QImage captionPicture(QWidget *caption, const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(caption->palette().color(caption->backgroundRole()));
    const QPixmap text = caption->grab();
    QPainter painter(&image);
    painter.drawPixmap((size.width() - text.width()) / 2, (size.height() - text.height()) / 2,
                       text);
    return image;
}

QImage regionPicture(QWidget *surface, const QRect &region, const QSize &size)
{
    return surface->grab(region).toImage().scaled(size, Qt::IgnoreAspectRatio,
                                                  Qt::SmoothTransformation);
}

bool write(const QDir &folder, const char *name, const QImage &image, const QSize &size)
{
    const QString path = folder.filePath(QStringLiteral("%1.bmp").arg(QLatin1String(name)));
    const QImage bitmap = image.convertToFormat(QImage::Format_RGB888);
    if (bitmap.size() != size || !bitmap.save(path, "BMP")) {
        std::fprintf(stderr, "No se pudo escribir %s (%dx%d)\n", qPrintable(path), bitmap.width(),
                     bitmap.height());
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(path), bitmap.width(), bitmap.height());
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    const QDir folder(QDir::cleanPath(argc > 1 ? QString::fromLocal8Bit(argv[1])
                                               : QStringLiteral(BRAZO_GUIA_DIR)));
    if (!folder.exists()) {
        std::fprintf(stderr, "La carpeta %s no existe\n", qPrintable(folder.path()));
        return 1;
    }

    // The serially controlled simulator itself. Its port must not be the machine's first
    // serial port: the pictures need no line, and that device may be a console.
    QMdiArea frame;
    auto *simulatorForm = new frmBrazo(QStringLiteral("/nonexistent/brazo-generador"), &frame);
    simulatorForm->showIn(&frame);
    QWidget *simulator = simulatorForm->findChild<QWidget *>(QStringLiteral("surface"));
    auto control = [simulator](const char *name) {
        return simulator->findChild<QWidget *>(QLatin1String(name));
    };
    auto box = [simulator](const QString &name) {
        return simulator->findChild<QLineEdit *>(name);
    };
    for (int joint = 1; joint <= 4; ++joint)
        box(QStringLiteral("txtQ%1").arg(joint))->setText(QLatin1String(kPose[joint - 1]));
    const char *const readoutNames[3] = {"txtPosicionX", "txtPosicionY", "txtPosicionZ"};
    for (int axis = 0; axis < 3; ++axis) {
        const QString shown = box(QLatin1String(readoutNames[axis]))->text();
        if (shown != QLatin1String(kReadouts[axis])) {
            std::fprintf(stderr, "La lectura %d es %s, se esperaba %s\n", axis + 1, qPrintable(shown),
                         kReadouts[axis]);
            return 1;
        }
    }

    // The side view with its axis letters z (top left) and x (bottom right); the top view
    // with its caption above it and its letters y and x.
    const QRect sideRegion = control("picLateral")->geometry()
                                 .united(control("lblZ")->geometry())
                                 .united(control("lblX")->geometry())
                                 .adjusted(-2, -2, 2, 2);
    const QRect topRegion = control("picSuperior")->geometry()
                                .united(control("Label1")->geometry())
                                .united(control("lblY")->geometry())
                                .united(control("lblXsup")->geometry())
                                .adjusted(-2, -2, 2, 2);

    struct Picture
    {
        const char *name;
        QSize size;
        std::function<QImage(const QSize &)> render;
    };
    const auto joint = [box](int number) {
        return [box, number](const QSize &size) {
            return jointPicture(QStringLiteral("Q%1").arg(number),
                                box(QStringLiteral("txtQ%1").arg(number))->grab(), size);
        };
    };
    const auto readout = [control](const char *title, const char *value) {
        return [control, title, value](const QSize &size) {
            return readoutPicture(control(title)->grab(), control(value)->grab(), size);
        };
    };
    const auto region = [simulator](const QRect &rect) {
        return [simulator, rect](const QSize &size) {
            return regionPicture(simulator, rect, size);
        };
    };
    const Picture pictures[] = {
        {"imgQ1", {129, 74}, joint(1)},
        {"imgQ2", {128, 69}, joint(2)},
        {"imgQ3", {129, 73}, joint(3)},
        {"imgQ4", {128, 74}, joint(4)},
        {"imgX", {212, 37}, readout("lblPosicionX", "txtPosicionX")},
        {"imgY", {211, 34}, readout("lblPosicionY", "txtPosicionY")},
        {"imgZ", {211, 33}, readout("lblPosicionZ", "txtPosicionZ")},
        {"imgVistaLateral", {82, 28},
         [control](const QSize &size) { return captionPicture(control("vislat"), size); }},
        {"imgLateral", {300, 204}, region(sideRegion)},
        {"imgSuperior", {298, 231}, region(topRegion)},
    };
    bool ok = true;
    for (const Picture &picture : pictures)
        ok &= write(folder, picture.name, picture.render(picture.size), picture.size);
    return ok ? 0 : 1;
}
