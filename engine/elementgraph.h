#pragma once

#include "platform/text.h"

#include <QList>

#include <map>

namespace quorvel {

class Material;

// The elements of a check as a graph: an element leads to every element with lines that one of
// its lines reaches (see LineShape). Circles are its strongly connected parts that hold a loop.
class ElementGraph
{
public:
    struct Circle
    {
        TextList members; // in byte order
        // From the first member back to it along the shortest way: 甲, 乙, 甲.
        TextList chain;
        int firstLine = 0; // of the first member, the first line that leads on along the chain
        // Every line of every member leads back into the circle: once entered, the expansion
        // can only end at the run's limits.
        bool alwaysEndless = false;
    };

    explicit ElementGraph(const Material &material);

    const QList<Circle> &circles() const { return m_circles; }
    bool isOnCircle(const Text &element) const;
    // The element is on a circle or leads to one: its draws need not end.
    bool reachesCircle(const Text &element) const;
    // Every element, each after all the elements it leads to (those on the same circle aside).
    const TextList &order() const { return m_order; }

private:
    void findParts();
    void describeCircle(const QList<int> &part);

    const Material &m_material;
    TextList m_names;
    std::map<Text, int> m_index;
    QList<QList<int>> m_next; // by element index, each target once
    QList<int> m_part;        // by element index
    QList<bool> m_partOnCircle, m_partReachesCircle;
    QList<Circle> m_circles;
    TextList m_order;
};

} // namespace quorvel
