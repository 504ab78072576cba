#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <QObject>
#include <QStringList>

namespace tallymere {

class RowStore;

/// The sources (or categories) and particulars used before in one list of the ledger, offered
/// while the user types. Texts are compared folded (letter case and accents do not count).
///
/// Read from the list in memory, never from the file. It follows the list by its model
/// signals: the use count of each source or category is kept up to date with every row added,
/// changed or removed; a fill is counted again at the next question. The particulars of one
/// source are counted when first asked for, and again after any change of the list.
class EntrySuggestions : public QObject
{
    Q_OBJECT

public:
    /// How many suggestions a question gives at most, unless it says otherwise.
    static constexpr int kShown = 12;

    explicit EntrySuggestions(RowStore &list, QObject *parent = nullptr);
    ~EntrySuggestions() override;

    /// The sources or categories used before that contain `typed`: those that begin with it
    /// first, then the others, each group the most used first (ties in alphabetical order); at
    /// most `limit`. A text exactly as typed is not offered again; an empty text offers the most
    /// used of all.
    QStringList names(const QString &typed, int limit = kShown);
    /// The particulars used before with the source or category `name`, chosen and ordered from
    /// `typed` as names() chooses.
    QStringList particulars(const QString &name, const QString &typed, int limit = kShown);

private:
    /// Distinct texts with their folded form and how many rows use each.
    struct Counted {
        std::string text;
        std::string folded;
        std::uint32_t uses = 0;
    };
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>()(text); }
    };

    void watch();
    /// Counts the whole list when a fill has made the counts stale.
    void countWhole();
    std::uint32_t idOf(std::string_view text);
    std::string_view nameCell(int row) const;
    void countParticulars(const std::string &name);
    static QStringList choose(const std::vector<Counted> &texts, const QString &typed, int limit);

    RowStore &m_list;
    std::vector<Counted> m_names;
    std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> m_ids;
    std::vector<std::uint32_t> m_nameOf; // the name of each row of the list
    bool m_whole = false;                // the counts hold the whole list

    std::string m_particularsName; // the folded name whose particulars are counted
    bool m_particularsCounted = false;
    std::vector<Counted> m_particulars;
};

} // namespace tallymere
