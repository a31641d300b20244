#include "armpanel.h"

#include "armviews.h"
#include "controls.h"
#include "conversions.h"
#include "designunits.h"
#include "picturearea.h"
#include "winansi.h"

#include <QAccessible>
#include <QFont>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QShortcut>

namespace {

constexpr quint32 kTitleBack = 0x00FFFFC0;
constexpr quint32 kFirstReadoutTitleBack = 0x00FFFF80;
constexpr quint32 kBoxBack = 0x00E0E0E0;

QString openingText(int joint)
{
    return QString::number(arm::kOpeningPose[joint - 1]);
}

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
{
    setObjectName(QStringLiteral("arm"));
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
    for (PictureArea *area : {m_top, m_side}) {
        // A right click, or the menu key where the platform makes it a context menu event.
        area->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(area, &QWidget::customContextMenuRequested, this,
                [this, area](const QPoint &at) { showViewMenu(area, at); });
        // Shift+F10 is the menu key's other name, which only some platforms translate.
        auto *menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), area);
        menuKey->setContext(Qt::WidgetShortcut);
        connect(menuKey, &QShortcut::activated, this, [this, area] { showViewMenu(area, area->rect().center()); });
    }

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
        QLineEdit *entry = greyBox(surface, name.constData(), openingText(joint), entryRects[joint - 1]);
        m_entries[joint - 1] = entry;
        // The entries have no caption of their own: a screen reader needs a name for each.
        entry->setAccessibleName(QStringLiteral("Ángulo Q%1").arg(joint));
        // textChanged fires for typing and for a write of a different text, synchronously,
        // and not for a write of the text already there.
        connect(entry, &QLineEdit::textChanged, this, [this, joint] { txtQ_Change(joint); });
    }
}

void ArmPanel::Form_Load()
{
    m_model.links = arm::armLinks();
    for (int joint = 1; joint <= 4; ++joint)
        m_entries[joint - 1]->setText(openingText(joint));
    for (int joint = 1; joint <= 4; ++joint)
        m_degrees[joint - 1] = Conversions::toInt32(m_entries[joint - 1]->text(), m_locale).value_or(0);
    m_model.load(m_degrees);
}

arm::Point3 ArmPanel::tool() const
{
    // Until the first move the poses are not worked out; the same product of the same
    // transforms gives them.
    arm::ArmModel now = m_model;
    now.chainProduct();
    return now.tool();
}

void ArmPanel::setJointTexts(const std::array<int, 4> &degrees)
{
    for (int joint = 1; joint <= 4; ++joint)
        m_entries[joint - 1]->setText(QString::number(degrees[joint - 1]));
}

protocol::Outcome ArmPanel::JointMessage(const QByteArray &message)
{
    protocol::Outcome outcome;
    const std::string_view bytes(message.constData(), std::size_t(message.size()));
    outcome.joint = protocol::jointOf(bytes);
    if (outcome.joint == 0)
        return outcome;
    const std::string angle = protocol::angleText(bytes);
    const QString text = WinAnsi::decode(QByteArray::fromRawData(angle.data(), qsizetype(angle.size())));
    QLineEdit *entry = m_entries[outcome.joint - 1];
    if (entry->text() == text) {
        outcome.kind = protocol::Outcome::Kind::SameText;
        return outcome;
    }
    // The write runs the entry's change, which moves the arm when the text converts.
    entry->setText(text);
    const std::optional<qint32> degrees = Conversions::toInt32(text, m_locale);
    outcome.kind = degrees ? protocol::Outcome::Kind::Moved : protocol::Outcome::Kind::NotANumber;
    outcome.degrees = degrees.value_or(0);
    return outcome;
}

void ArmPanel::Receive(const QByteArray &bytes,
                       const std::function<void(const QByteArray &, const protocol::Outcome &)> &taken)
{
    const QPointer<ArmPanel> self(this);
    for (const std::string_view piece : protocol::split(std::string_view(bytes.constData(), std::size_t(bytes.size())))) {
        // Whoever heard of the last message may have closed the window.
        if (!self)
            return;
        const QByteArray message(piece.data(), qsizetype(piece.size()));
        taken(message, JointMessage(message));
    }
}

void ArmPanel::showViewMenu(QWidget *view, const QPoint &at)
{
    auto *menu = new QMenu(view);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    emit viewMenuAboutToShow(menu);
    // The first entry, ready for Return when the menu came from the keyboard.
    if (!menu->actions().isEmpty())
        menu->setActiveAction(menu->actions().constFirst());
    menu->popup(view->mapToGlobal(at));
}

void ArmPanel::txtQ_Change(int joint)
{
    const std::optional<qint32> degrees = Conversions::toInt32(m_entries[joint - 1]->text(), m_locale);
    if (!degrees)
        return;
    m_degrees[joint - 1] = *degrees;
    m_model.SetJointAngle(joint, *degrees);
    UpdateArm();
}

void ArmPanel::UpdateArm()
{
    m_model.chainProduct();

    const PictureArea::Batch sideDrawing(m_side);
    const PictureArea::Batch topDrawing(m_top);
    m_side->clear();
    m_top->clear();

    const arm::Point3 tool = m_model.tool();
    const QString texts[3] = {Conversions::toFixed(tool.x, m_locale), Conversions::toFixed(tool.y, m_locale),
                              Conversions::toFixed(tool.z, m_locale)};
    // The same text shows the same; written again, it would also drop the user's selection.
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

    arm::drawSideView(m_side, m_model);
    arm::drawTopView(m_top, m_model);
    emit armUpdated();
}
