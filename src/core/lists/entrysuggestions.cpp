#include "core/lists/entrysuggestions.h"

#include <algorithm>

#include <QString>

#include "core/lists/rowstore.h"
#include "core/text/foldedtext.h"

namespace tallymere {
namespace {

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

EntrySuggestions::EntrySuggestions(RowStore &list, QObject *parent) : QObject(parent), m_list(list)
{
    watch();
}

EntrySuggestions::~EntrySuggestions() = default;

void EntrySuggestions::watch()
{
    const auto stale = [this] {
        m_whole = false;
        m_particularsCounted = false;
    };
    connect(&m_list, &QAbstractItemModel::modelReset, this, stale);
    connect(&m_list, &QAbstractItemModel::layoutChanged, this, stale);
    connect(&m_list, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex &, int first, int last) {
        m_particularsCounted = false;
        if (!m_whole)
            return;
        for (int row = first; row <= last; ++row)
            --m_names[m_nameOf[std::size_t(row)]].uses;
        m_nameOf.erase(m_nameOf.begin() + first, m_nameOf.begin() + last + 1);
    });
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first, int last) {
        m_particularsCounted = false;
        if (!m_whole)
            return;
        std::vector<std::uint32_t> added;
        for (int row = first; row <= last; ++row) {
            added.push_back(idOf(nameCell(row)));
            ++m_names[added.back()].uses;
        }
        m_nameOf.insert(m_nameOf.begin() + first, added.begin(), added.end());
    });
    connect(&m_list, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                m_particularsCounted = false;
                if (!m_whole)
                    return;
                for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
                    std::uint32_t &name = m_nameOf[std::size_t(row)];
                    --m_names[name].uses;
                    name = idOf(nameCell(row));
                    ++m_names[name].uses;
                }
            });
}

std::string_view EntrySuggestions::nameCell(int row) const
{
    return m_list.columnHeaderCount() > kNameColumn ? m_list.cellUtf8(row, kNameColumn)
                                                                 : std::string_view();
}

std::uint32_t EntrySuggestions::idOf(std::string_view text)
{
    if (const auto found = m_ids.find(text); found != m_ids.end())
        return found->second;
    const auto id = std::uint32_t(m_names.size());
    m_names.push_back({std::string(text), foldedText::of(trimmed(text)), 0});
    m_ids.emplace(std::string(text), id);
    return id;
}

void EntrySuggestions::countWhole()
{
    if (m_whole)
        return;
    m_names.clear();
    m_ids.clear();
    const int count = m_list.itemCount();
    m_nameOf.assign(std::size_t(count), 0);
    for (int row = 0; row < count; ++row) {
        const std::uint32_t id = idOf(nameCell(row));
        m_nameOf[std::size_t(row)] = id;
        ++m_names[id].uses;
    }
    m_whole = true;
}

QStringList EntrySuggestions::choose(const std::vector<Counted> &texts, const QString &typed, int limit)
{
    const std::string needle = foldedText::of(QStringView(typed).trimmed());
    const QByteArray exact = typed.toUtf8();
    struct Pick {
        bool contains; // false: begins with the text
        std::uint32_t uses;
        const Counted *text;
    };
    std::vector<Pick> picks;
    for (const Counted &counted : texts) {
        if (counted.uses == 0 || counted.folded.empty()
            || std::string_view(counted.text) == std::string_view(exact.constData(), std::size_t(exact.size())))
            continue;
        const std::size_t at = counted.folded.find(needle);
        if (at != std::string::npos)
            picks.push_back({at != 0, counted.uses, &counted});
    }
    const auto order = [](const Pick &a, const Pick &b) {
        if (a.contains != b.contains)
            return !a.contains;
        if (a.uses != b.uses)
            return a.uses > b.uses;
        if (a.text->folded != b.text->folded)
            return a.text->folded < b.text->folded;
        return a.text->text < b.text->text;
    };
    const auto shown = std::min(picks.size(), std::size_t(std::max(limit, 0)));
    std::partial_sort(picks.begin(), picks.begin() + std::ptrdiff_t(shown), picks.end(), order);
    QStringList result;
    for (std::size_t i = 0; i < shown; ++i)
        result.append(QString::fromStdString(picks[i].text->text));
    return result;
}

QStringList EntrySuggestions::names(const QString &typed, int limit)
{
    countWhole();
    return choose(m_names, typed, limit);
}

void EntrySuggestions::countParticulars(const std::string &name)
{
    countWhole();
    m_particulars.clear();
    m_particularsName = name;
    m_particularsCounted = true;
    if (name.empty() || m_list.columnHeaderCount() <= kParticularsColumn)
        return;
    // The names that read as the one typed; usually one, or a few spelt otherwise ("Rent", "rent").
    std::vector<char> wanted(m_names.size(), 0);
    bool any = false;
    for (std::size_t id = 0; id < m_names.size(); ++id) {
        if (m_names[id].uses > 0 && m_names[id].folded == name) {
            wanted[id] = 1;
            any = true;
        }
    }
    if (!any)
        return;
    std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> places;
    const int count = m_list.itemCount();
    for (int row = 0; row < count; ++row) {
        if (!wanted[m_nameOf[std::size_t(row)]])
            continue;
        const std::string_view text = m_list.cellUtf8(row, kParticularsColumn);
        auto place = places.find(text);
        if (place == places.end()) {
            place = places.emplace(std::string(text), std::uint32_t(m_particulars.size())).first;
            m_particulars.push_back({std::string(text), foldedText::of(trimmed(text)), 0});
        }
        ++m_particulars[place->second].uses;
    }
}

QStringList EntrySuggestions::particulars(const QString &name, const QString &typed, int limit)
{
    const std::string folded = foldedText::of(QStringView(name).trimmed());
    if (!m_whole || !m_particularsCounted || folded != m_particularsName)
        countParticulars(folded);
    return choose(m_particulars, typed, limit);
}

} // namespace tallymere
