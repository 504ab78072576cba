#pragma once

#include <vector>

#include <QWidget>

#include "core/import/bankstatement.h"

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QScrollArea;
class QSpinBox;

namespace tallymere {

/// The choices a reading made, each open to change: for a CSV file the delimiter, encoding,
/// lines to skip, header row, the role of each column, the date order and the decimal mark; for
/// any file the date order when its dates alone do not tell it.
class ReadChoicesPanel : public QWidget
{
    Q_OBJECT

public:
    /// What the user changed.
    enum class Choice { Delimiter, Encoding, SkipLines, HeaderRow, Columns, DateOrder, DecimalMark };

    explicit ReadChoicesPanel(QWidget *parent = nullptr);

    /// Shows what a reading chose; `undecided` asks for the date order.
    void showChoices(const import::ReadChoices &choices, bool undecided);
    /// Puts the panel's value of `choice` into `options`.
    void fixChoice(Choice choice, import::ReadOptions &options) const;

    QComboBox *delimiterBox() const noexcept { return m_delimiter; }
    QComboBox *encodingBox() const noexcept { return m_encoding; }
    QSpinBox *skipBox() const noexcept { return m_skip; }
    QCheckBox *headerBox() const noexcept { return m_header; }
    QComboBox *dateOrderBox() const noexcept { return m_dateOrder; }
    QComboBox *decimalBox() const noexcept { return m_decimal; }
    /// One box per column of the file, in its order.
    const std::vector<QComboBox *> &columnBoxes() const noexcept { return m_columns; }

signals:
    void changed(ReadChoicesPanel::Choice choice);

private:
    void showColumns(const import::ReadChoices &choices);

    QWidget *m_csvRow;
    QComboBox *m_delimiter;
    QComboBox *m_encoding;
    QSpinBox *m_skip;
    QCheckBox *m_header;
    QComboBox *m_dateOrder;
    QComboBox *m_decimal;
    QLabel *m_decimalLabel;
    QScrollArea *m_columnsArea;
    QWidget *m_columnsRow;
    QHBoxLayout *m_columnsLayout;
    std::vector<QComboBox *> m_columns;
    std::vector<QLabel *> m_columnNames;
};

} // namespace tallymere
