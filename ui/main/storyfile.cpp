// 保存故事: the whole story box into a file the user chooses, as a Chinese text file (GBK, CR LF)
// or as UTF-8 (LF).
#include "ui/main/mainwindow.h"

#include "engine/messages.h"
#include "library/story.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/storybox.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>

namespace quorvel {

namespace {

const QStringList FileTypes{QStringLiteral("文本文件 GBK (*.txt)"),
                            QStringLiteral("文本文件 UTF-8 (*.txt)")};
const QString ReplaceQuestion = QStringLiteral("该文件已经存在，是否替换？");

} // namespace

void MainWindow::saveStory()
{
    (void)writeStory();
}

bool MainWindow::writeStory()
{
    const QString suggested =
        QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
            .filePath(QDateTime::currentDateTime().toString(QStringLiteral("故事-yyyyMMdd-HHmm")) +
                      QStringLiteral(".txt"));
    const std::optional<SaveTarget> target = m_services.dialogs.saveFileName(suggested, FileTypes);
    if (!target)
        return false;
    if (m_services.files.exists(target->path) && !m_services.dialogs.question(ReplaceQuestion))
        return false;
    // Written atomically: a failure keeps the old file, and the text stays in the box.
    const StoryEncoding encoding = target->fileType == 1 ? StoryEncoding::Utf8 : StoryEncoding::Gbk;
    const FileResult saved =
        m_services.files.write(target->path, storyBytes(m_story->content(), encoding));
    if (!saved) {
        reportFailure(QString::fromUtf16(messages::StoryNotSaved), saved);
        return false;
    }
    m_story->markSaved();
    storySettled();
    return true;
}

} // namespace quorvel
