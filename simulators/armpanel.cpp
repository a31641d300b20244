#include "armpanel.h"

#include "armviews.h"
#include "controls.h"
#include "conversions.h"
#include "designunits.h"
#include "picturearea.h"

#include <QAccessible>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>

#include <utility>

namespace {

const QString kDefaultText[4] = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                                 QStringLiteral("-90")};

constexpr quint32 kTitleBack = 0x00FFFFC0;
constexpr quint32 kFirstReadoutTitleBack = 0x00FFFF80;
constexpr quint32 kBoxBack = 0x00E0E0E0;

void titleLabel(QWidget *surface, const char *name, const QString &caption, const QRect &rect,
                quint32 back)
{
    QLabel *label = Controls::label(surface, name, caption, rect);
    Controls::setBackColor(label, DesignUnits::color(back));
    Controls::autoSize(label);
}

QLineEdit *greyBox(QWidget *surface, const char *name, const QString &text, const QRect &rect)
{
    QLineEdit *box = Controls::textBox(surface, name, text, rect);
    Controls::setBackColor(box, DesignUnits::color(kBoxBack));
    // These boxes hold numbers that change with every message; digits need no kerning or
    // ligatures, and laying them out without a shaper costs a fraction.
    QFont font = box->font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    box->setFont(font);
    return box;
}

// What may change an entry's text by the user's hand, or shows it to be edited.
bool isEditing(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::Drop:
    case QEvent::FocusIn:
        return true;
    default:
        return false;
    }
}

PictureArea *view(QWidget *surface, const char *name, const QRect &rect)
{
    auto *area = new PictureArea(surface);
    area->setObjectName(QLatin1String(name));
    area->setGeometry(rect);
    return area;
}

} // namespace

ArmPanel::ArmPanel(QWidget *surface, const ArmPanelLayout &layout)
    : QObject(surface)
    , m_displayIntervalMs(kDisplayIntervalMs)
{
    setObjectName(QStringLiteral("arm"));
    m_displayTimer.setSingleShot(true);
    connect(&m_displayTimer, &QTimer::timeout, this, &ArmPanel::writeDisplay);
    titleLabel(surface, "vislat", QStringLiteral("Vista Lateral"), layout.vislat, kTitleBack);
    titleLabel(surface, "Label1", QStringLiteral("Vista Superior"), layout.Label1, kTitleBack);
    Controls::label(surface, "lblY", QStringLiteral("y"), layout.lblY)->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Controls::label(surface, "lblXsup", QStringLiteral("x"), layout.lblXsup)->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Controls::label(surface, "lblZ", QStringLiteral("  z"), layout.lblZ);
    Controls::label(surface, "lblX", QStringLiteral("  x"), layout.lblX);

    // Created after the axis letters, the views stand over them where they overlap: a
    // redrawn view then repaints nothing beneath it.
    m_top = view(surface, "picSuperior", layout.picSuperior);
    m_top->setAccessibleName(QStringLiteral("Vista superior del brazo"));
    m_side = view(surface, "picLateral", layout.picLateral);
    m_side->setAccessibleName(QStringLiteral("Vista lateral del brazo"));
    arm::setUpTopView(m_top);
    arm::setUpSideView(m_side);

    titleLabel(surface, "lblPosicionX", QStringLiteral("POSICION EN X"), layout.lblPosicionX,
               kFirstReadoutTitleBack);
    titleLabel(surface, "lblPosicionY", QStringLiteral("POSICION EN Y"), layout.lblPosicionY, kTitleBack);
    titleLabel(surface, "lblPosicionZ", QStringLiteral("POSICION EN Z"), layout.lblPosicionZ, kTitleBack);

    m_readouts[0] = greyBox(surface, "txtPosicionX", QString(), layout.txtPosicionX);
    m_readouts[1] = greyBox(surface, "txtPosicionY", QString(), layout.txtPosicionY);
    m_readouts[2] = greyBox(surface, "txtPosicionZ", QString(), layout.txtPosicionZ);
    for (int axis = 0; axis < 3; ++axis)
        m_readouts[axis]->setAccessibleName(QStringLiteral("Posición ") + QLatin1Char("XYZ"[axis]));
    const QRect entryRects[4] = {layout.txtQ1, layout.txtQ2, layout.txtQ3, layout.txtQ4};
    for (int joint = 1; joint <= 4; ++joint) {
        const QByteArray name = "txtQ" + QByteArray::number(joint);
        QLineEdit *entry = greyBox(surface, name.constData(), kDefaultText[joint - 1], entryRects[joint - 1]);
        m_entries[joint - 1] = entry;
        // The entries have no caption of their own: a screen reader needs a name for each.
        entry->setAccessibleName(QStringLiteral("Ángulo Q%1").arg(joint));
        // textChanged fires for typing and for a write of a different text, synchronously,
        // and not for a write of the text already there.
        connect(entry, &QLineEdit::textChanged, this, [this, joint] { txtQ_Change(joint); });
        entry->installEventFilter(this);
    }
}

