#include "ui/widgets/namelist.h"

#include "platform/gbkcodec.h"

#include <algorithm>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace quorvel {

namespace {

constexpr int NameRole = Qt::UserRole + 1;

// A list box shows a name on one short line. Measuring and drawing a name of megabytes (a hostile
// list file) stopped the window for minutes, so a name longer than any box can show is shown cut
// off, with an ellipsis; its bytes stay whole.
constexpr qsizetype LongestShownName = 1024; // bytes

QString shownName(const Text &name)
{
    if (name.size() <= LongestShownName)
        return name.toUnicode();
    QString shown = gbk::decode(name.view().first(LongestShownName));
    // The cut may fall inside a character, which would then show as a stray byte.
    shown.chop(2);
    if (!shown.isEmpty() && shown.back().isHighSurrogate())
        shown.chop(1);
    return shown + u'\u2026';
}

// The item keeps the name's bytes beside the text it shows.
Text nameOf(const QListWidgetItem *item)
{
    return Text::fromGbk(item->data(NameRole).toByteArray());
}

class NameItem : public QListWidgetItem
{
public:
    explicit NameItem(const Text &name) { setName(name); }

    void setName(const Text &name)
    {
        setData(NameRole, name.toGbk());
        setText(shownName(name));
    }
    Text name() const { return nameOf(this); }

    // GBK orders the common characters by pinyin, so comparing the bytes gives the order a
    // Chinese reader expects; the unsigned comparison keeps ASCII before every Chinese character.
    bool operator<(const QListWidgetItem &other) const override { return name() < nameOf(&other); }
};

} // namespace

class NameList::ProgramChange
{
public:
    explicit ProgramChange(NameList &list) : m_list(list) { ++m_list.m_programChanges; }
    ~ProgramChange() { --m_list.m_programChanges; }
    ProgramChange(const ProgramChange &) = delete;
    ProgramChange &operator=(const ProgramChange &) = delete;

private:
    NameList &m_list;
};

NameList::NameList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::currentRowChanged, this, &NameList::onCurrentRowChanged);
}

Text NameList::nameAt(int row) const
{
    const QListWidgetItem *it = item(row);
    return it ? nameOf(it) : Text();
}

TextList NameList::names() const
{
    TextList all;
    all.reserve(count());
    for (int row = 0; row < count(); ++row)
        all.append(nameAt(row));
    return all;
}

void NameList::addName(const Text &name)
{
    ProgramChange change(*this);
    addItem(new NameItem(name));
}

void NameList::addNames(const TextList &names)
{
    ProgramChange change(*this);
    setUpdatesEnabled(false);
    for (const Text &name : names)
        addItem(new NameItem(name));
    setUpdatesEnabled(true);
}

void NameList::showNames(const TextList &names)
{
    const TextList shown = this->names();
    if (shown == names)
        return;
    // The first place where the two lists differ, and how they differ there.
    qsizetype at = 0;
    while (at < shown.size() && at < names.size() && shown.at(at) == names.at(at))
        ++at;
    const auto sameAfter = [&](qsizetype shownFrom, qsizetype namesFrom) {
        return shown.size() - shownFrom == names.size() - namesFrom &&
               std::equal(shown.cbegin() + shownFrom, shown.cend(), names.cbegin() + namesFrom);
    };
    if (names.size() == shown.size() + 1 && sameAfter(at, at + 1)) {
        if (at == shown.size() || isSorted()) {
            addName(names.at(at));
            return;
        }
        ProgramChange change(*this);
        insertItem(int(at), new NameItem(names.at(at)));
        return;
    }
    if (names.size() + 1 == shown.size() && sameAfter(at + 1, at)) {
        // Among equal names side by side, the one removed may as well be the selected one, which
        // then leaves nothing selected, as removing it by hand does.
        const int current = currentRow();
        qsizetype row = at;
        while (row + 1 < shown.size() && row < current && shown.at(row + 1) == shown.at(at))
            ++row;
        removeAt(int(row));
        return;
    }
    if (names.size() == shown.size() && sameAfter(at + 1, at + 1)) {
        setNameAt(int(at), names.at(at));
        return;
    }
    if (names.size() == shown.size() && showRenamedAndMoved(shown, names, at))
        return;
    const Text selected = currentName();
    const bool wasSelected = currentRow() >= 0;
    const int scrolled = verticalScrollBar()->value();
    clearNames();
    addNames(names);
    if (wasSelected) {
        if (const int row = int(this->names().indexOf(selected)); row >= 0) {
            ProgramChange change(*this);
            setCurrentRow(row);
        }
    }
    verticalScrollBar()->setValue(scrolled);
}

