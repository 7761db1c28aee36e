#include "ui/widgets/namelist.h"

#include "platform/gbkcodec.h"

#include <QKeyEvent>
#include <QMouseEvent>

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
