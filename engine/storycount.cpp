#include "engine/storycount.h"

#include "engine/elementgraph.h"
#include "engine/material.h"

#include <QSet>

#include <cmath>
#include <limits>

namespace quorvel {

namespace {

constexpr int LongestShownInFull = 30;

// "约 2.3 × 10^41", from the leading digits and the power of ten of the first one.
QString approximately(int leadingTwo, qint64 exponent)
{
    if (leadingTwo >= 100) {
        leadingTwo /= 10;
        ++exponent;
    }
    return QStringLiteral("约 %1.%2 × 10^%3")
        .arg(leadingTwo / 10)
        .arg(leadingTwo % 10)
        .arg(exponent);
}

} // namespace

StoryCount StoryCount::endless()
{
    StoryCount count;
    count.m_kind = Kind::Endless;
    return count;
}

double StoryCount::log10() const
{
    if (m_kind == Kind::Approximate)
        return m_log10;
    if (m_kind == Kind::Endless)
        return std::numeric_limits<double>::infinity();
    if (m_value == 0)
        return -std::numeric_limits<double>::infinity();
    long exponent = 0;
    const double mantissa = mpz_get_d_2exp(&exponent, m_value.get_mpz_t());
    return std::log10(mantissa) + double(exponent) * std::log10(2.0);
}

void StoryCount::becomeApproximate(double log10)
{
    m_kind = Kind::Approximate;
    m_log10 = log10;
    m_value = 0;
}

StoryCount &StoryCount::operator+=(const StoryCount &more)
{
    if (isEndless() || more.isZero())
        return *this;
    if (more.isEndless() || isZero())
        return *this = more;
    if (isExact() && more.isExact() &&
        std::max(mpz_sizeinbase(m_value.get_mpz_t(), 2),
                 mpz_sizeinbase(more.m_value.get_mpz_t(), 2)) < LargestExactBits) {
        m_value += more.m_value;
        return *this;
    }
    const double a = log10(), b = more.log10();
    const double high = std::max(a, b), low = std::min(a, b);
    becomeApproximate(high + std::log10(1 + std::pow(10.0, low - high)));
    return *this;
}

StoryCount &StoryCount::operator*=(const StoryCount &factor)
{
    if (isZero() || factor.isZero()) {
        *this = StoryCount();
        return *this;
    }
    if (isEndless() || factor.isEndless())
        return *this = endless();
    if (isExact() && factor.isExact() &&
        mpz_sizeinbase(m_value.get_mpz_t(), 2) + mpz_sizeinbase(factor.m_value.get_mpz_t(), 2) <=
            LargestExactBits) {
        m_value *= factor.m_value;
        return *this;
    }
    becomeApproximate(log10() + factor.log10());
    return *this;
}

bool operator==(const StoryCount &a, const StoryCount &b)
{
    if (a.m_kind != b.m_kind)
        return false;
    if (a.m_kind == StoryCount::Kind::Exact)
        return a.m_value == b.m_value;
    return a.m_kind == StoryCount::Kind::Endless || a.m_log10 == b.m_log10;
}

QString StoryCount::digits() const
{
    return isExact() ? QString::fromStdString(m_value.get_str()) : QString();
}

QString StoryCount::shown() const
{
    if (isEndless())
        return QStringLiteral("无穷");
    if (isExact()) {
        const std::string all = m_value.get_str();
        if (all.size() <= size_t(LongestShownInFull))
            return QString::fromStdString(all);
        // Rounded half up at the third digit.
        const int leading = (all[0] - '0') * 10 + (all[1] - '0') + (all[2] >= '5' ? 1 : 0);
        return approximately(leading, qint64(all.size()) - 1);
    }
    // Past 10^(10^15) a double no longer tells the leading digits.
    if (!(m_log10 < 1e15))
        return QStringLiteral("超过 10^(10^15)");
    const double exponent = std::floor(m_log10);
    return approximately(int(std::lround(std::pow(10.0, m_log10 - exponent + 1))),
                         qint64(exponent));
}

StoryCounter::StoryCounter(const Material &material, const ElementGraph &graph)
    : m_material(material)
{
    // Every element comes after the elements it leads to, so their counts are there when needed.
    for (const Text &name : graph.order()) {
        const ContentFile &file = material.element(name);
        m_elements.insert(name, graph.reachesCircle(name) ? StoryCount::endless()
                                : file.hasLines()         ? distinctLines(file.lines, file.shapes)
                                                          : StoryCount(1));
    }
}

StoryCount StoryCounter::element(const Text &name) const
{
    const auto found = m_elements.constFind(name);
    return found == m_elements.cend() ? StoryCount(1) : *found;
}

StoryCount StoryCounter::lineCount(const LineShape &shape) const
{
    // What a "[]" or a stray bracket leaves unexpanded draws nothing.
    StoryCount count(1);
    for (const LineShape::Reference &reference : shape.references)
        count *= element(reference.name);
    return count;
}

StoryCount StoryCounter::distinctLines(const TextList &lines, const QList<LineShape> &shapes) const
{
    StoryCount count;
    QSet<Text> seen;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (seen.contains(lines.at(i)))
            continue;
        seen.insert(lines.at(i));
        count += lineCount(shapes.at(i));
    }
    return count;
}

StoryCount StoryCounter::templateCount(const Text &name) const
{
    const auto known = m_templates.constFind(name);
    if (known != m_templates.cend())
        return *known;
    const ContentFile &file = m_material.templateFile(name);
    return m_templates.insert(name, distinctLines(file.lines, file.shapes)).value();
}

StoryCount StoryCounter::project(const TextList &templateNames) const
{
    StoryCount count;
    bool any = false;
    for (const Text &name : templateNames) {
        const StoryCount one = templateCount(name);
        if (one.isZero())
            continue;
        if (!any)
            count = StoryCount(1);
        any = true;
        count *= one;
    }
    return count;
}

} // namespace quorvel
