#include "ui/entries/fieldsuggestions.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringListModel>

namespace tallymere {

FieldSuggestions::FieldSuggestions(QLineEdit *field, Suggest suggest)
    : QObject(field), m_field(field), m_suggest(std::move(suggest)), m_model(new QStringListModel(this)),
      m_completer(new QCompleter(m_model, this))
{
    // The order is the suggestions' own: the completer shows them as given, filtering nothing.
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setWidget(field);
    connect(field, &QLineEdit::textEdited, this, &FieldSuggestions::showSuggestions);
    connect(m_completer, qOverload<const QString &>(&QCompleter::activated), this, &FieldSuggestions::take);
    field->installEventFilter(this);
    // Installed after the completer's own filter, so this one sees the list's keys first.
    m_completer->popup()->installEventFilter(this);
}

FieldSuggestions::~FieldSuggestions() = default;

bool FieldSuggestions::isOpen() const
{
    return m_completer->popup()->isVisible();
}

void FieldSuggestions::closeList()
{
    m_completer->popup()->hide();
}

QAbstractItemView *FieldSuggestions::popup() const
{
    return m_completer->popup();
}

void FieldSuggestions::showSuggestions()
{
    const QStringList suggestions = m_suggest ? m_suggest(m_field->text()) : QStringList();
    if (suggestions.isEmpty()) {
        m_completer->popup()->hide();
        return;
    }
    m_model->setStringList(suggestions);
    m_completer->complete();
    // Nothing is picked until the user picks: Enter right away takes nothing.
    m_completer->popup()->setCurrentIndex({});
}

void FieldSuggestions::take(const QString &text)
{
    m_field->setText(text);
}

bool FieldSuggestions::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (watched == m_field) {
        // Down in a field whose list is closed opens it.
        if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier && !isOpen()) {
            showSuggestions();
            return isOpen();
        }
        return false;
    }
    if (watched != m_completer->popup() || !isOpen())
        return false;
    const QModelIndex picked = m_completer->popup()->currentIndex();
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_completer->popup()->hide();
        if (picked.isValid())
            take(picked.data().toString());
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        m_completer->popup()->hide();
        if (picked.isValid() && key->key() == Qt::Key_Tab)
            take(picked.data().toString());
        {
            // Tab then moves on from the field, as it does with the list closed.
            QKeyEvent again(QEvent::KeyPress, key->key(), key->modifiers());
            QCoreApplication::sendEvent(m_field, &again);
        }
        return true;
    case Qt::Key_Escape:
        m_completer->popup()->hide();
        return true;
    default:
        return false;
    }
}

} // namespace tallymere
