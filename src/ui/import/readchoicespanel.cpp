#include "ui/import/readchoicespanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tallymere {

using namespace import;

namespace {

constexpr const char *kRoleNames[] = {"Ignore", "Date", "Payee", "Memo", "Category", "Amount", "Debit", "Credit"};
constexpr const char *kEncodings[] = {"UTF-8", "UTF-16LE", "UTF-16BE", "windows-1252", "ISO-8859-1", "ISO-8859-15"};

/// Selects the item whose data is `value`, adding it (shown as `text`) when none has it.
void selectData(QComboBox *box, const QVariant &value, const QString &text)
{
    int at = box->findData(value);
    if (at < 0) {
        box->addItem(text, value);
        at = box->count() - 1;
    }
    box->setCurrentIndex(at);
}

QLabel *labelFor(const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

} // namespace

ReadChoicesPanel::ReadChoicesPanel(QWidget *parent)
    : QWidget(parent),
      m_csvRow(new QWidget),
      m_delimiter(new QComboBox),
      m_encoding(new QComboBox),
      m_skip(new QSpinBox),
      m_header(new QCheckBox(QStringLiteral("&Header row"))),
      m_dateOrder(new QComboBox),
      m_decimal(new QComboBox),
      m_decimalLabel(labelFor(QStringLiteral("Decimal &mark:"), m_decimal)),
      m_columnsArea(new QScrollArea),
      m_columnsRow(new QWidget),
      m_columnsLayout(new QHBoxLayout(m_columnsRow))
{
    setObjectName(QStringLiteral("ReadChoices"));
    m_delimiter->setObjectName(QStringLiteral("Delimiter"));
    m_encoding->setObjectName(QStringLiteral("Encoding"));
    m_skip->setObjectName(QStringLiteral("SkipLines"));
    m_header->setObjectName(QStringLiteral("HeaderRow"));
    m_dateOrder->setObjectName(QStringLiteral("DateOrder"));
    m_decimal->setObjectName(QStringLiteral("DecimalMark"));

    for (const auto &[text, mark] : {std::pair{",", u','}, {";", u';'}, {"Tab", u'\t'}, {"|", u'|'}})
        m_delimiter->addItem(QString::fromLatin1(text), QChar(mark));
    for (const char *name : kEncodings)
        m_encoding->addItem(QString::fromLatin1(name), QString::fromLatin1(name));
    m_skip->setRange(0, 9999);
    m_dateOrder->addItem(QStringLiteral("Year-month-day"), int(DateOrder::YearMonthDay));
    m_dateOrder->addItem(QStringLiteral("Day-month-year"), int(DateOrder::DayMonthYear));
    m_dateOrder->addItem(QStringLiteral("Month-day-year"), int(DateOrder::MonthDayYear));
    m_decimal->addItem(QStringLiteral("."), QChar(u'.'));
    m_decimal->addItem(QStringLiteral(","), QChar(u','));

    auto *csv = new QHBoxLayout(m_csvRow);
    csv->setContentsMargins(0, 0, 0, 0);
    csv->addWidget(labelFor(QStringLiteral("&Delimiter:"), m_delimiter));
    csv->addWidget(m_delimiter);
    csv->addWidget(labelFor(QStringLiteral("&Encoding:"), m_encoding));
    csv->addWidget(m_encoding);
    csv->addWidget(labelFor(QStringLiteral("&Lines to skip:"), m_skip));
    csv->addWidget(m_skip);
    csv->addWidget(m_header);
    csv->addWidget(m_decimalLabel);
    csv->addWidget(m_decimal);
    csv->addStretch();

    auto *dates = new QHBoxLayout;
    dates->addWidget(labelFor(QStringLiteral("Date &order:"), m_dateOrder));
    dates->addWidget(m_dateOrder);
    dates->addStretch();

    m_columnsLayout->setContentsMargins(0, 0, 0, 0);
    m_columnsArea->setWidget(m_columnsRow);
    m_columnsArea->setWidgetResizable(true);
    m_columnsArea->setFrameShape(QFrame::NoFrame);
    m_columnsArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_columnsArea->setObjectName(QStringLiteral("ColumnRoles"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_csvRow);
    layout->addLayout(dates);
    layout->addWidget(m_columnsArea);

    connect(m_delimiter, &QComboBox::activated, this, [this] { emit changed(Choice::Delimiter); });
    connect(m_encoding, &QComboBox::activated, this, [this] { emit changed(Choice::Encoding); });
    connect(m_skip, &QSpinBox::valueChanged, this, [this] { emit changed(Choice::SkipLines); });
    connect(m_header, &QCheckBox::toggled, this, [this] { emit changed(Choice::HeaderRow); });
    connect(m_dateOrder, &QComboBox::activated, this, [this] { emit changed(Choice::DateOrder); });
    connect(m_decimal, &QComboBox::activated, this, [this] { emit changed(Choice::DecimalMark); });
}

void ReadChoicesPanel::showChoices(const ReadChoices &choices, bool undecided)
{
    const QSignalBlocker blockSkip(m_skip);
    const QSignalBlocker blockHeader(m_header);
    const bool csv = choices.format == Format::Csv;
    m_csvRow->setVisible(csv);
    m_columnsArea->setVisible(csv);
    selectData(m_delimiter, QChar(choices.delimiter), QString(choices.delimiter));
    selectData(m_encoding, choices.encoding, choices.encoding);
    m_skip->setValue(choices.skipLines);
    m_header->setChecked(choices.headerRow);
    selectData(m_decimal, QChar(choices.decimalMark), QString(choices.decimalMark));

    // An undecided order shows no order until the user picks one.
    const int noOrder = m_dateOrder->findData(QVariant());
    if (undecided && noOrder < 0)
        m_dateOrder->insertItem(0, QStringLiteral("Choose..."), QVariant());
    else if (!undecided && noOrder >= 0)
        m_dateOrder->removeItem(noOrder);
    if (undecided || !choices.dateOrder)
        m_dateOrder->setCurrentIndex(undecided ? 0 : -1);
    else
        m_dateOrder->setCurrentIndex(m_dateOrder->findData(int(*choices.dateOrder)));
    if (csv)
        showColumns(choices);
}

void ReadChoicesPanel::showColumns(const ReadChoices &choices)
{
    const std::size_t count = std::max(choices.columns.size(), std::size_t(choices.header.size()));
    while (m_columns.size() > count) {
        delete m_columns.back()->parentWidget();
        m_columns.pop_back();
        m_columnNames.pop_back();
    }
    while (m_columns.size() < count) {
        auto *cell = new QWidget;
        auto *layout = new QVBoxLayout(cell);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *name = new QLabel;
        auto *role = new QComboBox;
        for (const char *roleName : kRoleNames)
            role->addItem(QString::fromLatin1(roleName));
        role->setObjectName(QStringLiteral("Column%1").arg(m_columns.size() + 1));
        name->setBuddy(role);
        layout->addWidget(name);
        layout->addWidget(role);
        m_columnsLayout->insertWidget(int(m_columns.size()), cell);
        connect(role, &QComboBox::activated, this, [this] { emit changed(Choice::Columns); });
        m_columns.push_back(role);
        m_columnNames.push_back(name);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const QString header = i < std::size_t(choices.header.size()) ? choices.header[qsizetype(i)] : QString();
        m_columnNames[i]->setText(header.isEmpty() ? QStringLiteral("Column %1").arg(i + 1) : header);
        m_columns[i]->setCurrentIndex(i < choices.columns.size() ? int(choices.columns[i]) : 0);
    }
    if (m_columnsLayout->count() == int(m_columns.size()))
        m_columnsLayout->addStretch();
}

void ReadChoicesPanel::fixChoice(Choice choice, ReadOptions &options) const
{
    switch (choice) {
    case Choice::Delimiter: options.delimiter = m_delimiter->currentData().toChar(); break;
    case Choice::Encoding: options.encoding = m_encoding->currentData().toString(); break;
    case Choice::SkipLines: options.skipLines = m_skip->value(); break;
    case Choice::HeaderRow: options.headerRow = m_header->isChecked(); break;
    case Choice::DecimalMark: options.decimalMark = m_decimal->currentData().toChar(); break;
    case Choice::DateOrder:
        if (m_dateOrder->currentData().isValid())
            options.dateOrder = DateOrder(m_dateOrder->currentData().toInt());
        else
            options.dateOrder.reset();
        break;
    case Choice::Columns: {
        std::vector<ColumnRole> roles;
        for (const QComboBox *role : m_columns)
            roles.push_back(ColumnRole(role->currentIndex()));
        options.columns = std::move(roles);
        break;
    }
    }
}

} // namespace tallymere