bool NameList::showRenamedAndMoved(const TextList &shown, const TextList &names, qsizetype first)
{
    // One name renamed, and moved to another place (as a sorted list moves it): the lists differ
    // from first to last, where one of them holds the others' middle shifted by one.
    qsizetype last = shown.size() - 1;
    while (last > first && shown.at(last) == names.at(last))
        --last;
    const auto same = [](const TextList &a, qsizetype aFrom, const TextList &b, qsizetype bFrom,
                         qsizetype length) {
        return std::equal(a.cbegin() + aFrom, a.cbegin() + aFrom + length, b.cbegin() + bFrom);
    };
    const qsizetype middle = last - first;
    qsizetype from = -1, to = -1;
    if (same(shown, first + 1, names, first, middle)) {
        from = first; // moved down
        to = last;
    } else if (same(shown, first, names, first + 1, middle)) {
        from = last; // moved up
        to = first;
    } else {
        return false;
    }
    ProgramChange change(*this);
    const bool wasCurrent = currentRow() == from;
    const bool sorted = isSortingEnabled();
    setSortingEnabled(false);
    QListWidgetItem *moved = takeItem(int(from));
    static_cast<NameItem *>(moved)->setName(names.at(to));
    insertItem(int(to), moved);
    setSortingEnabled(sorted);
    if (wasCurrent)
        setCurrentRow(int(to));
    return true;
}

void NameList::setNameAt(int row, const Text &name)
{
    QListWidgetItem *it = item(row);
    if (!it)
        return;
    ProgramChange change(*this);
    // A sorted list would move the item when its text changes; the item keeps its place instead,
    // and takes its sorted place the next time the list is sorted.
    const bool sorted = isSortingEnabled();
    setSortingEnabled(false);
    static_cast<NameItem *>(it)->setName(name);
    if (sorted) {
        setSortingEnabled(true);
        sortItems();
    }
}

void NameList::removeAt(int row)
{
    if (row < 0 || row >= count())
        return;
    ProgramChange change(*this);
    const bool wasCurrent = row == currentRow();
    delete takeItem(row);
    // The item that moves into the row was not chosen by the user: with the selected item gone,
    // nothing is selected, so that no command acts on a neighbour the user never picked.
    if (wasCurrent)
        setCurrentRow(-1);
}

void NameList::clearNames()
{
    ProgramChange change(*this);
    clear();
}

void NameList::setSorted()
{
    ProgramChange change(*this);
    setSortingEnabled(true);
    sortItems();
}

void NameList::onCurrentRowChanged(int row)
{
    if (m_programChanges > 0 || row < 0)
        return;
    m_selectedThisPress = true;
    emit itemSelected(row);
}

void NameList::mousePressEvent(QMouseEvent *event)
{
    // A click on the item that is already selected selects it again, as far as the user is
    // concerned: show its content afresh.
    m_selectedThisPress = false;
    QListWidget::mousePressEvent(event);
    QListWidgetItem *pressed = itemAt(event->position().toPoint());
    if (!m_selectedThisPress && event->button() == Qt::LeftButton && pressed &&
        pressed == currentItem())
        emit itemSelected(currentRow());
}

void NameList::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        emit returnPressed();
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void NameList::focusInEvent(QFocusEvent *event)
{
    // Qt makes the first item current when a list without one gets the focus (by Tab or when its
    // window becomes active). Nobody chose that item: a category or project would count as
    // selected, be loaded and be written to. The focus arrives without choosing anything.
    const bool hadCurrent = currentItem() != nullptr;
    ProgramChange change(*this);
    QListWidget::focusInEvent(event);
    if (!hadCurrent && currentItem())
        setCurrentItem(nullptr);
}

} // namespace quorvel
