#include "recordnavigator.h"

#include <QDataWidgetMapper>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaProperty>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QToolButton>

#include <algorithm>
#include <utility>

namespace {

constexpr int kButtonWidth = 23;

QVariant userValue(const QWidget *widget)
{
    return widget->metaObject()->userProperty().read(widget);
}

void setUserValue(QWidget *widget, const QVariant &value)
{
    widget->metaObject()->userProperty().write(widget, value);
}

// Only a property the box has: a line edit's, or a text edit's.
void setIfDeclared(QWidget *widget, const char *name, const QVariant &value)
{
    if (widget->metaObject()->indexOfProperty(name) >= 0)
        widget->setProperty(name, value);
}

} // namespace

RecordNavigator::RecordNavigator(QWidget *parent)
    : QWidget(parent)
{
    m_first = moveButton("moveFirst", QStringLiteral("|\u25C0"), QStringLiteral("Primer registro"));
    m_previous = moveButton("movePrevious", QStringLiteral("\u25C0"), QStringLiteral("Registro anterior"));
    m_next = moveButton("moveNext", QStringLiteral("\u25B6"), QStringLiteral("Registro siguiente"));
    m_last = moveButton("moveLast", QStringLiteral("\u25B6|"), QStringLiteral("\u00DAltimo registro"));
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("caption"));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_first);
    layout->addWidget(m_previous);
    layout->addWidget(m_caption, 1);
    layout->addWidget(m_next);
    layout->addWidget(m_last);

    connect(m_first, &QToolButton::clicked, this, [this] { moveByButton(&RecordNavigator::moveFirst); });
    connect(m_previous, &QToolButton::clicked, this, [this] { moveByButton(&RecordNavigator::movePrevious); });
    connect(m_next, &QToolButton::clicked, this, [this] { moveByButton(&RecordNavigator::moveNext); });
    connect(m_last, &QToolButton::clicked, this, [this] { moveByButton(&RecordNavigator::moveLast); });
}

void RecordNavigator::moveByButton(bool (RecordNavigator::*move)())
{
    if (isOpen() && !(this->*move)())
        emit failed(m_lastError);
}

RecordNavigator::~RecordNavigator() = default;

QToolButton *RecordNavigator::moveButton(const char *name, const QString &text, const QString &description)
{
    auto *button = new QToolButton(this);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(description);
    button->setAccessibleName(description);
    // The move buttons take no keyboard focus: the tab order belongs to the window's boxes
    // and buttons, and moving is done with the mouse.
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedWidth(kButtonWidth);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    return button;
}

void RecordNavigator::bind(QWidget *widget, const QString &field)
{
    m_bindings.append({widget, field, -1});
    updateBoxes();
}

void RecordNavigator::setNoRecordHint(const QString &hint)
{
    m_noRecordHint = hint;
    updateBoxes();
}

void RecordNavigator::updateBoxes()
{
    // What is typed needs a record to go into; without one it would be dropped at the next
    // move or close without a word, so the boxes take nothing until there is one.
    const bool writable = m_model && !m_readOnly && (m_adding || hasCurrentRecord());
    // A read-only record set never has one: no hint leads to a button that refuses.
    const QString hint = writable || m_readOnly ? QString() : m_noRecordHint;
    for (const Binding &binding : std::as_const(m_bindings)) {
        if (binding.widget) {
            setIfDeclared(binding.widget, "readOnly", !writable);
            setIfDeclared(binding.widget, "placeholderText", hint);
        }
    }
}

bool RecordNavigator::open(QSqlTableModel *model, bool readOnly)
{
    close();
    m_lastError = QSqlError();
    m_model = model;
    m_model->setParent(this);
    m_model->setEditStrategy(QSqlTableModel::OnManualSubmit);
    if (!m_model->select()) {
        fail(m_model->lastError());
        close();
        return false;
    }
    for (const Binding &binding : std::as_const(m_bindings)) {
        if (m_model->fieldIndex(binding.field) < 0) {
            fail(QSqlError(QString(), QStringLiteral("no such column: %1").arg(binding.field),
                           QSqlError::StatementError));
            close();
            return false;
        }
    }
    m_mapper = new QDataWidgetMapper(this);
    m_mapper->setModel(m_model);
    // Writes happen only where this navigator decides, never on a change of focus.
    m_mapper->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
    for (Binding &binding : m_bindings) {
        binding.section = m_model->fieldIndex(binding.field);
        if (binding.widget)
            m_mapper->addMapping(binding.widget, binding.section);
    }
    m_readOnly = readOnly;
    if (m_model->rowCount() > 0) {
        show(0);
    } else {
        clearBoxes();
        m_shown = boxValues();
        updateBoxes();
    }
    return true;
}

void RecordNavigator::close()
{
    delete m_mapper;
    m_mapper = nullptr;
    delete m_model;
    m_model = nullptr;
    for (Binding &binding : m_bindings)
        binding.section = -1;
    m_readOnly = false;
    m_row = -1;
    m_adding = false;
    m_deleted = false;
    m_rowBeforeNew = -1;
    m_shown.clear();
    updateBoxes();
}

bool RecordNavigator::hasCurrentRecord() const
{
    return m_model && !m_adding && !m_deleted && m_row >= 0 && m_row < m_model->rowCount();
}

void RecordNavigator::setCaption(const QString &caption)
{
    m_caption->setText(caption);
}

