#include "armpanel.h"

#include "armviews.h"
#include "controls.h"
#include "conversions.h"
#include "picturearea.h"
#include "vbunits.h"

#include <QLabel>
#include <QLineEdit>

#include <limits>

namespace {

const QString kDefaultText[4] = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                                 QStringLiteral("-90")};

constexpr quint32 kTitleBack = 0x00FFFFC0;
constexpr quint32 kFirstReadoutTitleBack = 0x00FFFF80;
constexpr quint32 kBoxBack = 0x00E0E0E0;

QLabel *titleLabel(QWidget *surface, const char *name, const QString &caption, const QRect &rect,
                   quint32 back)
{
    QLabel *label = Controls::label(surface, name, caption, rect);
    Controls::setBackColor(label, VbUnits::color(back));
    Controls::autoSize(label);
    return label;
}

QLineEdit *greyBox(QWidget *surface, const char *name, const QString &text, const QRect &rect)
{
    QLineEdit *box = Controls::textBox(surface, name, text, rect);
    // A received message goes into the entry whole, however long it is.
    box->setMaxLength(std::numeric_limits<int>::max());
    Controls::setBackColor(box, VbUnits::color(kBoxBack));
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
    vislat = titleLabel(surface, "vislat", QStringLiteral("Vista Lateral"), layout.vislat, kTitleBack);
    Label1 = titleLabel(surface, "Label1", QStringLiteral("Vista Superior"), layout.Label1, kTitleBack);
    lblY = Controls::label(surface, "lblY", QStringLiteral("y"), layout.lblY);
    lblY->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblXsup = Controls::label(surface, "lblXsup", QStringLiteral("x"), layout.lblXsup);
    lblXsup->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblZ = Controls::label(surface, "lblZ", QStringLiteral("  z"), layout.lblZ);
    lblX = Controls::label(surface, "lblX", QStringLiteral("  x"), layout.lblX);

    // The views stand over the axis letters where they overlap, as windowed controls stand
    // over labels; a redrawn view then repaints nothing beneath it.
    picSuperior = view(surface, "picSuperior", layout.picSuperior);
    picLateral = view(surface, "picLateral", layout.picLateral);
    arm::setUpTopView(picSuperior);
    arm::setUpSideView(picLateral);

    lblPosicionX = titleLabel(surface, "lblPosicionX", QStringLiteral("POSICION EN X"),
                              layout.lblPosicionX, kFirstReadoutTitleBack);
    lblPosicionY = titleLabel(surface, "lblPosicionY", QStringLiteral("POSICION EN Y"),
                              layout.lblPosicionY, kTitleBack);
    lblPosicionZ = titleLabel(surface, "lblPosicionZ", QStringLiteral("POSICION EN Z"),
                              layout.lblPosicionZ, kTitleBack);

    txtPosicionX = greyBox(surface, "txtPosicionX", QString(), layout.txtPosicionX);
    txtPosicionY = greyBox(surface, "txtPosicionY", QString(), layout.txtPosicionY);
    txtPosicionZ = greyBox(surface, "txtPosicionZ", QString(), layout.txtPosicionZ);
    txtQ1 = greyBox(surface, "txtQ1", kDefaultText[0], layout.txtQ1);
    txtQ2 = greyBox(surface, "txtQ2", kDefaultText[1], layout.txtQ2);
    txtQ3 = greyBox(surface, "txtQ3", kDefaultText[2], layout.txtQ3);
    txtQ4 = greyBox(surface, "txtQ4", kDefaultText[3], layout.txtQ4);

    // textChanged fires for typing and for a write of a different text, synchronously,
    // and not for a write of the text already there.
    connect(txtQ1, &QLineEdit::textChanged, this, &ArmPanel::txtQ1_Change);
    connect(txtQ2, &QLineEdit::textChanged, this, &ArmPanel::txtQ2_Change);
    connect(txtQ3, &QLineEdit::textChanged, this, &ArmPanel::txtQ3_Change);
    connect(txtQ4, &QLineEdit::textChanged, this, &ArmPanel::txtQ4_Change);
}

QLineEdit *ArmPanel::entry(int joint) const
{
    switch (joint) {
    case 1: return txtQ1;
    case 2: return txtQ2;
    case 3: return txtQ3;
    case 4: return txtQ4;
    default: return nullptr;
    }
}

void ArmPanel::Form_Load()
{
    m_model.links = arm::armLinks();
    for (int joint = 1; joint <= 4; ++joint)
        entry(joint)->setText(kDefaultText[joint - 1]);
    std::array<int, 4> degrees{};
    for (int joint = 1; joint <= 4; ++joint)
        degrees[joint - 1] = Conversions::toInt32(entry(joint)->text()).value_or(0);
    m_model.load(degrees);
}

void ArmPanel::JointMessage(const QString &received)
{
    if (received.isEmpty())
        return;
    const QChar selector = received.front();
    if (selector < QLatin1Char('A') || selector > QLatin1Char('D'))
        return;
    const int joint = selector.unicode() - 'A' + 1;
    entry(joint)->setText(received.size() == 1 ? kDefaultText[joint - 1] : received.mid(1));
}

void ArmPanel::txtQ1_Change() { jointChanged(1); }
void ArmPanel::txtQ2_Change() { jointChanged(2); }
void ArmPanel::txtQ3_Change() { jointChanged(3); }
void ArmPanel::txtQ4_Change() { jointChanged(4); }

void ArmPanel::jointChanged(int joint)
{
    const std::optional<qint32> degrees = Conversions::toInt32(entry(joint)->text());
    if (!degrees)
        return;
    m_model.SetJointAngle(joint, *degrees);
    UpdateArm();
}

void ArmPanel::UpdateArm()
{
    m_model.chainProduct();

    picLateral->clear();
    picSuperior->clear();

    const arm::Point3 tool = m_model.tool();
    txtPosicionX->setText(Conversions::toFixed(tool.x));
    txtPosicionY->setText(Conversions::toFixed(tool.y));
    txtPosicionZ->setText(Conversions::toFixed(tool.z));

    arm::drawSideView(picLateral, m_model);
    arm::drawTopView(picSuperior, m_model);
    emit armUpdated();
}
