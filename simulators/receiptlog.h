#pragma once

#include "receipt.h"

#include <QAbstractTableModel>

#include <optional>
#include <vector>

// The messages one simulator took, for its monitor: the last ones up to a capacity, newest
// last, in a ring, so that a message costs the same however many came before. The
// counters take every message since the start or the last clear.
class ReceiptLog : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int kCapacity = 10000;
    enum Column { Time, Gap, Bytes, Outcome, ColumnCount };

    struct Counters
    {
        qint64 receives = 0;
        qint64 moved = 0;
        qint64 notANumber = 0;
        qint64 unknownSelector = 0;
        qint64 sameText = 0;
        // Between two messages, in ms; none before the second message.
        std::optional<qint64> shortestGapMs;
    };

    explicit ReceiptLog(QObject *parent = nullptr, int capacity = kCapacity);

    void append(const Receipt &receipt);
    void clear();

    // Row 0 is the oldest kept.
    const Receipt &receipt(int row) const;
    // Since the message before, in ms; none for the first one ever taken.
    std::optional<qint64> gapMs(int row) const;
    const Counters &counters() const { return m_counters; }
    // The messages of the second before the newest one.
    int perSecond() const;
    int capacity() const { return int(m_ring.size()); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // After every message and clear.
    void countersChanged();

private:
    struct Entry
    {
        Receipt receipt;
        std::optional<qint64> gapMs;
    };

    const Entry &entry(int row) const { return m_ring[(m_first + std::size_t(row)) % m_ring.size()]; }

    std::vector<Entry> m_ring;
    std::size_t m_first = 0;
    int m_size = 0;
    Counters m_counters;
    std::optional<qint64> m_lastMs;
    // The oldest kept row of the last second, as rows from the oldest kept.
    int m_secondStart = 0;
};
