#include "platform/fileresult.h"

#include <cerrno>
#include <cstring>

namespace quorvel {

bool FileResult::isMissing() const
{
    return isSystemError(ENOENT) || m_cause == Cause::FolderMissing;
}

QString FileResult::describe() const
{
    switch (m_cause) {
    case Cause::None:
        return {};
    case Cause::RefusedName:
    case Cause::OutsideFolder:
        return QStringLiteral("名称不可用");
    case Cause::TooLarge:
        return QStringLiteral("文件过大");
    case Cause::FolderMissing:
        return QStringLiteral("文件夹不存在");
    case Cause::ChangedOnDisk:
        return QStringLiteral("文件已被其他程序修改");
    case Cause::System:
        break;
    }
    switch (m_error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入权限");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("磁盘空间不足");
    case EROFS:
        return QStringLiteral("只读文件系统");
    case ENAMETOOLONG:
        return QStringLiteral("名称过长");
    case EEXIST:
        return QStringLiteral("名称已被占用");
    default:
        // The system's own words, in the language of its locale.
        return QString::fromLocal8Bit(std::strerror(m_error));
    }
}

QString withCause(const QString &message, const FileResult &result)
{
    const QString cause = result.describe();
    return cause.isEmpty() ? message : message + QStringLiteral("\r\n") + cause;
}

QString unreadableMessage(const FileResult &read, const QString &fileName)
{
    switch (read.cause()) {
    case FileResult::Cause::TooLarge:
        return QStringLiteral("文件过大，无法读取：") + fileName;
    case FileResult::Cause::OutsideFolder:
        return QStringLiteral("该文件无法读取：链接指向素材文件夹之外");
    default:
        return {};
    }
}

} // namespace quorvel
