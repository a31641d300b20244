#include "receiptlog.h"

#include "messagelog.h"
#include "programclock.h"

#include <QBrush>
#include <QColor>

namespace {

constexpr qint64 kSecondMs = 1000;
// What a message that moved nothing looks like among those that did.
const QColor kNothingBack(0xFF, 0xF0, 0xC0);
const QColor kNothingText(0xA0, 0x00, 0x00);

} // namespace

ReceiptLog::ReceiptLog(QObject *parent, int capacity)
    : QAbstractTableModel(parent)
    , m_ring(std::size_t(std::max(1, capacity)))
{
}

void ReceiptLog::append(const Receipt &receipt)
{
    using Kind = protocol::Outcome::Kind;
    Entry entry{receipt, std::nullopt};
    if (m_lastMs) {
        entry.gapMs = receipt.ms - *m_lastMs;
        if (!m_counters.shortestGapMs || *entry.gapMs < *m_counters.shortestGapMs)
            m_counters.shortestGapMs = entry.gapMs;
    }
    m_lastMs = receipt.ms;
    ++m_counters.receives;
    switch (receipt.outcome.kind) {
    case Kind::Moved: ++m_counters.moved; break;
    case Kind::NotANumber: ++m_counters.notANumber; break;
    case Kind::UnknownSelector: ++m_counters.unknownSelector; break;
    case Kind::SameText: ++m_counters.sameText; break;
    }

    if (m_size == capacity()) {
        beginRemoveRows(QModelIndex(), 0, 0);
        m_first = (m_first + 1) % m_ring.size();
        --m_size;
        m_secondStart = std::max(0, m_secondStart - 1);
        endRemoveRows();
    }
    beginInsertRows(QModelIndex(), m_size, m_size);
    m_ring[(m_first + std::size_t(m_size)) % m_ring.size()] = std::move(entry);
    ++m_size;
    endInsertRows();
    while (m_secondStart < m_size - 1 && receipt.ms - this->receipt(m_secondStart).ms >= kSecondMs)
        ++m_secondStart;
    emit countersChanged();
}

void ReceiptLog::clear()
{
    beginResetModel();
    for (int row = 0; row < m_size; ++row)
        m_ring[(m_first + std::size_t(row)) % m_ring.size()] = Entry{};
    m_first = 0;
    m_size = 0;
    m_secondStart = 0;
    m_counters = Counters{};
    endResetModel();
    emit countersChanged();
}

const Receipt &ReceiptLog::receipt(int row) const
{
    return entry(row).receipt;
}

std::optional<qint64> ReceiptLog::gapMs(int row) const
{
    return entry(row).gapMs;
}

int ReceiptLog::perSecond() const
{
    return m_size - m_secondStart;
}

int ReceiptLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_size;
}

int ReceiptLog::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ReceiptLog::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_size)
        return QVariant();
    const Entry &row = entry(index.row());
    const bool moved = row.receipt.outcome.kind == protocol::Outcome::Kind::Moved;
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case Time:
            return ProgramClock::timeOfDay(row.receipt.ms);
        case Gap:
            return row.gapMs ? QStringLiteral("%1 ms").arg(*row.gapMs) : QString();
        case Bytes:
            return MessageLog::escape(row.receipt.bytes);
        case Outcome:
            return QString::fromStdString(protocol::words(row.receipt.outcome));
        }
        return QVariant();
    case Qt::BackgroundRole:
        return moved ? QVariant() : QVariant(QBrush(kNothingBack));
    case Qt::ForegroundRole:
        return moved ? QVariant() : QVariant(QBrush(kNothingText));
    case Qt::TextAlignmentRole:
        return index.column() == Gap ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    default:
        return QVariant();
    }
}

QVariant ReceiptLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Time: return QStringLiteral("Hora");
    case Gap: return QStringLiteral("Hueco");
    case Bytes: return QStringLiteral("Bytes");
    case Outcome: return QStringLiteral("Resultado");
    }
    return QVariant();
}
