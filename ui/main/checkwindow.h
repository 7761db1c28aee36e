#pragma once

#include "engine/check.h"
#include "platform/text.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace quorvel {

class Dialogs;
class Library;

// The window "素材检查": the findings of the library check in a sortable table, the summary, and
// how many stories the project selected in the main window can make, template by template. It
// is not modal; 重新检查 reads the files again (nothing is watched). Double-clicking a finding
// asks for it to be shown (findingChosen), and the window says what became of that (showNote).
class CheckWindow : public QWidget
{
    Q_OBJECT

public:
    // selectedProject gives the project file (with ".l") chosen now, or the empty text.
    CheckWindow(const Library &library, Dialogs &dialogs, std::function<Text()> selectedProject,
                QWidget *parent = nullptr);
    ~CheckWindow() override;

    // A line under the table, for what became of the finding last chosen.
    void showNote(const QString &note);

public slots:
    void recheck();

signals:
    void findingChosen(const quorvel::Finding &finding);

private slots:
    void chooseFinding(int row);

private:
    void buildUi();
    void fillFindings();
    void fillCounts();

    const Library &m_library;
    Dialogs &m_dialogs;
    std::function<Text()> m_selectedProject;
    LibraryCheck m_check;

    QLabel *m_summary = nullptr;        // 标签汇总
    QTableWidget *m_findings = nullptr; // 表格问题
    QLabel *m_note = nullptr;           // 标签说明
    QLabel *m_project = nullptr;        // 标签故事数
    QTableWidget *m_counts = nullptr;   // 表格故事数
    QPushButton *m_recheck = nullptr;   // 按钮重新检查
};

} // namespace quorvel
