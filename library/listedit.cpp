#include "library/listedit.h"

#include <algorithm>

namespace quorvel {

namespace {

qsizetype findEntry(const TextList &entries, int row, const Text &name)
{
    if (row >= 0 && row < entries.size() && entries.at(row) == name)
        return row;
    return entries.indexOf(name);
}

} // namespace

TextList ListEdit::applyTo(TextList entries, bool sorted) const
{
    switch (m_kind) {
    case Kind::None:
        return entries;
    case Kind::Add:
        entries.append(m_to);
        break;
    case Kind::Rename:
        if (const qsizetype at = findEntry(entries, m_row, m_from); at >= 0)
            entries[at] = m_to;
        else
            entries.append(m_to);
        break;
    case Kind::Remove:
        if (const qsizetype at = findEntry(entries, m_row, m_from); at >= 0)
            entries.removeAt(at);
        return entries;
    }
    if (sorted)
        std::stable_sort(entries.begin(), entries.end());
    return entries;
}

} // namespace quorvel
