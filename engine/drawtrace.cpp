#include "engine/drawtrace.h"

#include <utility>

namespace quorvel {

DrawTrace::~DrawTrace()
{
    // Left to itself, each inner list would destroy its draws, whose lists destroy theirs, one
    // call deeper per level. The draws below are moved out onto one list instead, so that each
    // dies with nothing under it. A list shared with another trace is only let go of: whoever
    // holds it last takes it apart the same way.
    if (inner.isEmpty() || !inner.isDetached())
        return;
    QList<DrawTrace> pending = std::move(inner);
    while (!pending.isEmpty()) {
        DrawTrace draw = pending.takeLast();
        if (draw.inner.isEmpty() || !draw.inner.isDetached())
            continue;
        for (DrawTrace &below : draw.inner)
            pending.append(std::move(below));
        draw.inner.clear();
    }
}

bool operator==(const DrawTrace &a, const DrawTrace &b)
{
    QList<std::pair<const DrawTrace *, const DrawTrace *>> pending{{&a, &b}};
    while (!pending.isEmpty()) {
        const auto [x, y] = pending.takeLast();
        if (x->element != y->element || x->line != y->line || x->start != y->start ||
            x->end != y->end || x->inner.size() != y->inner.size())
            return false;
        for (qsizetype i = 0; i < x->inner.size(); ++i)
            pending.emplaceBack(&x->inner.at(i), &y->inner.at(i));
    }
    return true;
}

void forEachDraw(const QList<DrawTrace> &draws,
                 const std::function<void(const DrawTrace &, int depth)> &visit)
{
    // The lists being walked, outermost first, each with the position of its next draw.
    QList<std::pair<const QList<DrawTrace> *, qsizetype>> open{{&draws, 0}};
    while (!open.isEmpty()) {
        auto &[list, next] = open.last();
        if (next == list->size()) {
            open.removeLast();
            continue;
        }
        const DrawTrace &draw = list->at(next++);
        visit(draw, int(open.size() - 1));
        if (!draw.inner.isEmpty())
            open.emplaceBack(&draw.inner, 0);
    }
}

} // namespace quorvel
