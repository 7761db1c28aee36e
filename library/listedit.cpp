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
    case Kind::Insert:
        entries.insert(std::clamp<qsizetype>(m_row, 0, entries.size()), m_to);
        break;
    }
    if (sorted)
        std::stable_sort(entries.begin(), entries.end());
    return entries;
}

ListEdit ListEdit::placedIn(const TextList &entries) const
{
    if (m_kind != Kind::Rename && m_kind != Kind::Remove)
        return *this;
    const qsizetype at = findEntry(entries, m_row, m_from);
    if (at < 0)
        return m_kind == Kind::Remove ? none() : *this;
    return ListEdit(m_kind, int(at), m_from, m_to);
}

ListEdit ListEdit::inverse() const
{
    switch (m_kind) {
    case Kind::None:
        return none();
    case Kind::Add:
        return remove(-1, m_to);
    case Kind::Rename:
        return rename(m_row, m_to, m_from);
    case Kind::Remove:
        return insert(m_row, m_from);
    case Kind::Insert:
        return remove(m_row, m_to);
    }
    return none();
}

} // namespace quorvel
