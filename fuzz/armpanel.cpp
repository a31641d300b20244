// One received message through the arm panel, as its bytes came: the readouts either stay
// as they were or show the tool point of the arm with the joint at the converted angle,
// worked out here from the kinematics alone. Which joint and which angle text the protocol
// library says, as it says it for every reader of the wire.
#include "armpanel.h"
#include "conversions.h"
#include "designunits.h"
#include "fuzzcheck.h"
#include "jointmessage.h"
#include "kinematics.h"
#include "winansi.h"

#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

ArmPanel *g_panel = nullptr;
std::array<QLineEdit *, 3> g_readouts{};

QStringList readouts()
{
    return {g_readouts[0]->text(), g_readouts[1]->text(), g_readouts[2]->text()};
}

QStringList toolWith(int joint, qint32 degrees)
{
    std::array<int, 4> angles = arm::kOpeningPose;
    angles[joint - 1] = degrees;
    arm::ArmModel model;
    model.load(angles);
    model.chainProduct();
    const arm::Point3 tool = model.tool();
    return {Conversions::toFixed(tool.x), Conversions::toFixed(tool.y), Conversions::toFixed(tool.z)};
}

} // namespace

// The system's font library drops what it loads for the first drawing without freeing it;
// that is not ours to find.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The program's users read decimal commas and group points: the texts go through the
    // Spanish reading, the harder of the two. Qt takes the system locale from these names
    // alone, installed or not, LC_ALL first.
    qputenv("LC_ALL", "es_ES.UTF-8");
    static int argc = 1;
    static char name[] = "fuzz_armpanel";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv);

    auto *surface = new QWidget;
    surface->resize(800, 600);
    ArmPanelLayout layout;
    layout.picSuperior = DesignUnits::rect(600, 840, 4215, 2895);
    layout.picLateral = DesignUnits::rect(6360, 840, 4215, 2895);
    g_panel = new ArmPanel(surface, layout);
    const char *names[] = {"txtPosicionX", "txtPosicionY", "txtPosicionZ"};
    for (int i = 0; i < 3; ++i) {
        g_readouts[i] = surface->findChild<QLineEdit *>(QLatin1String(names[i]));
        FUZZ_CHECK(g_readouts[i]);
    }
    FUZZ_CHECK(QLocale::system().language() == QLocale::Spanish);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Every input starts from the loaded window, so that a finding replays on its own.
    g_panel->Form_Load();
    const QStringList before = readouts();

    const QByteArray received = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const protocol::Outcome outcome = g_panel->JointMessage(received);
    const QStringList after = readouts();

    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const int joint = protocol::jointOf(bytes);
    if (joint == 0) {
        FUZZ_CHECK(outcome.kind == protocol::Outcome::Kind::UnknownSelector);
        FUZZ_CHECK(after == before);
        return 0;
    }
    const std::string angle = protocol::angleText(bytes);
    const std::optional<qint32> degrees =
        Conversions::toInt32(WinAnsi::decode(QByteArray(angle.data(), qsizetype(angle.size()))));
    FUZZ_CHECK(outcome.joint == joint);
    if (!degrees) {
        FUZZ_CHECK(outcome.kind != protocol::Outcome::Kind::Moved);
        FUZZ_CHECK(after == before);
        return 0;
    }
    const QStringList expected = toolWith(joint, *degrees);
    FUZZ_CHECK(after == before || after == expected);
    if (outcome.kind == protocol::Outcome::Kind::Moved) {
        FUZZ_CHECK(outcome.degrees == *degrees);
        FUZZ_CHECK(after == expected);
    }
    return 0;
}
