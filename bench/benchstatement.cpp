#include "benchstatement.h"

#include <stdexcept>
#include <string>

#include <QDate>
#include <QDir>
#include <QFile>

namespace tallymere::bench {

QString statementFile(int rows)
{
    const QString path = QDir::tempPath() + QStringLiteral("/tallymere-bench-statement-%1.csv").arg(rows);
    if (QFile::exists(path))
        return path;
    QFile file(path + QStringLiteral(".partial"));
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write " + path.toStdString());
    std::string text = "Kontoinhaber;Erika Beispiel\nZeitraum;01.01.2015 - 31.12.2024\n\n"
                       "Buchungstag;Wertstellung;Auftraggeber / Empf\xc3\xa4nger;Verwendungszweck;Betrag;Saldo\n";
    long long balance = 1000000;
    const QDate first(2015, 1, 1);
    for (int i = 0; i < rows; ++i) {
        const QDate day = first.addDays(i / 30);
        const std::string date = day.toString(QStringLiteral("dd.MM.yyyy")).toStdString();
        const bool in = i % 11 == 0;
        const long long cents = in ? 150000 + i % 50000 : 100 + (static_cast<long long>(i) * 7919) % 25000;
        balance += in ? cents : -cents;
        const auto money = [](long long c) {
            const std::string sign = c < 0 ? "-" : "";
            c = c < 0 ? -c : c;
            std::string cents2 = std::to_string(c % 100);
            return sign + std::to_string(c / 100) + "," + (cents2.size() < 2 ? "0" : "") + cents2;
        };
        text += date + ";" + date + ";Payee " + std::to_string(i % 211) + " GmbH;Order " + std::to_string(i)
            + " ref " + std::to_string(i * 31 % 100000) + ";" + money(in ? cents : -cents) + " \xe2\x82\xac;"
            + money(balance) + " \xe2\x82\xac\n";
    }
    file.write(text.data(), qint64(text.size()));
    file.close();
    QFile::rename(file.fileName(), path);
    return path;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return file.readAll();
}

} // namespace tallymere::bench
