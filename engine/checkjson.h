#pragma once

#include "engine/check.h"
#include "engine/storycount.h"

#include <QJsonObject>

namespace quorvel {

// The library check and the story counts as JSON objects for scripts, one per line of output,
// with names for severities and kinds that scripts can rely on.

// A finding: severity, kind, file ("元素/天气.txt"), line, the line's text and the message; a
// circle also its chain and whether it is always endless.
QJsonObject findingToJson(const Finding &finding);
// The line after the findings: {"summary": {errors, circles, alwaysEndless, notices, passed}}.
QJsonObject checkSummaryToJson(const CheckReport &report);
// How many stories a project (its name without ".l") or a template can make: the exact digits
// ("stories", null when only the size is known), whether endless, and the count as shown.
QJsonObject projectCountToJson(const QString &project, const StoryCount &count);
QJsonObject templateCountToJson(const Text &templateName, const StoryCount &count);

} // namespace quorvel
