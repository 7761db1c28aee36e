#pragma once

#include "platform/text.h"

namespace quorvel {

// One change to the entries of a list file, as an editor command makes it: an entry added,
// renamed or removed. The same change can be made to the list on screen, or, when another
// program changed the file since it was read, to the file's entries as they are now, so that
// what the other program wrote stays.
class ListEdit
{
public:
    static ListEdit none() { return ListEdit(Kind::None, -1, Text(), Text()); }
    static ListEdit add(const Text &name) { return ListEdit(Kind::Add, -1, Text(), name); }
    static ListEdit rename(int row, const Text &from, const Text &to)
    {
        return ListEdit(Kind::Rename, row, from, to);
    }
    static ListEdit remove(int row, const Text &name)
    {
        return ListEdit(Kind::Remove, row, name, Text());
    }
    // Puts the name at row (at the end when the list is shorter): what takes a removal back.
    static ListEdit insert(int row, const Text &name)
    {
        return ListEdit(Kind::Insert, row, Text(), name);
    }
    // The change that takes this one back.
    ListEdit inverse() const;
    // The same change as applyTo() makes it to entries: a rename or removal at the row where the
    // entry is found there, so that the inverse puts it back in that place; a removal that finds
    // nothing is no change, and its inverse puts nothing back.
    ListEdit placedIn(const TextList &entries) const;

    // The entries with the change made. row says where the entry stood when the change was
    // chosen; when the entries no longer hold it there, the first entry of that name is taken.
    // A rename of an entry no longer there adds the new name; removing one does nothing. Sorted
    // entries put an added or renamed name at its sorted place.
    TextList applyTo(TextList entries, bool sorted) const;

    enum class Kind
    {
        None,
        Add,
        Rename,
        Remove,
        Insert
    };
    Kind kind() const { return m_kind; }
    int row() const { return m_row; }
    // The name removed or renamed, and the name added or given.
    const Text &from() const { return m_from; }
    const Text &to() const { return m_to; }

private:
    ListEdit(Kind kind, int row, Text from, Text to)
        : m_kind(kind), m_row(row), m_from(std::move(from)), m_to(std::move(to))
    {
    }

    Kind m_kind;
    int m_row;
    Text m_from;
    Text m_to;
};

} // namespace quorvel
