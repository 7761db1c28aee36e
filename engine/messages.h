#pragma once

#include "platform/text.h"

#include <QString>

namespace quorvel::messages {

// The messages of a run (see Diagnostic::message()), shown exactly as written here.
inline constexpr char16_t EmptyProject[] = u"项目为空，请建立或选择已进行项目运行！";
inline constexpr char16_t EmptyReference[] = u"括号中的内容不能为空！请检查后再执行程序！";
// Shown directly after the element's name.
inline constexpr char16_t EmptyElement[] = u"内容为空！请检查！";
// An expansion that reached its limits (engine/expansion.h), usually elements that refer to
// each other in a circle; endlessExpansion() names them in front of its end.
inline constexpr char16_t EndlessExpansion[] = u"元素引用层层嵌套，无法展开完毕！请检查！";

// The message of an expansion that stopped at a limit, given the chain of elements it stopped
// in (outermost first, see Expansion::chain). The innermost circle in the chain is named:
// "元素「循环」引用自身，无法展开完毕！请检查！",
// "元素「甲」→「乙」→「甲」层层嵌套，无法展开完毕！请检查！"; without a circle, the element whose
// reference was being expanded.
QString endlessExpansion(const TextList &chain);

// Told by the window and by quorvel-gen alike.
// A story that could not be written to its file; the cause follows on a line of its own.
inline constexpr char16_t StoryNotSaved[] = u"故事保存失败！";
// How many stories a project can make, given its name (without ".l") and the count as shown
// (StoryCount::shown()).
QString projectStoryCount(const QString &project, const QString &count);

} // namespace quorvel::messages
