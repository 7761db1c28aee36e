#include "ui/main/checkwindow.h"

#include "engine/messages.h"
#include "platform/dialogs.h"
#include "ui/widgets/geometry.h"
#include "ui/widgets/progresswatch.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quorvel {

namespace {

constexpr int FindingRole = Qt::UserRole + 1; // the finding's index in the report
constexpr int SortRole = Qt::UserRole + 2;

// A cell that sorts by a key of its own: severities by their weight, files by their bytes (the
// order of the report), lines by number.
class Cell : public QTableWidgetItem
{
public:
    Cell(const QString &text, const QVariant &key) : QTableWidgetItem(text)
    {
        setData(SortRole, key);
        setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
    bool operator<(const QTableWidgetItem &other) const override
    {
        return QVariant::compare(data(SortRole), other.data(SortRole)) < 0;
    }
};

// A line of a hostile file may be megabytes long; a cell shows its start.
QString shortened(const Text &text)
{
    constexpr qsizetype Longest = 200;
    QString shown = Text::fromGbk(text.view().first(std::min(text.size(), Longest * 4)))
                        .toUnicode()
                        .replace(u'\t', u' ');
    return shown.size() > Longest ? shown.left(Longest) + u'…' : shown;
}

QTableWidget *table(QWidget *parent, const QStringList &headers)
{
    auto *table = new QTableWidget(0, int(headers.size()), parent);
    table->setHorizontalHeaderLabels(headers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(false);
    return table;
}

} // namespace

CheckWindow::CheckWindow(const Library &library, Dialogs &dialogs,
                         std::function<Text()> selectedProject, QWidget *parent)
    : QWidget(parent), m_library(library), m_dialogs(dialogs),
      m_selectedProject(std::move(selectedProject)), m_check(library)
{
    setWindowTitle(QStringLiteral("素材检查"));
    useWindowFont(this);
    buildUi();
    connect(m_recheck, &QPushButton::clicked, this, &CheckWindow::recheck);
    connect(m_findings, &QTableWidget::cellDoubleClicked, this, &CheckWindow::chooseFinding);
}

CheckWindow::~CheckWindow() = default;

void CheckWindow::buildUi()
{
    resize(780, 520);
    m_summary = new QLabel(this);
    m_findings = table(this, {QStringLiteral("级别"), QStringLiteral("文件"), QStringLiteral("行"),
                              QStringLiteral("内容"), QStringLiteral("说明")});
    // At first in the report's order: by file, then line.
    m_findings->horizontalHeader()->setSortIndicator(1, Qt::AscendingOrder);
    m_findings->setSortingEnabled(true);
    m_findings->setColumnWidth(1, 150);
    m_findings->setColumnWidth(2, 40);
    m_findings->setColumnWidth(3, 200);
    m_note = new QLabel(this);
    m_project = new QLabel(this);
    m_counts = table(this, {QStringLiteral("模板"), QStringLiteral("故事数")});
    m_counts->setColumnWidth(0, 200);
    m_counts->setMaximumHeight(160);
    m_recheck = new QPushButton(QStringLiteral("重新检查"), this);

    m_summary->setObjectName(QStringLiteral("标签汇总"));
    m_findings->setObjectName(QStringLiteral("表格问题"));
    m_note->setObjectName(QStringLiteral("标签说明"));
    m_project->setObjectName(QStringLiteral("标签故事数"));
    m_counts->setObjectName(QStringLiteral("表格故事数"));
    m_recheck->setObjectName(QStringLiteral("按钮重新检查"));

    auto *top = new QHBoxLayout;
    top->addWidget(m_summary, 1);
    top->addWidget(m_recheck);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_findings, 1);
    layout->addWidget(m_note);
    layout->addWidget(m_project);
    layout->addWidget(m_counts);
}

void CheckWindow::recheck()
{
    // The project may have been chosen anew in the main window since the last check.
    QApplication::setOverrideCursor(Qt::BusyCursor);
    {
        const std::unique_ptr<Progress> progress =
            m_dialogs.startProgress(QStringLiteral("正在检查素材…"));
        ProgressWatch watch(*progress);
        m_check.checkAll(&watch);
    }
    QApplication::restoreOverrideCursor();
    m_note->clear();
    fillFindings();
    fillCounts();
}

void CheckWindow::fillFindings()
{
    const CheckReport &report = m_check.report();
    m_summary->setText(report.summary());
    m_findings->setSortingEnabled(false);
    m_findings->clearContents();
    m_findings->setRowCount(int(report.findings.size()));
    for (int row = 0; row < report.findings.size(); ++row) {
        const Finding &finding = report.findings.at(row);
        const QString file = folderName(finding.folder) + u'/' + shortened(finding.fileName);
        // The report's own order breaks ties, so that sorting by one column keeps the rest.
        const QVariant order = row;
        auto *severity =
            new Cell(severityName(finding.severity), int(finding.severity) * 1'000'000 + row);
        severity->setData(FindingRole, row);
        m_findings->setItem(row, 0, severity);
        m_findings->setItem(row, 1, new Cell(file, order));
        m_findings->setItem(row, 2,
                            new Cell(finding.line > 0 ? QString::number(finding.line) : QString(),
                                     qint64(finding.line) * 1'000'000 + row));
        m_findings->setItem(row, 3, new Cell(shortened(finding.lineText), order));
        m_findings->setItem(row, 4, new Cell(finding.description, finding.description));
        // Either may be wider than its column.
        m_findings->item(row, 3)->setToolTip(m_findings->item(row, 3)->text());
        m_findings->item(row, 4)->setToolTip(finding.description);
    }
    m_findings->setSortingEnabled(true);
}

void CheckWindow::fillCounts()
{
    m_counts->setRowCount(0);
    const Text project = m_selectedProject();
    if (m_check.report().stopped) {
        m_project->setText(QStringLiteral("检查已停止，故事数无从计算"));
        return;
    }
    if (project.isEmpty()) {
        m_project->setText(QStringLiteral("主窗口中没有选中项目，故事数无从计算"));
        return;
    }
    const QString name = LibraryName::fromFileName(Folder::Projects, project)
                             .value_or(LibraryName())
                             .name()
                             .toUnicode();
    m_project->setText(messages::projectStoryCount(name, m_check.projectCount(project).shown()));
    const TextList templates = m_check.projectTemplates(project);
    m_counts->setRowCount(int(templates.size()));
    for (int row = 0; row < templates.size(); ++row) {
        m_counts->setItem(row, 0, new Cell(templates.at(row).toUnicode(), row));
        m_counts->setItem(row, 1, new Cell(m_check.templateCount(templates.at(row)).shown(), row));
    }
}

void CheckWindow::chooseFinding(int row)
{
    const QTableWidgetItem *item = m_findings->item(row, 0);
    if (!item)
        return;
    m_note->clear();
    emit findingChosen(m_check.report().findings.at(item->data(FindingRole).toInt()));
}

void CheckWindow::showNote(const QString &note)
{
    m_note->setText(note);
}

} // namespace quorvel
