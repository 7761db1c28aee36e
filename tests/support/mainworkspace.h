#pragma once

#include "tests/support/fixedrandom.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/widgetdriver.h"
#include "ui/main/mainwindow.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/namelist.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace quorvel::test {

// The main window on a library, shown, with scripted dialogs and draws, and its controls at hand
// by object name. Header only: it is used by the tests that link the windows.
class MainWorkspace
{
public:
    explicit MainWorkspace(Files &files)
    {
        document =
            std::make_unique<LibraryDocument>(files, LibraryDocument::Opening::CreateFolders);
        window = std::make_unique<MainWindow>(*document, Services{files, random, dialogs});
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("main window not exposed");
    }

    template <typename W> W *find(const char16_t *name) const
    {
        auto *w = window->findChild<W *>(QString::fromUtf16(name));
        if (!w)
            qFatal("missing control");
        return w;
    }
    NameList *projectFiles() const { return find<NameList>(u"文件框1"); }
    NameList *projectList() const { return find<NameList>(u"列表框项目"); }
    NameList *catalogue() const { return find<NameList>(u"列表框总目录"); }
    ContentBox *story() const { return find<ContentBox>(u"编辑框小说"); }
    ContentBox *preview() const { return find<ContentBox>(u"编辑框预览"); }

    void click(const char16_t *button) const
    {
        QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton);
    }
    void typeName(const QString &name) const { find<QLineEdit>(u"编辑框项目名")->setText(name); }
    // Selects a project in the project file box as the user does, by clicking it.
    void selectProject(const QString &fileName) const
    {
        const auto found = projectFiles()->findItems(fileName, Qt::MatchExactly);
        if (found.size() != 1)
            qFatal("project not listed");
        clickRow(projectFiles(), projectFiles()->row(found.first()));
    }

    FixedRandom random;
    ScriptedDialogs dialogs;
    std::unique_ptr<LibraryDocument> document;
    std::unique_ptr<MainWindow> window;
};

} // namespace quorvel::test
