#include "library/storyrecovery.h"

#include "platform/displaytext.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace quorvel {

namespace {

// Enough for every window a writer has open at once; a program beyond them keeps nothing.
constexpr int Slots = 16;
const QString Format = QStringLiteral("quorvel-story");

QString slotFile(const QString &folder, int slot, const QString &extension)
{
    return folder + QStringLiteral("/story-") + QString::number(slot) + extension;
}

} // namespace

StoryRecovery::StoryRecovery(Files &files, QString folder)
    : m_files(files), m_folder(std::move(folder))
{
    while (m_folder.size() > 1 && m_folder.endsWith(u'/'))
        m_folder.chop(1);
}

StoryRecovery::~StoryRecovery() = default;

QString StoryRecovery::defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(state + QStringLiteral("/quorvel"));
}

FileResult StoryRecovery::makeFolder()
{
    // The folders that are missing, from the outermost in.
    QStringList missing;
    for (QString folder = m_folder; !folder.isEmpty() && !m_files.exists(folder);
         folder = QFileInfo(folder).path()) {
        missing.prepend(folder);
        if (folder == QFileInfo(folder).path())
            break;
    }
    for (const QString &folder : std::as_const(missing)) {
        if (const FileResult made = m_files.createFolder(folder); !made && !m_files.exists(folder))
            return made;
    }
    return FileResult::done();
}

bool StoryRecovery::open()
{
    if (m_lock)
        return true;
    if (!makeFolder())
        return false;
    for (int slot = 0; slot < Slots; ++slot) {
        // A lock whose program is gone (killed, crashed) is stale and taken over at once.
        auto lock = std::make_unique<QLockFile>(slotFile(m_folder, slot, QStringLiteral(".lock")));
        if (lock->tryLock(0)) {
            m_slot = slot;
            m_lock = std::move(lock);
            return true;
        }
    }
    return false;
}

QString StoryRecovery::path() const
{
    return m_lock ? slotFile(m_folder, m_slot, QStringLiteral(".json")) : QString();
}

std::optional<KeptStory> StoryRecovery::left() const
{
    if (!m_lock || !m_files.exists(path()))
        return std::nullopt;
    const Loaded<QByteArray> read = m_files.read(path());
    if (!read.result)
        return std::nullopt;
    return decode(read.value);
}

FileResult StoryRecovery::keep(const KeptStory &story)
{
    if (!m_lock)
        return FileResult::folderMissing();
    return m_files.write(path(), encode(story));
}

void StoryRecovery::discard()
{
    if (m_lock && m_files.exists(path()))
        (void)m_files.remove(path());
}

QByteArray StoryRecovery::encode(const KeptStory &story)
{
    // The text as the box shows it: readable in any editor should the program never start again,
    // and mapped back to the same bytes (see platform/displaytext.h).
    QJsonArray lines;
    for (const KeptStory::Line &line : story.lines) {
        lines.append(QJsonObject{{QStringLiteral("block"), line.block},
                                 {QStringLiteral("source"), line.source}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("format"), Format},
                                     {QStringLiteral("text"), textToDisplay(story.text)},
                                     {QStringLiteral("lines"), lines}})
        .toJson(QJsonDocument::Indented);
}

std::optional<KeptStory> StoryRecovery::decode(const QByteArray &bytes)
{
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")).toString() != Format ||
        !root.value(QStringLiteral("text")).isString())
        return std::nullopt;
    KeptStory story;
    story.text = displayToText(root.value(QStringLiteral("text")).toString());
    const QJsonArray lines = root.value(QStringLiteral("lines")).toArray();
    for (const QJsonValue &value : lines) {
        const QJsonObject line = value.toObject();
        const int block = line.value(QStringLiteral("block")).toInt(-1);
        if (block >= 0 && line.value(QStringLiteral("source")).isObject())
            story.lines.append({block, line.value(QStringLiteral("source")).toObject()});
    }
    return story;
}

} // namespace quorvel
