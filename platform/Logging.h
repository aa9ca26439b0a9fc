#pragma once

#include <QLoggingCategory>

// Failures that the user never sees (the windows say nothing of them by design) go to these
// categories, one per area. They log at info level, which Qt leaves off by default; turn one on
// with QT_LOGGING_RULES="pellwick.net.info=true" (or "pellwick.*.info=true").
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcMessages)
Q_DECLARE_LOGGING_CATEGORY(lcNet)
Q_DECLARE_LOGGING_CATEGORY(lcPrefs)
Q_DECLARE_LOGGING_CATEGORY(lcRelay)
Q_DECLARE_LOGGING_CATEGORY(lcSound)
Q_DECLARE_LOGGING_CATEGORY(lcTray)
