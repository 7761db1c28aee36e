#pragma once

namespace quorvel::messages {

// What the windows say when a library command does not happen: the message, then (by
// withCause()) the cause on a second line.
inline constexpr char16_t CreateFailed[] = u"创建失败！请检查名称是否可用！";
inline constexpr char16_t RenameFailed[] = u"修改失败！请检查名称是否可用！";
inline constexpr char16_t SaveFailed[] = u"保存失败！请检查文件是否可写！";
inline constexpr char16_t DeleteFailed[] = u"删除失败！请检查文件是否可写！";
inline constexpr char16_t UndoFailed[] = u"撤销失败！";
inline constexpr char16_t RedoFailed[] = u"重做失败！";
// The name asked for is taken (the editor's two wordings: with and without the final "！").
inline constexpr char16_t NameTaken[] = u"该文件已经存在，请重新命名！";
inline constexpr char16_t NameTakenByEntry[] = u"该文件已经存在，请重新命名";
inline constexpr char16_t EmptyName[] = u"信息不能为空！";
// Asked before a changed text or list would be lost, and before writing over a file another
// program changed since it was read.
inline constexpr char16_t UnsavedChanges[] = u"内容已修改，是否保存？";
inline constexpr char16_t ChangedOnDisk[] = u"该文件已被其他程序修改，是否覆盖？";
inline constexpr char16_t EmptyNewName[] = u"信息不能为空";

} // namespace quorvel::messages
