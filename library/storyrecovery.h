#pragma once

#include "platform/files.h"
#include "platform/text.h"

#include <QJsonObject>
#include <QList>
#include <QLockFile>

#include <memory>
#include <optional>

namespace quorvel {

// A story kept for recovery: the text of the story box, and the sources of the lines that had
// one, each with its line's number in the box (from 0), as the engine writes a source into JSON.
struct KeptStory
{
    struct Line
    {
        int block = 0;
        QJsonObject source;
    };
    Text text;
    QList<Line> lines;
};

// The story box's copy on disk, so that a story the program never saved outlives a crash or a
// kill. Each running program keeps its story in a file of its own in the state folder
// ("story-N.json", N the first slot no running program holds, held by a lock file beside it), so
// two programs never overwrite each other's story; a program that starts after one was killed
// takes over its slot, and with it the story left there.
class StoryRecovery
{
public:
    // folder: where the stories are kept; created when the first story is kept.
    StoryRecovery(Files &files, QString folder);
    ~StoryRecovery();
    StoryRecovery(const StoryRecovery &) = delete;
    StoryRecovery &operator=(const StoryRecovery &) = delete;

    // $XDG_STATE_HOME/quorvel, or ~/.local/state/quorvel where the variable is not set (or not
    // an absolute path), as the XDG base directories say.
    static QString defaultFolder();

    // Takes a slot no running program holds; false when none could be taken (the folder cannot
    // be made, or every slot is held): then nothing is kept.
    bool open();
    bool isOpen() const { return m_lock != nullptr; }
    // The story a program that ended without a word left in this slot; nothing when there is
    // none, or the file is not one this program wrote.
    std::optional<KeptStory> left() const;
    // Replaces the kept story, atomically.
    [[nodiscard]] FileResult keep(const KeptStory &story);
    // Removes the kept story: it was saved, or given up.
    void discard();

    // The file of the slot taken; empty while none is.
    QString path() const;

    // The bytes of the file and back; nothing from bytes that are not such a file.
    static QByteArray encode(const KeptStory &story);
    static std::optional<KeptStory> decode(const QByteArray &bytes);

private:
    FileResult makeFolder();

    Files &m_files;
    QString m_folder;
    int m_slot = -1;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace quorvel
