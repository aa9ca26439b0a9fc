#include "platform/Logging.h"

Q_LOGGING_CATEGORY(lcApp, "pellwick.app", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMessages, "pellwick.messages", QtWarningMsg)
Q_LOGGING_CATEGORY(lcNet, "pellwick.net", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPrefs, "pellwick.prefs", QtWarningMsg)
Q_LOGGING_CATEGORY(lcRelay, "pellwick.relay", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSound, "pellwick.sound", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTray, "pellwick.tray", QtWarningMsg)
