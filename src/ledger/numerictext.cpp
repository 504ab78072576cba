#include "ledger/numerictext.h"

#include <cmath>

#include <QLocale>

#include "errors/error.h"

namespace tallymere {
namespace {

bool convert(QStringView text, double &value)
{
    bool ok = false;
    value = QLocale().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(value);
}

} // namespace

bool isNumericText(QStringView text)
{
    double value = 0;
    return convert(text, value);
}

double numericValue(QStringView text)
{
    double value = 0;
    if (!convert(text, value))
        throw Error(QStringLiteral("Type mismatch: \"%1\" is not a number.").arg(text));
    return value;
}

QString generalNumberText(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // never "-0"
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = locale.toString(value, 'g', 15);
    return text;
}

} // namespace tallymere