bool RecordNavigator::savePending()
{
    m_lastError = QSqlError();
    if (!m_model)
        return true;
    if (!isEdited()) {
        discardPending();
        return true;
    }
    if (!m_mapper->submit())
        return fail(m_model->lastError());
    QList<QVariant> key;
    const QSqlIndex primaryKey = m_model->primaryKey();
    const QSqlRecord written = m_model->record(m_row);
    for (int i = 0; i < primaryKey.count(); ++i)
        key.append(written.value(primaryKey.fieldName(i)));
    // The model keeps a refused change and the boxes keep what was typed: a later try
    // writes the corrected values over it.
    if (!m_model->submitAll())
        return fail(m_model->lastError());
    // The table was read again: find the written record, which a new one may have moved.
    const int row = findSaved(key);
    if (row >= 0) {
        show(row);
    } else {
        m_adding = false;
        m_row = qMin(m_row, m_model->rowCount() - 1);
        if (m_row >= 0)
            show(m_row);
        else
            updateBoxes();
    }
    return true;
}

bool RecordNavigator::addNew()
{
    if (!m_model || m_readOnly)
        return fail(QSqlError());
    if (!savePending())
        return false;
    fetchAll();
    const int row = m_model->rowCount();
    if (!m_model->insertRow(row))
        return fail(m_model->lastError());
    m_rowBeforeNew = m_row;
    m_row = row;
    m_adding = true;
    m_deleted = false;
    m_mapper->setCurrentIndex(row);
    m_shown = boxValues();
    updateBoxes();
    return true;
}

bool RecordNavigator::deleteCurrent()
{
    if (!hasCurrentRecord() || m_readOnly)
        return fail(QSqlError());
    m_lastError = QSqlError();
    const QList<QVariant> values = boxValues();
    // An edit not yet written dies with its record; the row is found by its stored key.
    if (m_model->isDirty())
        m_model->revertAll();
    const bool deleted = m_model->removeRow(m_row) && m_model->submitAll();
    if (!deleted) {
        fail(m_model->lastError());
        m_model->revertAll();
    }
    // Whatever the model did on screen, the boxes go on showing the record as it was.
    setBoxValues(values);
    m_deleted = deleted;
    updateBoxes();
    return deleted;
}

bool RecordNavigator::moveFirst()
{
    if (!leaveCurrent())
        return false;
    return moveTo(0);
}

bool RecordNavigator::movePrevious()
{
    if (!leaveCurrent())
        return false;
    return moveTo(m_row - 1);
}

bool RecordNavigator::moveNext()
{
    if (!leaveCurrent())
        return false;
    // After a delete the next record has taken the deleted one's place.
    return moveTo(m_deleted ? m_row : m_row + 1);
}

bool RecordNavigator::moveLast()
{
    if (!leaveCurrent())
        return false;
    fetchAll();
    return moveTo(m_model->rowCount() - 1);
}

bool RecordNavigator::leaveCurrent()
{
    return m_model ? savePending() : fail(QSqlError());
}

bool RecordNavigator::moveTo(int row)
{
    fetchUpTo(row);
    const int count = m_model->rowCount();
    if (count == 0) {
        m_row = -1;
        m_deleted = false;
        clearBoxes();
        m_shown = boxValues();
        updateBoxes();
        emit moved();
        return true;
    }
    show(qBound(0, row, count - 1));
    return true;
}

void RecordNavigator::show(int row)
{
    m_row = row;
    m_adding = false;
    m_deleted = false;
    m_mapper->setCurrentIndex(row);
    m_shown = boxValues();
    updateBoxes();
    emit moved();
}

void RecordNavigator::fetchUpTo(int row)
{
    while (row >= m_model->rowCount() && m_model->canFetchMore())
        m_model->fetchMore();
}

void RecordNavigator::fetchAll()
{
    while (m_model->canFetchMore())
        m_model->fetchMore();
}

bool RecordNavigator::isEdited() const
{
    if (m_adding) {
        const QList<QVariant> values = boxValues();
        return std::any_of(values.cbegin(), values.cend(),
                           [](const QVariant &value) { return !value.toString().isEmpty(); });
    }
    if (m_deleted || m_row < 0)
        return false;
    return boxValues() != m_shown;
}

void RecordNavigator::discardPending()
{
    // A refused write left in the model and then typed back to what it was, or a new
    // record left blank: nothing of the user's to keep.
    if (m_model->isDirty())
        m_model->revertAll();
    if (m_adding) {
        m_adding = false;
        moveTo(m_rowBeforeNew);
    }
}

int RecordNavigator::findSaved(const QList<QVariant> &key)
{
    const QSqlIndex primaryKey = m_model->primaryKey();
    if (key.isEmpty() || primaryKey.count() != key.size())
        return -1;
    for (int row = 0;; ++row) {
        fetchUpTo(row);
        if (row >= m_model->rowCount())
            return -1;
        const QSqlRecord record = m_model->record(row);
        bool same = true;
        for (int i = 0; i < key.size() && same; ++i)
            same = record.value(primaryKey.fieldName(i)) == key.at(i);
        if (same)
            return row;
    }
}

QList<QVariant> RecordNavigator::boxValues() const
{
    QList<QVariant> values;
    for (const Binding &binding : m_bindings)
        values.append(binding.widget ? userValue(binding.widget) : QVariant());
    return values;
}

void RecordNavigator::setBoxValues(const QList<QVariant> &values)
{
    for (int i = 0; i < m_bindings.size() && i < values.size(); ++i) {
        if (QWidget *widget = m_bindings.at(i).widget)
            setUserValue(widget, values.at(i));
    }
}

void RecordNavigator::clearBoxes()
{
    for (const Binding &binding : std::as_const(m_bindings)) {
        if (binding.widget)
            setUserValue(binding.widget, QString());
    }
}

bool RecordNavigator::fail(const QSqlError &error)
{
    m_lastError = error;
    return false;
}
