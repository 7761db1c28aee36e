#pragma once

#include "engine/generator.h"

#include <QWidget>

class QListWidget;

namespace quorvel {

// "试写": a few expansions of one line, each with where its parts came from as its tooltip, and
// the messages the expansions met.
class TryWindow : public QWidget
{
    Q_OBJECT

public:
    explicit TryWindow(QWidget *parent = nullptr);

    // source names the line tried ("模板「相遇」第 3 行"); each result's draws go into its tooltip.
    void showResults(const QString &source, const QList<StoryLine> &results,
                     const QStringList &messages);

private:
    QListWidget *m_results = nullptr;
};

} // namespace quorvel
