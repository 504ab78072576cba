#include "core/import/payeecategories.h"

#include <algorithm>

#include <QSet>

namespace tallymere::import {

PayeeCategories::PayeeCategories(const std::vector<QString> &payees)
{
    // A statement names the same few payees again and again: each is folded once.
    QSet<QString> distinct;
    distinct.reserve(qsizetype(payees.size()));
    for (const QString &payee : payees)
        distinct.insert(payee);
    for (const QString &payee : std::as_const(distinct)) {
        if (!payee.trimmed().isEmpty())
            m_payees.push_back(payee.toCaseFolded());
    }
    std::sort(m_payees.begin(), m_payees.end());
    m_payees.erase(std::unique(m_payees.begin(), m_payees.end()), m_payees.end());
    m_uses.resize(m_payees.size());
}

void PayeeCategories::learn(QStringView particulars, const QString &category, long long order)
{
    if (m_payees.empty() || category.trimmed().isEmpty()
        || category.compare(QLatin1String(kUncategorised), Qt::CaseInsensitive) == 0)
        return;
    const QString text = particulars.toString().toCaseFolded();
    // Every payee that begins the text sorts at or before it. The greatest payee not after the
    // text either begins it, or shares with it a first part that any shorter payee beginning
    // the text must lie within; so each step finds one payee or shortens the part searched.
    qsizetype length = text.size();
    while (length > 0) {
        const QStringView part = QStringView(text).left(length);
        auto at = std::upper_bound(m_payees.begin(), m_payees.end(), part,
                                   [](QStringView value, const QString &payee) { return value < QStringView(payee); });
        if (at == m_payees.begin())
            return;
        --at;
        const QString &payee = *at;
        qsizetype common = 0;
        while (common < payee.size() && common < length && payee[common] == part[common])
            ++common;
        if (common == payee.size()) {
            Use &use = m_uses[std::size_t(at - m_payees.begin())][category];
            ++use.count;
            m_learnt = true;
            use.latest = std::max(use.latest, order);
            length = payee.size() - 1;
        } else {
            length = common;
        }
    }
}

QString PayeeCategories::categoryFor(const QString &payee) const
{
    if (!m_learnt)
        return {};
    const QString folded = payee.toCaseFolded();
    const auto at = std::lower_bound(m_payees.begin(), m_payees.end(), folded);
    if (at == m_payees.end() || *at != folded)
        return {};
    const auto &uses = m_uses[std::size_t(at - m_payees.begin())];
    const auto best = std::max_element(uses.begin(), uses.end(), [](const auto &a, const auto &b) {
        return a.second.count != b.second.count ? a.second.count < b.second.count : a.second.latest < b.second.latest;
    });
    return best == uses.end() ? QString() : best->first;
}

} // namespace tallymere::import
