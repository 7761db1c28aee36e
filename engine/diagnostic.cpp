#include "engine/diagnostic.h"

#include "engine/messages.h"
#include "library/libraryname.h"

namespace quorvel {

namespace {

FileResult unreadable(FileResult::Cause cause)
{
    return cause == FileResult::Cause::OutsideFolder ? FileResult::outsideFolder()
                                                     : FileResult::tooLarge();
}

} // namespace

QString Diagnostic::message() const
{
    switch (kind) {
    case Kind::EmptyProject:
        return QString::fromUtf16(messages::EmptyProject);
    case Kind::EmptyReference:
        return QString::fromUtf16(messages::EmptyReference);
    case Kind::EmptyElement:
        return element.toUnicode() + QString::fromUtf16(messages::EmptyElement);
    case Kind::UnreadableFile:
        return unreadableMessage(unreadable(cause),
                                 (element.isEmpty()
                                      ? LibraryName::content(Folder::Templates, templateName)
                                      : LibraryName::content(Folder::Elements, element))
                                     .fileName()
                                     .toUnicode());
    case Kind::EndlessExpansion:
        return messages::endlessExpansion(chain);
    }
    return {};
}

} // namespace quorvel
