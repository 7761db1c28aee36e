#pragma once

#include "platform/text.h"

#include <QHash>
#include <QList>
#include <QString>

#include <gmpxx.h>

namespace quorvel {

class ElementGraph;
class Material;
struct LineShape;

// How many different stories something can make: an exact number, or endless when a circle of
// elements can be reached. A number beyond a few hundred thousand digits is kept only by its
// logarithm, so that material whose counts grow without measure (each element naming the next
// twice, a thousand deep) costs neither the memory nor the time of its digits.
class StoryCount
{
public:
    StoryCount() = default; // none
    explicit StoryCount(unsigned long count) : m_value(count) {}
    static StoryCount endless();

    bool isEndless() const { return m_kind == Kind::Endless; }
    bool isExact() const { return m_kind == Kind::Exact; }
    bool isZero() const { return isExact() && m_value == 0; }
    // The decimal digits of an exact count; empty otherwise.
    QString digits() const;
    // For a reader: "无穷"; all digits up to 30 of them; beyond, "约 2.3 × 10^41".
    QString shown() const;

    StoryCount &operator+=(const StoryCount &more);
    StoryCount &operator*=(const StoryCount &factor);
    friend bool operator==(const StoryCount &a, const StoryCount &b);

    // Exact counts are kept up to this many bits.
    static constexpr unsigned long LargestExactBits = 1ul << 18;

private:
    enum class Kind
    {
        Exact,
        Approximate, // m_log10 only
        Endless,
    };
    double log10() const;
    void becomeApproximate(double log10);

    Kind m_kind = Kind::Exact;
    mpz_class m_value;
    double m_log10 = 0;
};

// The number of different draws of templates and projects: a template draws one of its patterns
// and then, for each reference the pattern reaches, one line of that element, and so on down the
// lines drawn. Identical lines of one element (and identical patterns of one template) count
// once; a reference to an element without lines draws nothing and counts once.
class StoryCounter
{
public:
    StoryCounter(const Material &material, const ElementGraph &graph);

    StoryCount element(const Text &name) const;
    // None for a template without patterns: it makes no line.
    StoryCount templateCount(const Text &name) const;
    // The product over the templates that make a line; none when no template does.
    StoryCount project(const TextList &templateNames) const;

private:
    StoryCount lineCount(const LineShape &shape) const;
    StoryCount distinctLines(const TextList &lines, const QList<LineShape> &shapes) const;

    const Material &m_material;
    QHash<Text, StoryCount> m_elements;
    // A project names the same template again and again.
    mutable QHash<Text, StoryCount> m_templates;
};

} // namespace quorvel
