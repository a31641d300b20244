#pragma once

#include <QList>
#include <QPointer>
#include <QSqlError>
#include <QString>
#include <QVariant>
#include <QWidget>

class QDataWidgetMapper;
class QLabel;
class QSqlTableModel;
class QToolButton;

// The bound record navigator of a window: four move buttons (first, previous, next, last)
// with a caption between them, over one table of a database. The boxes bound to the
// table's fields always show the current record. Leaving a record that was edited, or a
// newly begun one, writes it first and moves only when the write succeeded; a refused
// write leaves the record on screen with everything typed, so it can be corrected.
//
// An operation called by the window returns false when it could not be done, and
// lastError() then holds the engine's report, for the caller to word. The move buttons run
// no caller's code: what they cannot do is reported by failed().
class RecordNavigator : public QWidget
{
    Q_OBJECT

public:
    explicit RecordNavigator(QWidget *parent = nullptr);
    ~RecordNavigator() override;

    // Binds a box (through its user property, the text of a line edit) to a field of the
    // table. Bind the boxes before open(). A box takes typed text only while there is a
    // record to write it into: a current record or a new one.
    void bind(QWidget *widget, const QString &field);
    // What the boxes show, while empty, when there is no record to type into (no record
    // set, an empty table, a record just deleted): say how to begin one.
    void setNoRecordHint(const QString &hint);

    // Takes over a model of one table, reads it and shows its first record. A read-only
    // navigator never writes: its boxes are read-only and addNew/deleteCurrent refuse.
    bool open(QSqlTableModel *model, bool readOnly = false);
    // Drops the record set without writing anything; call savePending() first to keep a
    // pending edit. Must run before the connection is removed.
    void close();

    bool isOpen() const { return m_model != nullptr; }
    bool isReadOnly() const { return m_readOnly; }
    // False on an empty table, while a new record is being entered, and after the current
    // record was deleted until the next move.
    bool hasCurrentRecord() const;
    bool isAddingNew() const { return m_adding; }
    // The zero-based position of the current record (-1 when there is none).
    int currentRow() const { return m_row; }

    void setCaption(const QString &caption);

    // Writes the current record if it was edited, or the new record if anything was typed
    // into it (a new record left blank is dropped). True when nothing is pending any more.
    bool savePending();
    // Saves what is pending, then begins an empty record at the end of the table.
    bool addNew();
    // Deletes the current record from the table at once; the boxes keep its values until
    // the next move.
    bool deleteCurrent();

    bool moveFirst();
    bool movePrevious();
    bool moveNext();
    bool moveLast();

    // The engine's report of the last operation that failed; empty when it failed without
    // asking the engine (no record set, a read-only one, no current record).
    QSqlError lastError() const { return m_lastError; }

signals:
    // A move button could not write the record on screen, which stays there as typed.
    void failed(const QSqlError &error);
    // Another record is on screen, or none after a new one was left.
    void moved();

private:
    struct Binding
    {
        QPointer<QWidget> widget;
        QString field;
        int section = -1;
    };

    QToolButton *moveButton(const char *name, const QString &text, const QString &description);
    void updateBoxes();
    void moveByButton(bool (RecordNavigator::*move)());
    // Writes what is pending before a move; false when there is nowhere to move or the
    // write was refused.
    bool leaveCurrent();
    bool moveTo(int row);
    void show(int row);
    void fetchUpTo(int row);
    void fetchAll();
    bool isEdited() const;
    void discardPending();
    int findSaved(const QList<QVariant> &key);
    QList<QVariant> boxValues() const;
    void setBoxValues(const QList<QVariant> &values);
    void clearBoxes();
    bool fail(const QSqlError &error);

    QToolButton *m_first = nullptr;
    QToolButton *m_previous = nullptr;
    QToolButton *m_next = nullptr;
    QToolButton *m_last = nullptr;
    QLabel *m_caption = nullptr;

    QList<Binding> m_bindings;
    QString m_noRecordHint;
    QSqlTableModel *m_model = nullptr;
    QDataWidgetMapper *m_mapper = nullptr;
    bool m_readOnly = false;
    int m_row = -1;
    bool m_adding = false;
    bool m_deleted = false;
    // Where a new record that is left blank returns to.
    int m_rowBeforeNew = -1;
    // What the boxes showed when the current record was put on screen: an edit is any
    // difference from it.
    QList<QVariant> m_shown;
    QSqlError m_lastError;
};
