#pragma once

#include <map>
#include <vector>

#include <QString>
#include <QStringView>

namespace tallymere::import {

/// Learns, for the payees of one statement, the source or category that the ledger's earlier
/// entries of one list give them: the one most used by the entries whose particulars begin with
/// the payee (letter case aside), the most recent entry deciding a tie. So an entry the user
/// corrects teaches the next import. "Uncategorised" teaches nothing.
class PayeeCategories
{
public:
    /// For these payees (blank ones are left out).
    explicit PayeeCategories(const std::vector<QString> &payees);

    /// True when there is no payee to learn for.
    bool empty() const noexcept { return m_payees.empty(); }

    /// Counts one earlier entry; `order` tells later entries from earlier ones (its number).
    void learn(QStringView particulars, const QString &category, long long order);

    /// The category learnt for `payee`; empty when no entry begins with it.
    QString categoryFor(const QString &payee) const;

private:
    struct Use {
        int count = 0;
        long long latest = 0;
    };
    std::vector<QString> m_payees; // case-folded, sorted, unique
    std::vector<std::map<QString, Use>> m_uses; // per payee
    bool m_learnt = false;                        // any entry taught any payee
};

/// The source or category of a transaction whose file gives none and whose payee taught
/// nothing.
inline constexpr const char *kUncategorised = "Uncategorised";

} // namespace tallymere::import
