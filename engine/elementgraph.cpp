#include "engine/elementgraph.h"

#include "engine/material.h"

#include <QSet>

#include <algorithm>

namespace quorvel {

ElementGraph::ElementGraph(const Material &material) : m_material(material)
{
    for (const auto &[name, file] : material.elements()) {
        m_index.emplace(name, int(m_names.size()));
        m_names.append(name);
    }
    m_next.resize(m_names.size());
    for (int from = 0; from < m_names.size(); ++from) {
        QSet<int> seen;
        for (const LineShape &shape : material.element(m_names.at(from)).shapes) {
            for (const LineShape::Reference &reference : shape.references) {
                const auto to = m_index.find(reference.name);
                if (to != m_index.end() && material.element(reference.name).hasLines() &&
                    !seen.contains(to->second)) {
                    seen.insert(to->second);
                    m_next[from].append(to->second);
                }
            }
        }
    }
    findParts();
}

// Tarjan's strongly connected components, with a stack of its own instead of recursion: a chain
// of thousands of elements, each naming the next, must not exhaust the call stack. Parts come out
// with every part they lead to before them.
void ElementGraph::findParts()
{
    const int count = int(m_names.size());
    QList<int> index(count, -1), low(count, 0);
    QList<bool> onStack(count, false);
    QList<int> stack;
    struct Call
    {
        int element;
        int edge;
    };
    QList<Call> calls;
    m_part.fill(-1, count);
    int next = 0;
    for (int root = 0; root < count; ++root) {
        if (index[root] >= 0)
            continue;
        calls.append({root, 0});
        index[root] = low[root] = next++;
        stack.append(root);
        onStack[root] = true;
        while (!calls.isEmpty()) {
            Call &call = calls.last();
            const int v = call.element;
            if (call.edge < m_next[v].size()) {
                const int w = m_next[v][call.edge++];
                if (index[w] < 0) {
                    index[w] = low[w] = next++;
                    stack.append(w);
                    onStack[w] = true;
                    calls.append({w, 0});
                } else if (onStack[w]) {
                    low[v] = std::min(low[v], index[w]);
                }
                continue;
            }
            calls.removeLast();
            if (!calls.isEmpty())
                low[calls.last().element] = std::min(low[calls.last().element], low[v]);
            if (low[v] != index[v])
                continue;
            QList<int> part;
            int w = -1;
            do {
                w = stack.takeLast();
                onStack[w] = false;
                part.append(w);
            } while (w != v);
            describeCircle(part);
        }
    }
}

void ElementGraph::describeCircle(const QList<int> &part)
{
    const int id = int(m_partOnCircle.size());
    for (int member : part)
        m_part[member] = id;
    const bool loop = part.size() > 1 || m_next[part.first()].contains(part.first());
    bool reaches = loop;
    for (int member : part) {
        m_order.append(m_names.at(member));
        for (int to : std::as_const(m_next[member]))
            reaches = reaches || (m_part[to] != id && m_partReachesCircle[m_part[to]]);
    }
    m_partOnCircle.append(loop);
    m_partReachesCircle.append(reaches);
    if (!loop)
        return;

    Circle circle;
    QList<int> members = part;
    std::sort(members.begin(), members.end()); // names are indexed in byte order
    for (int member : members)
        circle.members.append(m_names.at(member));
    // The shortest way from the first member back to it, found breadth first inside the part.
    const int start = members.first();
    QHash<int, int> cameFrom;
    QList<int> queue{start};
    int last = -1;
    for (qsizetype at = 0; at < queue.size() && last < 0; ++at) {
        for (int to : std::as_const(m_next[queue.at(at)])) {
            if (m_part[to] != id)
                continue;
            if (to == start) {
                last = queue.at(at);
                break;
            }
            if (!cameFrom.contains(to)) {
                cameFrom.insert(to, queue.at(at));
                queue.append(to);
            }
        }
    }
    for (int at = last; at != start; at = cameFrom.value(at))
        circle.chain.prepend(m_names.at(at));
    circle.chain.prepend(m_names.at(start));
    circle.chain.append(m_names.at(start));

    const Text &second = circle.chain.at(1);
    const QList<LineShape> &shapes = m_material.element(m_names.at(start)).shapes;
    for (int line = 0; line < shapes.size(); ++line) {
        const auto &references = shapes.at(line).references;
        if (std::any_of(references.cbegin(), references.cend(),
                        [&](const LineShape::Reference &r) { return r.name == second; })) {
            circle.firstLine = line;
            break;
        }
    }
    const auto leadsBack = [&](const LineShape &shape) {
        return std::any_of(shape.references.cbegin(), shape.references.cend(),
                           [&](const LineShape::Reference &r) {
                               const auto to = m_index.find(r.name);
                               return to != m_index.end() && m_part[to->second] == id &&
                                      m_material.element(r.name).hasLines();
                           });
    };
    circle.alwaysEndless = std::all_of(members.cbegin(), members.cend(), [&](int member) {
        const QList<LineShape> &lines = m_material.element(m_names.at(member)).shapes;
        return std::all_of(lines.cbegin(), lines.cend(), leadsBack);
    });
    m_circles.append(std::move(circle));
}

bool ElementGraph::isOnCircle(const Text &element) const
{
    const auto found = m_index.find(element);
    return found != m_index.end() && m_partOnCircle[m_part[found->second]];
}

bool ElementGraph::reachesCircle(const Text &element) const
{
    const auto found = m_index.find(element);
    return found != m_index.end() && m_partReachesCircle[m_part[found->second]];
}

} // namespace quorvel