bool ArmPanel::eventFilter(QObject *watched, QEvent *event)
{
    // The user edits what the link wrote last, not what the entry still shows.
    if (isEditing(event)) {
        for (const auto &pending : m_pendingEntries) {
            if (pending) {
                writeDisplay();
                break;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void ArmPanel::Form_Load()
{
    m_model.links = arm::armLinks();
    for (auto &pending : m_pendingEntries)
        pending.reset();
    for (int joint = 1; joint <= 4; ++joint)
        m_entries[joint - 1]->setText(kDefaultText[joint - 1]);
    std::array<int, 4> degrees{};
    for (int joint = 1; joint <= 4; ++joint)
        degrees[joint - 1] = Conversions::toInt32(m_entries[joint - 1]->text(), m_locale).value_or(0);
    m_model.load(degrees);
}

JointMessageOutcome ArmPanel::JointMessage(const QString &received)
{
    JointMessageOutcome outcome;
    if (received.isEmpty() || received.front() < QLatin1Char('A') || received.front() > QLatin1Char('D'))
        return outcome;
    outcome.joint = received.front().unicode() - 'A' + 1;
    const QString text = received.size() == 1 ? kDefaultText[outcome.joint - 1] : received.mid(1);
    if (entryText(outcome.joint) == text) {
        outcome.kind = JointMessageOutcome::Kind::SameText;
        return outcome;
    }
    // What the entry's change would do, done now. Its text is laid out anew with each
    // write, which costs more than the move itself: it is written with the readouts.
    m_pendingEntries[outcome.joint - 1] = text;
    const std::optional<qint32> degrees = Conversions::toInt32(text, m_locale);
    outcome.kind = degrees ? JointMessageOutcome::Kind::Moved : JointMessageOutcome::Kind::NotANumber;
    outcome.degrees = degrees.value_or(0);
    if (degrees) {
        m_model.SetJointAngle(outcome.joint, *degrees);
        UpdateArm();
    } else {
        displayChanged();
    }
    return outcome;
}

QString ArmPanel::entryText(int joint) const
{
    const std::optional<QString> &pending = m_pendingEntries[joint - 1];
    return pending ? *pending : m_entries[joint - 1]->text();
}

void ArmPanel::txtQ_Change(int joint)
{
    // The text came from a link, whose move is made already.
    if (m_writingEntries)
        return;
    const std::optional<qint32> degrees = Conversions::toInt32(m_entries[joint - 1]->text(), m_locale);
    if (!degrees)
        return;
    m_model.SetJointAngle(joint, *degrees);
    UpdateArm();
}

void ArmPanel::UpdateArm()
{
    m_model.chainProduct();

    m_side->clear();
    m_top->clear();

    arm::drawSideView(m_side, m_model);
    arm::drawTopView(m_top, m_model);
    m_pendingTool = m_model.tool();
    displayChanged();
    emit armUpdated();
}

void ArmPanel::displayChanged()
{
    // A link may move the arm hundreds of times a second. Every move is drawn, but a
    // box's text is laid out anew with each write, and no one reads numbers that change
    // more than a few times a second.
    if (!m_displayAge.isValid() || m_displayAge.elapsed() >= m_displayIntervalMs)
        writeDisplay();
    else if (!m_displayTimer.isActive())
        m_displayTimer.start(int(m_displayIntervalMs - m_displayAge.elapsed()));
}

void ArmPanel::writeDisplay()
{
    m_displayTimer.stop();
    m_displayAge.start();
    {
        const QScopedValueRollback<bool> writing(m_writingEntries, true);
        for (int joint = 1; joint <= 4; ++joint) {
            if (std::optional<QString> pending = std::exchange(m_pendingEntries[joint - 1], std::nullopt))
                m_entries[joint - 1]->setText(*pending);
        }
    }
    const std::optional<arm::Point3> tool = std::exchange(m_pendingTool, std::nullopt);
    if (!tool)
        return;
    const QString texts[3] = {Conversions::toFixed(tool->x, m_locale), Conversions::toFixed(tool->y, m_locale),
                              Conversions::toFixed(tool->z, m_locale)};
    // A write of the same text would still lay it out again, and drop the user's selection.
    for (int axis = 0; axis < 3; ++axis) {
        if (m_readouts[axis]->text() != texts[axis])
            m_readouts[axis]->setText(texts[axis]);
    }
    // What a screen reader says of a view is where it shows the tool; without one
    // listening, the words are not worth making.
    if (QAccessible::isActive()) {
        const QString where = QStringLiteral("Herramienta en X %1, Y %2, Z %3").arg(texts[0], texts[1], texts[2]);
        m_side->setAccessibleDescription(where);
        m_top->setAccessibleDescription(where);
    }
}
