#include "engine/messages.h"

#include <QHash>

namespace quorvel::messages {

namespace {

QString quoted(const Text &name)
{
    return QStringLiteral("「") + name.toUnicode() + QStringLiteral("」");
}

} // namespace

QString endlessExpansion(const TextList &chain)
{
    if (chain.isEmpty())
        return QString::fromUtf16(EndlessExpansion);
    // The innermost name that stands in the chain twice closes the innermost circle.
    QHash<Text, qsizetype> seen;
    qsizetype from = -1, to = -1;
    for (qsizetype i = 0; i < chain.size(); ++i) {
        const auto earlier = seen.constFind(chain.at(i));
        if (earlier != seen.cend()) {
            from = *earlier;
            to = i;
        }
        seen.insert(chain.at(i), i);
    }
    if (to < 0) {
        return QStringLiteral("元素") + quoted(chain.last()) + QStringLiteral("：") +
               QString::fromUtf16(EndlessExpansion);
    }
    if (to == from + 1)
        return QStringLiteral("元素") + quoted(chain.at(to)) +
               QStringLiteral("引用自身，无法展开完毕！请检查！");
    QString circle = QStringLiteral("元素") + quoted(chain.at(from));
    for (qsizetype i = from + 1; i <= to; ++i)
        circle += QStringLiteral("→") + quoted(chain.at(i));
    return circle + QStringLiteral("层层嵌套，无法展开完毕！请检查！");
}

QString projectStoryCount(const QString &project, const QString &count)
{
    return QStringLiteral("项目「%1」可生成 %2 种故事").arg(project, count);
}

} // namespace quorvel::messages
