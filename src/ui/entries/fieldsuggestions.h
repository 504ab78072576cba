#pragma once

#include <functional>

#include <QObject>
#include <QStringList>

class QAbstractItemView;
class QCompleter;
class QLineEdit;
class QStringListModel;

namespace tallymere {

/// The list of suggestions under one text field of the entry editor. Each edit of the field asks
/// `suggest` for the suggestions of its text and shows them (nothing to suggest, no list); Down
/// with the list closed shows them too. While the list is open it takes the keys that act on
/// it: Up and Down pick, Enter or Tab take the one picked (Tab then moves on as ever), Escape
/// closes the list alone. Enter with nothing picked only closes the list. Taking a suggestion
/// writes the field's text and nothing else.
class FieldSuggestions : public QObject
{
    Q_OBJECT

public:
    using Suggest = std::function<QStringList(const QString &typed)>;

    FieldSuggestions(QLineEdit *field, Suggest suggest);
    ~FieldSuggestions() override;

    /// Shows the suggestions of the field's text now, or closes the list when there are none.
    void showSuggestions();
    /// Whether the list is open.
    bool isOpen() const;
    /// Closes the list; the field keeps its text.
    void closeList();
    /// The open list, for its keys and its rows.
    QAbstractItemView *popup() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void take(const QString &text);

    QLineEdit *m_field;
    Suggest m_suggest;
    QStringListModel *m_model;
    QCompleter *m_completer;
};

} // namespace tallymere
